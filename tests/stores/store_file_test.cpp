#include "stores/store_file.h"
#include "store_test.h"
#include "stores/sent_items.h"

#include <QDir>
#include <QProcess>

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

TEST(RewriteStoreFile, ReplacesTheContentsAndKeepsTheFilePrivate) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Templates.VORN");
    ASSERT_TRUE(Rewrite_Store_File(path, "first\n"));
    ASSERT_TRUE(Rewrite_Store_File(path, "second\n"));
    EXPECT_EQ(readBytes(path), QByteArray("second\n"));
    EXPECT_EQ(QFile::permissions(path),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Templates.VORN"});
    // An append to what cannot be opened is reported.
    EXPECT_FALSE(Append_Store_Record(dir.filePath("no/such/dir/f"), "x\n"));
}

TEST(RewriteStoreFile, AReadOnlyFolderKeepsTheOldFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
    const QString path = dir.filePath("SentItem.VORN");
    ASSERT_TRUE(Rewrite_Store_File(path, "old records\n"));
    ASSERT_TRUE(QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
    bool rewritten = true;
    bool appended = false;
    asNobody([&] {
        rewritten = Rewrite_Store_File(path, "new records\n");
        // Appending needs no new file, only the file's own write permission.
        appended = Append_Store_Record(path, "appended\n");
    });
    EXPECT_FALSE(rewritten);
    EXPECT_TRUE(appended);
    EXPECT_EQ(readBytes(path), QByteArray("old records\nappended\n"));
}

// A process rewrites a 100,000-record store in a loop and is killed at arbitrary moments:
// what is left is always one of the two complete lists, never a cut-off file.
TEST(RewriteStoreFile, AKilledRewriteLeavesTheOldOrTheNewFileWhole) {
    constexpr int kRecords = 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath("SentItem.VORN");
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

        const QList<SentItem> items = LoadItems_Sent_Items(path);
        ASSERT_EQ(items.size(), kRecords) << "attempt " << attempt;
        const QString tag = items.first().Status;
        EXPECT_TRUE(tag == QLatin1String("A") || tag == QLatin1String("B"));
        int sameTag = 0;
        for (const SentItem& item : items) {
            sameTag += item.Status == tag && item.Message == tag + " message\nsecond line";
        }
        EXPECT_EQ(sameTag, kRecords) << "a mix of two lists";
        EXPECT_EQ(items.last().Number, "+447700999999");
    }
}

}  // namespace
