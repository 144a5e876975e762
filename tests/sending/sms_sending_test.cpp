// A GSM sending run against virtual modems: refusals, per-device and daily limits, application
// end between the parts of a message, delayed delivery in batches, a stop during a pause
// and the status report. Exactly-once at full scale is exactly_once_test.cpp.
#include "sending_run_fixture.h"

#include "appcore/app_delegate.h"
#include "stores/templates.h"
#include "support/spin.h"

#include <QFile>

namespace tesk::sending::test {
namespace {

using vmodem::Config;

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
        {"three network refusals in a row", true, 38, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        Config refusing;
        (c.everyLaterOne ? refusing.cmsErrorFromSubmission : refusing.cmsErrorOnSubmission) = 3;
        refusing.cmsErrorCode = c.code;
        addModem(refusing);
        recipients(7);
        request.keepGoingAfterRefusal = c.keepGoing;
        send(kRunFinished);
        const QString refused = QString("+CMS ERROR: %1").arg(c.code);
        QStringList want = {kSent, kSent, refused};
        if (c.everyLaterOne) {
            want += {refused, refused, "Stopped.", "Stopped."};
        } else {
            want += QStringList(4, c.goesOn ? kSent : "Stopped.");
        }
        EXPECT_EQ(statuses(), want);
        EXPECT_EQ(modems[0].received().size(), c.goesOn && !c.everyLaterOne ? 6 : 2);
    }
}

TEST_F(SendingRunTest, DeviceLimitsPerRunAndPerDay) {
    struct Case {
        int modems;
        int limit;
        QDate day;  // null: the limit counts per run
        int sent;   // of 10 recipients over three modems, of 4 over one per day
        QString notice;
    };
    const QString today = "\nEvery device has sent its 3 messages allowed today.";
    const QString perRun =
        "\nEvery device has sent its 2 messages allowed in this run. The 4 "
        "messages left were not sent and are marked \"Stopped.\"";
    const Case cases[] = {
        {3, 2, {}, 6, perRun},
        {3, 5, {}, 10, ""},
        {1, 3, QDate(2026, 12, 8), 3, today},
        {1, 3, QDate(2026, 12, 8), 0, today},  // the same day: nothing left
        {1, 3, QDate(2026, 12, 9), 3, today},  // the next day starts afresh
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        SCOPED_TRACE(c.day.toString(Qt::ISODate).toStdString());
        pacing::setToday(c.day);
        reset();
        addModems(c.modems);
        const int count = c.day.isNull() ? 10 : 4;
        recipients(count);
        request.deviceLimit = c.limit;
        request.deviceLimitPerDay = !c.day.isNull();
        if (!c.notice.isEmpty()) {
            dialogs.expectNotice(c.notice);
        }
        send(kRunFinished);
        EXPECT_EQ(received().size(), c.sent);
        EXPECT_EQ(statuses().count("Stopped."), count - c.sent);
        for (const auto& modem : modems) {
            EXPECT_LE(modem->received().size(), c.limit);
        }
    }
    pacing::setToday(QDate());
}

// The application ends while the device waits for the answer to the first part of a long
// message. Closing the ports then must wait for the run: the answer is read on the port it was
// asked on, the stop reaches the message between its parts (the part already out cannot be
// recalled), the rest is stopped without a word, and only then is the port closed. How the
// channel words a message stopped between parts is the modem suite's.
TEST_F(SendingRunTest, ApplicationEndMidMessageStopsTheRunBeforeItsPortCloses) {
    pacing::ScopedScale slower{0.5};  // read time-outs well beyond the late answers
    Config slow;
    slow.lateAnswerMs = 150;
    vmodem::VirtualModem& modem = addModem(slow);
    recipients(4);
    request.list[0].Message = QString(152 * 2 + 1, QLatin1Char('a'));
    start();
    ASSERT_TRUE(tesk::test::spinUntil([&] { return modem.submissions() == 1; }));

    Tesk_SMSAppDelegate app(nullptr);
    app.applicationWillTerminate();
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.endMessage(), kRunStopped);
    EXPECT_EQ(statuses(), (QStringList{"Message stopped after 1 of 3 parts.", "Stopped.",
                                       "Stopped.", "Stopped."}));
    EXPECT_EQ(received().size(), 1);
    EXPECT_EQ(mfc_sms_obj_arr(0)->port, nullptr);
}

// All devices count towards the same N: nothing goes out during a pause, every batch holds
// exactly N messages across the devices, and there is no pause after the last message. The list
// ends inside a batch: the devices that find nothing left give their places in it back, or the
// others would wait for a batch that can never fill.
TEST_F(SendingRunTest, DevicesPauseTogetherAfterEveryNMessages) {
    addModems(4);
    recipients(22);
    request.delayed = true;
    request.countText = "5";
    request.pauseText = "5  Seconds";
    QList<int> atStart;
    QList<int> inLastSecond;
    view.onPauseLabel = [&](const QString& label) {
        if (label == "Pausing the process for 5 Seconds.") {
            atStart.append(int(received().size()));
        } else if (label == "Pausing the process for 1 Second.") {
            inLastSecond.append(int(received().size()));
        }
    };
    send(kRunFinished);
    EXPECT_EQ(statuses(), QStringList(22, kSent));
    EXPECT_EQ(atStart, QList<int>({5, 10, 15, 20}));
    EXPECT_EQ(inLastSecond, atStart);  // each pause ran to its end before the next message
    // The pace the window shows counts the pauses in full, and nothing is left.
    const RateInput rate = run.Rate_Input();
    EXPECT_EQ(rate.handled, 22);
    EXPECT_EQ(rate.remaining, 0);
    EXPECT_GE(rate.pausedSeconds, 4 * 5.0);
}

// A stop during a pause ends it and stops the rest. The run's report of what was not sent holds
// the stopped items; a template was saved for each message the device answered, none for those
// the run never reached.
TEST_F(SendingRunTest, StoppingDuringAPauseEndsItAndStopsTheRestAndTheReportSaysSo) {
    addModem();
    recipients(5);
    request.delayed = true;
    request.countText = "2";
    request.pauseText = "10 Seconds";
    request.saveTemplates = true;
    start();
    ASSERT_TRUE(tesk::test::spinUntil([&] { return run.pausing(); }));
    dialogs.expect("Terminating the current process", "Yes");
    dialogs.expectNotice("\nSMS Sending process is stopped");
    run.Stop_Btn();
    finish(kRunStopped);
    EXPECT_FALSE(run.pausing());
    EXPECT_EQ(statuses(), (QStringList{kSent, kSent, "Stopped.", "Stopped.", "Stopped."}));
    EXPECT_EQ(received().size(), 2);
    const QStringList templates = stores::Load_Templates_File(Templates_Path).templates;
    EXPECT_TRUE(templates.contains("Hello 0"));
    EXPECT_FALSE(templates.contains("Hello 2"));
    const QString path = modems.filePath("report");
    dialogs.expect("Which sent items", "Not Sent");
    dialogs.expect("In which format", "Text");
    dialogs.expectFileToSave(path);
    run.Export_Btn();
    ASSERT_EQ(view.exported, path + ".txt");
    QFile file(view.exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(file.readAll().constData() + 2));
    EXPECT_FALSE(text.contains("Hello 1"));
    EXPECT_TRUE(text.contains("Number\t\t: +447700900002\nMessage\t\t: Hello 2\n"));
    EXPECT_TRUE(text.contains("Sent Status\t: Stopped.\n"));
}

}  // namespace
}  // namespace tesk::sending::test
