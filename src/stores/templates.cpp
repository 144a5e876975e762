#include "stores/templates.h"

#include "appstate/data_paths.h"
#include "composer/message_rules.h"
#include "core/text_helpers.h"
#include "stores/store_file.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <mutex>

#include <sys/stat.h>

namespace tesk::stores {
namespace {

QString recordOf(const QString& text) {
    return Replace_Sent_Item_and_Template_New_Line_with_Seprator(text) + QLatin1Char('\n');
}

}  // namespace

TemplatesFile Read_Templates(const QByteArray& bytes) {
    TemplatesFile file{bytes, {}, {}};
    const QString text = QString::fromUtf8(bytes);
    QHash<QString, int> seen;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            end = text.size();
        }
        const QStringView line = QStringView(text).sliced(start, end - start);
        start = end + 1;
        const QString restored =
            Replace_Sent_Item_and_Template_Seprator_With_New_Line(line.toString());
        if (Trim_Str(restored).isEmpty()) {
            file.lineTemplate.append(-1);
            continue;
        }
        // Compared after the cut, so two long lines that differ only past the limit do not
        // become two equal templates.
        const QString cut = composer::Cut_Message(restored);
        const auto known = seen.constFind(cut);
        if (known != seen.cend()) {
            file.lineTemplate.append(known.value());
            continue;
        }
        seen.insert(cut, static_cast<int>(file.templates.size()));
        file.lineTemplate.append(static_cast<int>(file.templates.size()));
        file.templates.append(cut);
    }
    return file;
}

TemplatesFile Load_Templates_File(const QString& path) {
    return Read_Templates(Read_Store_File(path));
}

QStringList Parse_Templates(const QString& text) {
    return Read_Templates(Store_File_Bytes(text)).templates;
}

QStringList LoadItems_templates(const QString& path) {
    return Load_Templates_File(path).templates;
}

bool Check_Duplicate_Template(const QStringList& templates, const QString& text) {
    return templates.contains(text);
}

QByteArray Templates_File_After(const TemplatesFile& file, const QStringList& templates,
                                const QList<int>& origins) {
    // Where each template of the file stands in the list now (-1: deleted).
    QList<int> listed(file.templates.size(), -1);
    for (int row = 0; row < origins.size(); ++row) {
        if (origins.at(row) >= 0) {
            listed[origins.at(row)] = row;
        }
    }
    const StoreLines lines(file.bytes);
    QList<QByteArray> records;  // written anew; `out` points into them
    QList<QByteArrayView> out;
    out.reserve(lines.size() + templates.size() + 1);
    const auto writeAnew = [&](const QString& text) {
        QByteArray record = recordOf(text).toUtf8();
        record.chop(1);  // the line feed comes with the joining
        records.append(record);
        out.append(records.last());
    };
    // The last line is what follows the last line feed: when empty, it only says that the file
    // ends with one, and whatever is added goes before it.
    const qsizetype last = lines.size() - 1;
    const bool endsWithLineFeed = lines.line(last).isEmpty();
    bool lastAsItWas = true;
    QList<bool> placed(file.templates.size(), false);
    for (qsizetype i = 0; i < (endsWithLineFeed ? last : lines.size()); ++i) {
        const int owner = file.lineTemplate.value(i, -1);
        const int row = owner < 0 ? -1 : listed.at(owner);
        if (owner < 0 || (row >= 0 && templates.at(row) == file.templates.at(owner))) {
            out.append(lines.line(i));
            continue;
        }
        if (row >= 0 && !placed.at(owner)) {
            writeAnew(templates.at(row));  // edited: in the place of its first line
        }
        placed[owner] = true;
        lastAsItWas = i != last;
    }
    for (int row = 0; row < templates.size(); ++row) {
        if (origins.value(row, -1) < 0) {
            writeAnew(templates.at(row));
            lastAsItWas = false;
        }
    }
    // Every record written ends with a line feed, and so does the line before a dropped last one.
    if (!out.isEmpty() && (endsWithLineFeed || !lastAsItWas)) {
        out.append(QByteArrayView());
    }
    return Join_Store_Lines(out, lines.hasMark());
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

namespace {

// What a file looked like when it was last read or appended to. Inode, size and change time
// together change whenever anybody else writes or replaces the file.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec changed{};

    static FileState of(const QString& path) {
        struct stat info {};
        FileState state;
        if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
            state = {info.st_dev, info.st_ino, info.st_size, info.st_ctim};
        }
        return state;
    }
    bool operator==(const FileState& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// The templates of the file the sending runs save into, kept in step with their appends.
struct SavedTemplates {
    QString path;
    FileState state;
    QSet<QString> texts;
};

}  // namespace

bool Save_Composed_Template(const QString& message) {
    const QString text = composer::Cut_Message(message);
    if (Trim_Str(text).isEmpty()) {
        return false;
    }
    // Look, compare and append as one step: two sending threads saving the same message must
    // not both find it missing.
    static std::mutex lock;
    static SavedTemplates known;
    std::lock_guard guard(lock);
    Check_Path_And_Create_Files();
    const FileState now = FileState::of(Templates_Path);
    if (known.path != Templates_Path || !(known.state == now)) {
        // The state is taken before the read, so a change made during it shows next time.
        const QStringList templates = LoadItems_templates(Templates_Path);
        known = {Templates_Path, now, QSet<QString>(templates.cbegin(), templates.cend())};
    }
    if (known.texts.contains(text)) {
        return true;
    }
    // The first record of a file is its start, where a leading U+FEFF needs its own mark.
    const QString record = recordOf(text);
    if (!Append_Store_Record(Templates_Path,
                             now.size <= 0 ? Store_File_Bytes(record) : record.toUtf8())) {
        known.path.clear();  // whatever reached the file, read it again next time
        return false;
    }
    known.texts.insert(text);
    known.state = FileState::of(Templates_Path);
    return true;
}

}  // namespace tesk::stores
