#include "delivery/inbox.h"

#include "appstate/data_paths.h"
#include "delivery/record_fields.h"
#include "delivery/shared_store.h"
#include "stores/exclusion_store.h"
#include "stores/store_file.h"

#include <QFile>

namespace tesk::delivery {
namespace {

QString stopWordsFile() {
    return Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("StopWords.VORN"));
}

QString normalisedWord(const QString& text) {
    QString word;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            word.append(c.toUpper());
        }
    }
    while (!word.isEmpty() && QStringLiteral(".!,;").contains(word.back())) {
        word.chop(1);
    }
    return word;
}

// Adds `entry` to the file of lines when it is not there yet.
bool addLine(const QString& path, const QString& entry, bool* added = nullptr) {
    QStringList entries = stores::Read_Entry_File(path);
    if (entries.contains(entry)) {
        return true;
    }
    entries.append(entry);
    if (added) {
        *added = true;
    }
    return stores::Write_Entry_File(path, entries);
}

}  // namespace

QStringList Default_Stop_Words() {
    return {QStringLiteral("STOP"),   QStringLiteral("STOPALL"), QStringLiteral("UNSUBSCRIBE"),
            QStringLiteral("CANCEL"), QStringLiteral("END"),     QStringLiteral("QUIT")};
}

QStringList Stop_Words() {
    if (!QFile::exists(stopWordsFile())) {
        return Default_Stop_Words();
    }
    return stores::Read_Entry_File(stopWordsFile());
}

bool Save_Stop_Words(const QStringList& words) {
    return stores::Write_Entry_File(stopWordsFile(), words);
}

bool Is_Stop_Word(const QString& text, const QStringList& words) {
    const QString word = normalisedWord(text);
    if (word.isEmpty()) {
        return false;
    }
    for (const QString& stopWord : words) {
        if (normalisedWord(stopWord) == word) {
            return true;
        }
    }
    return false;
}

bool Add_Opt_Outs(const QStringList& numbers) {
    // Applied from its first use; a user who later takes it out of the applied lists keeps
    // that choice, since it is applied only when the list is new.
    bool listIsNew = false;
    bool ok = addLine(Exclusion_Index_Path, kOptOutListName, &listIsNew);
    if (listIsNew) {
        ok = addLine(Applied_Exclusion_Path, kOptOutListName) && ok;
    }
    const QString listFile = stores::Exclusion_List_File(kOptOutListName);
    QStringList entries = stores::Read_Entry_File(listFile);
    bool changed = !QFile::exists(listFile);
    for (const QString& number : numbers) {
        if (!number.isEmpty() && !entries.contains(number)) {
            entries.append(number);
            changed = true;
        }
    }
    if (changed) {
        ok = stores::Write_Entry_File(listFile, entries) && ok;
    }
    return ok;
}

Inbox::Inbox(QString path) : path_(std::move(path)) {}

QString Inbox::Default_File() {
    return Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("Inbox.VORN"));
}

std::shared_ptr<Inbox> Inbox::Shared() {
    return Shared_For_File<Inbox>(Default_File());
}

bool Inbox::Store(const InboxMessage& message) {
    const QByteArray record =
        Join_Record({QStringLiteral("M"), message.receivedAt.toUTC().toString(Qt::ISODateWithMs),
                     message.device, message.sender, message.sentAt.toString(Qt::ISODate),
                     message.optOut ? QStringLiteral("1") : QStringLiteral("0"), message.text});
    std::lock_guard lock(mutex_);
    return stores::Append_Store_Record(path_, record);
}

QList<InboxMessage> Inbox::Messages() const {
    QByteArray bytes;
    {
        std::lock_guard lock(mutex_);
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        bytes = file.readAll();
    }
    QList<InboxMessage> messages;
    for (const QByteArray& line : bytes.split('\n')) {
        const QStringList fields = Split_Record(line);
        if (fields.size() != 7 || fields[0] != QLatin1String("M")) {
            continue;
        }
        InboxMessage message;
        message.receivedAt = QDateTime::fromString(fields[1], Qt::ISODateWithMs);
        message.device = fields[2];
        message.sender = fields[3];
        message.sentAt = QDateTime::fromString(fields[4], Qt::ISODate);
        message.optOut = fields[5] == QLatin1String("1");
        message.text = fields[6];
        messages.append(message);
    }
    return messages;
}

}  // namespace tesk::delivery
