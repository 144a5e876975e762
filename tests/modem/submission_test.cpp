#include "core/run_flags.h"
#include "modem_test_support.h"
#include "support/pty_pair.h"

#include <QRegularExpression>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

using tesk::test::ModemChannelTest;
using tesk::test::PtyPair;
using tesk::vmodem::ReceivedSms;

QString repeated(const char* unit, int count) {
    return QString::fromUtf8(unit).repeated(count);
}

class Submission : public ModemChannelTest {
  protected:
    void openFor(tesk::vmodem::Config config = {}) {
        openOn(config);
        channel.Set_Read_Timeout(5.0);  // as the sending paths do
    }

    QString joinedText() const {
        QString text;
        for (const ReceivedSms& sms : modem->received()) {
            text += sms.text;
        }
        return text;
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
        {false, repeated("a", 160), false, "pdu gsm7 160 -"},
        {false, repeated("a", 161), false, "pdu gsm7 152 1/2, pdu gsm7 9 2/2"},
        {false, repeated("\xC3\xA9", 40), false, "pdu gsm7 40 -"},  // accents stay 7-bit
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
        if (row.text) {
            ASSERT_TRUE(channel.Prepare_Modem_For_Text_SMS(fd));
            EXPECT_TRUE(channel.Send_Text_SMS(fd, number, row.message, QString(), false,
                                              row.unicodeOption, QString::fromUtf8(path), &outcome,
                                              QStringLiteral("Yes")));
        } else {
            ASSERT_TRUE(channel.Prepare_Modem_For_PDU_SMS(fd));
            EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, row.message, QString(), false, false,
                                             &outcome, QStringLiteral("Yes")));
        }
        EXPECT_EQ(outcome, QStringLiteral("Message sent successfully."));
        const QList<ReceivedSms> got = modem->received();
        EXPECT_EQ(arrival(got), row.expected);
        EXPECT_EQ(joinedText(), row.message);
        for (const ReceivedSms& sms : got) {
            EXPECT_EQ(sms.number, number);
            EXPECT_EQ(sms.concatRef, got[0].concatRef);
        }
    }
}

TEST_F(Submission, FlashArrivesAsClassZeroAndAnUndetectedDeviceReportsDelivery) {
    openFor();
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, QStringLiteral("look at me"), QString(), true,
                                     false, &outcome, QStringLiteral("Yes")));
    ASSERT_EQ(modem->received().size(), 1);
    EXPECT_EQ(modem->received()[0].messageClass, 0);
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, QStringLiteral("hi"), QString(), false, false,
                                     &outcome, QStringLiteral("Not Detected")));
    EXPECT_EQ(outcome, QStringLiteral("Message sent to device."));
    EXPECT_EQ(modem->received()[1].messageClass, -1);
}

// A device that only echoes: the echo of a command is never an acceptance, in either mode.
TEST_F(Submission, EchoOfOurOwnCommandsIsNoAcceptance) {
    openFor({.echoOnly = true});
    EXPECT_FALSE(channel.Send_PDU_SMS(fd, number, QStringLiteral("hello"), QString(), false, false,
                                      &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Device Connection Error!"));
    EXPECT_FALSE(channel.Send_Text_SMS(fd, number, QStringLiteral("hello"), QString(), false, false,
                                       QString(), &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Device Connection Error!"));
    EXPECT_TRUE(modem->received().isEmpty());
}

// Every final answer later than the read time-out (500 ms here): each message is sent once.
TEST_F(Submission, LateFinalAnswersStillCount) {
    openFor({.lateAnswerMs = 700});
    for (const QString& message : {QStringLiteral("first"), QStringLiteral("second")}) {
        EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, message, QString(), false, false, &outcome,
                                         QStringLiteral("Yes")));
        EXPECT_EQ(outcome, QStringLiteral("Message sent successfully."));
    }
    EXPECT_EQ(joinedText(), QStringLiteral("firstsecond"));
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
    channel.Send_PDU_SMS(fd, number, repeated("s", 400), QString(), false, false, &outcome,
                         QStringLiteral("Yes"));
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
    const struct {
        MFCSMS::Pacing pacing;
        int formatQuestions;  // AT+CMGF? before a submission
        int textParameters;   // AT+CSMP=... sent
    } rows[] = {
        {MFCSMS::Pacing::Standard, 6, 6},
        // first message, after the refusal; parameters also for the Unicode message and the one
        // after it
        {MFCSMS::Pacing::Fast, 1, 4},
    };
    const QStringList messages = {"one", "two", "three", "four", QStringLiteral(u"пять"), "six"};
    QStringList want(6, QStringLiteral("Message sent successfully."));
    want[2] = QStringLiteral("+CMS ERROR: 500");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formatQuestions);
        openFor({.cmsErrorOnSubmission = 3, .strictCharset = true});
        channel.Set_Pacing(row.pacing);
        ASSERT_TRUE(channel.Prepare_Modem_For_Text_SMS(fd));
        QStringList outcomes;
        for (const QString& message : messages) {
            channel.Send_Text_SMS(fd, number, message, QString(), false, true,
                                  QString::fromUtf8(path), &outcome, QStringLiteral("Yes"));
            outcomes.append(outcome);
        }
        channel.Finish_Run(fd, QString::fromUtf8(path));
        EXPECT_EQ(outcomes, want);
        QStringList texts;
        for (const ReceivedSms& sms : modem->received()) {
            texts.append(sms.text);
        }
        EXPECT_EQ(texts, QStringList({"one", "two", "four", QStringLiteral(u"пять"), "six"}));
        const QStringList commands = modem->commands();
        EXPECT_EQ(commands.filter(QRegularExpression(QStringLiteral("^AT\\+CMGF\\?$"))).size(),
                  row.formatQuestions);
        EXPECT_EQ(commands.filter(QRegularExpression(QStringLiteral("^AT\\+CSMP="))).size(),
                  row.textParameters);
    }
}

TEST_F(Submission, TextModeCustomServiceCentreIsRestoredAfterSuccessAndFailure) {
    openFor({.cmsErrorOnSubmission = 2});
    DeviceRecord record;
    record.path = modem->portPath();
    record.defaultSmsc = QStringLiteral("+447785016005");
    devices.Insert_port_in_List(record);  // the fixture's list, which the channel reads

    const QString custom = QStringLiteral("+447700900999");
    for (const char* expected : {"Message sent successfully.", "+CMS ERROR: 500"}) {
        channel.Send_Text_SMS(fd, number, QStringLiteral("hello"), custom, false, false,
                              modem->portPath(), &outcome, QStringLiteral("Yes"));
        EXPECT_EQ(outcome, QString::fromUtf8(expected));
        const QStringList commands = modem->commands();
        const qsizetype setCustom =
            commands.lastIndexOf(QStringLiteral("AT+CSCA=\"+447700900999\",145"));
        const qsizetype restore =
            commands.lastIndexOf(QStringLiteral("AT+CSCA=\"+447785016005\",145"));
        const qsizetype submitted = commands.lastIndexOf(
            QRegularExpression(QStringLiteral("AT\\+CMGS=\".*")));  // whole line
        ASSERT_GE(setCustom, 0);
        EXPECT_LT(setCustom, submitted) << expected;
        EXPECT_GT(restore, submitted) << expected;
    }
}

TEST_F(Submission, TextModePayloadCannotEndTheMessageEarly) {
    openFor();
    const QString message = QStringLiteral(
        "pay now\x1a"
        "AT+CSCA=\"+19005550000\",145\r");
    EXPECT_TRUE(channel.Send_Text_SMS(fd, number, message, QString(), false, false,
                                      modem->portPath(), &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(modem->received().size(), 1);
    for (const QString& command : modem->commands()) {
        EXPECT_FALSE(command.contains(QStringLiteral("19005550000"))) << command.toStdString();
    }
}

TEST_F(Submission, SupportedModesAndPreparation) {
    using tesk::vmodem::SmsModes;
    for (const auto& [modes, expected] : {std::pair{SmsModes::Both, 3},
                                          {SmsModes::Pdu, 1},
                                          {SmsModes::Text, 2},
                                          {SmsModes::None, 0}}) {
        openFor({.modes = modes});
        EXPECT_EQ(channel.PDU_or_Text_SMS(fd), expected);
        EXPECT_EQ(channel.Prepare_Modem_For_PDU_SMS(fd), expected == 1 || expected == 3);
        EXPECT_EQ(channel.Prepare_Modem_For_Text_SMS(fd), expected >= 2);
    }
}

TEST_F(Submission, TextParametersFollowFlashAndUnicode) {
    openFor();
    for (const bool flash : {false, true}) {
        for (const bool unicode : {false, true}) {
            EXPECT_TRUE(channel.Set_Text_Mode_SMS_Param(fd, flash, unicode));
        }
    }
    const QStringList commands = modem->commands();
    EXPECT_EQ(commands.filter(QStringLiteral("AT+CSMP")),
              QStringList(
                  {QStringLiteral("AT+CSMP=17,255,0,0"), QStringLiteral("AT+CSMP=17,255,0,8"),
                   QStringLiteral("AT+CSMP=17,255,0,16"), QStringLiteral("AT+CSMP=17,255,0,24")}));
}

TEST(SmsError, ReducesAnswersToTheirErrorText) {
    const std::pair<const char*, const char*> cases[] = {
        {"ERROR", "ERROR"},
        {"  ERROR \r\n", "ERROR"},
        {"AT+CMGS=23\r\r\n> 0011\r\n+CMS ERROR: 38", "+CMS ERROR: 38"},
        {"+CME ERROR: 10", "+CME ERROR: 10"},
        {"junk ERROR more junk", "+CMS ERROR:500"},
        {"+CMGS: 12\r\n\r\nOK", ""},
        {"", ""},
    };
    for (const auto& [answer, expected] : cases) {
        EXPECT_EQ(MFCSMS::Get_SMS_Error(QString::fromUtf8(answer)), QString::fromUtf8(expected))
            << answer;
    }
}

// A device played by hand, for answers the virtual modem never gives.
class HandPlayedDevice : public ModemChannelTest {
  protected:
    void start() {
        device = std::thread([this] {
            QByteArray pending;
            while (!stop) {
                pending += line.receive(10);
                auto nextEnd = [&pending] {
                    const qsizetype cr = pending.indexOf('\r');
                    const qsizetype ctrlZ = pending.indexOf('\x1a');
                    return cr < 0 ? ctrlZ : ctrlZ < 0 ? cr : std::min(cr, ctrlZ);
                };
                qsizetype end;
                while ((end = nextEnd()) >= 0) {
                    const QByteArray command = pending.left(end).trimmed();
                    const bool submitted = pending.at(end) == '\x1a';
                    pending.remove(0, end + 1);
                    if (submitted) {
                        const std::lock_guard<std::mutex> hold(lock);
                        line.send(finalAnswer);
                    } else if (command.startsWith("AT+CMGS")) {
                        line.send("\r\n> ");
                    } else if (command.startsWith("AT")) {
                        line.send("\r\nOK\r\n");
                    }
                }
            }
        });
        path = line.slavePath().toUtf8();
        channel.initPort_with_decp(path.constData(), &fd);
        channel.Set_Read_Timeout(5.0);
    }
    void TearDown() override {
        stop = true;
        if (device.joinable()) {
            device.join();
        }
    }
    PtyPair line;
    std::thread device;
    std::atomic<bool> stop{false};
    std::mutex lock;
    QByteArray finalAnswer;  // what the device says after Ctrl-Z
};

// A bare ERROR, or ERROR among other text, after the message is a refusal.
TEST_F(HandPlayedDevice, ErrorAfterTheMessageIsARefusal) {
    start();
    for (const QByteArray& answer :
         {QByteArray("\r\nERROR\r\n"), QByteArray("\r\nNETWORK ERROR (queue full)\r\n")}) {
        {
            const std::lock_guard<std::mutex> hold(lock);
            finalAnswer = answer;
        }
        QString outcome;
        channel.Send_PDU_SMS(fd, QStringLiteral("+12345"), QStringLiteral("hello"), QString(),
                             false, false, &outcome, QStringLiteral("Yes"));
        EXPECT_EQ(outcome, QStringLiteral("+CMS ERROR:500")) << answer.constData();
    }
}

}  // namespace
