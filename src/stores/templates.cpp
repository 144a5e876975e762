#include "stores/templates.h"

#include "appcore/data_paths.h"
#include "composer/message_rules.h"
#include "core/text_helpers.h"
#include "stores/store_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <mutex>

namespace tesk::stores {
namespace {

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString recordOf(const QString& text) {
    return Replace_Sent_Item_and_Template_New_Line_with_Seprator(text) + QLatin1Char('\n');
}

}  // namespace

QStringList Parse_Templates(const QString& text) {
    QStringList templates;
    QSet<QString> seen;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) {
            continue;
        }
        const QString restored = Replace_Sent_Item_and_Template_Seprator_With_New_Line(line);
        if (Trim_Str(restored).isEmpty()) {
            continue;
        }
        // Compared after the cut, so two long lines that differ only past the limit do not
        // become two equal templates.
        const QString cut = composer::Cut_Message(restored);
        if (!seen.contains(cut)) {
            seen.insert(cut);
            templates.append(cut);
        }
    }
    return templates;
}

QStringList LoadItems_templates(const QString& path) {
    return Parse_Templates(readFile(path));
}

bool Check_Duplicate_Template(const QStringList& templates, const QString& text) {
    return templates.contains(text);
}

QByteArray Templates_File_Contents(const QStringList& templates) {
    QString text;
    for (const QString& entry : templates) {
        text += recordOf(entry);
    }
    return Store_File_Bytes(text);
}

bool Write_Template_file(const QString& path, const QStringList& templates) {
    Check_Path_And_Create_Files();
    return Rewrite_Store_File(path, Templates_File_Contents(templates));
}

bool Save_Composed_Template(const QString& message) {
    const QString text = composer::Cut_Message(message);
    if (Trim_Str(text).isEmpty()) {
        return false;
    }
    // Read, compare and append as one step: two sending threads saving the same message must
    // not both find it missing.
    static std::mutex lock;
    std::lock_guard guard(lock);
    Check_Path_And_Create_Files();
    if (Check_Duplicate_Template(LoadItems_templates(Templates_Path), text)) {
        return true;
    }
    // The first record of a file is its start, where a leading U+FEFF needs its own mark.
    const bool first = QFileInfo(Templates_Path).size() == 0;
    const QString record = recordOf(text);
    return Append_Store_Record(Templates_Path, first ? Store_File_Bytes(record) : record.toUtf8());
}

}  // namespace tesk::stores
