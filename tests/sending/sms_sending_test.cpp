// A GSM sending run against virtual modems: every recipient exactly once over several devices,
// a device that is refused, stop, application end mid-message, duplicates, delayed delivery,
// the stored records and the status report.
#include "sending/sms_sending.h"

#include "appcore/app_delegate.h"
#include "appstate/data_paths.h"
#include "core/log.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "stores/sent_items.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "virtual-modem/virtual_modem.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using tesk::sending::SendingItem;
using tesk::sending::SendingRequest;
using tesk::sending::SMS_Sending;
using tesk::test::ScriptedDialogs;
using tesk::vmodem::Config;
using tesk::vmodem::VirtualModem;

struct RecordingSendingView final : tesk::sending::SendingView {
    void redrawTable() override {
        if (onRedraw) {
            onRedraw();
        }
    }
    void setStatusText(const QString& text) override { status = text; }
    void setProgressText(const QString& text) override { progress.append(text); }
    void setOverallBar(int, int) override {}
    void setMessageBar(int) override {}
    void setPauseLabel(const QString& text) override {
        if (pauseLabels.isEmpty() || pauseLabels.last() != text) {
            pauseLabels.append(text);
            if (onPauseLabel) {
                onPauseLabel(text);
            }
        }
    }
    void setStopVisible(bool) override {}
    void setExportVisible(bool visible) override { exportVisible = visible; }
    void setCloseEnabled(bool) override {}
    void showPleaseWait(bool) override {}
    void closeWindow() override { ++closed; }
    void offerToOpenExportedFile(const QString& path) override { exported = path; }

    std::function<void()> onRedraw;
    std::function<void(const QString&)> onPauseLabel;
    QString status;
    QStringList progress;
    QStringList pauseLabels;
    bool exportVisible = false;
    int closed = 0;
    QString exported;
};

class SendingRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
        Fill_Channel_Table();
        run.setView(&view);
    }
    void TearDown() override { close_all_ports(); }

    VirtualModem& addModem(const QString& name, Config config = {}) {
        config.name = name;
        config.logPath = runtime.filePath(QStringLiteral("received.jsonl"));
        modems.push_back(std::make_unique<VirtualModem>(config));
        EXPECT_TRUE(modems.back()->start());
        DeviceRecord record;
        record.setValue(QStringLiteral("COM_PORT"), name);
        record.setValue(QStringLiteral("PORT_DETAL"), modems.back()->portPath());
        record.setValue(QStringLiteral("SMSMode"), QStringLiteral("PDU Mode"));
        record.setValue(QStringLiteral("UseCusSMSC"), QStringLiteral("N"));
        record.setValue(QStringLiteral("SMS_CAPABLE"), QStringLiteral("Yes"));
        request.devices.append(record);
        request.entries.append(modems.back()->portPath());
        return *modems.back();
    }
    void recipients(int count) {
        for (int i = 0; i < count; ++i) {
            request.list.append({QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')),
                                 QStringLiteral("Hello %1").arg(i)});
        }
    }
    void send(const QString& endMessage) {
        if (request.entries.size() > 1) {
            request.entries.append(QStringLiteral("All Device"));
            request.selected = QStringLiteral("All Device");
        } else {
            request.selected = request.entries.value(0);
        }
        dialogs.expectNotice(QStringLiteral("\n") + endMessage);
        run.Open_SMS_Sending_Dialog(request);
        run.Wait_For_Run();
        EXPECT_EQ(run.endMessage(), endMessage);
        EXPECT_EQ(run.statusText(), QStringLiteral("Finish."));
        EXPECT_TRUE(view.exportVisible);
    }
    QStringList received() const {
        QStringList numbers;
        for (const auto& m : modems) {
            for (const auto& sms : m->received()) {
                numbers.append(sms.number);
            }
        }
        return numbers;
    }
    QStringList statuses() const {
        QStringList s;
        for (const SendingItem& item : run.table().items()) {
            s.append(item.Status);
        }
        return s;
    }

    QTemporaryDir runtime;
    tesk::pacing::ScopedScale fast{0.02};
    tesk::log::Capture logged;
    ScriptedDialogs dialogs;
    std::vector<std::unique_ptr<VirtualModem>> modems;
    SendingRequest request;
    RecordingSendingView view;
    SMS_Sending run;
};

TEST_F(SendingRunTest, TwoDevicesSendEveryRecipientExactlyOnce) {
    addModem(QStringLiteral("VM0"));
    addModem(QStringLiteral("VM1"));
    recipients(10);
    request.saveSentItems = true;
    send(tesk::sending::kRunFinished);

    EXPECT_EQ(statuses(), QStringList(10, QStringLiteral("Message sent successfully.")));
    QStringList numbers = received();
    EXPECT_EQ(numbers.size(), 10);
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), 10);
    EXPECT_FALSE(modems[0]->received().isEmpty());
    EXPECT_FALSE(modems[1]->received().isEmpty());
    for (const SendingItem& item : run.table().items()) {
        const int device = request.entries.indexOf(item.UsePort);
        ASSERT_GE(device, 0);
        EXPECT_EQ(item.CurrentStatus, QStringLiteral("Done (%1)").arg(item.UsePort));
        EXPECT_EQ(item.SentItem, QStringLiteral("1"));
        bool found = false;
        for (const auto& sms : modems[device]->received()) {
            found = found || (sms.number == item.Number && sms.text == item.Message);
        }
        EXPECT_TRUE(found) << item.Number.toStdString();
    }
    EXPECT_EQ(tesk::stores::LoadItems_Sent_Items(tesk::stores::Sent_Item_File(1)).size(), 10);
    EXPECT_EQ(view.progress.last(), QStringLiteral("10 / 10 Message or 100.00%"));
}

TEST_F(SendingRunTest, RefusalEndsTheDeviceUnlessItConcernsOnlyThatNumber) {
    struct Case {
        const char* name;
        bool keepGoing;
        int code;
        bool goesOn;
        bool everyLaterOne = false;  // the modem refuses the third message and all after it
    };
    const Case cases[] = {
        {"refusal ends the only device", false, 38, false},
        {"network cause with keep going", true, 38, true},
        {"device error 330 with keep going", true, 330, false},
        {"SIM error 310 with keep going", true, 310, false},
        {"three network refusals in a row", true, 38, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modems.clear();
        request = {};
        Fill_Channel_Table();
        Config refusing;
        (c.everyLaterOne ? refusing.cmsErrorFromSubmission : refusing.cmsErrorOnSubmission) = 3;
        refusing.cmsErrorCode = c.code;
        addModem(QStringLiteral("VM0"), refusing);
        recipients(7);
        request.keepGoingAfterRefusal = c.keepGoing;
        send(tesk::sending::kRunFinished);
        const QString sent = QStringLiteral("Message sent successfully.");
        const QString refused = QStringLiteral("+CMS ERROR: %1").arg(c.code);
        QStringList want = {sent, sent, refused};
        if (c.everyLaterOne) {
            want += {refused, refused, QStringLiteral("Stopped."), QStringLiteral("Stopped.")};
        } else {
            want += QStringList(4, c.goesOn ? sent : QStringLiteral("Stopped."));
        }
        EXPECT_EQ(statuses(), want);
        EXPECT_EQ(modems[0]->received().size(), c.goesOn && !c.everyLaterOne ? 6 : 2);
    }
}

TEST_F(SendingRunTest, EachDeviceStopsAtItsLimitAndTheOthersGoOn) {
    for (const char* name : {"VM0", "VM1", "VM2"}) {
        addModem(QString::fromLatin1(name));
    }
    recipients(10);
    request.deviceLimit = 2;
    dialogs.expectNotice(
        QStringLiteral("\nEvery device has sent its 2 messages allowed in this run. The 4 "
                       "messages left were not sent and are marked \"Stopped.\""));
    send(tesk::sending::kRunFinished);
    for (const auto& modem : modems) {
        EXPECT_LE(modem->received().size(), 2);
    }
    EXPECT_EQ(received().size(), 6);
    EXPECT_EQ(statuses().count(QStringLiteral("Stopped.")), 4);
}

TEST_F(SendingRunTest, LimitsThatAreNotReachedChangeNothing) {
    for (const int limit : {5, 100}) {
        SCOPED_TRACE(limit);
        modems.clear();
        request = {};
        Fill_Channel_Table();
        for (const char* name : {"VM0", "VM1", "VM2"}) {
            addModem(QString::fromLatin1(name));
        }
        recipients(10);
        request.deviceLimit = limit;
        send(tesk::sending::kRunFinished);
        EXPECT_EQ(received().size(), 10);
        for (const auto& modem : modems) {
            EXPECT_LE(modem->received().size(), limit);
        }
    }
}

TEST_F(SendingRunTest, DailyLimitHoldsAcrossRunsUntilTheNextDay) {
    tesk::pacing::setToday(QDate(2026, 12, 8));
    const QList<std::pair<QDate, int>> runs = {
        {QDate(2026, 12, 8), 3}, {QDate(2026, 12, 8), 0}, {QDate(2026, 12, 9), 3}};
    int before = 0;
    for (const auto& [day, expected] : runs) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        tesk::pacing::setToday(day);
        modems.clear();
        request = {};
        Fill_Channel_Table();
        addModem(QStringLiteral("VM0"));
        recipients(4);
        request.deviceLimit = 3;
        request.deviceLimitPerDay = true;
        dialogs.expectNotice(
            QStringLiteral("\nEvery device has sent its 3 messages allowed today."));
        send(tesk::sending::kRunFinished);
        EXPECT_EQ(int(received().size()), expected);
        before += expected;
    }
    tesk::pacing::setToday(QDate());
    EXPECT_EQ(before, 6);
}

TEST_F(SendingRunTest, StoppingMarksTheWaitingItemsStopped) {
    addModem(QStringLiteral("VM0"));
    recipients(8);
    dialogs.expect(QStringLiteral("Terminating the current process will stop sending text"),
                   QStringLiteral("Yes"));
    bool stopped = false;
    view.onRedraw = [&] {
        if (!stopped && run.table().finishedCount() == 1) {
            stopped = true;
            run.Stop_Btn();
        }
    };
    send(tesk::sending::kRunStopped);
    ASSERT_TRUE(stopped);
    const QStringList s = statuses();
    EXPECT_GE(s.count(QStringLiteral("Stopped.")), 5);
    EXPECT_EQ(
        s.count(QStringLiteral("Message sent successfully.")) + s.count(QStringLiteral("Stopped.")),
        8);
    EXPECT_EQ(modems[0]->received().size(), s.count(QStringLiteral("Message sent successfully.")));
    EXPECT_EQ(view.closed, 0);
}

TEST_F(SendingRunTest, StopReachesALongMessageBetweenItsParts) {
    Config slow;
    slow.verdictDelayMs = 20;  // every part takes a moment, as on a network
    VirtualModem& modem = addModem(QStringLiteral("VM0"), slow);
    request.list.append({QStringLiteral("+447700900123"), QString(152 * 9 + 1, QLatin1Char('a'))});
    dialogs.expect(QStringLiteral("Terminating the current process will stop sending text"),
                   QStringLiteral("Yes"));
    QTimer poll;
    bool stopped = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!stopped && modem.received().size() >= 3) {
            stopped = true;
            run.Stop_Btn();
        }
    });
    poll.start(2);
    send(tesk::sending::kRunStopped);
    ASSERT_TRUE(stopped);
    // The parts already out cannot be recalled; the item says how many there were, and no part
    // went out after the stop was seen.
    const int parts = int(modem.received().size());
    EXPECT_LT(parts, 10);
    EXPECT_EQ(statuses(),
              QStringList({QStringLiteral("Message stopped after %1 of 10 parts.").arg(parts)}));
}

TEST_F(SendingRunTest, ClosingWhileSendingStopsAndClosesTheWindow) {
    addModem(QStringLiteral("VM0"));
    recipients(6);
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    bool asked = false;
    view.onRedraw = [&] {
        if (!asked && run.table().finishedCount() == 1) {
            asked = true;
            run.CancelPressed();
        }
    };
    send(tesk::sending::kRunStoppedAndClosed);
    EXPECT_EQ(view.closed, 1);
}

// The application ends while the device waits for the answer to a message. Closing the ports
// then must wait for the run: the answer is read on the port it was asked on, the rest is
// stopped without a word, and only then is the port closed.
TEST_F(SendingRunTest, ApplicationEndMidMessageStopsTheRunBeforeItsPortCloses) {
    tesk::pacing::ScopedScale slower{0.5};  // read time-outs well beyond the late answers
    Config slow;
    slow.lateAnswerMs = 150;
    VirtualModem& modem = addModem(QStringLiteral("VM0"), slow);
    recipients(4);
    request.selected = request.entries.value(0);
    run.Open_SMS_Sending_Dialog(request);
    ASSERT_TRUE(tesk::test::spinUntil([&] { return modem.submissions() == 1; }));

    tesk::Tesk_SMSAppDelegate app(nullptr);
    app.applicationWillTerminate();
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.endMessage(), tesk::sending::kRunStopped);
    EXPECT_EQ(statuses(),
              (QStringList{"Message sent successfully.", "Stopped.", "Stopped.", "Stopped."}));
    EXPECT_EQ(received().size(), 1);
    EXPECT_EQ(mfc_sms_obj_arr(0)->port, nullptr);
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(SendingRunTest, DuplicatesAndExcludedNumbersAreNeverSent) {
    addModem(QStringLiteral("VM0"));
    request.list = {{"+447700900001", "a"},
                    {"+447700900002", "b"},
                    {"+447700900001", "c"},
                    {"+447700900003", "d"}};
    request.rules.skipDuplicates = true;
    request.rules.useExclusions = true;
    request.rules.isExcluded = [](const QString& n) { return n == QLatin1String("+447700900003"); };
    send(tesk::sending::kRunFinished);
    EXPECT_EQ(statuses(), (QStringList{"Message sent successfully.", "Message sent successfully.",
                                       "Skipped.", "Excluded."}));
    EXPECT_EQ(received(), (QStringList{"+447700900001", "+447700900002"}));
}

TEST_F(SendingRunTest, PausesAfterEveryNMessagesButNotAfterTheLast) {
    addModem(QStringLiteral("VM0"));
    recipients(5);
    request.delayed = true;
    request.countText = QStringLiteral("2");
    request.pauseText = QStringLiteral("5  Seconds");
    send(tesk::sending::kRunFinished);
    EXPECT_EQ(received().size(), 5);
    const QStringList countdown = {
        "Pausing the process for 5 Seconds.", "Pausing the process for 4 Seconds.",
        "Pausing the process for 3 Seconds.", "Pausing the process for 2 Seconds.",
        "Pausing the process for 1 Second.",  ""};
    // Two pauses (after 2 and 4 messages), none after the fifth.
    EXPECT_EQ(view.pauseLabels.mid(1), countdown + countdown)
        << view.pauseLabels.join('|').toStdString();
    // The pace the window shows is measured on the program's own clock: both pauses count
    // in full, and nothing is left.
    const tesk::sending::RateInput rate = run.Rate_Input();
    EXPECT_EQ(rate.handled, 5);
    EXPECT_EQ(rate.remaining, 0);
    EXPECT_GE(rate.pausedSeconds, 2 * 5.0);
    EXPECT_GT(rate.seconds, rate.pausedSeconds);
    EXPECT_TRUE(run.rateText().endsWith(QStringLiteral("messages/min")))
        << run.rateText().toStdString();
}

// Both devices count towards the same N: one pause after every ten messages of the run, run by
// one device while the other waits, and every recipient still gets exactly one message.
TEST_F(SendingRunTest, DevicesPauseTogetherAfterExactlyNMessagesEach) {
    for (const char* name : {"VM0", "VM1", "VM2", "VM3"}) {
        addModem(QString::fromLatin1(name));
    }
    recipients(23);
    request.delayed = true;
    request.countText = QStringLiteral("5");
    request.pauseText = QStringLiteral("5  Seconds");
    // What the modems had received when each pause began and in its last second: nothing may
    // go out during a pause, and every batch holds exactly 5 messages across the 4 devices.
    QList<int> atStart;
    QList<int> inLastSecond;
    view.onPauseLabel = [&](const QString& label) {
        if (label == QLatin1String("Pausing the process for 5 Seconds.")) {
            atStart.append(int(received().size()));
        } else if (label == QLatin1String("Pausing the process for 1 Second.")) {
            inLastSecond.append(int(received().size()));
        }
    };
    send(tesk::sending::kRunFinished);
    QStringList numbers = received();
    numbers.removeDuplicates();
    EXPECT_EQ(numbers.size(), 23);
    EXPECT_EQ(received().size(), 23);
    EXPECT_EQ(atStart, QList<int>({5, 10, 15, 20}));  // and none after the last message
    EXPECT_EQ(inLastSecond, atStart);
    int devicesUsed = 0;
    for (const auto& modem : modems) {
        devicesUsed += modem->received().isEmpty() ? 0 : 1;
    }
    EXPECT_GT(devicesUsed, 1);
}

TEST_F(SendingRunTest, StoppingDuringAPauseEndsItAndStopsTheRest) {
    addModem(QStringLiteral("VM0"));
    recipients(5);
    request.delayed = true;
    request.countText = QStringLiteral("2");
    request.pauseText = QStringLiteral("10 Seconds");
    request.selected = request.entries.value(0);
    run.Open_SMS_Sending_Dialog(request);
    ASSERT_TRUE(tesk::test::spinUntil([&] { return run.pausing(); }));
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    dialogs.expectNotice(QStringLiteral("\nSMS Sending process is stopped"));
    run.Stop_Btn();
    run.Wait_For_Run();
    EXPECT_FALSE(run.pausing());
    EXPECT_EQ(run.endMessage(), tesk::sending::kRunStopped);
    EXPECT_EQ(statuses(), (QStringList{"Message sent successfully.", "Message sent successfully.",
                                       "Stopped.", "Stopped.", "Stopped."}));
    EXPECT_EQ(received().size(), 2);
    EXPECT_EQ(view.pauseLabels.last(), QString());
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(SendingRunTest, StatusReportOfTheRun) {
    Config refusing;
    refusing.cmsErrorOnSubmission = 2;
    addModem(QStringLiteral("VM0"), refusing);
    recipients(3);
    send(tesk::sending::kRunFinished);
    const QString path = runtime.filePath(QStringLiteral("report"));
    dialogs.expect(QStringLiteral("Which sent items"), QStringLiteral("Not Sent"));
    dialogs.expect(QStringLiteral("In which format"), QStringLiteral("Text"));
    dialogs.expectFileToSave(path);
    run.Export_Btn();
    ASSERT_EQ(view.exported, path + QStringLiteral(".txt"));
    QFile file(view.exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(file.readAll().constData() + 2));
    EXPECT_FALSE(text.contains(QStringLiteral("Hello 0")));
    EXPECT_TRUE(text.contains(QStringLiteral("Number\t\t: +447700900001\nMessage\t\t: Hello 1\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Sent Status\t: Stopped.\n")));
}

}  // namespace
