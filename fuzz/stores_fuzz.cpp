// The three stores on arbitrary file contents. The first byte chooses the store and the use:
// - sent items and templates: load then save unchanged gives the same bytes, whatever they are;
//   deleting one entry (and, for templates, editing one or adding one) changes exactly that
//   entry when the result is loaded again;
// - exclusion entries: load -> rewrite -> load gives the same entries;
// - a record the program writes reads back the same: the rest of the input is cut into fields
//   at 0xFF bytes and stored as a sent item (number, message, date, status), a template or an
//   exclusion entry, as the program would store them.
#include "core/text_helpers.h"
#include "fuzz_check.h"
#include "stores/exclusion_store.h"
#include "stores/sent_items.h"
#include "stores/templates.h"

#include <QRegularExpression>

#include <numeric>

namespace {

using tesk::stores::SentItem;

QString Shown_Items(const QList<SentItem>& items) {
    QStringList parts;
    for (const SentItem& i : items) {
        parts.append(
            tesk::fuzz::Shown(i.Number + u'|' + i.Message + u'|' + i.Date + u'|' + i.Status));
    }
    return parts.join(u' ');
}

void Sent_Items_Round_Trip(const QByteArray& bytes) {
    const tesk::stores::SentItemsFile file = tesk::stores::Read_Sent_Items(bytes);
    QList<int> all(file.items.size());
    std::iota(all.begin(), all.end(), 0);
    FUZZ_CHECK(tesk::stores::Sent_Items_Keeping(file, all) == bytes, Shown_Items(file.items));
    if (file.items.isEmpty()) {
        return;
    }
    const int gone = static_cast<int>(bytes.size() % file.items.size());
    all.removeAt(gone);
    QList<SentItem> left = file.items;
    left.removeAt(gone);
    const QList<SentItem> back =
        tesk::stores::Read_Sent_Items(tesk::stores::Sent_Items_Keeping(file, all)).items;
    FUZZ_CHECK(back == left, Shown_Items(left) + QStringLiteral(" -> ") + Shown_Items(back));
}

QString Shown_List(const QStringList& list) {
    return tesk::fuzz::Shown(list.join(u'|'));
}

void Templates_Round_Trip(const QByteArray& bytes) {
    const tesk::stores::TemplatesFile file = tesk::stores::Read_Templates(bytes);
    QList<int> origins(file.templates.size());
    std::iota(origins.begin(), origins.end(), 0);
    FUZZ_CHECK(tesk::stores::Templates_File_After(file, file.templates, origins) == bytes,
               Shown_List(file.templates));
    // One change at a time, as the window makes them: an edit, a deletion, an addition.
    const QString added = QStringLiteral("\u00A7 added\nby the window");
    if (file.templates.contains(added)) {
        return;
    }
    const auto check = [&](const QStringList& after, const QList<int>& from) {
        const QStringList back =
            tesk::stores::Read_Templates(tesk::stores::Templates_File_After(file, after, from))
                .templates;
        FUZZ_CHECK(back == after, Shown_List(after) + QStringLiteral(" -> ") + Shown_List(back));
    };
    check(file.templates + QStringList{added}, origins + QList<int>{-1});
    if (!file.templates.isEmpty()) {
        const int row = static_cast<int>(bytes.size() % file.templates.size());
        QStringList edited = file.templates;
        edited[row] = added;
        check(edited, origins);
        edited.removeAt(row);
        QList<int> kept = origins;
        kept.removeAt(row);
        check(edited, kept);
    }
}

void Entries_Round_Trip(const QString& text) {
    const QStringList first = tesk::stores::Parse_Entries(text);
    const QByteArray written = tesk::stores::Entry_File_Contents(first);
    const QStringList second = tesk::stores::Parse_Entries(QString::fromUtf8(written));
    FUZZ_CHECK(first == second, tesk::fuzz::Shown(first.join(u'|')) + QStringLiteral(" -> ") +
                                    tesk::fuzz::Shown(second.join(u'|')));
}

// BEL "dd/MM/yyyy" VT, the opening of a written date.
const QRegularExpression kDateOpening(QStringLiteral("\a\\d\\d/\\d\\d/\\d{4}\v"));

// What the program itself stores: a sent item's number holds no VT and no blanks at its ends,
// its date is a date, its status an outcome text without BEL or blanks at its ends. The
// message may hold anything but the line-break marker and a date's opening.
bool Storable(const SentItem& item) {
    const auto unmarked = [](const QString& f) { return !f.contains(kRecordLineBreakMarker); };
    return !item.Number.isEmpty() && item.Number == item.Number.trimmed() &&
           !item.Number.contains(u'\v') && unmarked(item.Number) && unmarked(item.Message) &&
           !item.Message.contains(kDateOpening) && unmarked(item.Status) &&
           !item.Status.contains(u'\a') && item.Status == item.Status.trimmed();
}

// A date as the sending runs write it, its digits taken from the input.
QString Date_From(const QByteArray& bytes) {
    QString digits;
    for (qsizetype i = 0; i < 8; ++i) {
        digits += QChar(u'0' + (i < bytes.size() ? static_cast<uchar>(bytes.at(i)) : 0) % 10);
    }
    return digits.first(2) + u'/' + digits.sliced(2, 2) + u'/' + digits.sliced(4);
}

void Written_Record(const QByteArray& rest, int store) {
    const QList<QByteArray> parts = rest.split('\xFF');
    const auto part = [&](qsizetype i) {
        return i < parts.size() ? QString::fromUtf8(parts.at(i)) : QString();
    };
    if (store == 0) {
        const SentItem item{part(0), part(1), Date_From(parts.value(2)), part(3)};
        if (!Storable(item)) {
            return;
        }
        const QList<SentItem> back = tesk::stores::Parse_Sent_Items(
            QString::fromUtf8(tesk::stores::Sent_Items_File_Contents({item, item}, false)));
        FUZZ_CHECK(back == (QList<SentItem>{item, item}),
                   Shown_Items({item}) + QStringLiteral(" -> ") + Shown_Items(back));
    } else if (store == 1) {
        // A template as the window keeps it: not blank, within the length limit, no marker.
        const QString text = part(0);
        if (text.trimmed().isEmpty() || text.size() > 1600 ||
            text.contains(kRecordLineBreakMarker)) {
            return;
        }
        const QStringList back = tesk::stores::Parse_Templates(
            QString::fromUtf8(tesk::stores::Templates_File_Contents({text})));
        FUZZ_CHECK(back == QStringList{text}, tesk::fuzz::Shown(text) + QStringLiteral(" -> ") +
                                                  tesk::fuzz::Shown(back.join(u'|')));
    } else {
        // An entry as the wizard keeps it: trimmed, on one line.
        const QString entry = part(0).trimmed();
        if (entry.isEmpty() || entry.contains(u'\n')) {
            return;
        }
        const QStringList back = tesk::stores::Parse_Entries(
            QString::fromUtf8(tesk::stores::Entry_File_Contents({entry})));
        FUZZ_CHECK(back == QStringList{entry}, tesk::fuzz::Shown(entry) + QStringLiteral(" -> ") +
                                                   tesk::fuzz::Shown(back.join(u'|')));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    const uint8_t choice = input.Byte() % 6;
    const QByteArray rest = input.Rest();
    if (choice >= 3) {
        Written_Record(rest, choice - 3);
        return 0;
    }
    switch (choice) {
        case 0:
            Sent_Items_Round_Trip(rest);
            break;
        case 1:
            Templates_Round_Trip(rest);
            break;
        default:
            Entries_Round_Trip(QString::fromUtf8(rest));
            break;
    }
    return 0;
}
