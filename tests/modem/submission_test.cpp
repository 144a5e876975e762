#include "core/run_flags.h"
#include "modem_test_support.h"

#include <QRegularExpression>

#include <atomic>
#include <thread>
#include <tuple>

namespace {

using tesk::test::ModemChannelTest;
using tesk::vmodem::ReceivedSms;

const QString kSent = QStringLiteral("Message sent successfully.");
const QString kLost = QStringLiteral("Device Connection Error!");

QString repeated(const char* unit, int count) {
    return QString::fromUtf8(unit).repeated(count);
}

class Submission : public ModemChannelTest {
  protected:
    void openFor(tesk::vmodem::Config config = {}) {
        openOn(config);
        channel.Set_Read_Timeout(5.0);  // as the sending paths do
    }
    bool sendPdu(const QString& message, bool flash = false, const char* capable = "Yes") {
        return channel.Send_PDU_SMS(fd, number, message, QString(), flash, false, &outcome,
                                    QString::fromLatin1(capable));
    }
    bool sendText(const QString& message, bool unicode = false, const QString& smsc = QString()) {
        return channel.Send_Text_SMS(fd, number, message, smsc, false, unicode,
                                     QString::fromUtf8(path), &outcome, QStringLiteral("Yes"));
    }
    QStringList texts() const {
        QStringList all;
        for (const ReceivedSms& sms : modem->received()) {
            all.append(sms.text);
        }
        return all;
    }

    const QString number = QStringLiteral("+447700900123");
    QString outcome;
};

// What the recipient got, part by part: mode, coding, characters, part/total ("-" single).
QString arrival(const QList<ReceivedSms>& got) {
    QStringList parts;
    for (const ReceivedSms& sms : got) {
        parts.append(
            QStringLiteral("%1 %2 %3 %4")
                .arg(sms.mode, sms.coding)
                .arg(sms.text.size())
                .arg(sms.concatRef == -1
                         ? QStringLiteral("-")
                         : QStringLiteral("%1/%2").arg(sms.concatPart).arg(sms.concatTotal)));
    }
    return parts.join(QStringLiteral(", "));
}

TEST_F(Submission, SplitsAsTheRecipientReceivesIt) {
    const struct {
        bool text;  // text mode, else PDU mode
        QString message;
        bool unicodeOption;
        QString expected;
    } rows[] = {
        {false, repeated("a", 161), false, "pdu gsm7 152 1/2, pdu gsm7 9 2/2"},
        {false, repeated("\xD0\x96", 71), false, "pdu ucs2 66 1/2, pdu ucs2 5 2/2"},
        {true, repeated("t", 301), false, "text gsm7 150 -, text gsm7 150 -, text gsm7 1 -"},
        {true, repeated("\xCE\xA8", 71), true, "text ucs2 64 -, text ucs2 7 -"},
        // Outside plain ASCII goes as UCS2 even without the option: raw UTF-8 would be garbled.
        {true, QString::fromUtf8("caf\xC3\xA9"), false, "text ucs2 4 -"},
        {true, "a@b $5 {x}", false, "text ucs2 10 -"},  // ASCII that GSM reads otherwise
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected.toStdString());
        openFor();
        ASSERT_TRUE(row.text ? channel.Prepare_Modem_For_Text_SMS(fd)
                             : channel.Prepare_Modem_For_PDU_SMS(fd));
        EXPECT_TRUE(row.text ? sendText(row.message, row.unicodeOption) : sendPdu(row.message));
        EXPECT_EQ(outcome, kSent);
        const QList<ReceivedSms> got = modem->received();
        EXPECT_EQ(arrival(got), row.expected);
        EXPECT_EQ(texts().join(QString()), row.message);
        for (const ReceivedSms& sms : got) {
            EXPECT_EQ(sms.number, number);
            EXPECT_EQ(sms.concatRef, got[0].concatRef);
        }
    }
}

TEST_F(Submission, FlashArrivesAsClassZeroAndAnUndetectedDeviceReportsDelivery) {
    openFor();
    EXPECT_TRUE(sendPdu(QStringLiteral("look at me"), true));
    EXPECT_TRUE(sendPdu(QStringLiteral("hi"), false, "Not Detected"));
    EXPECT_EQ(outcome, QStringLiteral("Message sent to device."));
    ASSERT_EQ(modem->received().size(), 2);
    EXPECT_EQ(modem->received()[0].messageClass, 0);
    EXPECT_EQ(modem->received()[1].messageClass, -1);
}

// Habits that leave no modem to prepare: a device that only echoes (an echo is never an
// acceptance, in either mode), and every final answer later than the read time-out (500 ms).
TEST_F(Submission, EchoIsNoAcceptanceAndLateAnswersStillCount) {
    openFor({.echoOnly = true});
    EXPECT_FALSE(sendPdu(QStringLiteral("hello")));
    EXPECT_EQ(outcome, kLost);
    EXPECT_FALSE(sendText(QStringLiteral("hello")));
    EXPECT_EQ(outcome, kLost);
    EXPECT_TRUE(modem->received().isEmpty());

    openFor({.lateAnswerMs = 700});
    for (const QString& message : {QStringLiteral("first"), QStringLiteral("second")}) {
        EXPECT_TRUE(sendPdu(message));
        EXPECT_EQ(outcome, kSent);
    }
    EXPECT_EQ(texts(), QStringList({"first", "second"}));
}

TEST_F(Submission, StopDuringPartTwoOfThreeSendsNoMoreParts) {
    openFor();
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done && modem->submissions() < 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        Stop_SMS_Sending_Now = true;
    });
    sendPdu(repeated("s", 400));
    done = true;
    watcher.join();
    Stop_SMS_Sending_Now = false;
    EXPECT_EQ(modem->received().size(), 2);
    EXPECT_EQ(outcome, QStringLiteral("Message stopped after 2 of 3 parts."));
}

// Six text-mode messages, the third refused: the fast pace tells the device its settings once,
// again after the refusal and whenever a value changes (Unicode and back); the standard pace
// asks and sets them for every message. Both deliver the same messages.
TEST_F(Submission, SettingsAreSentOnlyAsOftenAsThePaceNeeds) {
    // AT+CMGF? before a submission and AT+CSMP=... sent: the fast pace asks once and sets the
    // parameters for the first message, after the refusal, for the Unicode message and the one
    // after it.
    for (const auto& [pacing, formatQuestions, textParameters] :
         {std::tuple{MFCSMS::Pacing::Standard, 6, 6}, {MFCSMS::Pacing::Fast, 1, 4}}) {
        SCOPED_TRACE(formatQuestions);
        openFor({.cmsErrorOnSubmission = 3, .strictCharset = true});
        channel.Set_Pacing(pacing);
        ASSERT_TRUE(channel.Prepare_Modem_For_Text_SMS(fd));
        QStringList outcomes;
        for (const char* message : {"one", "two", "three", "four", "пять", "six"}) {
            sendText(message, true);
            outcomes.append(outcome);
        }
        channel.Finish_Run(fd, QString::fromUtf8(path));
        EXPECT_EQ(outcomes, QStringList({kSent, kSent, "+CMS ERROR: 500", kSent, kSent, kSent}));
        EXPECT_EQ(texts(), QStringList({"one", "two", "four", "пять", "six"}));
        const QStringList commands = modem->commands();
        EXPECT_EQ(commands.count(QStringLiteral("AT+CMGF?")), formatQuestions);
        EXPECT_EQ(commands.filter(QRegularExpression(QStringLiteral("^AT\\+CSMP="))).size(),
                  textParameters);
    }
}

TEST_F(Submission, TextModeCustomServiceCentreIsRestoredAfterSuccessAndFailure) {
    openFor({.cmsErrorOnSubmission = 2});
    DeviceRecord record;
    record.path = modem->portPath();
    record.defaultSmsc = QStringLiteral("+447785016005");
    devices.Insert_port_in_List(record);  // the fixture's list, which the channel reads

    for (const QString& expected : {kSent, QStringLiteral("+CMS ERROR: 500")}) {
        sendText(QStringLiteral("hello"), false, QStringLiteral("+447700900999"));
        EXPECT_EQ(outcome, expected);
    }
    // The custom centre before each message, the device's own after it, sent or refused.
    const QString custom = QStringLiteral(R"(AT+CSCA="+447700900999",145)");
    const QString own = QStringLiteral(R"(AT+CSCA="+447785016005",145)");
    const QString submit = QStringLiteral(R"(AT+CMGS="+447700900123")");
    EXPECT_EQ(modem->commands().filter(QRegularExpression(QStringLiteral(R"(^AT\+(CSCA|CMGS)=)"))),
              QStringList({custom, submit, own, custom, submit, own}));
}

TEST_F(Submission, TextModePayloadCannotEndTheMessageEarly) {
    openFor();
    const QString message = QStringLiteral(
        "pay now\x1a"
        "AT+CSCA=\"+19005550000\",145\r");
    EXPECT_TRUE(sendText(message));
    EXPECT_EQ(modem->received().size(), 1);
    for (const QString& command : modem->commands()) {
        EXPECT_FALSE(command.contains(QStringLiteral("19005550000"))) << command.toStdString();
    }
}

// A device with one mode is not prepared for the other.
TEST_F(Submission, PreparationFollowsTheSupportedModes) {
    using tesk::vmodem::SmsModes;
    openFor({.modes = SmsModes::Pdu});
    EXPECT_TRUE(channel.Prepare_Modem_For_PDU_SMS(fd));
    EXPECT_FALSE(channel.Prepare_Modem_For_Text_SMS(fd));
    openFor({.modes = SmsModes::Text});
    EXPECT_FALSE(channel.Prepare_Modem_For_PDU_SMS(fd));
    EXPECT_TRUE(channel.Prepare_Modem_For_Text_SMS(fd));
}

TEST_F(Submission, TextParametersFollowFlashAndUnicode) {
    openFor();
    for (const bool flash : {false, true}) {
        for (const bool unicode : {false, true}) {
            EXPECT_TRUE(channel.Set_Text_Mode_SMS_Param(fd, flash, unicode));
        }
    }
    EXPECT_EQ(modem->commands().filter(QStringLiteral("AT+CSMP")),
              QStringList({"AT+CSMP=17,255,0,0", "AT+CSMP=17,255,0,8", "AT+CSMP=17,255,0,16",
                           "AT+CSMP=17,255,0,24"}));
}

TEST(SmsError, ReducesAnswersToTheirErrorText) {
    const std::pair<const char*, const char*> cases[] = {
        {"ERROR", "ERROR"},
        {"AT+CMGS=23\r\r\n> 0011\r\n+CMS ERROR: 38", "+CMS ERROR: 38"},
        {"+CME ERROR: 10", "+CME ERROR: 10"},
        {"junk ERROR more junk", "+CMS ERROR:500"},
        {"+CMGS: 12\r\n\r\nOK", ""},
    };
    for (const auto& [answer, expected] : cases) {
        EXPECT_EQ(MFCSMS::Get_SMS_Error(QString::fromUtf8(answer)), QString::fromUtf8(expected))
            << answer;
    }
}

}  // namespace
