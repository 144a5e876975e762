// The three stores on arbitrary file contents. The first byte chooses the store and the use:
// - load -> rewrite -> load gives the same records (sent items, templates, exclusion entries),
//   and rewriting once more gives the same bytes: nothing drifts from one window session to the
//   next;
// - a record the program writes reads back the same: the rest of the input is cut into fields
//   at 0xFF bytes and stored as a sent item (number, message, date, status), a template or an
//   exclusion entry, as the program would store them.
#include "core/text_helpers.h"
#include "fuzz_check.h"
#include "stores/exclusion_store.h"
#include "stores/sent_items.h"
#include "stores/templates.h"

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

void Sent_Items_Round_Trip(const QString& text) {
    const QList<SentItem> first = tesk::stores::Parse_Sent_Items(text);
    const QByteArray written = tesk::stores::Sent_Items_File_Contents(first, false);
    const QList<SentItem> second = tesk::stores::Parse_Sent_Items(QString::fromUtf8(written));
    FUZZ_CHECK(first == second, Shown_Items(first) + QStringLiteral(" -> ") + Shown_Items(second));
    FUZZ_CHECK(tesk::stores::Sent_Items_File_Contents(second, false) == written,
               Shown_Items(first));
}

void Templates_Round_Trip(const QString& text) {
    const QStringList first = tesk::stores::Parse_Templates(text);
    const QByteArray written = tesk::stores::Templates_File_Contents(first);
    const QStringList second = tesk::stores::Parse_Templates(QString::fromUtf8(written));
    FUZZ_CHECK(first == second, tesk::fuzz::Shown(first.join(u'|')) + QStringLiteral(" -> ") +
                                    tesk::fuzz::Shown(second.join(u'|')));
}

void Entries_Round_Trip(const QString& text) {
    const QStringList first = tesk::stores::Parse_Entries(text);
    const QByteArray written = tesk::stores::Entry_File_Contents(first);
    const QStringList second = tesk::stores::Parse_Entries(QString::fromUtf8(written));
    FUZZ_CHECK(first == second, tesk::fuzz::Shown(first.join(u'|')) + QStringLiteral(" -> ") +
                                    tesk::fuzz::Shown(second.join(u'|')));
}

// What the program itself stores: a sent item's number is a cleaned number, its fields hold
// none of the record marks, its status is an outcome text without blanks at its ends.
bool Storable(const SentItem& item) {
    const auto plain = [](const QString& f) {
        return !f.contains(u'\a') && !f.contains(kRecordLineBreakMarker);
    };
    return !item.Number.isEmpty() && item.Number == item.Number.trimmed() &&
           !item.Number.contains(u'\v') && plain(item.Number) && plain(item.Message) &&
           plain(item.Date) && !item.Date.contains(u'\v') && plain(item.Status) &&
           item.Status == item.Status.trimmed();
}

void Written_Record(const QByteArray& rest, int store) {
    const QList<QByteArray> parts = rest.split('\xFF');
    const auto part = [&](qsizetype i) {
        return i < parts.size() ? QString::fromUtf8(parts.at(i)) : QString();
    };
    if (store == 0) {
        const SentItem item{part(0), part(1), part(2), part(3)};
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
    // As the loaders read their files.
    const QString text = QString::fromUtf8(rest);
    switch (choice) {
        case 0:
            Sent_Items_Round_Trip(text);
            break;
        case 1:
            Templates_Round_Trip(text);
            break;
        default:
            Entries_Round_Trip(text);
            break;
    }
    return 0;
}
