#pragma once
// The sent-items store: one flat file per sending mode, one line per handled message.
//
// A record is BEL number VT message BEL date VT status, followed by "\n"; line feeds inside
// it are stored as the line-break marker so that a record never spans lines. Reading is
// tolerant: a line may hold several records, a missing mark leaves its field empty, and an
// entry without a number is dropped.
//
// The message runs up to the BEL that opens the date as this program writes it (BEL, "dd/MM/
// yyyy", VT), so a message may carry BELs and VTs of its own (only that exact sequence inside a
// message would read as the end of it); in a record without such a date the first BEL ends the
// message. Numbers never hold a VT (they are digits and signs), so the first VT ends the number.
#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace tesk::stores {

inline const QString kDateKey = QStringLiteral("Date");
inline const QString kStatusKey = QStringLiteral("Status");

struct SentItem {
    QString Number;
    QString Message;
    QString Date;    // "dd/MM/yyyy"
    QString Status;  // the outcome text; "" in the Android file once the window rewrote it

    // "Number", "Message", "Date" or "Status"; any other key reads "" and writes nothing.
    QString value(const QString& key) const;
    void setValue(const QString& key, const QString& text);
    bool operator==(const SentItem&) const = default;
};

// The record line of one sent item, line-break marker applied, "\n" at the end.
QString Sent_Item_Record(const SentItem& item);

// The file of the mode: Sent_Item_Path for GSM (1), Sent_Item_Path_Android for Android (2).
QString Sent_Item_File(int mode);

// What a sending thread calls after each message when Save Sent Items is on: makes sure the
// data files exist, then appends the record in one piece. Safe from any number of threads.
// False when the file could not be written (the run carries on regardless).
bool Append_Sent_Item(int mode, const SentItem& item);

// A sent-items file as read: its bytes, its entries, and where each entry's record stands in the
// bytes, so that deleting entries can leave every other byte as it was (lines that hold no
// record, bytes that are not UTF-8, records written by other programs).
struct SentItemsFile {
    QByteArray bytes;
    QList<SentItem> items;
    QList<std::pair<qsizetype, qsizetype>> records;  // per entry: [from, to) in bytes
};
SentItemsFile Read_Sent_Items(const QByteArray& bytes);
// A missing or unreadable file reads as an empty one.
SentItemsFile Load_Sent_Items_File(const QString& path);
// The file's bytes once only the entries `kept` (indexes into its entries, ascending) are left:
// the records of the others are cut out, and a line left empty goes with its line feed.
// Uses the bytes and the records only.
QByteArray Sent_Items_Keeping(const SentItemsFile& file, const QList<int>& kept);

// Every entry of the text, in order (the whole file's contents as read).
QList<SentItem> Parse_Sent_Items(const QString& text);
// The entries of a file; a missing or unreadable file gives none.
QList<SentItem> LoadItems_Sent_Items(const QString& path);

// The contents of a new file holding the list, in list order; clearStatus writes every status
// as "".
QByteArray Sent_Items_File_Contents(const QList<SentItem>& items, bool clearStatus);
// Writes a new file holding the list, atomically. False (old file kept) when it cannot.
bool Rewrite_Sent_Items(const QString& path, const QList<SentItem>& items, bool clearStatus);

}  // namespace tesk::stores
