#include "appcore_test_support.h"
#include "appstate/data_paths.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
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

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<dir>");
}

// Everything under `root`, relative path -> "mode time contents"; `age` first puts every time far
// in the past ("old"), so a rewrite shows as "new".
std::map<QString, QString> snapshot(const QString& root, bool age = false) {
    std::map<QString, QString> result;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        if (age) {
            ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, AT_SYMLINK_NOFOLLOW);
        }
        struct stat info {};
        ::lstat(QFile::encodeName(path).constData(), &info);
        result[QDir(root).relativeFilePath(path)] =
            QStringLiteral("%1 %2 ")
                .arg(info.st_mode & 07777, 0, 8)
                .arg(info.st_mtim.tv_sec == 1000000000 ? "old" : "new") +
            QString::fromUtf8(contentsOf(path));
    }
    return result;
}

// Only new private items: folders 0700, files 0600 and empty.
void expectFresh(const QString& root, size_t count) {
    const std::map<QString, QString> tree = snapshot(root);
    EXPECT_EQ(tree.size(), count);
    for (const auto& [path, entry] : tree) {
        EXPECT_EQ(entry, path.endsWith("VORN") ? "600 new " : "700 new <dir>")
            << path.toStdString();
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

bool startWith(const QString& resourceDir, RecordingAppView* view) {
    ScopedEnv resource("TESK_SMS_RESOURCE_DIR", resourceDir);
    tesk::Tesk_SMSAppDelegate app(view);
    tesk::Gsm_Tesk_Sms_Wnd gsm;
    return tesk::Load_Main_Interface(app, gsm);
}

const QStringList kStoreFiles = {"TESK_SMS_DATA/SentItem.VORN", "TESK_SMS_DATA/SentItemAnd.VORN",
                                 "TESK_SMS_DATA/Templates.VORN", "TESK_SMS_DATA/AppExclusion.VORN",
                                 "TESK_SMS_DATA/Exclusion/ExListIndex.VORN"};

// The first start creates the private folders and empty files whatever the umask; each row then
// removes items, and the next start brings back exactly those and leaves everything else as it
// was, times, contents and the modes the user gave included.
TEST(DataDirectory, NextStartRecreatesOnlyMissingItems) {
    QTemporaryDir top;
    RecordingAppView view;
    const mode_t previous = ::umask(0277);  // would leave the owner read-only
    const bool started = startWith(top.filePath(QStringLiteral("share/tesk-sms")), &view);
    ::umask(previous);
    ASSERT_TRUE(started);
    expectFresh(top.path(), 9);  // share, tesk-sms, the data and exclusion folders, files
    const QDir temp(top.filePath(QStringLiteral("share/tesk-sms")));
    for (const QString& file : kStoreFiles) {
        writeFile(temp.filePath(file), "data\n");
    }
    ::chmod(QFile::encodeName(temp.filePath("TESK_SMS_DATA")).constData(), 0750);
    ::chmod(QFile::encodeName(temp.filePath(kStoreFiles[0])).constData(), 0644);
    const QStringList rows[] = {{kStoreFiles[1]}, {"TESK_SMS_DATA/Exclusion", kStoreFiles[4]}};
    for (const QStringList& removed : rows) {
        SCOPED_TRACE(removed.join(' ').toStdString());
        ASSERT_TRUE(QFile::remove(temp.filePath(removed[0])) ||
                    QDir(temp.filePath(removed[0])).removeRecursively());
        std::map<QString, QString> expected = snapshot(temp.path(), true);
        for (const QString& item : removed) {  // back new and empty, and its folder changed
            expected[item] = item.endsWith("VORN") ? "600 new " : "700 new <dir>";
            expected[item.section('/', 0, -2)].replace("old", "new");
        }
        ASSERT_TRUE(startWith(temp.path(), &view));
        EXPECT_EQ(snapshot(temp.path()), expected);
    }
    EXPECT_TRUE(view.log.isEmpty()) << view.log.join('\n').toStdString();
}

TEST(DataDirectory, OneStepThatFailsDoesNotStopTheOthers) {
    QTemporaryDir temp;
    tesk::Set_Data_Paths(temp.path());
    // A folder where the templates file belongs, and a plain file where the Exclusion folder
    // belongs: those two steps fail, all others succeed.
    ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("TESK_SMS_DATA/Templates.VORN")));
    writeFile(Exclusion_Folder_Path, "in the way");
    Check_Path_And_Create_Files();
    const std::map<QString, QString> tree = snapshot(temp.path());
    EXPECT_EQ(tree.size(), 6u);  // no exclusion index
    for (const int made : {0, 1, 3}) {
        EXPECT_EQ(tree.at(kStoreFiles[made]), "600 new ");
    }
    EXPECT_EQ(tree.at("TESK_SMS_DATA/Exclusion").mid(4), "new in the way");
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
    expectFresh(temp.path(), 7);
}

TEST(DataDirectory, UnreachableResourceDirectoryIsReportedAndEndsTheApplication) {
    QTemporaryDir temp;
    writeFile(temp.filePath(QStringLiteral("file")), "not a folder");
    tesk::test::ScriptedDialogs script;
    script.expectNotice(QStringLiteral("\nCan not access Tesk sms Data file."));
    RecordingAppView view;
    EXPECT_FALSE(startWith(temp.filePath(QStringLiteral("file/sub")), &view));
    EXPECT_EQ(Main_App_wnd.load(), nullptr);
    EXPECT_EQ(view.log, QStringList{QStringLiteral("terminate")});
}

TEST(DataPaths, JoinPutsExactlyOneSeparatorAndTheResourceComesFromTheEnvironment) {
    const char* joins[][3] = {{"/a//", "/b", "/a/b"}, {"/", "b", "/b"}, {"", "b", "b"}};
    for (const auto& row : joins) {
        EXPECT_EQ(tesk::Join_Path(row[0], row[1]), QString::fromUtf8(row[2])) << row[0];
    }
    const struct {
        std::optional<QString> resource, dataHome;
        QString expected;
    } rows[] = {
        {"/opt/tesk/", "/x/data", "/opt/tesk"},
        {QString(""), "/x/data/", "/x/data/tesk-sms"},
        {std::nullopt, "relative/data", "/home/ann/.local/share/tesk-sms"},
    };
    ScopedEnv home("HOME", QStringLiteral("/home/ann"));
    for (const auto& row : rows) {
        ScopedEnv resource("TESK_SMS_RESOURCE_DIR", row.resource);
        ScopedEnv dataHome("XDG_DATA_HOME", row.dataHome);
        EXPECT_EQ(tesk::Resource_Directory(), row.expected) << row.expected.toStdString();
    }
}

}  // namespace
