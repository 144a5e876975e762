// The send options as a recipient sees them: mode, message class, coding, message file,
// service centre and the pause, each checked in what the modem received.
#include "cli_test_support.h"

namespace tesk::cli::test {
namespace {

using CliSendOptions = CliTest;

TEST_F(CliSendOptions, EachOptionReachesTheRecipient) {
    struct Case {
        QStringList arguments;                      // besides --numbers and --devices
        QList<std::pair<QString, QString>> fields;  // as the modem logged them; "": absent
        QString rawStart = "";                      // how the PDU begins
        QString onStandardError = "";
    };
    const QString message = writeFile("message.txt", "Привет,\nмир\n");
    const Case cases[] = {
        {{"--message", "Hello"},
         {{"mode", "pdu"}, {"text", "Hello"}, {"coding", "gsm7"}, {"class", ""}}},
        {{"--message", "Grüße", "--mode", "TEXT", "--pacing", "fast"},
         {{"mode", "text"}, {"text", "Grüße"}},
         "",
         "You have selected 'Text Mode' for sending Messages."},
        {{"--message", "Now", "--flash"}, {{"class", "0"}, {"text", "Now"}}},
        {{"--message", "Hello", "--unicode"}, {{"coding", "ucs2"}, {"text", "Hello"}}},
        {{"--message-file", message}, {{"text", "Привет,\nмир"}, {"coding", "ucs2"}}},
        // Length 7, international, 447785016006 in swapped semi-octets.
        {{"--message", "Hi", "--smsc", "+44 7785-016006"}, {{"text", "Hi"}}, "0791447758100660"},
        {{"--message", "Hi", "--pause-every", "1", "--pause", "5 seconds"},
         {{"text", "Hi"}},
         "",
         "Pausing the process for 5 Seconds."},
    };
    addModem();
    const QStringList recipients = numbers(3);
    const QString list = numbersFile(recipients);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QFile::remove(modems.logPath());
        const auto result = run(
            QStringList{"send", "--numbers", list, "--devices", devicesArgument()} + c.arguments);
        EXPECT_EQ(result.exitCode, 0) << Describe(result);
        EXPECT_EQ(receivedNumbers(true), recipients);
        for (const QJsonObject& sms : receivedSms()) {
            for (const auto& [key, value] : c.fields) {
                EXPECT_EQ(sms.value(key).toVariant().toString(), value) << key.toStdString();
            }
            EXPECT_TRUE(sms.value("raw").toString().startsWith(c.rawStart));
        }
        EXPECT_TRUE(result.err.contains(c.onStandardError)) << Describe(result);
    }
}

}  // namespace
}  // namespace tesk::cli::test
