// Bad command lines end with status 2 and a usage hint before any device is touched; --help
// ends with status 0 (what it says is not restated here); "pdu" is the PDU tool.
#include "cli_test_support.h"

namespace tesk::cli::test {
namespace {

using CliUsage = CliTest;

TEST_F(CliUsage, BadArgumentsEndWithStatusTwoAndTouchNoDevice) {
    auto& vm = addModem();
    const QString list = numbersFile(numbers(2));
    const QStringList send = {"send", "--numbers", list, "--devices", vm.portPath()};
    const QStringList sendHi = send + QStringList{"--message", "Hi"};
    // The arguments, and part of the first line on standard error.
    const std::pair<QStringList, QString> cases[] = {
        {{}, "Usage: tesk-sms-cli COMMAND"},
        {{"fax"}, "unknown command 'fax'"},
        {{"scan", "--fast"}, "unknown argument '--fast'"},
        {{"scan", "--json=yes"}, "--json takes no value"},
        {{"send", "--message", "Hi"}, "--numbers is required"},
        {send, "give either --message or --message-file"},
        {sendHi + QStringList{"--message-file", list}, "give either --message or --message-file"},
        {send + QStringList{"--message"}, "--message needs a value"},
        {sendHi + QStringList{"--mode", "fax"}, "--mode must be pdu or text"},
        {sendHi + QStringList{"--pacing", "turbo"}, "--pacing must be standard or fast"},
        {sendHi + QStringList{"--pause", "7 Seconds"}, "--pause must be a length"},
        {sendHi + QStringList{"--pause-every", "7"},
         "--pause-every must be one of 1 2 3 4 5 10 15"},
        {sendHi + QStringList{"--report", "r.doc"},
         "--report needs a file name ending in .txt or .html"},
        {sendHi + QStringList{"--status", "sent"}, "--status only goes with --report"},
        {sendHi + QStringList{"--report", "r.txt", "--status", "some"},
         "--status must be all, sent or not-sent"},
        {sendHi + QStringList{"--exclude", modems.filePath("none.txt")}, "--exclude: cannot read"},
        // Readable, but what it holds cannot be read: sending on would leave out nobody.
        {sendHi + QStringList{"--exclude", writeFile("stop.rtf", "+447700900123\n")},
         "--exclude: cannot read"},
        {sendHi + QStringList{"--smsc", "44+12"}, "The SMSC number does not seem to be valid."},
        {{"pdu", "--message", "x"}, "--number is required"},
    };
    for (const auto& [arguments, error] : cases) {
        SCOPED_TRACE(error.toStdString());
        const auto result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << Describe(result);
        EXPECT_TRUE(result.err.contains(error)) << Describe(result);
        EXPECT_TRUE(result.out.isEmpty()) << Describe(result);
    }
    // Nothing reached the modem: the arguments are checked before any device is questioned.
    EXPECT_TRUE(vm.commands().isEmpty());
}

TEST_F(CliUsage, HelpEndsWithStatusZeroAndPduIsThePduTool) {
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"send", "-h"}}) {
        const auto help = run(arguments);
        EXPECT_EQ(help.exitCode, 0) << Describe(help);
        EXPECT_TRUE(help.out.startsWith("Usage: tesk-sms-cli")) << Describe(help);
    }
    const auto pdu = run({"pdu", "--number", "+447700900123", "--message", "hello"});
    EXPECT_EQ(pdu.exitCode, 0) << Describe(pdu);
    EXPECT_EQ(pdu.out,
              "# +447700900123: 5 characters, GSM 7-bit, single message\npart 1/1  gsm7  5 "
              "septets  AT+CMGS=19  0011000C914477000910320000FF05E8329BFD06\n");
}

}  // namespace
}  // namespace tesk::cli::test
