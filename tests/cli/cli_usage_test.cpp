// Bad command lines end with status 2 and a usage hint before any device is touched; --help
// describes each command; "pdu" is the PDU tool.
#include "cli_test_support.h"

namespace {

using tesk::cli::test::CliTest;
using tesk::cli::test::Describe;

class CliUsage : public CliTest {};

TEST_F(CliUsage, BadArgumentsEndWithStatusTwoAndTouchNoDevice) {
    auto& vm = addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    const QString list = numbersFile(numbers(2));
    const QStringList send = {QStringLiteral("send"), QStringLiteral("--numbers"), list,
                              QStringLiteral("--devices"), vm.portPath()};
    const QStringList sendHi =
        send + QStringList{QStringLiteral("--message"), QStringLiteral("Hi")};
    struct Case {
        const char* name;
        QStringList arguments;
        QString error;  // part of the first line on standard error
    };
    const Case cases[] = {
        {"no command", {}, QStringLiteral("Usage: tesk-sms-cli COMMAND")},
        {"unknown command", {QStringLiteral("fax")}, QStringLiteral("unknown command 'fax'")},
        {"unknown scan option",
         {QStringLiteral("scan"), QStringLiteral("--fast")},
         QStringLiteral("unknown argument '--fast'")},
        {"switch with a value",
         {QStringLiteral("scan"), QStringLiteral("--json=yes")},
         QStringLiteral("--json takes no value")},
        {"no numbers",
         {QStringLiteral("send"), QStringLiteral("--message"), QStringLiteral("Hi")},
         QStringLiteral("--numbers is required")},
        {"no message", send, QStringLiteral("give either --message or --message-file")},
        {"both messages", sendHi + QStringList{QStringLiteral("--message-file"), list},
         QStringLiteral("give either --message or --message-file")},
        {"value missing", send + QStringList{QStringLiteral("--message")},
         QStringLiteral("--message needs a value")},
        {"unknown mode", sendHi + QStringList{QStringLiteral("--mode"), QStringLiteral("fax")},
         QStringLiteral("--mode must be pdu or text")},
        {"unknown pacing",
         sendHi + QStringList{QStringLiteral("--pacing"), QStringLiteral("turbo")},
         QStringLiteral("--pacing must be standard or fast")},
        {"pause not in the list",
         sendHi + QStringList{QStringLiteral("--pause"), QStringLiteral("7 Seconds")},
         QStringLiteral("--pause must be a length")},
        {"count not in the list",
         sendHi + QStringList{QStringLiteral("--pause-every"), QStringLiteral("7")},
         QStringLiteral("--pause-every must be one of 1 2 3 4 5 10 15")},
        {"report format", sendHi + QStringList{QStringLiteral("--report"), QStringLiteral("r.doc")},
         QStringLiteral("--report needs a file name ending in .txt or .html")},
        {"status without report",
         sendHi + QStringList{QStringLiteral("--status"), QStringLiteral("sent")},
         QStringLiteral("--status only goes with --report")},
        {"unknown status",
         sendHi + QStringList{QStringLiteral("--report"), QStringLiteral("r.txt"),
                              QStringLiteral("--status"), QStringLiteral("some")},
         QStringLiteral("--status must be all, sent or not-sent")},
        {"exclusion file missing",
         sendHi +
             QStringList{QStringLiteral("--exclude"), dir.filePath(QStringLiteral("none.txt"))},
         QStringLiteral("--exclude: cannot read")},
        {"invalid service centre",
         sendHi + QStringList{QStringLiteral("--smsc"), QStringLiteral("44+12")},
         QStringLiteral("The SMSC number does not seem to be valid.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = run(c.arguments);
        ASSERT_TRUE(result.finished) << Describe(result);
        EXPECT_EQ(result.exitCode, 2) << Describe(result);
        EXPECT_TRUE(result.err.contains(c.error)) << Describe(result);
        EXPECT_TRUE(result.out.isEmpty()) << Describe(result);
    }
    // Nothing reached the modem: the arguments are checked before any device is questioned.
    EXPECT_TRUE(vm.commands().isEmpty());
    EXPECT_EQ(vm.submissions(), 0);
}

TEST_F(CliUsage, HelpDescribesEachCommand) {
    struct Case {
        QStringList arguments;
        QString usage;
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, QStringLiteral("Usage: tesk-sms-cli COMMAND")},
        {{QStringLiteral("scan"), QStringLiteral("--help")},
         QStringLiteral("Usage: tesk-sms-cli scan")},
        {{QStringLiteral("send"), QStringLiteral("-h")},
         QStringLiteral("Usage: tesk-sms-cli send")},
        {{QStringLiteral("pdu"), QStringLiteral("--help")}, QStringLiteral("Usage: tesk-sms-pdu")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.usage.toStdString());
        const auto result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 0) << Describe(result);
        EXPECT_TRUE(result.out.startsWith(c.usage)) << Describe(result);
    }
    // The send help says how the questions of a scripted run are answered.
    const auto send = run({QStringLiteral("send"), QStringLiteral("--help")});
    EXPECT_TRUE(send.out.contains(QStringLiteral("Questions are answered without asking")));
}

TEST_F(CliUsage, PduCommandIsThePduTool) {
    const auto result =
        run({QStringLiteral("pdu"), QStringLiteral("--number"), QStringLiteral("+447700900123"),
             QStringLiteral("--message"), QStringLiteral("hello")});
    ASSERT_EQ(result.exitCode, 0) << Describe(result);
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << Describe(result);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("# +447700900123: 5 characters, GSM 7-bit")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("part 1/1  gsm7  5 septets  AT+CMGS=")));

    const auto bad = run({QStringLiteral("pdu"), QStringLiteral("--message"), QStringLiteral("x")});
    EXPECT_EQ(bad.exitCode, 2) << Describe(bad);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("--number is required"))) << Describe(bad);
}

}  // namespace
