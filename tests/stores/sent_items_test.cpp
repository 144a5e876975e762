#include "stores/sent_items.h"
#include "appstate/selection_state.h"
#include "store_test.h"

#include <QDir>

#include <numeric>
#include <vector>

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

// A record is one line with the marks and the line break marker. A message runs to the mark of
// its date, whatever BELs and VTs it (or its number) carries; numbers and statuses are trimmed, a
// record without a number is skipped.
TEST(SentItemRecords, AreOneLineAndGiveTheEntries) {
    EXPECT_EQ(Sent_Item_Record(
                  {"+447700900123", "Hello\nsee you", "07/12/2026", "Message sent successfully."}),
              QStringLiteral("\a+447700900123\vHello|AP*|DX/see you\a07/12/2026\v"
                             "Message sent successfully.\n"));
    const std::pair<QString, QList<SentItem>> cases[] = {
        {Sent_Item_Record({"0777", "line one\nline two", "01/02/2026", "Done"}),
         {{"0777", "line one\nline two", "01/02/2026", "Done"}}},
        {"\a  111 \vfirst\a01/01/2026\v ok  \a222\vsecond\a02/01/2026\v+CMS ERROR: 500\n",
         {{"111", "first", "01/01/2026", "ok"},
          {"222", "second", "02/01/2026", "+CMS ERROR: 500"}}},
        {"just some text\n\n", {}},
        {"\a444\vonly a message\n", {{"444", "only a message", "", ""}}},
        {"\a\vno number\a01/01/2026\vok\n\a555\vx\a\v\n", {{"555", "x", "", ""}}},
        {Sent_Item_Record({"07\a77", "ring\a\vbell", "01/02/2026", "Done"}) +
             Sent_Item_Record({"0888", "\v\a\v\a\a", "02/02/2026", ""}),
         {{"07\a77", "ring\a\vbell", "01/02/2026", "Done"},
          {"0888", "\v\a\v\a\a", "02/02/2026", ""}}},
        // Without a written date the first BEL ends the message.
        {"\a111\va\ab\vc\n", {{"111", "a", "b", "c"}}}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Parse_Sent_Items(text), expected) << text.toStdString();
    }
}

// Deleting entries cuts out their records and nothing else: foreign lines, undecodable bytes,
// unread records, a last line without a line feed and a byte-order mark stay.
TEST(SentItemDeletion, CutsOnlyTheDeletedRecords) {
    const struct {
        QByteArray file;
        QList<int> kept;
        QByteArray expected;
    } cases[] = {
        {"# kept by hand\n\a1\vbad \xFF\xFE byte\a01/01/2026\vok\n"
         "\a2\vgone\a01/01/2026\vok\n\n\a3\vr\x07ng\v\a01/01/2026\vok\n",
         {0, 2},
         "# kept by hand\n\a1\vbad \xFF\xFE byte\a01/01/2026\vok\n"
         "\n\a3\vr\x07ng\v\a01/01/2026\vok\n"},
        {"\a1\va\a01/01/2026\vok\a2\vb\a02/01/2026\vok\n", {1}, "\a2\vb\a02/01/2026\vok\n"},
        {"\a1\va\a01/01/2026\vok\n\a2\vb\a02/01/2026\vok", {0}, "\a1\va\a01/01/2026\vok\n"},
        {"\xEF\xBB\xBF\a1\va\a01/01/2026\vok\n\a2\vb\a02/01/2026\vok\n",
         {1},
         "\xEF\xBB\xBF\a2\vb\a02/01/2026\vok\n"},
        {"\a1\va\a01/01/2026\vok\n", {}, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const SentItemsFile file = Read_Sent_Items(c.file);
        EXPECT_EQ(Sent_Items_Keeping(file, c.kept), c.expected);
        QList<int> all(file.items.size());
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(Sent_Items_Keeping(file, all), c.file);
    }
}

using SentItemFiles = DataFolderTest;

// Thirty-two sending threads append at once, to a data folder that has gone missing; every
// record must come out whole and exactly once, whatever the interleaving of the threads.
TEST_F(SentItemFiles, ThirtyTwoThreadsAppendWithoutInterleaving) {
    ASSERT_TRUE(QDir(Tesk_SMS_Data_Folder_Path).removeRecursively());
    EXPECT_TRUE(LoadItems_Sent_Items(Sent_Item_Path).isEmpty());
    constexpr int kThreads = 32;
    constexpr int kEach = 200;
    // Long enough that a torn write would show: a full-length message with line breaks.
    const QString body = QString(1590, QLatin1Char('x')) + "\nend";
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &body] {
            for (int i = 0; i < kEach; ++i) {
                Append_Sent_Item(
                    1, {QStringLiteral("%1%2").arg(t + 10).arg(i, 4, 10, QLatin1Char('0')), body,
                        "07/12/2026", "Message sent successfully."});
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const SentItem android{"222", "android", "07/12/2026", "Sent"};  // to its own file
    ASSERT_TRUE(Append_Sent_Item(tesk::kAndroidMode, android));
    EXPECT_EQ(LoadItems_Sent_Items(Sent_Item_Path_Android), QList<SentItem>{android});
    const QString text = QString::fromUtf8(readBytes(Sent_Item_Path));
    const QList<SentItem> items = Parse_Sent_Items(text);
    ASSERT_EQ(items.size(), kThreads * kEach);
    QSet<QString> numbers;
    for (const SentItem& item : items) {
        EXPECT_EQ(item.Message, body);
        EXPECT_EQ(item.Status, "Message sent successfully.");
        numbers.insert(item.Number);
    }
    EXPECT_EQ(numbers.size(), kThreads * kEach);
}

}  // namespace
