#include "appcore_test_support.h"
#include "appstate/data_paths.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>
#include <thread>
#include <vector>

namespace {

using tesk::test::RecordingAppView;
using tesk::test::ScopedEnv;
using tesk::test::ScriptedDialogs;

unsigned modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return 0;
    }
    return info.st_mode & 07777;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Everything under `root`: relative path -> (mode, contents or "<dir>", mtime in ns).
struct Entry {
    unsigned mode;
    QByteArray contents;
    long long mtime;
    bool operator==(const Entry&) const = default;
};
std::map<QString, Entry> snapshot(const QString& root) {
    std::map<QString, Entry> result;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        ::lstat(QFile::encodeName(path).constData(), &info);
        const long long mtime = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
        result[QDir(root).relativeFilePath(path)] = {
            modeOf(path), S_ISDIR(info.st_mode) ? QByteArray("<dir>") : contentsOf(path), mtime};
    }
    return result;
}

// Puts every entry's modification time far in the past, so a rewrite would show.
void ageEverything(const QString& root) {
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const auto& [relative, entry] : snapshot(root)) {
        ::utimensat(AT_FDCWD, QFile::encodeName(QDir(root).filePath(relative)).constData(), old,
                    AT_SYMLINK_NOFOLLOW);
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// One start of the program up to the mode window, against `resourceDir`.
bool startWith(const QString& resourceDir, RecordingAppView* view) {
    ScopedEnv resource("TESK_SMS_RESOURCE_DIR", resourceDir);
    tesk::Tesk_SMSAppDelegate app(view);
    tesk::Gsm_Tesk_Sms_Wnd gsm;
    return tesk::Load_Main_Interface(app, gsm);
}

const QStringList kStoreFiles = {QStringLiteral("TESK_SMS_DATA/SentItem.VORN"),
                                 QStringLiteral("TESK_SMS_DATA/SentItemAnd.VORN"),
                                 QStringLiteral("TESK_SMS_DATA/Templates.VORN"),
                                 QStringLiteral("TESK_SMS_DATA/AppExclusion.VORN"),
                                 QStringLiteral("TESK_SMS_DATA/Exclusion/ExListIndex.VORN")};

// Each row removes items after a first start; the next start brings back exactly those and
// leaves everything else as it was, times and the modes the user gave included.
TEST(DataDirectory, NextStartRecreatesOnlyMissingItems) {
    const struct {
        QStringList removedFiles;
        QStringList removedFolders;
    } rows[] = {
        {{}, {}},
        {{QStringLiteral("TESK_SMS_DATA/Exclusion/ExListIndex.VORN")}, {}},
        {{QStringLiteral("TESK_SMS_DATA/SentItemAnd.VORN")}, {}},
        {{QStringLiteral("TESK_SMS_DATA/Templates.VORN"),
          QStringLiteral("TESK_SMS_DATA/AppExclusion.VORN")},
         {}},
        {{}, {QStringLiteral("TESK_SMS_DATA/Exclusion")}},
    };
    const QString data = QStringLiteral("share/tesk-sms/TESK_SMS_DATA");
    const QStringList firstStart = {"700 share",
                                    "700 share/tesk-sms",
                                    "700 " + data,
                                    "600 " + data + "/AppExclusion.VORN",
                                    "700 " + data + "/Exclusion",
                                    "600 " + data + "/Exclusion/ExListIndex.VORN",
                                    "600 " + data + "/SentItem.VORN",
                                    "600 " + data + "/SentItemAnd.VORN",
                                    "600 " + data + "/Templates.VORN"};
    for (const auto& row : rows) {
        SCOPED_TRACE((row.removedFiles + row.removedFolders).join(' ').toStdString());
        QTemporaryDir top;
        RecordingAppView view;
        // The modes do not depend on the umask: this one would leave the owner read-only.
        const mode_t previous = ::umask(0277);
        const bool started = startWith(top.filePath(QStringLiteral("share/tesk-sms")), &view);
        ::umask(previous);
        ASSERT_TRUE(started);
        QStringList created;  // "mode path", files empty
        for (const auto& [path, entry] : snapshot(top.path())) {
            created.append(QString::number(entry.mode, 8) + QLatin1Char(' ') + path);
            EXPECT_TRUE(entry.contents == "<dir>" || entry.contents.isEmpty())
                << path.toStdString();
        }
        EXPECT_EQ(created, firstStart);

        const QDir temp(top.filePath(QStringLiteral("share/tesk-sms")));
        for (const QString& file : kStoreFiles) {
            writeFile(temp.filePath(file), "data\n");
        }
        writeFile(temp.filePath(QStringLiteral("TESK_SMS_DATA/Exclusion/Friends")), "+4912345\n");
        // Modes the user chose for existing items stay.
        ::chmod(QFile::encodeName(temp.filePath(QStringLiteral("TESK_SMS_DATA"))).constData(),
                0750);
        ::chmod(QFile::encodeName(temp.filePath(QStringLiteral("TESK_SMS_DATA/SentItem.VORN")))
                    .constData(),
                0644);
        for (const QString& file : row.removedFiles) {
            ASSERT_TRUE(QFile::remove(temp.filePath(file)));
        }
        for (const QString& folder : row.removedFolders) {
            ASSERT_TRUE(QDir(temp.filePath(folder)).removeRecursively());
        }
        ageEverything(temp.path());
        const std::map<QString, Entry> before = snapshot(temp.path());

        ASSERT_TRUE(startWith(temp.path(), &view));
        QStringList expected = row.removedFiles + row.removedFolders;
        if (!row.removedFolders.isEmpty()) {  // the index inside the removed folder comes back too
            expected.append(QStringLiteral("TESK_SMS_DATA/Exclusion/ExListIndex.VORN"));
        }
        QStringList added;  // a folder changes only when something in it came back
        for (const auto& [path, entry] : snapshot(temp.path())) {
            const auto old = before.find(path);
            if (old == before.end()) {
                added.append(path);
                EXPECT_EQ(entry.mode, entry.contents == "<dir>" ? 0700u : 0600u)
                    << path.toStdString();
                EXPECT_TRUE(entry.contents == "<dir>" || entry.contents.isEmpty());
            } else if (entry.contents != "<dir>" || expected.isEmpty()) {
                EXPECT_EQ(entry, old->second) << path.toStdString();
            }
        }
        EXPECT_EQ(before.at(QStringLiteral("TESK_SMS_DATA")).mode, 0750u);
        EXPECT_EQ(before.at(QStringLiteral("TESK_SMS_DATA/SentItem.VORN")).mode, 0644u);
        added.sort();
        expected.sort();
        EXPECT_EQ(added, expected);
        EXPECT_TRUE(view.log.isEmpty()) << view.log.join('\n').toStdString();
    }
}

TEST(DataDirectory, OneStepThatFailsDoesNotStopTheOthers) {
    QTemporaryDir temp;
    tesk::Set_Data_Paths(temp.path());
    ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("TESK_SMS_DATA")));
    // A folder where the templates file belongs, and a plain file where the Exclusion folder
    // belongs: those two steps fail, all others succeed.
    ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("TESK_SMS_DATA/Templates.VORN")));
    writeFile(Exclusion_Folder_Path, "in the way");
    Check_Path_And_Create_Files();
    EXPECT_EQ(modeOf(Sent_Item_Path), 0600u);
    EXPECT_EQ(modeOf(Sent_Item_Path_Android), 0600u);
    EXPECT_EQ(modeOf(Applied_Exclusion_Path), 0600u);
    EXPECT_TRUE(QFileInfo(Templates_Path).isDir());
    EXPECT_EQ(contentsOf(Exclusion_Folder_Path), "in the way");
    EXPECT_FALSE(QFileInfo::exists(Exclusion_Index_Path));
}

TEST(DataDirectory, ConcurrentCallsCreateEachFileOnce) {
    QTemporaryDir temp;
    tesk::Set_Data_Paths(temp.path());
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([] { Check_Path_And_Create_Files(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const QString& file : kStoreFiles) {
        EXPECT_EQ(modeOf(temp.filePath(file)), 0600u) << file.toStdString();
        EXPECT_EQ(contentsOf(temp.filePath(file)), QByteArray());
    }
}

TEST(DataDirectory, UnreachableResourceDirectoryIsReportedAndEndsTheApplication) {
    QTemporaryDir temp;
    writeFile(temp.filePath(QStringLiteral("file")), "not a folder");
    const auto before = snapshot(temp.path());
    ScriptedDialogs script;
    script.expectNotice(QStringLiteral("Can not access Tesk sms Data file."));
    RecordingAppView view;
    bool reachedFinish = false;
    {
        ScopedEnv resource("TESK_SMS_RESOURCE_DIR", temp.filePath(QStringLiteral("file/sub")));
        tesk::Tesk_SMSAppDelegate app(&view);
        tesk::Gsm_Tesk_Sms_Wnd gsm;
        reachedFinish = tesk::Load_Main_Interface(app, gsm);
        EXPECT_EQ(Main_App_wnd.load(), nullptr);
    }
    EXPECT_FALSE(reachedFinish);
    EXPECT_EQ(script.messages(),
              QStringList{QStringLiteral("\nCan not access Tesk sms Data file.")});
    EXPECT_EQ(view.log, QStringList{QStringLiteral("terminate")});
    EXPECT_EQ(snapshot(temp.path()), before);
}

TEST(DataPaths, JoinPutsExactlyOneSeparator) {
    const struct {
        const char* first;
        const char* second;
        const char* joined;
    } rows[] = {{"/a", "b", "/a/b"}, {"/a/", "b", "/a/b"}, {"/a//", "/b", "/a/b"},
                {"/", "b", "/b"},    {"", "b", "b"},       {"/a", "b/c", "/a/b/c"}};
    for (const auto& row : rows) {
        EXPECT_EQ(tesk::Join_Path(QString::fromUtf8(row.first), QString::fromUtf8(row.second)),
                  QString::fromUtf8(row.joined))
            << row.first << " + " << row.second;
    }
    // The data paths are derived the same way from a resource path written loosely.
    tesk::Set_Data_Paths(QStringLiteral("/srv/tesk//res/"));
    EXPECT_EQ(Resource_Path, QStringLiteral("/srv/tesk/res"));
    EXPECT_EQ(Exclusion_Index_Path,
              QStringLiteral("/srv/tesk/res/TESK_SMS_DATA/Exclusion/ExListIndex.VORN"));
}

TEST(DataPaths, ResourceDirectoryComesFromTheEnvironment) {
    const struct {
        std::optional<QString> resource;
        std::optional<QString> dataHome;
        QString expected;
    } rows[] = {
        {QStringLiteral("/opt/tesk/"), QStringLiteral("/x/data"), QStringLiteral("/opt/tesk")},
        {std::nullopt, QStringLiteral("/x/data"), QStringLiteral("/x/data/tesk-sms")},
        {QString(""), QStringLiteral("/x/data/"), QStringLiteral("/x/data/tesk-sms")},
        {std::nullopt, std::nullopt, QStringLiteral("/home/ann/.local/share/tesk-sms")},
        {std::nullopt, QString(""), QStringLiteral("/home/ann/.local/share/tesk-sms")},
        {std::nullopt, QStringLiteral("relative/data"),
         QStringLiteral("/home/ann/.local/share/tesk-sms")},
    };
    ScopedEnv home("HOME", QStringLiteral("/home/ann"));
    for (const auto& row : rows) {
        ScopedEnv resource("TESK_SMS_RESOURCE_DIR", row.resource);
        ScopedEnv dataHome("XDG_DATA_HOME", row.dataHome);
        EXPECT_EQ(tesk::Resource_Directory(), row.expected)
            << row.resource.value_or("<unset>").toStdString() << " / "
            << row.dataHome.value_or("<unset>").toStdString();
    }
}

}  // namespace
