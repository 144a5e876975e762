// The delivery book: reports find their messages by device, reference and recipient, whatever
// the order, the wrap of the references or the run of the program they arrive in.
#include "delivery/delivery_book.h"
#include "appstate/data_paths.h"
#include "delivery/inbox.h"
#include "stores/exclusion_store.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <variant>

namespace {

using namespace tesk::delivery;
using tesk::stores::Read_Entry_File;

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

const QString kA = QStringLiteral("356938035643809");  // two devices by IMEI
const QString kB = QStringLiteral("490154203237518");
const QString kNum = QStringLiteral("+447911123456");

QStringList statesOf(const DeliveryBook& book, const QStringList& ids) {
    QStringList states;
    for (const QString& id : ids) {
        const auto message = book.message(id);
        states.append(message ? State_Text(*message) : QStringLiteral("missing"));
    }
    return states;
}

// Each case writes its messages and reports in order, then the book is read again as another
// run of the program would (a report days later finds the same book).
TEST(DeliveryBook, GivesEachMessageItsReportsAndReplaysTheSameFromTheFile) {
    const struct {
        const char* name;
        std::vector<Event> events;
        QStringList states;  // of the messages, in the order they were sent
        int unmatched = 0;
    } cases[] = {
        {"national form of the same number",
         {Sent{kA, "07911123456", {17}}, Heard{kA, kNum, 17, 0x00}},
         {"Delivered"}},
        {"pending then delivered",
         {Sent{kA, kNum, {5}}, Heard{kA, kNum, 5, 0x30}, Heard{kA, kNum, 5, 0x00, 3}},
         {"Delivered"}},
        {"still pending",
         {Sent{kA, kNum, {5}}, Heard{kA, kNum, 5, 0x21}},
         {"Pending: SC still trying: SME busy"}},
        {"failed with its cause",
         {Sent{kA, kNum, {5}}, Heard{kA, kNum, 5, 0x41}},
         {"Failed: incompatible destination"}},
        {"long message waits for every part",
         {Sent{kA, kNum, {8, 9, 10}}, Heard{kA, kNum, 8, 0}, Heard{kA, kNum, 10, 0}},
         {"Pending: 2 of 3 parts delivered"}},
        {"long message delivered with its last part",
         {Sent{kA, kNum, {254, 255, 0}}, Heard{kA, kNum, 0, 0}, Heard{kA, kNum, 255, 0},
          Heard{kA, kNum, 254, 0}},
         {"Delivered"}},
        {"one failed part fails the message",
         {Sent{kA, kNum, {8, 9}}, Heard{kA, kNum, 8, 0}, Heard{kA, kNum, 9, 0x45}},
         {"Failed: no interworking available"}},
        {"reference reused after the wrap reaches the waiting message",
         {Sent{kA, kNum, {17}, 0}, Heard{kA, kNum, 17, 0, 1}, Sent{kA, kNum, {17}, 30},
          Heard{kA, kNum, 17, 0x41, 31}},
         {"Delivered", "Failed: incompatible destination"}},
        {"late report of the older message after the wrap",
         {Sent{kA, kNum, {17}, 0}, Sent{kA, kNum, {17}, 30}, Heard{kA, kNum, 17, 0, 31},
          Heard{kA, kNum, 17, 0x41, 32}},
         {"Failed: incompatible destination", "Delivered"}},
        {"two devices with the same reference",
         {Sent{kA, kNum, {3}}, Sent{kB, kNum, {3}}, Heard{kB, kNum, 3, 0x41}},
         {"No report yet", "Failed: incompatible destination"}},
        {"other recipient or device is not matched",
         {Sent{kA, kNum, {3}}, Heard{kA, "+447911999999", 3, 0}, Heard{kB, kNum, 3, 0}},
         {"No report yet"},
         2},
        {"report before the message was sent is not its own",
         {Sent{kA, kNum, {3}, 600}, Heard{kA, kNum, 3, 0, 1}},
         {"No report yet"},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Deliveries.VORN"));
        QStringList ids;
        {
            DeliveryBook book(path);
            for (const Event& event : c.events) {
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
            EXPECT_EQ(statesOf(book, ids), c.states);
            EXPECT_EQ(book.unmatchedReports(), c.unmatched);
        }
        const DeliveryBook reopened(path);
        EXPECT_EQ(statesOf(reopened, ids), c.states);
        EXPECT_EQ(reopened.unmatchedReports(), c.unmatched);
        EXPECT_EQ(reopened.message(ids.value(0))->excerpt,
                  QStringLiteral("Tab\there,\nline %09 two"));
    }
}

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
        EXPECT_EQ(Is_Stop_Word(text, Default_Stop_Words()), stop) << text.toStdString();
    }
}

TEST(OptOuts, CreateAndApplyTheirListOnceAndKeepTheUsersLaterChoice) {
    QTemporaryDir dir;
    tesk::Set_Data_Paths(dir.path());
    Check_Path_And_Create_Files();
    const QString list = tesk::stores::Exclusion_List_File(QStringLiteral("Opt-outs"));
    ASSERT_TRUE(Add_Opt_Outs({kNum, QStringLiteral("07911123456")}));
    ASSERT_TRUE(Add_Opt_Outs({kNum}));
    EXPECT_EQ(Read_Entry_File(list), (QStringList{kNum, QStringLiteral("07911123456")}));
    EXPECT_EQ(Read_Entry_File(Exclusion_Index_Path), QStringList{QStringLiteral("Opt-outs")});
    EXPECT_EQ(Read_Entry_File(Applied_Exclusion_Path), QStringList{QStringLiteral("Opt-outs")});

    // A list of the user's own replaces the default words.
    ASSERT_TRUE(Save_Stop_Words({QStringLiteral("Arret")}));
    EXPECT_TRUE(Is_Stop_Word(QStringLiteral("ARRET"), Stop_Words()));
    EXPECT_FALSE(Is_Stop_Word(QStringLiteral("STOP"), Stop_Words()));

    // The user takes the list out of the applied ones: a later opt-out does not put it back.
    ASSERT_TRUE(tesk::stores::Write_Entry_File(Applied_Exclusion_Path, {}));
    ASSERT_TRUE(Add_Opt_Outs({QStringLiteral("+33612345678")}));
    EXPECT_TRUE(Read_Entry_File(Applied_Exclusion_Path).isEmpty());
    EXPECT_EQ(Read_Entry_File(list).size(), 3);
}

}  // namespace
