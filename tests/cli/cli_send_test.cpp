// "send": the whole way from a numbers file to the modems' logs, the summary, the report and
// the exit status.
#include "cli_test_support.h"

namespace tesk::cli::test {
namespace {

using CliSend = CliTest;

TEST_F(CliSend, EveryNumberOnceOverTwoModemsWithTheReportInEitherFormat) {
    // The report's suffix picks its format; what each format holds is the report writer's own
    // business, checked with it.
    const std::pair<const char*, QString> cases[] = {{"status.txt", QString(76, '=')},
                                                     {"status.html", "<html"}};
    addModem();
    addModem();
    const QStringList recipients = numbers(20);
    const QString list = numbersFile(recipients);
    int runs = 0;
    for (const auto& [name, start] : cases) {
        SCOPED_TRACE(name);
        QFile::remove(logPath());
        const QString report = modems.filePath(name);
        const auto result = send(list, QString("Spring sale %1").arg(++runs),
                                 {"--report", report, "--save-sent-items"});
        ASSERT_EQ(result.exitCode, 0) << Describe(result);
        EXPECT_EQ(receivedNumbers(true), recipients);  // every number exactly once
        EXPECT_EQ(result.out,
                  "Summary: 20 items, 20 sent, 0 not sent, 0 left out\n"
                  "    20  Message sent successfully.\n");
        // The engine's progress text on standard error, up to the end.
        EXPECT_TRUE(result.err.contains("20 / 20 Message or 100.00%")) << Describe(result);
        EXPECT_TRUE(result.err.contains("SMS Sending process is finished."));
        EXPECT_TRUE(result.err.contains("Report written to " + report));
        const QString text = Read_Utf16(report);
        EXPECT_TRUE(text.startsWith(start)) << text.left(200).toStdString();
        EXPECT_EQ(text.count(kSent), 20);
    }
    // Both runs were added to the sent items, one record per message.
    const QString stored = readData("SentItem.VORN");
    EXPECT_EQ(stored.count("Spring sale 1"), 20);
    EXPECT_EQ(stored.count("Spring sale 2"), 20);
}

TEST_F(CliSend, ExcludedAndRepeatedNumbersAreNeverSent) {
    addModem();
    const QStringList to = numbers(6);
    // A repeated number, and a csv list whose other columns are no numbers.
    const QString list = writeFile(
        "people.csv", QString("Ann,%1\nBob,%2\nCid,%3\nDee,%4\nEve,%5\nFay,%6\nAnn again,%1\n")
                          .arg(to[0], to[1], to[2], to[3], to[4], to[5])
                          .toUtf8());
    // An empty list excludes nobody and is no fault.
    const auto result = send(list, "Hello",
                             {"--exclude", writeFile("stop1.txt", to[1].toUtf8()), "--exclude",
                              writeFile("stop2.txt", (to[4] + "\n").toUtf8()), "--exclude",
                              writeFile("none.txt", ""), "--skip-duplicates"});
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    EXPECT_EQ(receivedNumbers(true), (QStringList{to[0], to[2], to[3], to[5]}));
    // Left out while the list is read, so they are no items of the run.
    EXPECT_TRUE(result.err.contains("Imported 4 numbers. Left out 3: 1 duplicate, 2 excluded."))
        << Describe(result);
    EXPECT_EQ(result.out,
              "Summary: 4 items, 4 sent, 0 not sent, 0 left out\n"
              "     4  Message sent successfully.\n");
}

TEST_F(CliSend, ADeviceThatRefusesLeavesTheRestNotSent) {
    vmodem::Config refusing;
    refusing.cmsErrorOnSubmission = 3;
    addModem(refusing);
    const QStringList recipients = numbers(6);
    const QString report = modems.filePath("not-sent.txt");
    const auto result =
        send(numbersFile(recipients), "Hi", {"--report", report, "--status", "not-sent"});
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    // The first two went out; the third was refused and the device took no more.
    EXPECT_EQ(receivedNumbers(), recipients.mid(0, 2));
    EXPECT_EQ(result.out,
              "Summary: 6 items, 2 sent, 4 not sent, 0 left out\n"
              "     2  Message sent successfully.\n"
              "     1  +CMS ERROR: 500\n"
              "     3  Stopped.\n");
    // The report lists exactly the items that were not sent.
    const QString text = Read_Utf16(report);
    for (int i = 0; i < recipients.size(); ++i) {
        EXPECT_EQ(text.contains(recipients[i]), i >= 2) << recipients[i].toStdString();
    }
    EXPECT_FALSE(text.contains(kSent));
}

TEST_F(CliSend, ADeviceThatCannotBeUsedIsLeftOutAndTheOthersSend) {
    vmodem::Config bare;
    bare.serviceCentreAnswer = vmodem::ServiceCentreAnswer::Absent;
    addModem(bare);
    addModem();
    const QStringList recipients = numbers(5);
    const auto result = send(numbersFile(recipients), "Hi");
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    // The device without a service centre was left out on the user's behalf, and said so.
    EXPECT_TRUE(
        result.err.contains("VM0\nDefault SMSC Number could not be located for this "
                            "device."))
        << Describe(result);
    EXPECT_TRUE(
        result.err.contains("Are you sure you want to continue without selecting device?\n-> Yes"));
    EXPECT_TRUE(result.err.contains("Devices: VM1 (")) << Describe(result);
    EXPECT_EQ(receivedNumbers(true), recipients);
    EXPECT_EQ(modems[0].submissions(), 0);
    EXPECT_EQ(modems[1].submissions(), 5);
}

TEST_F(CliSend, AReportThatCannotBeWrittenEndsWithStatusOne) {
    addModem();
    const QString report = modems.filePath("no-such-folder/status.txt");
    const auto result = send(numbersFile(numbers(2)), "Hi", {"--report", report});
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    EXPECT_TRUE(result.err.contains("Error in file accessing.")) << Describe(result);
    EXPECT_TRUE(result.out.startsWith("Summary: 2 items, 2 sent,")) << Describe(result);
    EXPECT_FALSE(QFile::exists(report));
}

TEST_F(CliSend, NoWorkingDeviceOrNothingToSendEndsWithStatusTwoAndSendsNothing) {
    vmodem::Config noSms;
    noSms.smsSupported = false;
    addModem(noSms);
    vmodem::Config pduOnly;
    pduOnly.modes = vmodem::SmsModes::Pdu;
    addModem(pduOnly);
    addModem();
    const QString noDevice = "Device list is empty.";
    const QStringList badList = {
        "Either file is corrupted or selected file contains invalid characters.",
        "Phone numbers-Messages list is empty."};
    const QString list = numbersFile(numbers(3));
    const auto on = [this](int i) { return modems[i].portPath(); };
    const std::pair<QStringList, QStringList> cases[] = {
        {{"--devices", modems.filePath("ttyGONE"), "--numbers", list}, {noDevice}},
        {{"--devices", on(0), "--numbers", list}, {noDevice}},  // no SMS
        {{"--devices", on(1), "--numbers", list, "--mode", "text"},
         {"Please select device from list."}},
        {{"--devices", on(2), "--numbers", writeFile("bad.txt", "hello\nworld\n")}, badList},
        {{"--devices", on(2), "--numbers", modems.filePath("missing.txt")}, badList},
    };
    for (const auto& [arguments, errors] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto result = run(QStringList{"send", "--message", "Hi"} + arguments);
        EXPECT_EQ(result.exitCode, 2) << Describe(result);
        for (const QString& error : errors) {
            EXPECT_TRUE(result.err.contains(error)) << Describe(result);
        }
        EXPECT_TRUE(result.out.isEmpty()) << Describe(result);
    }
    EXPECT_TRUE(receivedNumbers().isEmpty());
    for (int i = 0; i < modems.size(); ++i) {
        EXPECT_EQ(modems[i].submissions(), 0);
    }
}

}  // namespace
}  // namespace tesk::cli::test
