// "Exactly once" at full scale: a long recipient list over the whole 32-channel table of virtual
// modems, with duplicates, excluded numbers, devices that fail mid-run, a stop pressed mid-run
// and a device slower than the read time-out. Every check compares three independent records of
// the run: the sending table, the JSON-lines log each virtual modem writes for every SMS it
// accepts, and the sent-items file.
//
// Sizes and time scale follow the build: under a sanitizer every step is several times slower, so
// the list is shorter and the clock less compressed (read time-outs stay far above the answer times
// of a loaded machine); the shape of each run is the same.
#include "sending_run_fixture.h"

#include "stores/sent_items.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
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
constexpr int kFaultListSize = 2000;
constexpr double kTimeScale = 0.04;
#else
constexpr int kListSize = 20000;
constexpr int kFaultListSize = 5000;
constexpr double kTimeScale = 0.02;
#endif
constexpr int kModems = kChannelCount;  // every slot of the channel table

const QString kConnectionError = "Device Connection Error!";

// One SMS as a modem logged it.
struct Logged {
    QString port;  // the modem's name
    QString number;
    QString text;
};

// The list a test sends and what the load rules must make of it, worked out here on their
// own terms: excluded before duplicate, numbers compared trimmed, blank numbers dropped.
struct Campaign {
    QList<composer::ListItem> list;
    QSet<QString> excluded;
    QStringList expected;             // per table item: "" for "to be sent", else its load status
    QStringList eligible;             // numbers to be sent, in list order
    QHash<QString, QString> message;  // number -> the message of its first occurrence
};

// With rules: every 10th entry repeats an earlier number (half of them padded with blanks,
// which must not hide the repeat), every 17th distinct number is on the exclusion list, every
// 500th entry has a blank number and yields no item at all.
Campaign makeCampaign(int size, bool withRules) {
    Campaign c;
    QStringList distinct;
    QSet<QString> seen;
    for (int i = 0; i < size; ++i) {
        const QString text = QString("Hello %1").arg(i);
        if (withRules && i % 500 == 499) {
            c.list.append({"   ", text});
            continue;
        }
        QString number;
        QString written;
        if (withRules && i % 10 == 7) {
            number = distinct.at((i * 7) % distinct.size());
            written = i % 20 == 17 ? "  " + number + " " : number;
        } else {
            number = QString("+4477%1").arg(i, 8, 10, QLatin1Char('0'));
            written = number;
            distinct.append(number);
            if (withRules && distinct.size() % 17 == 5) {
                c.excluded.insert(number);
            }
        }
        c.list.append({written, text});
        if (c.excluded.contains(number)) {
            c.expected.append(kExcludedStatus);
        } else if (seen.contains(number)) {
            c.expected.append(kSkippedStatus);
        } else {
            c.expected.append(QString());
            c.eligible.append(number);
            c.message.insert(number, text);
        }
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

    // Every line of every modem's log file, cross-checked against the modems' own memory.
    QList<Logged> logged() const {
        QList<Logged> all;
        int inMemory = 0;
        for (const QString& path : logPaths) {
            QFile file(path);
            if (!file.exists()) {
                continue;  // a modem that accepted nothing writes no file
            }
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            for (const QByteArray& line : file.readAll().split('\n')) {
                QJsonParseError error{};
                const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
                EXPECT_TRUE(line.isEmpty() || error.error == QJsonParseError::NoError)
                    << line.data();
                // A refused submission is no SMS the modem received.
                if (!line.isEmpty() && !o.value("refused").toBool()) {
                    all.append({o.value("port").toString(), o.value("number").toString(),
                                o.value("text").toString()});
                }
            }
        }
        for (int i = 0; i < modems.size(); ++i) {
            inMemory += static_cast<int>(modems[i].received().size());
        }
        EXPECT_EQ(all.size(), inMemory);
        return all;
    }

    // For any run, the three records agree:
    // - no item is left waiting or in flight;
    // - what the table calls sent reached exactly one modem, the modem it names, exactly once,
    //   with the right text; nothing else reached any modem;
    // - each item handed to a device has exactly one sent-item record, with the table's outcome.
    void expectRecordsAgree() const {
        const QList<SendingItem> items = run.table().items();
        EXPECT_EQ(run.table().finishedCount(), items.size());
        EXPECT_FALSE(run.table().Work_Remains());
        QHash<QString, Logged> byNumber;
        for (const Logged& l : logged()) {
            EXPECT_FALSE(byNumber.contains(l.number)) << l.number.toStdString() << " sent twice";
            byNumber.insert(l.number, l);
        }
        const QList<stores::SentItem> records =
            stores::LoadItems_Sent_Items(stores::Sent_Item_File(1));
        QHash<QString, stores::SentItem> recordOf;
        for (const auto& record : records) {
            EXPECT_FALSE(recordOf.contains(record.Number)) << record.Number.toStdString();
            recordOf.insert(record.Number, record);
        }
        int sent = 0, handedOver = 0;
        for (const SendingItem& item : items) {
            const std::string number = item.Number.toStdString();
            const bool final = item.UseStatus == kDoneState || item.UseStatus == kStoppedState;
            ASSERT_TRUE(final && !item.Status.isEmpty() &&
                        !item.CurrentStatus.startsWith("Sending"))
                << number << " left as " << item.UseStatus.toStdString() << " / "
                << item.CurrentStatus.toStdString();
            const auto found = byNumber.constFind(item.Number);
            if (item.Status == kSent) {
                ++sent;
                ASSERT_NE(found, byNumber.constEnd()) << number << " not sent";
                EXPECT_EQ(found->port, names.value(item.UsePort)) << number;
                EXPECT_EQ(found->text, item.Message) << number;
                EXPECT_EQ(item.CurrentStatus, QString("Done (%1)").arg(item.UsePort));
            } else if (found != byNumber.constEnd() && found->text == item.Message) {
                ADD_FAILURE() << number << " reached a modem but reads "
                              << item.Status.toStdString();
            }
            if (item.SentItem == "1") {
                ++handedOver;
                EXPECT_EQ(recordOf.value(item.Number).Status, item.Status) << number;
                EXPECT_EQ(recordOf.value(item.Number).Message, item.Message) << number;
            } else {
                EXPECT_EQ(item.SentItem, "0") << number;
            }
        }
        EXPECT_EQ(byNumber.size(), sent);
        EXPECT_EQ(records.size(), handedOver);
    }

    pacing::ScopedScale scale{kTimeScale};
};

TEST_F(ExactlyOnceTest, FullChannelTableSendsEveryEligibleNumberOnce) {
    const Campaign campaign = makeCampaign(kListSize, true);
    ASSERT_GT(campaign.excluded.size(), 0);
    ASSERT_GT(campaign.expected.count(kSkippedStatus), 0);
    addModems(kModems);
    request.list = campaign.list;
    request.rules.skipDuplicates = true;
    request.rules.useExclusions = true;
    const QSet<QString> excluded = campaign.excluded;
    request.rules.isExcluded = [excluded](const QString& n) { return excluded.contains(n); };
    send(kRunFinished);

    expectRecordsAgree();
    const QList<SendingItem> items = run.table().items();
    ASSERT_EQ(items.size(), campaign.expected.size());
    for (int i = 0; i < items.size(); ++i) {
        const bool eligible = campaign.expected.at(i).isEmpty();
        ASSERT_EQ(items[i].Status, eligible ? kSent : campaign.expected.at(i))
            << "item " << i << " " << items[i].Number.toStdString();
        // Only what was handed to a device has a sent-item record.
        EXPECT_EQ(items[i].SentItem, eligible ? "1" : "0");
    }
    // Every eligible number exactly once over all logs, with its first message; excluded and
    // skipped ones never.
    QStringList numbers;
    QSet<QString> ports;
    for (const Logged& l : logged()) {
        numbers.append(l.number);
        ports.insert(l.port);
        EXPECT_EQ(l.text, campaign.message.value(l.number)) << l.number.toStdString();
    }
    EXPECT_EQ(numbers.size(), campaign.eligible.size());
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()),
              QSet<QString>(campaign.eligible.begin(), campaign.eligible.end()));
    EXPECT_EQ(ports.size(), kModems) << "every device of the table took part";
    EXPECT_EQ(view.progress, QString("%1 / %1 Message or 100.00%").arg(items.size()));
}

TEST_F(ExactlyOnceTest, FailingDevicesLeaveTheRestOfTheListToTheOthers) {
    constexpr int kHangsUp = 3, kRefuses = 7, kFallsSilent = 11;
    constexpr int kHangUpAfter = 4, kRefusedSubmission = 3, kSilentAfter = 5;
    addModems(kModems, [&](int i, Config& c) {
        if (i == kHangsUp) {
            c.hangUpAfterSubmission = kHangUpAfter;
        } else if (i == kRefuses) {
            c.cmsErrorOnSubmission = kRefusedSubmission;
        } else if (i == kFallsSilent) {
            c.silentAfterSubmission = kSilentAfter;
        }
    });
    request.list = makeCampaign(kFaultListSize, false).list;
    // Nobody pressed Stop: the run finishes normally although three devices dropped out.
    send(kRunFinished);

    expectRecordsAgree();
    const QList<SendingItem> items = run.table().items();
    ASSERT_EQ(items.size(), kFaultListSize);
    QHash<QString, QStringList> byPort;  // port path -> statuses in list order
    for (const SendingItem& item : items) {
        byPort[item.UsePort].append(item.Status);
        EXPECT_EQ(item.SentItem, "1") << item.Number.toStdString();
    }
    struct Expect {
        int modem;
        int sentBefore;
        QString failure;
    };
    const Expect faulty[] = {{kHangsUp, kHangUpAfter, kConnectionError},
                             {kRefuses, kRefusedSubmission - 1, "+CMS ERROR: 500"},
                             {kFallsSilent, kSilentAfter, kConnectionError}};
    for (const Expect& e : faulty) {
        const QString port = modems[e.modem].portPath();
        EXPECT_EQ(byPort.value(port), QStringList(e.sentBefore, kSent) << e.failure)
            << names.value(port).toStdString();
        EXPECT_EQ(modems[e.modem].received().size(), e.sentBefore);
    }
    // Every other item went out through one of the healthy devices.
    int sent = 0;
    for (const SendingItem& item : items) {
        sent += item.Status == kSent ? 1 : 0;
    }
    EXPECT_EQ(sent, kFaultListSize - 3);
    for (int i = 0; i < kModems; ++i) {
        if (i != kHangsUp && i != kRefuses && i != kFallsSilent) {
            EXPECT_FALSE(modems[i].received().isEmpty()) << "VM" << i;
        }
    }
}

TEST_F(ExactlyOnceTest, StopMidRunSendsNothingTwiceAndNothingAfterwards) {
    addModems(kModems);
    request.list = makeCampaign(kFaultListSize, false).list;
    dialogs.expect("Terminating the current process", "Yes");
    bool stopped = false;
    int finishedAtStop = 0;
    view.onRedraw = [&] {
        if (!stopped && run.table().finishedCount() >= kFaultListSize / 4) {
            stopped = true;
            finishedAtStop = run.table().finishedCount();
            run.Stop_Btn();
        }
    };
    send(kRunStopped);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(view.closed, 0);  // stopping keeps the window open

    expectRecordsAgree();
    int sent = 0, stoppedItems = 0;
    for (const SendingItem& item : run.table().items()) {
        sent += item.Status == kSent ? 1 : 0;
        if (item.Status == kStoppedStatus) {
            ++stoppedItems;
            EXPECT_EQ(item.CurrentStatus, kStoppedState);
            EXPECT_EQ(item.SentItem, "0");
        } else {
            EXPECT_EQ(item.SentItem, "1");
        }
    }
    EXPECT_GE(sent, finishedAtStop);
    EXPECT_GT(stoppedItems, 0);
    EXPECT_EQ(sent + stoppedItems, kFaultListSize);
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
    QStringList slow;
    for (const SendingItem& item : run.table().items()) {
        if (item.UsePort == modems[kSlow].portPath()) {
            slow.append(item.Status);
        }
    }
    EXPECT_EQ(slow, QStringList(kRefused - 1, kSent) << "+CMS ERROR: 500");
    EXPECT_EQ(modems[kSlow].received().size(), kRefused - 1);
}

}  // namespace
}  // namespace tesk::sending::test
