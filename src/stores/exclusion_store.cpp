#include "stores/exclusion_store.h"

#include "appstate/data_paths.h"
#include "composer/import/number_import.h"
#include "composer/number_rules.h"
#include "core/text_helpers.h"
#include "stores/store_file.h"

#include <QFile>
#include <QSet>

namespace tesk::stores {

QStringList Parse_Entries(const QString& text) {
    QStringList entries;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString entry = Trim_Str(line);
        if (!entry.isEmpty()) {
            entries.append(entry);
        }
    }
    return entries;
}

QByteArray Entry_File_Contents(const QStringList& entries) {
    QString text;
    for (const QString& entry : entries) {
        text += entry + QLatin1Char('\n');
    }
    return Store_File_Bytes(text);
}

QStringList Read_Entry_File(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return Parse_Entries(QString::fromUtf8(file.readAll()));
}

bool Write_Entry_File(const QString& path, const QStringList& entries) {
    Check_Path_And_Create_Files();
    return Rewrite_Store_File(path, Entry_File_Contents(entries));
}

QString Exclusion_List_File(const QString& name) {
    return Join_Path(Exclusion_Folder_Path, name + QStringLiteral(".VORN"));
}

QString Check_Exclusion_List_Name(const QString& name, const QStringList& available) {
    const QString trimmed = Trim_Str(name);
    if (trimmed.isEmpty()) {
        return QStringLiteral("Please enter exclusion list name.");
    }
    // Control characters, the Latin-1 upper half and the characters file systems and the
    // store's own paths cannot take.
    static const QString kForbidden = QStringLiteral("/\\?%*|\"<>:");
    for (const QChar c : trimmed) {
        const char16_t u = c.unicode();
        if (u <= 31 || (u >= 128 && u <= 255) || kForbidden.contains(c)) {
            return QStringLiteral("Please enter a valid name.");
        }
    }
    if (trimmed == QLatin1String("ExListIndex")) {
        return QStringLiteral("Please enter the another name.");
    }
    if (available.contains(trimmed)) {
        return QStringLiteral("Entered exclusion list name already exists.");
    }
    return QString();
}

QString Exclusion_Number(const QString& raw, bool typed) {
    const QString number = composer::Clean_Valid_Number(raw);
    if (typed && number.startsWith(QLatin1Char('+'))) {
        return QStringLiteral("00") + number.mid(1);
    }
    return number;
}

QStringList Exclusion_Numbers_From_File(const QString& path, const QStringList& existing, bool* ok,
                                        QString* phoneColumn) {
    const tesk::import::ReadResult read = tesk::import::Read_Import_Text(path);
    *ok = read.ok;
    QStringList added;
    if (!read.ok) {
        return added;
    }
    QSet<QString> seen(existing.cbegin(), existing.cend());
    tesk::import::CandidateNotes notes;
    tesk::import::For_Each_Candidate(
        read.text, tesk::import::Kind_Of(path),
        [&](const QString& candidate) {
            const QString number = Exclusion_Number(candidate, false);
            if (!number.isEmpty() && !seen.contains(number)) {
                seen.insert(number);
                added.append(number);
            }
        },
        nullptr, &notes);
    if (phoneColumn != nullptr) {
        *phoneColumn = notes.phoneColumn;
    }
    return added;
}

QStringList Applied_Exclusion_Numbers() {
    Check_Path_And_Create_Files();
    QStringList numbers;
    for (const QString& name : Read_Entry_File(Applied_Exclusion_Path)) {
        numbers += Read_Entry_File(Exclusion_List_File(name));
    }
    return numbers;
}

}  // namespace tesk::stores
