// "Exactly once" at full scale: a long recipient list over the whole 32-channel table of virtual
// modems, with duplicates, excluded numbers, devices that fail mid-run, a stop pressed mid-run
// and a device slower than the read time-out. Every check compares three independent records of
// the run: the sending table, the JSON-lines log each virtual modem writes for every SMS it
// accepts, and the sent-items file.
//
// Sizes and time scale follow the build: under a sanitizer every step is several times slower, so
// the list is shorter and the clock less compressed (read time-outs stay far above the answer times
// of a loaded machine); the shape of each run is the same.
#include "sending/sms_sending.h"

#include "appstate/data_paths.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "stores/sent_items.h"
#include "support/scripted_dialogs.h"
#include "virtual-modem/virtual_modem.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

namespace {

using tesk::sending::SendingItem;
using tesk::sending::SendingRequest;
using tesk::sending::SMS_Sending;
using tesk::test::ScriptedDialogs;
using tesk::vmodem::Config;
using tesk::vmodem::VirtualModem;

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

const QString kSent = QStringLiteral("Message sent successfully.");
const QString kConnectionError = QStringLiteral("Device Connection Error!");

struct QuietView final : tesk::sending::SendingView {
    void redrawTable() override {
        if (onRedraw) {
            onRedraw();
        }
    }
    void setStatusText(const QString&) override {}
    void setProgressText(const QString& text) override { progress = text; }
    void setOverallBar(int, int) override {}
    void setMessageBar(int) override {}
    void setPauseLabel(const QString&) override {}
    void setStopVisible(bool) override {}
    void setExportVisible(bool visible) override { exportVisible = visible; }
    void setCloseEnabled(bool) override {}
    void showPleaseWait(bool) override {}
    void closeWindow() override { ++closed; }
    void offerToOpenExportedFile(const QString&) override {}

    std::function<void()> onRedraw;
    QString progress;
    bool exportVisible = false;
    int closed = 0;
};

// One SMS as a modem logged it.
struct Logged {
    QString port;  // the modem's name
    QString number;
    QString text;
};

// The list a test sends and what the load rules must make of it, worked out here on their
// own terms: excluded before duplicate, numbers compared trimmed, blank numbers dropped.
struct Campaign {
    QList<tesk::composer::ListItem> list;
    QSet<QString> excluded;
    QStringList expected;             // per table item: "" for "to be sent", else its load status
    QStringList eligible;             // numbers to be sent, in list order
    QHash<QString, QString> message;  // number -> the message of its first occurrence
};

QString numberOf(int n) {
    return QStringLiteral("+4477%1").arg(n, 8, 10, QLatin1Char('0'));
}

// Every 10th entry repeats an earlier number (half of them padded with blanks, which must not
// hide the repeat), every 17th distinct number is on the exclusion list, every 500th entry has
// a blank number and yields no item at all.
Campaign makeCampaign(int size, bool withRules) {
    Campaign c;
    QStringList distinct;
    QSet<QString> seen;
    for (int i = 0; i < size; ++i) {
        const QString text = QStringLiteral("Hello %1").arg(i);
        if (withRules && i % 500 == 499) {
            c.list.append({QStringLiteral("   "), text});
            continue;
        }
        QString number;
        QString written;
        if (withRules && i % 10 == 7) {
            number = distinct.at((i * 7) % distinct.size());
            written = i % 20 == 17 ? QStringLiteral("  ") + number + QStringLiteral(" ") : number;
        } else {
            number = numberOf(i);
            written = number;
            distinct.append(number);
            if (withRules && distinct.size() % 17 == 5) {
                c.excluded.insert(number);
            }
        }
        c.list.append({written, text});
        if (c.excluded.contains(number)) {
            c.expected.append(tesk::sending::kExcludedStatus);
        } else if (seen.contains(number)) {
            c.expected.append(tesk::sending::kSkippedStatus);
        } else {
            c.expected.append(QString());
            c.eligible.append(number);
            c.message.insert(number, text);
        }
        seen.insert(number);
    }
    return c;
}

class ExactlyOnceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kQuietLog);
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
        Fill_Channel_Table();
        run.setView(&view);
    }
    void TearDown() override { close_all_ports(); }

    // Modems VM0..VM<n-1>; `faults` adjusts the configuration of chosen ones.
    void addModems(int count, const std::function<void(int, Config&)>& faults = {}) {
        for (int i = 0; i < count; ++i) {
            Config config;
            config.name = QStringLiteral("VM%1").arg(i);
            config.logPath = runtime.filePath(QStringLiteral("received-%1.jsonl").arg(i));
            if (faults) {
                faults(i, config);
            }
            modems.push_back(std::make_unique<VirtualModem>(config));
            QString error;
            ASSERT_TRUE(modems.back()->start(&error)) << error.toStdString();
            DeviceRecord record;
            record.setValue(QStringLiteral("COM_PORT"), config.name);
            record.setValue(QStringLiteral("PORT_DETAL"), modems.back()->portPath());
            record.setValue(QStringLiteral("SMSMode"), QStringLiteral("PDU Mode"));
            record.setValue(QStringLiteral("UseCusSMSC"), QStringLiteral("N"));
            record.setValue(QStringLiteral("SMS_CAPABLE"), QStringLiteral("Yes"));
            request.devices.append(record);
            request.entries.append(modems.back()->portPath());
            logPaths.append(config.logPath);
            names.insert(modems.back()->portPath(), config.name);
        }
        request.entries.append(QStringLiteral("All Device"));
        request.selected = QStringLiteral("All Device");
    }

    void send(const QString& endMessage) {
        dialogs.expectNotice(QStringLiteral("\n") + endMessage);
        run.Open_SMS_Sending_Dialog(request);
        run.Wait_For_Run();
        EXPECT_EQ(run.endMessage(), endMessage);
        EXPECT_EQ(run.statusText(), QStringLiteral("Finish."));
        EXPECT_TRUE(view.exportVisible);
        EXPECT_EQ(dialogs.pending(), 0);
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
                if (line.isEmpty()) {
                    continue;
                }
                QJsonParseError error{};
                const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
                EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
                if (o.value(QStringLiteral("refused")).toBool()) {
                    continue;  // a submission the modem refused, not an SMS it received
                }
                all.append({o.value(QStringLiteral("port")).toString(),
                            o.value(QStringLiteral("number")).toString(),
                            o.value(QStringLiteral("text")).toString()});
            }
        }
        for (const auto& m : modems) {
            inMemory += static_cast<int>(m->received().size());
        }
        EXPECT_EQ(all.size(), inMemory);
        return all;
    }

    // The sent-items file's records by number (a number twice is reported, not folded).
    QHash<QString, tesk::stores::SentItem> sentItems(int* records) const {
        const QList<tesk::stores::SentItem> items =
            tesk::stores::LoadItems_Sent_Items(tesk::stores::Sent_Item_File(1));
        *records = static_cast<int>(items.size());
        QHash<QString, tesk::stores::SentItem> byNumber;
        for (const auto& item : items) {
            EXPECT_FALSE(byNumber.contains(item.Number))
                << "two sent-item records for " << item.Number.toStdString();
            byNumber.insert(item.Number, item);
        }
        return byNumber;
    }

    // No item left waiting or in flight, and each in exactly one final state.
    void expectAllFinal() const {
        const QList<SendingItem> items = run.table().items();
        int notFinal = 0;
        for (const SendingItem& item : items) {
            const bool done = item.UseStatus == tesk::sending::kDoneState ||
                              item.UseStatus == tesk::sending::kStoppedState;
            if (item.Status.isEmpty() || !done || item.CurrentStatus.startsWith("Sending")) {
                ++notFinal;
                ADD_FAILURE() << item.Number.toStdString() << " left as "
                              << item.UseStatus.toStdString() << " / "
                              << item.CurrentStatus.toStdString();
                if (notFinal > 5) {
                    return;
                }
            }
        }
        EXPECT_EQ(run.table().finishedCount(), items.size());
        EXPECT_FALSE(run.table().Work_Remains());
    }

    // The core claim, for any run: what the table calls sent reached exactly one modem, the
    // modem it names, exactly once, with the right text; nothing else reached any modem.
    void expectLogsMatchTable() const {
        QHash<QString, Logged> byNumber;
        for (const Logged& l : logged()) {
            EXPECT_FALSE(byNumber.contains(l.number)) << l.number.toStdString() << " sent twice";
            byNumber.insert(l.number, l);
        }
        int sent = 0;
        for (const SendingItem& item : run.table().items()) {
            const auto found = byNumber.constFind(item.Number);
            if (item.Status == kSent) {
                ++sent;
                ASSERT_NE(found, byNumber.constEnd()) << item.Number.toStdString() << " not sent";
                EXPECT_EQ(found->port, names.value(item.UsePort)) << item.Number.toStdString();
                EXPECT_EQ(found->text, item.Message) << item.Number.toStdString();
                EXPECT_EQ(item.CurrentStatus, QStringLiteral("Done (%1)").arg(item.UsePort));
            } else if (found != byNumber.constEnd() && found->text == item.Message) {
                ADD_FAILURE() << item.Number.toStdString() << " reached a modem but reads "
                              << item.Status.toStdString();
            }
        }
        EXPECT_EQ(byNumber.size(), sent);
    }

    QTemporaryDir runtime;
    tesk::pacing::ScopedScale fast{kTimeScale};
    ScriptedDialogs dialogs;
    std::vector<std::unique_ptr<VirtualModem>> modems;
    QStringList logPaths;
    QHash<QString, QString> names;  // port path -> modem name
    SendingRequest request;
    QuietView view;
    SMS_Sending run;
};

TEST_F(ExactlyOnceTest, FullChannelTableSendsEveryEligibleNumberOnce) {
    const Campaign campaign = makeCampaign(kListSize, true);
    ASSERT_GT(campaign.excluded.size(), 0);
    ASSERT_GT(campaign.expected.count(tesk::sending::kSkippedStatus), 0);
    addModems(kModems);
    request.list = campaign.list;
    request.rules.skipDuplicates = true;
    request.rules.useExclusions = true;
    const QSet<QString> excluded = campaign.excluded;
    request.rules.isExcluded = [excluded](const QString& n) { return excluded.contains(n); };
    request.saveSentItems = true;
    send(tesk::sending::kRunFinished);

    expectAllFinal();
    const QList<SendingItem> items = run.table().items();
    ASSERT_EQ(items.size(), campaign.expected.size());
    for (int i = 0; i < items.size(); ++i) {
        const QString want = campaign.expected.at(i).isEmpty() ? kSent : campaign.expected.at(i);
        ASSERT_EQ(items[i].Status, want) << "item " << i << " " << items[i].Number.toStdString();
        // Only what was handed to a device has a sent-item record.
        EXPECT_EQ(items[i].SentItem,
                  campaign.expected.at(i).isEmpty() ? QStringLiteral("1") : QStringLiteral("0"));
    }
    expectLogsMatchTable();

    // Every eligible number exactly once over all logs; excluded and skipped ones never.
    const QList<Logged> all = logged();
    QStringList numbers;
    QSet<QString> ports;
    for (const Logged& l : all) {
        numbers.append(l.number);
        ports.insert(l.port);
        EXPECT_EQ(l.text, campaign.message.value(l.number)) << l.number.toStdString();
        EXPECT_FALSE(campaign.excluded.contains(l.number)) << l.number.toStdString();
    }
    EXPECT_EQ(numbers.size(), campaign.eligible.size());
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()),
              QSet<QString>(campaign.eligible.begin(), campaign.eligible.end()));
    EXPECT_EQ(ports.size(), kModems) << "every device of the table took part";
    EXPECT_EQ(view.progress, QStringLiteral("%1 / %1 Message or 100.00%").arg(items.size()));

    int records = 0;
    const auto stored = sentItems(&records);
    EXPECT_EQ(records, campaign.eligible.size());
    for (const QString& number : campaign.eligible) {
        const auto found = stored.constFind(number);
        ASSERT_NE(found, stored.constEnd()) << number.toStdString();
        EXPECT_EQ(found->Status, kSent);
        EXPECT_EQ(found->Message, campaign.message.value(number));
    }
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
    const Campaign campaign = makeCampaign(kFaultListSize, false);
    request.list = campaign.list;
    request.saveSentItems = true;
    // Nobody pressed Stop: the run finishes normally although three devices dropped out.
    send(tesk::sending::kRunFinished);

    expectAllFinal();
    expectLogsMatchTable();

    const QList<SendingItem> items = run.table().items();
    ASSERT_EQ(items.size(), kFaultListSize);
    QHash<QString, QStringList> byPort;  // port path -> statuses in list order
    for (const SendingItem& item : items) {
        byPort[item.UsePort].append(item.Status);
    }
    struct Expect {
        int modem;
        int sentBefore;
        QString failure;
    };
    const Expect faulty[] = {{kHangsUp, kHangUpAfter, kConnectionError},
                             {kRefuses, kRefusedSubmission - 1, QStringLiteral("+CMS ERROR: 500")},
                             {kFallsSilent, kSilentAfter, kConnectionError}};
    const int failures = static_cast<int>(std::size(faulty));
    for (const Expect& e : faulty) {
        const QString port = modems[e.modem]->portPath();
        QStringList want(e.sentBefore, kSent);
        want.append(e.failure);
        EXPECT_EQ(byPort.value(port), want) << names.value(port).toStdString();
        EXPECT_EQ(modems[e.modem]->received().size(), e.sentBefore);
    }
    // Every other item went out through one of the healthy devices.
    int sent = 0;
    for (const SendingItem& item : items) {
        if (item.Status == kSent) {
            ++sent;
        }
    }
    EXPECT_EQ(sent, kFaultListSize - failures);
    for (int i = 0; i < kModems; ++i) {
        if (i != kHangsUp && i != kRefuses && i != kFallsSilent) {
            EXPECT_FALSE(modems[i]->received().isEmpty()) << "VM" << i;
        }
    }

    // One record per item handed to a device, with the outcome the table shows.
    int records = 0;
    const auto stored = sentItems(&records);
    EXPECT_EQ(records, kFaultListSize);
    for (const SendingItem& item : items) {
        const auto found = stored.constFind(item.Number);
        ASSERT_NE(found, stored.constEnd()) << item.Number.toStdString();
        EXPECT_EQ(found->Status, item.Status) << item.Number.toStdString();
        EXPECT_EQ(item.SentItem, QStringLiteral("1"));
    }
}

TEST_F(ExactlyOnceTest, StopMidRunSendsNothingTwiceAndNothingAfterwards) {
    addModems(kModems);
    const Campaign campaign = makeCampaign(kFaultListSize, false);
    request.list = campaign.list;
    request.saveSentItems = true;
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    bool stopped = false;
    int finishedAtStop = 0;
    view.onRedraw = [&] {
        if (!stopped && run.table().finishedCount() >= kFaultListSize / 4) {
            stopped = true;
            finishedAtStop = run.table().finishedCount();
            run.Stop_Btn();
        }
    };
    send(tesk::sending::kRunStopped);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(view.closed, 0);  // stopping keeps the window open

    expectAllFinal();
    expectLogsMatchTable();
    int sent = 0, stoppedItems = 0, recordsWanted = 0;
    for (const SendingItem& item : run.table().items()) {
        sent += item.Status == kSent ? 1 : 0;
        if (item.Status == tesk::sending::kStoppedStatus) {
            ++stoppedItems;
            EXPECT_EQ(item.CurrentStatus, tesk::sending::kStoppedState);
            EXPECT_EQ(item.SentItem, QStringLiteral("0"));
        } else {
            ++recordsWanted;
        }
    }
    EXPECT_GE(sent, finishedAtStop);
    EXPECT_GT(stoppedItems, 0);
    EXPECT_EQ(sent + stoppedItems, kFaultListSize);
    int records = 0;
    sentItems(&records);
    EXPECT_EQ(records, recordsWanted);
}

// A device whose answers all come later than the read time-out leaves each command's answer to
// be found by a later read of the same exchange. The one that refuses a message must still be
// reported as refused: the verdict is the submission's own answer, not the first OK that turns up.
TEST_F(ExactlyOnceTest, RefusalOfADeviceSlowerThanTheReadTimeOutIsNotCreditedAsSent) {
    // A slower clock than the other runs, so that the answers' lateness, not the machine's
    // load, decides which read sees which answer.
    tesk::pacing::ScopedScale slower{0.05};
    const int readTimeOutMs = static_cast<int>(tesk::pacing::scaled(5.0) * 1000);
    constexpr int kSlow = 1;
    constexpr int kRefused = 3;
    // One fast device beside it, so the slow one still has items left for its third message.
    addModems(2, [&](int i, Config& c) {
        if (i == kSlow) {
            c.latencyMs = readTimeOutMs * 12 / 5;
            c.cmsErrorOnSubmission = kRefused;
        }
    });
    const Campaign campaign = makeCampaign(120, false);
    request.list = campaign.list;
    request.saveSentItems = true;
    send(tesk::sending::kRunFinished);

    expectAllFinal();
    expectLogsMatchTable();
    QStringList slow;
    for (const SendingItem& item : run.table().items()) {
        if (item.UsePort == modems[kSlow]->portPath()) {
            slow.append(item.Status);
        }
    }
    QStringList want(kRefused - 1, kSent);
    want.append(QStringLiteral("+CMS ERROR: 500"));
    EXPECT_EQ(slow, want);
    EXPECT_EQ(modems[kSlow]->received().size(), kRefused - 1);
}

}  // namespace
