#include "stores/store_file.h"
#include "stores/sent_items.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <unistd.h>

#include <thread>

namespace {

using tesk::stores::Rewrite_Store_File;
using tesk::stores::SentItem;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs `body` on a thread whose file-system identity is the unprivileged "nobody", so that
// permissions apply even though the suite runs as root.
template <typename Body>
void asNobody(Body body) {
    std::thread worker([&] {
        if (geteuid() == 0) {
            // Both: with root's group the group bits, not the other bits, would apply.
            setfsgid(65534);
            setfsuid(65534);
            ASSERT_EQ(setfsuid(static_cast<uid_t>(-1)), 65534);
        }
        body();
    });
    worker.join();
}

TEST(RewriteStoreFile, ReplacesTheContentsAndKeepsTheFilePrivate) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Templates.VORN"));
    ASSERT_TRUE(Rewrite_Store_File(path, "first\n"));
    ASSERT_TRUE(Rewrite_Store_File(path, "second\n"));
    EXPECT_EQ(readAll(path), QByteArray("second\n"));
    EXPECT_EQ(QFile::permissions(path),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Templates.VORN"});
}

TEST(RewriteStoreFile, AReadOnlyFolderKeepsTheOldFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
    const QString path = dir.filePath(QStringLiteral("SentItem.VORN"));
    ASSERT_TRUE(Rewrite_Store_File(path, "old records\n"));
    ASSERT_TRUE(QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
    bool rewritten = true;
    bool appended = false;
    asNobody([&] {
        rewritten = Rewrite_Store_File(path, "new records\n");
        // Appending needs no new file, only the file's own write permission.
        appended = tesk::stores::Append_Store_Record(path, "appended\n");
    });
    EXPECT_FALSE(rewritten);
    EXPECT_TRUE(appended);
    EXPECT_EQ(readAll(path), QByteArray("old records\nappended\n"));
}

TEST(AppendStoreRecord, AFileThatCannotBeOpenedIsReported) {
    QTemporaryDir dir;
    EXPECT_FALSE(
        tesk::stores::Append_Store_Record(dir.filePath(QStringLiteral("no/such/dir/f")), "x\n"));
    EXPECT_FALSE(tesk::stores::Append_Store_Record(dir.path(), "x\n"));  // a folder
}

// A process rewrites a 100,000-record store in a loop and is killed at arbitrary moments:
// what is left is always one of the two complete lists, never a cut-off file.
TEST(RewriteStoreFile, AKilledRewriteLeavesTheOldOrTheNewFileWhole) {
    constexpr int kRecords = 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SentItem.VORN"));
    for (int attempt = 0; attempt < 4; ++attempt) {
        QProcess child;
        child.start(QStringLiteral(STORE_REWRITE_CHILD), {path, QString::number(kRecords)});
        ASSERT_TRUE(child.waitForStarted(30000));
        // Let it finish a different number of rewrites each time, then kill it wherever it is.
        QByteArray seen;
        while (seen.count('\n') < 2 + attempt && child.state() == QProcess::Running) {
            child.waitForReadyRead(30000);
            seen += child.readAllStandardOutput();
        }
        child.kill();
        ASSERT_TRUE(child.waitForFinished(30000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << seen.toStdString();

        const QList<SentItem> items = tesk::stores::LoadItems_Sent_Items(path);
        ASSERT_EQ(items.size(), kRecords) << "attempt " << attempt;
        const QString tag = items.first().Status;
        EXPECT_TRUE(tag == QLatin1String("A") || tag == QLatin1String("B"));
        int sameTag = 0;
        for (const SentItem& item : items) {
            sameTag +=
                item.Status == tag && item.Message == tag + QStringLiteral(" message\nsecond line");
        }
        EXPECT_EQ(sameTag, kRecords) << "a mix of two lists";
        EXPECT_EQ(items.last().Number, QStringLiteral("+447700999999"));
    }
}

}  // namespace
