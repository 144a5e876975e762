#include "stores/sent_items.h"
#include "appstate/data_paths.h"
#include "support/param_names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>
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
        ParseCase{"stray_marks_only", "\v\a\v\n\v\n\a\v\n", {}},
        // A message runs to the mark of its date, whatever BELs and VTs it carries itself.
        ParseCase{"bel_and_vt_in_message_and_number_round_trip",
                  Sent_Item_Record({"07\a77", "ring\a\vbell", "01/02/2026", "Done"}) +
                      Sent_Item_Record({"0888", "\v\a\v\a\a", "02/02/2026", "ok"}) +
                      Sent_Item_Record({"0999", "tab\v\aonly", "03/02/2026", ""}),
                  {{"07\a77", "ring\a\vbell", "01/02/2026", "Done"},
                   {"0888", "\v\a\v\a\a", "02/02/2026", "ok"},
                   {"0999", "tab\v\aonly", "03/02/2026", ""}}},
        ParseCase{"bel_in_message_of_second_record_on_a_line",
                  "\a111\va\ab\a01/01/2026\vok\a222\vc\vd\a02/01/2026\vdone\n",
                  {{"111", "a\ab", "01/01/2026", "ok"}, {"222", "c\vd", "02/01/2026", "done"}}},
        ParseCase{"without_a_written_date_the_first_bel_ends_the_message",
                  "\a111\va\ab\vc\n",
                  {{"111", "a", "b", "c"}}}),
    tesk::test::ByCaseName());

// Deleting entries cuts out their records and nothing else.
struct KeepingCase {
    const char* name;
    QByteArray file;
    QList<int> kept;
    QByteArray expected;
};

class SentItemDeletion : public ::testing::TestWithParam<KeepingCase> {};

TEST_P(SentItemDeletion, CutsOnlyTheDeletedRecords) {
    const tesk::stores::SentItemsFile file = tesk::stores::Read_Sent_Items(GetParam().file);
    EXPECT_EQ(tesk::stores::Sent_Items_Keeping(file, GetParam().kept), GetParam().expected);
    QList<int> all(file.items.size());
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(tesk::stores::Sent_Items_Keeping(file, all), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Store, SentItemDeletion,
    ::testing::Values(
        KeepingCase{"foreign_lines_and_bytes_stay",
                    "# kept by hand\n\a1\vbad \xFF\xFE byte\a01/01/2026\vok\n"
                    "\a2\vgone\a01/01/2026\vok\n\n\a3\vr\x07ng\v\a01/01/2026\vok\n",
                    {0, 2},
                    "# kept by hand\n\a1\vbad \xFF\xFE byte\a01/01/2026\vok\n"
                    "\n\a3\vr\x07ng\v\a01/01/2026\vok\n"},
        KeepingCase{"one_of_two_records_on_a_line",
                    "\a1\va\a01/01/2026\vok\a2\vb\a02/01/2026\vok\n",
                    {1},
                    "\a2\vb\a02/01/2026\vok\n"},
        KeepingCase{"record_between_an_unread_one_and_another",
                    "\a\vno number\a01/01/2026\vok\a1\va\a01/01/2026\vok\a2\vb\a02/01/2026\vok",
                    {1},
                    "\a\vno number\a01/01/2026\vok\a2\vb\a02/01/2026\vok"},
        KeepingCase{"last_line_without_line_feed",
                    "\a1\va\a01/01/2026\vok\n\a2\vb\a02/01/2026\vok",
                    {0},
                    "\a1\va\a01/01/2026\vok\n"},
        KeepingCase{"byte_order_mark_stays",
                    "\xEF\xBB\xBF\a1\va\a01/01/2026\vok\n\a2\vb\a02/01/2026\vok\n",
                    {1},
                    "\xEF\xBB\xBF\a2\vb\a02/01/2026\vok\n"},
        KeepingCase{"all_deleted", "\a1\va\a01/01/2026\vok\n", {}, ""}),
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
