// The send options as a recipient sees them: mode, message class, coding, message file,
// service centre and the pause, each checked in what the modem received.
#include "cli_test_support.h"

namespace {

using tesk::cli::test::CliTest;
using tesk::cli::test::Describe;
using tesk::cli::test::Parse_Summary;

class CliSendOptions : public CliTest {};

TEST_F(CliSendOptions, EachOptionReachesTheRecipient) {
    struct Case {
        const char* name;
        std::function<QStringList()> arguments;  // besides --numbers and --devices
        std::function<void(const QJsonObject& sms)> check;
        QString onStandardError;  // "" when nothing particular is printed
    };
    const Case cases[] = {
        {"default PDU mode",
         [] {
             return QStringList{QStringLiteral("--message"), QStringLiteral("Hello")};
         },
         [](const QJsonObject& sms) {
             EXPECT_EQ(sms.value(QStringLiteral("mode")).toString(), QStringLiteral("pdu"));
             EXPECT_EQ(sms.value(QStringLiteral("text")).toString(), QStringLiteral("Hello"));
             EXPECT_EQ(sms.value(QStringLiteral("coding")).toString(), QStringLiteral("gsm7"));
             EXPECT_EQ(sms.value(QStringLiteral("class")).toInt(-1), -1);
         },
         QString()},
        {"text mode",
         [] {
             return QStringList{QStringLiteral("--message"), QStringLiteral("Hello"),
                                QStringLiteral("--mode"), QStringLiteral("TEXT")};
         },
         [](const QJsonObject& sms) {
             EXPECT_EQ(sms.value(QStringLiteral("mode")).toString(), QStringLiteral("text"));
             EXPECT_EQ(sms.value(QStringLiteral("text")).toString(), QStringLiteral("Hello"));
         },
         QStringLiteral("You have selected 'Text Mode' for sending Messages.")},
        {"flash",
         [] {
             return QStringList{QStringLiteral("--message"), QStringLiteral("Now"),
                                QStringLiteral("--flash")};
         },
         [](const QJsonObject& sms) { EXPECT_EQ(sms.value(QStringLiteral("class")).toInt(-1), 0); },
         QString()},
        {"unicode",
         [] {
             return QStringList{QStringLiteral("--message"), QStringLiteral("Hello"),
                                QStringLiteral("--unicode")};
         },
         [](const QJsonObject& sms) {
             EXPECT_EQ(sms.value(QStringLiteral("coding")).toString(), QStringLiteral("ucs2"));
             EXPECT_EQ(sms.value(QStringLiteral("text")).toString(), QStringLiteral("Hello"));
         },
         QString()},
        {"message file",
         [this] {
             return QStringList{QStringLiteral("--message-file"),
                                writeFile(QStringLiteral("message.txt"),
                                          QStringLiteral("Привет,\nмир\n").toUtf8())};
         },
         [](const QJsonObject& sms) {
             EXPECT_EQ(sms.value(QStringLiteral("text")).toString(),
                       QStringLiteral("Привет,\nмир"));
             EXPECT_EQ(sms.value(QStringLiteral("coding")).toString(), QStringLiteral("ucs2"));
         },
         QString()},
        {"custom service centre",
         [] {
             return QStringList{QStringLiteral("--message"), QStringLiteral("Hi"),
                                QStringLiteral("--smsc"), QStringLiteral("+44 7785-016006")};
         },
         [](const QJsonObject& sms) {
             // Length 7, international, 447785016006 in swapped semi-octets.
             EXPECT_TRUE(sms.value(QStringLiteral("raw"))
                             .toString()
                             .startsWith(QStringLiteral("0791447758100660")))
                 << sms.value(QStringLiteral("raw")).toString().toStdString();
         },
         QString()},
        {"fast pacing in text mode",
         [] {
             return QStringList{QStringLiteral("--message"), QStringLiteral(u"Grüße"),
                                QStringLiteral("--mode"),    QStringLiteral("text"),
                                QStringLiteral("--pacing"),  QStringLiteral("fast")};
         },
         [](const QJsonObject& sms) {
             EXPECT_EQ(sms.value(QStringLiteral("mode")).toString(), QStringLiteral("text"));
             EXPECT_EQ(sms.value(QStringLiteral("text")).toString(), QStringLiteral(u"Grüße"));
         },
         QString()},
        {"pause after every message",
         [] {
             return QStringList{QStringLiteral("--message"),     QStringLiteral("Hi"),
                                QStringLiteral("--pause-every"), QStringLiteral("1"),
                                QStringLiteral("--pause"),       QStringLiteral("5 seconds")};
         },
         [](const QJsonObject&) {}, QStringLiteral("Pausing the process for 5 Seconds.")},
    };
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    const QStringList recipients = numbers(3);
    const QString list = numbersFile(recipients);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(logPath());
        const auto result = run(QStringList{QStringLiteral("send"), QStringLiteral("--numbers"),
                                            list, QStringLiteral("--devices"), devicesArgument()} +
                                c.arguments());
        ASSERT_TRUE(result.finished) << Describe(result);
        EXPECT_EQ(result.exitCode, 0) << Describe(result);
        EXPECT_EQ(Parse_Summary(result.out).sent, 3) << Describe(result);
        const QList<QJsonObject> received = receivedSms();
        QStringList numbersReceived = receivedNumbers();
        numbersReceived.sort();
        EXPECT_EQ(numbersReceived, recipients);
        for (const QJsonObject& sms : received) {
            c.check(sms);
        }
        if (!c.onStandardError.isEmpty()) {
            EXPECT_TRUE(result.err.contains(c.onStandardError)) << Describe(result);
        }
    }
}

}  // namespace
