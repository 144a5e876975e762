#include "core/run_flags.h"
#include "modem_test_support.h"
#include "support/param_names.h"
#include "support/pty_pair.h"

#include <QRegularExpression>

#include <atomic>
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

struct PduCase {
    const char* name;
    QString message;
    int parts;
    const char* coding;
    QList<int> lengths;  // characters carried by each part
};

class PduSubmission : public Submission, public ::testing::WithParamInterface<PduCase> {};

TEST_P(PduSubmission, SplitsAsTheRecipientReceivesIt) {
    const PduCase& c = GetParam();
    openFor();
    ASSERT_TRUE(channel.Prepare_Modem_For_PDU_SMS(fd));
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, c.message, QString(), false, false, &outcome,
                                     QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Message sent successfully."));
    const QList<ReceivedSms> got = modem->received();
    ASSERT_EQ(got.size(), c.parts) << c.name;
    EXPECT_EQ(joinedText(), c.message) << c.name;
    for (int i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].number, number);
        EXPECT_EQ(got[i].mode, QStringLiteral("pdu"));
        EXPECT_EQ(got[i].coding, QString::fromUtf8(c.coding)) << c.name;
        EXPECT_EQ(got[i].text.size(), c.lengths.value(i)) << c.name << " part " << i + 1;
        if (c.parts == 1) {
            EXPECT_EQ(got[i].concatRef, -1);
        } else {
            EXPECT_EQ(got[i].concatTotal, c.parts);
            EXPECT_EQ(got[i].concatPart, i + 1);
            EXPECT_EQ(got[i].concatRef, got[0].concatRef);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modem, PduSubmission,
    ::testing::Values(PduCase{"160 characters", repeated("a", 160), 1, "gsm7", {160}},
                      PduCase{"161 characters", repeated("a", 161), 2, "gsm7", {152, 9}},
                      PduCase{"301 characters", repeated("b", 301), 2, "gsm7", {152, 149}},
                      PduCase{"accents stay 7-bit", repeated("\xC3\xA9", 40), 1, "gsm7", {40}},
                      PduCase{"70 Unicode", repeated("\xD0\x96", 70), 1, "ucs2", {70}},
                      PduCase{"71 Unicode", repeated("\xD0\x96", 71), 2, "ucs2", {66, 5}},
                      PduCase{"130 Unicode", repeated("\xD0\x96", 130), 2, "ucs2", {66, 64}}),
    tesk::test::ByCaseName());

TEST_F(Submission, FlashMessageArrivesAsClassZero) {
    openFor();
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, QStringLiteral("look at me"), QString(), true,
                                     false, &outcome, QStringLiteral("Yes")));
    ASSERT_EQ(modem->received().size(), 1);
    EXPECT_EQ(modem->received()[0].messageClass, 0);
}

TEST_F(Submission, DeviceWithoutDetectedCapabilityReportsDelivery) {
    openFor();
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, QStringLiteral("hi"), QString(), false, false,
                                     &outcome, QStringLiteral("Not Detected")));
    EXPECT_EQ(outcome, QStringLiteral("Message sent to device."));
}

TEST_F(Submission, RefusedFirstPartEndsTheMessage) {
    tesk::vmodem::Config config;
    config.cmsErrorOnSubmission = 1;
    openFor(config);
    channel.Send_PDU_SMS(fd, number, repeated("x", 200), QString(), false, false, &outcome,
                         QStringLiteral("Yes"));
    EXPECT_EQ(outcome, QStringLiteral("+CMS ERROR: 500"));
    // The second part alone would reach the recipient as a fragment nobody can read.
    EXPECT_TRUE(modem->received().isEmpty());
    EXPECT_EQ(modem->submissions(), 1);
}

TEST_F(Submission, SilentDeviceIsAConnectionError) {
    tesk::vmodem::Config config;
    config.silentAfterSubmission = 1;
    openFor(config);
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, QStringLiteral("first"), QString(), false, false,
                                     &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Message sent successfully."));
    EXPECT_FALSE(channel.Send_PDU_SMS(fd, number, QStringLiteral("second"), QString(), false, false,
                                      &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Device Connection Error!"));
    EXPECT_EQ(modem->received().size(), 1);
}

TEST_F(Submission, EchoOfOurOwnCommandsIsNoAcceptance) {
    tesk::vmodem::Config config;
    config.echoOnly = true;
    openFor(config);
    EXPECT_FALSE(channel.Send_PDU_SMS(fd, number, QStringLiteral("hello"), QString(), false, false,
                                      &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Device Connection Error!"));
    EXPECT_FALSE(channel.Send_Text_SMS(fd, number, QStringLiteral("hello"), QString(), false, false,
                                       QString(), &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Device Connection Error!"));
    EXPECT_TRUE(modem->received().isEmpty());
}

TEST_F(Submission, LateFinalAnswerStillCountsAsSent) {
    tesk::vmodem::Config config;
    config.lateAnswerMs = 700;  // the sending read time-out is 500 ms here
    openFor(config);
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, number, QStringLiteral("slow network"), QString(), false,
                                     false, &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Message sent successfully."));
    EXPECT_EQ(modem->received().size(), 1);
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

struct PacingCase {
    const char* name;
    MFCSMS::Pacing pacing;
    int formatQuestions;  // AT+CMGF? before a submission
    int textParameters;   // AT+CSMP=... sent
};

class PacedSubmission : public Submission, public ::testing::WithParamInterface<PacingCase> {};

// Six text-mode messages, the third refused: the fast pace tells the device its settings once,
// again after the refusal and whenever a value changes (Unicode and back); the standard pace
// asks and sets them for every message. Both deliver the same messages.
TEST_P(PacedSubmission, SettingsAreSentOnlyAsOftenAsThePaceNeeds) {
    const PacingCase& c = GetParam();
    tesk::vmodem::Config config;
    config.cmsErrorOnSubmission = 3;
    config.strictCharset = true;
    openFor(config);
    channel.Set_Pacing(c.pacing);
    ASSERT_TRUE(channel.Prepare_Modem_For_Text_SMS(fd));
    const QStringList messages = {QStringLiteral("one"),   QStringLiteral("two"),
                                  QStringLiteral("three"), QStringLiteral("four"),
                                  QStringLiteral(u"пять"), QStringLiteral("six")};
    QStringList outcomes;
    for (const QString& message : messages) {
        channel.Send_Text_SMS(fd, number, message, QString(), false, true, QString::fromUtf8(path),
                              &outcome, QStringLiteral("Yes"));
        outcomes.append(outcome);
    }
    channel.Finish_Run(fd, QString::fromUtf8(path));
    QStringList want(6, QStringLiteral("Message sent successfully."));
    want[2] = QStringLiteral("+CMS ERROR: 500");
    EXPECT_EQ(outcomes, want) << c.name;
    QStringList texts;
    for (const ReceivedSms& sms : modem->received()) {
        texts.append(sms.text);
    }
    EXPECT_EQ(texts, QStringList({"one", "two", "four", QStringLiteral(u"пять"), "six"}));
    const QStringList commands = modem->commands();
    EXPECT_EQ(commands.filter(QRegularExpression(QStringLiteral("^AT\\+CMGF\\?$"))).size(),
              c.formatQuestions)
        << c.name;
    EXPECT_EQ(commands.filter(QRegularExpression(QStringLiteral("^AT\\+CSMP="))).size(),
              c.textParameters)
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(Modem, PacedSubmission,
                         ::testing::Values(PacingCase{"standard", MFCSMS::Pacing::Standard, 6, 6},
                                           // first message, after the refusal; parameters also
                                           // for the Unicode message and the one after it
                                           PacingCase{"fast", MFCSMS::Pacing::Fast, 1, 4}));

struct TextCase {
    const char* name;
    QString message;
    bool unicodeOption;
    const char* coding;
    QList<int> lengths;
};

class TextSubmission : public Submission, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextSubmission, SendsSeparateMessagesOfTheRightSize) {
    const TextCase& c = GetParam();
    openFor();
    ASSERT_TRUE(channel.Prepare_Modem_For_Text_SMS(fd));
    EXPECT_TRUE(channel.Send_Text_SMS(fd, number, c.message, QString(), false, c.unicodeOption,
                                      QString::fromUtf8(path), &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("Message sent successfully."));
    const QList<ReceivedSms> got = modem->received();
    ASSERT_EQ(got.size(), c.lengths.size()) << c.name;
    EXPECT_EQ(joinedText(), c.message) << c.name;
    for (int i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].mode, QStringLiteral("text"));
        EXPECT_EQ(got[i].number, number) << c.name;
        EXPECT_EQ(got[i].coding, QString::fromUtf8(c.coding)) << c.name;
        EXPECT_EQ(got[i].text.size(), c.lengths[i]) << c.name;
        EXPECT_EQ(got[i].concatRef, -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modem, TextSubmission,
    ::testing::Values(
        TextCase{"short", QStringLiteral("Meeting at 10"), false, "gsm7", {13}},
        TextCase{"300 characters", repeated("t", 300), false, "gsm7", {150, 150}},
        TextCase{"301 characters", repeated("t", 301), false, "gsm7", {150, 150, 1}},
        TextCase{"71 Unicode", repeated("\xCE\xA8", 71), true, "ucs2", {64, 7}},
        // Outside plain ASCII goes as UCS2 even without the option: raw UTF-8 would be garbled.
        TextCase{"accent without the option", QString::fromUtf8("caf\xC3\xA9"), false, "ucs2", {4}},
        TextCase{"GSM-different ASCII", QStringLiteral("a@b $5 {x}"), false, "ucs2", {10}}),
    tesk::test::ByCaseName());

TEST_F(Submission, TextModeCustomServiceCentreIsRestoredAfterSuccessAndFailure) {
    tesk::vmodem::Config config;
    config.cmsErrorOnSubmission = 2;
    openFor(config);
    DeviceRecord record;
    record.setValue(QStringLiteral("PORT_DETAL"), modem->portPath());
    record.setValue(QStringLiteral("DefSMSC"), QStringLiteral("+447785016005"));
    DeviceList devices;
    devices.Insert_port_in_List(record);
    channel.Set_Device_List(&devices);

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
        qsizetype submitted = -1;
        for (qsizetype i = 0; i < commands.size(); ++i) {
            if (commands[i].startsWith(QStringLiteral("AT+CMGS=\""))) {
                submitted = i;
            }
        }
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
    const struct {
        tesk::vmodem::SmsModes modes;
        int expected;
        const char* logged;
    } cases[] = {{tesk::vmodem::SmsModes::Both, 3, "Both PDU Mode and Text Mode"},
                 {tesk::vmodem::SmsModes::Pdu, 1, "Only PDU Mode"},
                 {tesk::vmodem::SmsModes::Text, 2, "Only Text Mode"},
                 {tesk::vmodem::SmsModes::None, 0, nullptr}};
    for (const auto& c : cases) {
        tesk::vmodem::Config config;
        config.modes = c.modes;
        openFor(config);
        EXPECT_EQ(channel.PDU_or_Text_SMS(fd), c.expected);
        if (c.logged) {
            EXPECT_TRUE(logged.contains(QString::fromUtf8(c.logged)));
        }
        EXPECT_EQ(channel.Prepare_Modem_For_PDU_SMS(fd), c.expected == 1 || c.expected == 3);
        EXPECT_EQ(channel.Prepare_Modem_For_Text_SMS(fd), c.expected >= 2);
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
    void start(const QByteArray& finalAnswer) {
        device = std::thread([this, finalAnswer] {
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
};

TEST_F(HandPlayedDevice, BareErrorAfterTheMessageIsARefusal) {
    start("\r\nERROR\r\n");
    QString outcome;
    EXPECT_TRUE(channel.Send_PDU_SMS(fd, QStringLiteral("+12345"), QStringLiteral("hello"),
                                     QString(), false, false, &outcome, QStringLiteral("Yes")));
    EXPECT_EQ(outcome, QStringLiteral("+CMS ERROR:500"));
}

TEST_F(HandPlayedDevice, ErrorAmongOtherTextIsARefusal) {
    start("\r\nNETWORK ERROR (queue full)\r\n");
    QString outcome;
    channel.Send_PDU_SMS(fd, QStringLiteral("+12345"), QStringLiteral("hello"), QString(), false,
                         false, &outcome, QStringLiteral("Yes"));
    EXPECT_EQ(outcome, QStringLiteral("+CMS ERROR:500"));
}

}  // namespace
