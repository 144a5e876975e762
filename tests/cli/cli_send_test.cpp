// "send": its options and exit status from a numbers file to the modems' logs, the summary and
// the report. Which items go out, and in what order, are the sending suites' rules.
#include "cli_test_support.h"

namespace tesk::cli::test {
namespace {

using CliSend = CliTest;

// The report's suffix picks its format; what each format holds is the report writer's own
// business, checked with it. Every run is added to the sent items.
TEST_F(CliSend, EveryNumberOnceOverTwoModemsWithTheReportInEitherFormat) {
    addModem();
    addModem();
    const QStringList recipients = numbers(6);
    const QString list = numbersFile(recipients);
    for (const auto& [name, start] : {std::pair<const char*, QString>{"status.txt", "====="},
                                      std::pair<const char*, QString>{"status.html", "<html"}}) {
        SCOPED_TRACE(name);
        QFile::remove(modems.logPath());
        const QString report = modems.filePath(name);
        const auto result =
            send(list, QString("Sale ") + name, {"--report", report, "--save-sent-items"});
        ASSERT_EQ(result.exitCode, 0) << Describe(result);
        EXPECT_EQ(receivedNumbers(true), recipients);  // every number exactly once
        EXPECT_EQ(result.out,
                  "Summary: 6 items, 6 sent, 0 not sent, 0 left out\n"
                  "     6  Message sent successfully.\n");
        EXPECT_TRUE(result.err.contains("Report written to " + report)) << Describe(result);
        const QString text = Read_Utf16(report);
        EXPECT_TRUE(text.startsWith(start)) << text.left(200).toStdString();
        EXPECT_EQ(readData("SentItem.VORN").count(QString("Sale ") + name), 6);
    }
}

// Left out while the list is read, so they are no items of the run; an empty list excludes
// nobody and is no fault.
TEST_F(CliSend, ExcludedAndRepeatedNumbersAreNeverSent) {
    addModem();
    const QStringList to = numbers(4);
    const auto result = send(numbersFile(to + QStringList{to[0]}), "Hello",
                             {"--exclude", writeFile("stop1.txt", to[1].toUtf8()), "--exclude",
                              writeFile("none.txt", ""), "--skip-duplicates"});
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    EXPECT_EQ(receivedNumbers(true), (QStringList{to[0], to[2], to[3]}));
    EXPECT_TRUE(result.err.contains("Imported 3 numbers. Left out 2: 1 duplicate, 1 excluded."))
        << Describe(result);
    EXPECT_TRUE(result.out.startsWith("Summary: 3 items, 3 sent,")) << Describe(result);
}

// Items not sent end the run with status 1; the report of the not-sent ones lists exactly them.
TEST_F(CliSend, ADeviceThatRefusesLeavesTheRestNotSent) {
    vmodem::Config refusing;
    refusing.cmsErrorOnSubmission = 3;
    addModem(refusing);
    const QStringList recipients = numbers(4);
    const QString report = modems.filePath("not-sent.txt");
    const auto result =
        send(numbersFile(recipients), "Hi", {"--report", report, "--status", "not-sent"});
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    EXPECT_EQ(result.out,
              "Summary: 4 items, 2 sent, 2 not sent, 0 left out\n"
              "     2  Message sent successfully.\n"
              "     1  +CMS ERROR: 500\n"
              "     1  Stopped.\n");
    const QString text = Read_Utf16(report);
    for (int i = 0; i < recipients.size(); ++i) {
        EXPECT_EQ(text.contains(recipients[i]), i >= 2) << recipients[i].toStdString();
    }
}

TEST_F(CliSend, AReportThatCannotBeWrittenEndsWithStatusOne) {
    addModem();
    const QString report = modems.filePath("no-such-folder/status.txt");
    const auto result = send(numbersFile(numbers(2)), "Hi", {"--report", report});
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    EXPECT_TRUE(result.err.contains("Error in file accessing.")) << Describe(result);
    EXPECT_TRUE(result.out.startsWith("Summary: 2 items, 2 sent,")) << Describe(result);
}

TEST_F(CliSend, NoWorkingDeviceOrNothingToSendEndsWithStatusTwoAndSendsNothing) {
    vmodem::Config pduOnly;
    pduOnly.modes = vmodem::SmsModes::Pdu;
    addModem(pduOnly);
    const QString list = numbersFile(numbers(3));
    const std::pair<QStringList, QString> cases[] = {
        {{"--devices", modems.filePath("ttyGONE"), "--numbers", list}, "Device list is empty."},
        {{"--devices", modems[0].portPath(), "--numbers", list, "--mode", "text"},
         "Please select device from list."},
        {{"--devices", modems[0].portPath(), "--numbers", writeFile("bad.txt", "hello\n")},
         "Phone numbers-Messages list is empty."},
    };
    for (const auto& [arguments, error] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto result = run(QStringList{"send", "--message", "Hi"} + arguments);
        EXPECT_EQ(result.exitCode, 2) << Describe(result);
        EXPECT_TRUE(result.err.contains(error)) << Describe(result);
    }
    EXPECT_EQ(modems[0].submissions(), 0);
}

}  // namespace
}  // namespace tesk::cli::test
