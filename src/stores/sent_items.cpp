#include "stores/sent_items.h"

#include "appcore/data_paths.h"
#include "appcore/selection_state.h"
#include "composer/list_item.h"
#include "core/log.h"
#include "core/text_helpers.h"
#include "stores/store_file.h"

#include <QFile>
#include <QStringView>

namespace tesk::stores {
namespace {

constexpr QChar kBel(u'\a');
constexpr QChar kVt(u'\v');

// The text before the first `mark` (all of it when there is none) and what follows from the
// mark on.
QStringView takeUpTo(QStringView& rest, QChar mark) {
    const qsizetype at = rest.indexOf(mark);
    const QStringView field = at < 0 ? rest : rest.first(at);
    rest = at < 0 ? QStringView() : rest.sliced(at);
    return field;
}

void dropLeading(QStringView& rest, QChar mark) {
    if (rest.startsWith(mark)) {
        rest = rest.sliced(1);
    }
}

// Parses the records of one line (markers already turned back into line feeds).
void parseLine(QStringView rest, QList<SentItem>& items) {
    SentItem item;
    while (!rest.isEmpty()) {
        const qsizetype before = rest.size();
        // Number: before the first VT; without one the line holds no number and the rest
        // falls to the message.
        dropLeading(rest, kBel);
        const qsizetype vt = rest.indexOf(kVt);
        if (vt >= 0) {
            item.Number = rest.first(vt).trimmed().toString();
            rest = rest.sliced(vt);
        }
        dropLeading(rest, kVt);
        item.Message = takeUpTo(rest, kBel).toString();
        dropLeading(rest, kBel);
        item.Date = takeUpTo(rest, kVt).toString();
        dropLeading(rest, kVt);
        // Status: up to the BEL that opens a further record on the same line, trimmed as a
        // field wherever it stands in the line.
        item.Status = takeUpTo(rest, kBel).trimmed().toString();
        if (!item.Number.isEmpty()) {
            items.append(item);
        }
        item = SentItem();
        if (rest.size() >= before) {
            break;  // nothing was consumed: no further record can start here
        }
    }
}

}  // namespace

QString SentItem::value(const QString& key) const {
    if (key == composer::kNumberKey) {
        return Number;
    }
    if (key == composer::kMessageKey) {
        return Message;
    }
    if (key == kDateKey) {
        return Date;
    }
    return key == kStatusKey ? Status : QString();
}

void SentItem::setValue(const QString& key, const QString& text) {
    if (key == composer::kNumberKey) {
        Number = text;
    } else if (key == composer::kMessageKey) {
        Message = text;
    } else if (key == kDateKey) {
        Date = text;
    } else if (key == kStatusKey) {
        Status = text;
    }
}

QString Sent_Item_Record(const SentItem& item) {
    const QString line =
        kBel + item.Number + kVt + item.Message + kBel + item.Date + kVt + item.Status;
    return Replace_Sent_Item_and_Template_New_Line_with_Seprator(line) + QLatin1Char('\n');
}

QString Sent_Item_File(int mode) {
    return mode == kAndroidMode ? Sent_Item_Path_Android : Sent_Item_Path;
}

bool Append_Sent_Item(int mode, const SentItem& item) {
    Check_Path_And_Create_Files();
    return Append_Store_Record(Sent_Item_File(mode), Sent_Item_Record(item).toUtf8());
}

QList<SentItem> Parse_Sent_Items(const QString& text) {
    QList<SentItem> items;
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0) {
            end = all.size();
        }
        const QStringView line = all.sliced(start, end - start);
        if (line.contains(kRecordLineBreakMarker)) {
            parseLine(Replace_Sent_Item_and_Template_Seprator_With_New_Line(line.toString()),
                      items);
        } else {
            parseLine(line, items);
        }
        start = end + 1;
    }
    return items;
}

QList<SentItem> LoadItems_Sent_Items(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return Parse_Sent_Items(QString::fromUtf8(file.readAll()));
}

QByteArray Sent_Items_File_Contents(const QList<SentItem>& items, bool clearStatus) {
    QString text;
    for (SentItem item : items) {
        if (clearStatus) {
            item.Status.clear();
        }
        text += Sent_Item_Record(item);
    }
    return text.toUtf8();
}

bool Rewrite_Sent_Items(const QString& path, const QList<SentItem>& items, bool clearStatus) {
    Check_Path_And_Create_Files();
    return Rewrite_Store_File(path, Sent_Items_File_Contents(items, clearStatus));
}

}  // namespace tesk::stores
