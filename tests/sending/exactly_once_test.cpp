// "Exactly once" at full scale: a long recipient list over the whole 32-channel table of virtual
// modems, with duplicates, excluded numbers, devices that fail mid-run, a stop pressed mid-run
// and a device slower than the read time-out. Every check compares three independent records of
// the run: the sending table, what each virtual modem accepted, and the sent-items file.
//
// Sizes and time scale follow the build: under a sanitizer every step is several times slower, so
// the list is shorter and the clock less compressed (read time-outs stay far above the answer times
// of a loaded machine); the shape of each run is the same.
#include "sending_run_fixture.h"

#include "stores/sent_items.h"

#include <QSet>

#include <cstdlib>

namespace tesk::sending::test {
namespace {

using vmodem::Config;

// Hundreds of thousands of modem lines are logged per run; keep them out of the journal. Set
// before main so the log reads it before its first line.
const bool kQuietLog = [] { return setenv("TESK_SMS_LOG_SYSLOG", "0", 1) == 0; }();

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kListSize = 5000;
constexpr double kTimeScale = 0.04;
#else
constexpr int kListSize = 20000;
constexpr double kTimeScale = 0.02;
#endif
constexpr int kModems = kChannelCount;  // every slot of the channel table

const QString kConnectionError = "Device Connection Error!";

// The list a test sends and what the load rules must make of it, worked out here on their
// own terms: excluded before duplicate. Trimming and blank numbers are the sending table's rows.
struct Campaign {
    QList<composer::ListItem> list;
    QSet<QString> excluded;
    QStringList expected;  // per table item: "" for "to be sent", else its load status
};

// With rules: every 10th entry repeats an earlier number and every 17th distinct number is on
// the exclusion list.
Campaign makeCampaign(int size, bool withRules) {
    Campaign c;
    QStringList distinct;
    QSet<QString> seen;
    for (int i = 0; i < size; ++i) {
        QString number;
        if (withRules && i % 10 == 7) {
            number = distinct.at((i * 7) % distinct.size());
        } else {
            number = QString("+4477%1").arg(i, 8, 10, QLatin1Char('0'));
            distinct.append(number);
            if (withRules && distinct.size() % 17 == 5) {
                c.excluded.insert(number);
            }
        }
        c.list.append({number, QString("Hello %1").arg(i)});
        c.expected.append(c.excluded.contains(number) ? kExcludedStatus
                          : seen.contains(number)     ? kSkippedStatus
                                                      : QString());
        seen.insert(number);
    }
    return c;
}

class ExactlyOnceTest : public SendingRunTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kQuietLog);
        SendingRunTest::SetUp();
        request.saveSentItems = true;
    }

    // For any run, the three records agree:
    // - no item is left waiting or in flight;
    // - what the table calls sent reached exactly one modem, the modem it names, exactly once,
    //   with the right text; nothing else reached any modem;
    // - each item handed to a device has exactly one sent-item record, with the table's outcome.
    void expectRecordsAgree() const {
        const QList<SendingItem> items = run.table().items();
        EXPECT_FALSE(run.table().Work_Remains());
        QHash<QString, vmodem::ReceivedSms> byNumber;
        for (const auto& modem : modems) {
            for (const vmodem::ReceivedSms& sms : modem->received()) {
                EXPECT_FALSE(byNumber.contains(sms.number)) << sms.number.toStdString() << " twice";
                byNumber.insert(sms.number, sms);
            }
        }
        QHash<QString, stores::SentItem> recordOf;
        for (const auto& record : stores::LoadItems_Sent_Items(stores::Sent_Item_File(1))) {
            EXPECT_FALSE(recordOf.contains(record.Number)) << record.Number.toStdString();
            recordOf.insert(record.Number, record);
        }
        int sent = 0, handedOver = 0;
        for (const SendingItem& item : items) {
            const std::string number = item.Number.toStdString();
            const bool final = item.UseStatus == kDoneState || item.UseStatus == kStoppedState;
            ASSERT_TRUE(final && !item.CurrentStatus.startsWith("Sending")) << number;
            const auto found = byNumber.constFind(item.Number);
            if (item.Status == kSent) {
                ++sent;
                ASSERT_NE(found, byNumber.constEnd()) << number << " not sent";
                EXPECT_EQ(found->port, names.value(item.UsePort)) << number;
                EXPECT_EQ(found->text, item.Message) << number;
            } else if (found != byNumber.constEnd() && found->text == item.Message) {
                ADD_FAILURE() << number << " reached a modem but reads "
                              << item.Status.toStdString();
            }
            if (item.SentItem == "1") {
                ++handedOver;
                EXPECT_EQ(recordOf.value(item.Number).Status, item.Status) << number;
                EXPECT_EQ(recordOf.value(item.Number).Message, item.Message) << number;
            }
        }
        EXPECT_EQ(byNumber.size(), sent);
        EXPECT_EQ(recordOf.size(), handedOver);
    }
    QStringList statusesOf(int modem) const {
        QStringList list;
        for (const SendingItem& item : run.table().items()) {
            if (item.UsePort == modems[modem].portPath()) {
                list.append(item.Status);
            }
        }
        return list;
    }

    pacing::ScopedScale scale{kTimeScale};
};

// The load rules over the whole table, three devices that drop out (one hangs up, one refuses a
// message, one falls silent) and a stop pressed a third of the way through: nothing goes out
// twice or after the stop, each failing device keeps what it sent before its failure, and the
// others took every item that was neither stopped nor failed.
TEST_F(ExactlyOnceTest, FullChannelTableWithFailingDevicesAndAStopSendsEachNumberAtMostOnce) {
    const struct {
        int modem;
        int sentBefore;
        QString failure;
    } faulty[] = {{3, 4, kConnectionError}, {7, 2, "+CMS ERROR: 500"}, {11, 5, kConnectionError}};
    addModems(kModems, [](int i, Config& c) {
        c.hangUpAfterSubmission = i == 3 ? 4 : c.hangUpAfterSubmission;
        c.cmsErrorOnSubmission = i == 7 ? 3 : c.cmsErrorOnSubmission;
        c.silentAfterSubmission = i == 11 ? 5 : c.silentAfterSubmission;
    });
    const Campaign campaign = makeCampaign(kListSize, true);
    request.list = campaign.list;
    request.rules.skipDuplicates = true;
    request.rules.useExclusions = true;
    const QSet<QString> excluded = campaign.excluded;
    request.rules.isExcluded = [excluded](const QString& n) { return excluded.contains(n); };
    dialogs.expect("Terminating the current process", "Yes");
    bool stopped = false;
    view.onRedraw = [&] {
        if (!stopped && run.table().finishedCount() >= kListSize / 3) {
            stopped = true;
            run.Stop_Btn();
        }
    };
    send(kRunStopped);
    ASSERT_TRUE(stopped);

    expectRecordsAgree();
    for (const auto& e : faulty) {
        EXPECT_EQ(statusesOf(e.modem), QStringList(e.sentBefore, kSent) << e.failure) << e.modem;
    }
    const QList<SendingItem> items = run.table().items();
    ASSERT_EQ(items.size(), campaign.expected.size());
    for (int i = 0; i < items.size(); ++i) {
        // A number the load rules kept was sent, stopped or failed with its device; only what
        // reached a device has a sent-item record.
        const QString& load = campaign.expected.at(i);
        const QString& status = items[i].Status;
        ASSERT_TRUE(load.isEmpty() ? status != kSkippedStatus && status != kExcludedStatus
                                   : status == load)
            << i << " " << items[i].Number.toStdString() << " " << status.toStdString();
        EXPECT_EQ(items[i].SentItem, load.isEmpty() && status != kStoppedStatus ? "1" : "0");
    }
    const QStringList all = statuses();
    EXPECT_GT(all.count(kStoppedStatus), 0);
    EXPECT_EQ(all.count(kSent) + all.count(kStoppedStatus) + 3, campaign.expected.count(""));
}

// A device whose answers all come later than the read time-out leaves each command's answer to
// be found by a later read of the same exchange. The one that refuses a message must still be
// reported as refused: the verdict is the submission's own answer, not the first OK that turns up.
TEST_F(ExactlyOnceTest, RefusalOfADeviceSlowerThanTheReadTimeOutIsNotCreditedAsSent) {
    // A slower clock than the other runs, so that the answers' lateness, not the machine's
    // load, decides which read sees which answer.
    pacing::ScopedScale slower{0.05};
    const int readTimeOutMs = static_cast<int>(pacing::scaled(5.0) * 1000);
    constexpr int kSlow = 1;
    constexpr int kRefused = 3;
    // One fast device beside it, so the slow one still has items left for its third message.
    addModems(2, [&](int i, Config& c) {
        if (i == kSlow) {
            c.latencyMs = readTimeOutMs * 12 / 5;
            c.cmsErrorOnSubmission = kRefused;
        }
    });
    request.list = makeCampaign(120, false).list;
    send(kRunFinished);

    expectRecordsAgree();
    EXPECT_EQ(statusesOf(kSlow), QStringList(kRefused - 1, kSent) << "+CMS ERROR: 500");
}

}  // namespace
}  // namespace tesk::sending::test
