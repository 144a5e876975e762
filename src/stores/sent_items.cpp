#include "stores/sent_items.h"

#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "composer/list_item.h"
#include "core/log.h"
#include "core/text_helpers.h"
#include "stores/store_file.h"

#include <QStringView>

namespace tesk::stores {
namespace {

constexpr QChar kBel(u'\a');
constexpr QChar kVt(u'\v');

// The text before `at` (all of it when `at` is -1); the rest keeps what follows from `at` on.
QStringView takeBefore(QStringView& rest, qsizetype at) {
    const QStringView field = at < 0 ? rest : rest.first(at);
    rest = at < 0 ? QStringView() : rest.sliced(at);
    return field;
}

// The text before the first `mark` (all of it when there is none).
QStringView takeUpTo(QStringView& rest, QChar mark) {
    return takeBefore(rest, rest.indexOf(mark));
}

void dropLeading(QStringView& rest, QChar mark) {
    if (rest.startsWith(mark)) {
        rest = rest.sliced(1);
    }
}

// A field as stored, with its line-break markers turned back into line feeds.
QString restored(QStringView field) {
    return field.contains(kRecordLineBreakMarker)
               ? Replace_Sent_Item_and_Template_Seprator_With_New_Line(field.toString())
               : field.toString();
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// BEL "dd/MM/yyyy" VT: how every record this program writes opens its date.
bool opensDate(QStringView at) {
    if (at.size() < 12 || at[0] != kBel || at[3] != u'/' || at[6] != u'/' || at[11] != kVt) {
        return false;
    }
    for (const qsizetype i : {1, 2, 4, 5, 7, 8, 9, 10}) {
        if (!isDigit(at[i])) {
            return false;
        }
    }
    return true;
}

// Where the message ends: at the BEL that opens a written date, or else at the first BEL.
qsizetype messageEnd(QStringView rest) {
    const qsizetype first = rest.indexOf(kBel);
    for (qsizetype at = first; at >= 0; at = rest.indexOf(kBel, at + 1)) {
        if (opensDate(rest.sliced(at))) {
            return at;
        }
    }
    return first;
}

struct Found {
    SentItem item;
    qsizetype from;  // where its record starts and ends in the line
    qsizetype to;
};

// Parses the records of one line.
void parseLine(const QStringView line, QList<Found>& found) {
    QStringView rest = line;
    while (!rest.isEmpty()) {
        const qsizetype before = rest.size();
        SentItem item;
        // Number: before the first VT; without one the line holds no number and the rest
        // falls to the message.
        dropLeading(rest, kBel);
        const qsizetype vt = rest.indexOf(kVt);
        if (vt >= 0) {
            item.Number = restored(rest.first(vt)).trimmed();
            rest = rest.sliced(vt);
        }
        dropLeading(rest, kVt);
        item.Message = restored(takeBefore(rest, messageEnd(rest)));
        dropLeading(rest, kBel);
        item.Date = restored(takeUpTo(rest, kVt));
        dropLeading(rest, kVt);
        // Status: up to the BEL that opens a further record on the same line, trimmed as a
        // field wherever it stands in the line.
        item.Status = restored(takeUpTo(rest, kBel)).trimmed();
        if (!item.Number.isEmpty()) {
            found.append({std::move(item), line.size() - before, line.size() - rest.size()});
        }
        if (rest.size() >= before) {
            break;  // nothing was consumed: no further record can start here
        }
    }
}

// Finds where places of a line's text stand in the line's bytes, asked in increasing order. A
// record starts and ends at the line's ends or at a BEL, and the BELs are the same in the text
// and in the bytes (an undecodable byte never swallows one), so counting them finds the place.
class BelPlaces {
  public:
    BelPlaces(QStringView text, QByteArrayView bytes) : text_(text), bytes_(bytes) {}

    qsizetype operator()(qsizetype at) {
        if (at == 0 || at == text_.size()) {
            return at == 0 ? 0 : bytes_.size();
        }
        for (; scanned_ < at; ++scanned_) {
            if (text_[scanned_] == kBel) {
                lastBel_ = bytes_.indexOf('\a', lastBel_ + 1);
            }
        }
        return bytes_.indexOf('\a', lastBel_ + 1);  // the BEL at `at` itself
    }

  private:
    QStringView text_;
    QByteArrayView bytes_;
    qsizetype scanned_ = 0;   // the text before this place is counted
    qsizetype lastBel_ = -1;  // the bytes' BEL that matches the last one counted
};

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

SentItemsFile Read_Sent_Items(const QByteArray& bytes) {
    SentItemsFile file{bytes, {}, {}};
    const QString text = QString::fromUtf8(bytes);
    const StoreLines lines(file.bytes);
    const QStringView all(text);
    qsizetype start = 0;
    QList<Found> found;
    for (qsizetype i = 0; i < lines.size() && start <= all.size(); ++i) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0) {
            end = all.size();
        }
        const QStringView line = all.sliced(start, end - start);
        found.clear();
        parseLine(line, found);
        BelPlaces bytePlace(line, lines.line(i));
        for (Found& entry : found) {
            file.items.append(std::move(entry.item));
            const qsizetype from = lines.start(i) + bytePlace(entry.from);
            file.records.append({from, lines.start(i) + bytePlace(entry.to)});
        }
        start = end + 1;
    }
    return file;
}

SentItemsFile Load_Sent_Items_File(const QString& path) {
    return Read_Sent_Items(Read_Store_File(path));
}

QByteArray Sent_Items_Keeping(const SentItemsFile& file, const QList<int>& kept) {
    QList<bool> keep(file.records.size(), false);
    for (const int index : kept) {
        keep[index] = true;
    }
    const StoreLines lines(file.bytes);
    QList<QByteArrayView> out;
    QList<QByteArray> cutLines;  // the lines that lost a record, which `out` points into
    out.reserve(lines.size());
    qsizetype record = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines.line(i);
        const qsizetype from = lines.start(i);
        const qsizetype to = from + line.size();
        QByteArray left;
        qsizetype at = from;
        bool cut = false;
        for (; record < file.records.size() && file.records.at(record).first < to; ++record) {
            if (!keep.at(record)) {
                left += QByteArrayView(file.bytes).sliced(at, file.records.at(record).first - at);
                at = file.records.at(record).second;
                cut = true;
            }
        }
        if (!cut) {
            out.append(line);
            continue;
        }
        left += QByteArrayView(file.bytes).sliced(at, to - at);
        if (!left.isEmpty()) {
            cutLines.append(left);
            out.append(cutLines.last());
        } else if (i + 1 == lines.size()) {
            out.append(QByteArrayView());  // the file still ends after the previous line feed
        }
    }
    return Join_Store_Lines(out, lines.hasMark());
}

QList<SentItem> Parse_Sent_Items(const QString& text) {
    return Read_Sent_Items(Store_File_Bytes(text)).items;
}

QList<SentItem> LoadItems_Sent_Items(const QString& path) {
    return Load_Sent_Items_File(path).items;
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
