#include "stores/sent_items.h"
#include "appcore/data_paths.h"
#include "support/param_names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using tesk::stores::LoadItems_Sent_Items;
using tesk::stores::Parse_Sent_Items;
using tesk::stores::Sent_Item_Record;
using tesk::stores::SentItem;

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(SentItemRecord, IsOneLineWithTheMarksAndTheLineBreakMarker) {
    const SentItem item{"+447700900123", "Hello\nsee you", "07/12/2026",
                        "Message sent successfully."};
    EXPECT_EQ(Sent_Item_Record(item),
              QStringLiteral("\a+447700900123\vHello|AP*|DX/see you\a07/12/2026\v"
                             "Message sent successfully.\n"));
}

struct ParseCase {
    const char* name;
    QString text;
    QList<SentItem> expected;
};

class SentItemParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(SentItemParsing, GivesTheEntries) {
    EXPECT_EQ(Parse_Sent_Items(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Store, SentItemParsing,
    ::testing::Values(
        ParseCase{"two_line_message_round_trip",
                  Sent_Item_Record({"0777", "line one\nline two", "01/02/2026", "Done"}),
                  {{"0777", "line one\nline two", "01/02/2026", "Done"}}},
        ParseCase{"two_records_on_one_line",
                  "\a111\vfirst\a01/01/2026\vok\a222\vsecond\a02/01/2026\v+CMS ERROR: 500\n",
                  {{"111", "first", "01/01/2026", "ok"},
                   {"222", "second", "02/01/2026", "+CMS ERROR: 500"}}},
        ParseCase{"status_trimmed_wherever_it_stands",
                  "\a111\vfirst\a01/01/2026\v ok  \a222\vsecond\a02/01/2026\v done \n",
                  {{"111", "first", "01/01/2026", "ok"}, {"222", "second", "02/01/2026", "done"}}},
        ParseCase{"line_without_marks", "just some text\n\n", {}},
        ParseCase{"number_is_trimmed",
                  "\a  333 \vm\a03/01/2026\vok\n",
                  {{"333", "m", "03/01/2026", "ok"}}},
        ParseCase{"missing_date_and_status",
                  "\a444\vonly a message\n",
                  {{"444", "only a message", "", ""}}},
        ParseCase{"empty_number_is_skipped",
                  "\a\vno number\a01/01/2026\vok\n\a555\vx\a\v\n",
                  {{"555", "x", "", ""}}},
        ParseCase{"empty_status_as_android_writes_it",
                  "\a666\vhi\a04/01/2026\v\n",
                  {{"666", "hi", "04/01/2026", ""}}},
        ParseCase{"last_line_without_line_feed",
                  "\a777\vend\a05/01/2026\vok",
                  {{"777", "end", "05/01/2026", "ok"}}},
        ParseCase{"stray_marks_only", "\v\a\v\n\v\n\a\v\n", {}}),
    tesk::test::ByCaseName());

class SentItemFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        tesk::Set_Data_Paths(dir_.path());
        Check_Path_And_Create_Files();
    }
    QTemporaryDir dir_;
};

TEST_F(SentItemFiles, EachModeAppendsToItsOwnFile) {
    ASSERT_TRUE(tesk::stores::Append_Sent_Item(
        1, {"111", "gsm", "07/12/2026", "Message sent successfully."}));
    ASSERT_TRUE(tesk::stores::Append_Sent_Item(2, {"222", "android", "07/12/2026", "Sent"}));
    EXPECT_EQ(LoadItems_Sent_Items(Sent_Item_Path),
              (QList<SentItem>{{"111", "gsm", "07/12/2026", "Message sent successfully."}}));
    EXPECT_EQ(LoadItems_Sent_Items(Sent_Item_Path_Android),
              (QList<SentItem>{{"222", "android", "07/12/2026", "Sent"}}));
}

TEST_F(SentItemFiles, AppendRecreatesAMissingDataFolder) {
    ASSERT_TRUE(QDir(Tesk_SMS_Data_Folder_Path).removeRecursively());
    ASSERT_TRUE(tesk::stores::Append_Sent_Item(1, {"111", "m", "07/12/2026", "ok"}));
    EXPECT_EQ(LoadItems_Sent_Items(Sent_Item_Path).size(), 1);
    EXPECT_TRUE(QFile::exists(Exclusion_Index_Path));
}

TEST_F(SentItemFiles, AndroidRewriteStoresEmptyStatuses) {
    const QList<SentItem> items{{"111", "a\nb", "01/01/2026", "Sent"},
                                {"222", "c", "02/01/2026", "Sent"}};
    ASSERT_TRUE(tesk::stores::Rewrite_Sent_Items(Sent_Item_Path_Android, items, true));
    EXPECT_EQ(LoadItems_Sent_Items(Sent_Item_Path_Android),
              (QList<SentItem>{{"111", "a\nb", "01/01/2026", ""}, {"222", "c", "02/01/2026", ""}}));
    ASSERT_TRUE(tesk::stores::Rewrite_Sent_Items(Sent_Item_Path, items, false));
    EXPECT_EQ(LoadItems_Sent_Items(Sent_Item_Path), items);
}

TEST_F(SentItemFiles, MissingFileLoadsAsEmpty) {
    EXPECT_TRUE(LoadItems_Sent_Items(dir_.filePath(QStringLiteral("nothing.VORN"))).isEmpty());
}

// Thirty-two sending threads append at once; every record must come out whole and exactly
// once, whatever the interleaving of the threads.
TEST_F(SentItemFiles, ThirtyTwoThreadsAppendWithoutInterleaving) {
    constexpr int kThreads = 32;
    constexpr int kEach = 200;
    // Long enough that a torn write would show: a full-length message with line breaks.
    const QString body = QString(1590, QLatin1Char('x')) + QStringLiteral("\nend");
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &body] {
            for (int i = 0; i < kEach; ++i) {
                tesk::stores::Append_Sent_Item(
                    1,
                    {QStringLiteral("%1%2").arg(t + 10).arg(i, 4, 10, QLatin1Char('0')), body,
                     QStringLiteral("07/12/2026"), QStringLiteral("Message sent successfully.")});
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const QString text = readAll(Sent_Item_Path);
    EXPECT_EQ(text.count(QLatin1Char('\n')), kThreads * kEach);
    const QList<SentItem> items = Parse_Sent_Items(text);
    ASSERT_EQ(items.size(), kThreads * kEach);
    QSet<QString> numbers;
    for (const SentItem& item : items) {
        EXPECT_EQ(item.Message, body);
        EXPECT_EQ(item.Status, QStringLiteral("Message sent successfully."));
        numbers.insert(item.Number);
    }
    EXPECT_EQ(numbers.size(), kThreads * kEach);
}

}  // namespace
