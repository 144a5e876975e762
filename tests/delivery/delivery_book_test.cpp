// The delivery book: reports find their messages by device, reference and recipient, whatever
// the order, the wrap of the references or the run of the program they arrive in.
#include "delivery/delivery_book.h"
#include "appstate/data_paths.h"
#include "delivery/inbox.h"
#include "stores/exclusion_store.h"
#include "support/param_names.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <variant>

namespace {

using tesk::delivery::DeliveryBook;
using tesk::delivery::Report;

const QDateTime kStart = QDateTime(QDate(2026, 12, 1), QTime(9, 0), Qt::UTC);

struct Sent {
    QString device;
    QString recipient;
    QList<int> references;
    int minute = 0;
};
struct Heard {
    QString device;
    QString recipient;
    int reference;
    int status;
    int minute = 1;
};
using Event = std::variant<Sent, Heard>;

struct BookCase {
    const char* name;
    std::vector<Event> events;
    QStringList states;  // of the messages, in the order they were sent
    int unmatched = 0;
};

class DeliveryMatching : public ::testing::TestWithParam<BookCase> {
  protected:
    QTemporaryDir dir_;
};

QStringList statesOf(const DeliveryBook& book, const QStringList& ids) {
    QStringList states;
    for (const QString& id : ids) {
        const auto message = book.message(id);
        states.append(message ? tesk::delivery::State_Text(*message) : QStringLiteral("missing"));
    }
    return states;
}

TEST_P(DeliveryMatching, GivesEachMessageItsReportsAndReplaysTheSameFromTheFile) {
    ASSERT_TRUE(dir_.isValid());
    const QString path = dir_.filePath(QStringLiteral("Deliveries.VORN"));
    QStringList ids;
    {
        DeliveryBook book(path);
        for (const Event& event : GetParam().events) {
            if (const auto* sent = std::get_if<Sent>(&event)) {
                ids.append(book.Record_Sent(sent->device, sent->recipient, sent->references,
                                            QStringLiteral("Tab\there,\nline %09 two"),
                                            kStart.addSecs(60 * sent->minute)));
            } else {
                const Heard& heard = std::get<Heard>(event);
                book.Apply_Report(heard.device,
                                  Report{heard.reference, heard.recipient, heard.status, {}},
                                  kStart.addSecs(60 * heard.minute));
            }
        }
        EXPECT_EQ(statesOf(book, ids), GetParam().states);
        EXPECT_EQ(book.unmatchedReports(), GetParam().unmatched);
    }
    // Another run of the program (a report days later finds the same book).
    const DeliveryBook reopened(path);
    EXPECT_EQ(statesOf(reopened, ids), GetParam().states);
    EXPECT_EQ(reopened.unmatchedReports(), GetParam().unmatched);
    EXPECT_EQ(reopened.message(ids.value(0))->excerpt, QStringLiteral("Tab\there,\nline %09 two"));
}

const QString kA = QStringLiteral("356938035643809");  // two devices by IMEI
const QString kB = QStringLiteral("490154203237518");
const QString kNum = QStringLiteral("+447911123456");

INSTANTIATE_TEST_SUITE_P(
    Book, DeliveryMatching,
    ::testing::Values(
        BookCase{"national_form_of_the_same_number",
                 {Sent{kA, "07911123456", {17}}, Heard{kA, kNum, 17, 0x00}},
                 {"Delivered"}},
        BookCase{"pending_then_delivered",
                 {Sent{kA, kNum, {5}}, Heard{kA, kNum, 5, 0x30}, Heard{kA, kNum, 5, 0x00, 3}},
                 {"Delivered"}},
        BookCase{"still_pending",
                 {Sent{kA, kNum, {5}}, Heard{kA, kNum, 5, 0x21}},
                 {"Pending: SC still trying: SME busy"}},
        BookCase{"failed_with_its_cause",
                 {Sent{kA, kNum, {5}}, Heard{kA, kNum, 5, 0x41}},
                 {"Failed: incompatible destination"}},
        BookCase{"long_message_waits_for_every_part",
                 {Sent{kA, kNum, {8, 9, 10}}, Heard{kA, kNum, 8, 0}, Heard{kA, kNum, 10, 0}},
                 {"Pending: 2 of 3 parts delivered"}},
        BookCase{"long_message_delivered_with_its_last_part",
                 {Sent{kA, kNum, {254, 255, 0}}, Heard{kA, kNum, 0, 0}, Heard{kA, kNum, 255, 0},
                  Heard{kA, kNum, 254, 0}},
                 {"Delivered"}},
        BookCase{"one_failed_part_fails_the_message",
                 {Sent{kA, kNum, {8, 9}}, Heard{kA, kNum, 8, 0}, Heard{kA, kNum, 9, 0x45}},
                 {"Failed: no interworking available"}},
        BookCase{"reference_reused_after_the_wrap_reaches_the_waiting_message",
                 {Sent{kA, kNum, {17}, 0}, Heard{kA, kNum, 17, 0, 1}, Sent{kA, kNum, {17}, 30},
                  Heard{kA, kNum, 17, 0x41, 31}},
                 {"Delivered", "Failed: incompatible destination"}},
        BookCase{"late_report_of_the_older_message_after_the_wrap",
                 {Sent{kA, kNum, {17}, 0}, Sent{kA, kNum, {17}, 30}, Heard{kA, kNum, 17, 0, 31},
                  Heard{kA, kNum, 17, 0x41, 32}},
                 {"Failed: incompatible destination", "Delivered"}},
        BookCase{"two_devices_with_the_same_reference",
                 {Sent{kA, kNum, {3}}, Sent{kB, kNum, {3}}, Heard{kB, kNum, 3, 0x41}},
                 {"No report yet", "Failed: incompatible destination"}},
        BookCase{"other_recipient_or_device_is_not_matched",
                 {Sent{kA, kNum, {3}}, Heard{kA, "+447911999999", 3, 0}, Heard{kB, kNum, 3, 0}},
                 {"No report yet"},
                 2},
        BookCase{"reference_of_no_part_is_not_matched",
                 {Sent{kA, kNum, {8}}, Heard{kA, kNum, 9, 0}},
                 {"No report yet"},
                 1},
        BookCase{"report_before_the_message_was_sent_is_not_its_own",
                 {Sent{kA, kNum, {3}, 600}, Heard{kA, kNum, 3, 0, 1}},
                 {"No report yet"},
                 1}),
    tesk::test::ByCaseName());

TEST(DeliveryBook, MessageWithoutReferencesIsNotRecordedAndDamagedLinesArePassedOver) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Deliveries.VORN"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "S\tnot a date\tx\td\tn\t1\tt\nR\t2026\nS\t2026-12-01T09:00:00.000Z\tid1\td\t+4479\t"
        "300\tt\ngarbage \xff\nS\t2026-12-01T09:00:00.000Z\tid2\td\t+4479\t5\tt\r\n");
    file.close();
    DeliveryBook book(path);
    // Only the last record is whole; the line end another system wrote is still a line end.
    ASSERT_EQ(book.messages().size(), 1);
    EXPECT_EQ(book.messages().first().excerpt, QStringLiteral("t"));
    EXPECT_EQ(book.Record_Sent(QStringLiteral("d"), kNum, {}, QStringLiteral("x")), QString());
    EXPECT_EQ(book.messages().size(), 1);
}

TEST(StopWords, IgnoreCaseSpacesAndClosingPunctuation) {
    const std::pair<QString, bool> cases[] = {
        {"STOP", true},         {" S t o p \n", true}, {"Unsubscribe!", true}, {"stop all", true},
        {"please stop", false}, {"STOPPED", false},    {"...", false},
    };
    for (const auto& [text, stop] : cases) {
        EXPECT_EQ(tesk::delivery::Is_Stop_Word(text, tesk::delivery::Default_Stop_Words()), stop)
            << text.toStdString();
    }
}

TEST(OptOuts, CreateAndApplyTheirListOnceAndKeepTheUsersLaterChoice) {
    QTemporaryDir dir;
    tesk::Set_Data_Paths(dir.path());
    Check_Path_And_Create_Files();
    using tesk::stores::Read_Entry_File;
    ASSERT_TRUE(tesk::delivery::Add_Opt_Outs({kNum, QStringLiteral("07911123456")}));
    ASSERT_TRUE(tesk::delivery::Add_Opt_Outs({kNum}));
    EXPECT_EQ(Read_Entry_File(tesk::stores::Exclusion_List_File(QStringLiteral("Opt-outs"))),
              (QStringList{kNum, QStringLiteral("07911123456")}));
    EXPECT_EQ(Read_Entry_File(Exclusion_Index_Path), QStringList{QStringLiteral("Opt-outs")});
    EXPECT_EQ(Read_Entry_File(Applied_Exclusion_Path), QStringList{QStringLiteral("Opt-outs")});
    EXPECT_EQ(tesk::stores::Applied_Exclusion_Numbers(),
              (QStringList{kNum, QStringLiteral("07911123456")}));

    // A list of the user's own replaces the default words.
    ASSERT_TRUE(tesk::delivery::Save_Stop_Words({QStringLiteral("Arret")}));
    EXPECT_TRUE(
        tesk::delivery::Is_Stop_Word(QStringLiteral("ARRET"), tesk::delivery::Stop_Words()));
    EXPECT_FALSE(
        tesk::delivery::Is_Stop_Word(QStringLiteral("STOP"), tesk::delivery::Stop_Words()));

    // The user takes the list out of the applied ones: a later opt-out does not put it back.
    ASSERT_TRUE(tesk::stores::Write_Entry_File(Applied_Exclusion_Path, {}));
    ASSERT_TRUE(tesk::delivery::Add_Opt_Outs({QStringLiteral("+33612345678")}));
    EXPECT_TRUE(Read_Entry_File(Applied_Exclusion_Path).isEmpty());
    EXPECT_EQ(Read_Entry_File(tesk::stores::Exclusion_List_File(QStringLiteral("Opt-outs"))).size(),
              3);
}

}  // namespace
