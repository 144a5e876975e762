// Real modems refuse before the prompt, answer many seconds late, mix unsolicited lines into
// their answers, echo when reset and fall silent (how noise and broken UTF-8 in an answer are
// read is the transcript table's). For each such habit, in PDU and text mode with echo on and
// off, three messages go out through the virtual modem and the outcome recorded for each must
// agree with what the modem did: refused or unanswered is never "sent", delivered is "sent"
// exactly once, and the message after the fault is judged on its own answer.
#include "modem_test_support.h"

#include <QRegularExpression>

namespace {

using tesk::test::ModemChannelTest;
using tesk::vmodem::Config;

const QString kSent = QStringLiteral("Message sent successfully.");
const QString kLost = QStringLiteral("Device Connection Error!");

struct Fault {
    const char* name;
    Config config;
    QString secondOutcome;  // what the second message (the one the habit hits) must read
    bool deviceGone = false;
    QString secondMessage = QStringLiteral("second message");
};

Config::Unsolicited before(const char* line) {
    return {Config::Unsolicited::BeforeVerdict, 2, line};
}

// A late verdict comes well after the read time-out (250 ms here) and well inside the bound
// for a submission's own answer.
constexpr int kLateMs = 700;
const QString kCms38 = QStringLiteral("+CMS ERROR: 38");

const Fault kFaults[] = {
    {"refusal before the prompt",
     {.refuseBeforePromptOnSubmission = 2},
     "+CMS ERROR: 330",
     false,
     "Call now\rATD+19005550000;"},
    {"bare ERROR before the prompt",
     {.refuseBeforePromptOnSubmission = 2, .refuseBeforePromptAnswer = "ERROR"},
     "+CMS ERROR:500"},
    {"unsolicited lines before a late refusal",
     {.cmsErrorOnSubmission = 2,
      .cmsErrorCode = 38,
      .verdictDelayMs = kLateMs,
      .verdictDelayOnSubmission = 2,
      .unsolicited = {before("+CMTI: \"SM\",3"), before("+CREG: 1"), before("^RSSI:14")}},
     kCms38},
    {"late acceptance of a message with line breaks",
     {.verdictDelayMs = kLateMs, .verdictDelayOnSubmission = 2},
     kSent,
     false,
     "first line\rERROR\rthird line"},
    {"COMMAND NOT SUPPORT as the verdict", {.notSupportedOnSubmission = 2}, "+CMS ERROR:500"},
    {"prompt, then silence", {.silentAfterPromptOnSubmission = 2}, kLost, true},
    // starts without echo whatever the row says
    {"echo switched on by the reset",
     {.cmsErrorOnSubmission = 2, .echoAfterReset = true},
     "+CMS ERROR: 500"},
    {"strict character set after a Unicode message", {.strictCharset = true}, kSent},
    // The second part alone would reach the recipient as a fragment nobody can read.
    {"refused first part of a long message",
     {.cmsErrorOnSubmission = 2},
     "+CMS ERROR: 500",
     false,
     QString(200, u'x')},
    {"silent after a submission", {.silentAfterSubmission = 2}, kSent, true},
};

// Outcomes, and the messages the modem recorded for the numbers: every message read as sent
// arrived exactly once, with its text; no other did.
TEST_F(ModemChannelTest, FaultTableOutcomeAgreesWithTheModem) {
    const tesk::pacing::ScopedScale faster{0.05};
    for (const Fault& fault : kFaults) {
        for (const int mode : {0, 1, 2, 3}) {
            const bool text = mode & 1;
            const bool echo = mode & 2;
            SCOPED_TRACE(QStringLiteral("%1 in %2 mode, echo %3")
                             .arg(QLatin1String(fault.name), text ? "text" : "PDU")
                             .arg(echo)
                             .toStdString());
            Config config = fault.config;
            config.echo = echo && !config.echoAfterReset;
            openOn(config);
            channel.ATZ_reset_Modem(fd);  // as the device scan does before it questions
            if (!(text ? channel.Prepare_Modem_For_Text_SMS(fd)
                       : channel.Prepare_Modem_For_PDU_SMS(fd))) {
                ADD_FAILURE() << "not prepared";
                continue;
            }
            channel.Set_Read_Timeout(5.0);
            // The first message needs Unicode, so text mode leaves the UCS2 character set
            // behind it.
            const QStringList messages = {QStringLiteral(u"Привет"), fault.secondMessage,
                                          QStringLiteral("third message")};
            QStringList outcomes;
            QStringList arrivals;
            QStringList expected;
            for (int i = 0; i < 3; ++i) {
                const QString number = QStringLiteral("+44770090000%1").arg(i + 1);
                QString outcome;
                text ? channel.Send_Text_SMS(fd, number, messages[i], QString(), false, true,
                                             QString::fromUtf8(path), &outcome,
                                             QStringLiteral("Yes"))
                     : channel.Send_PDU_SMS(fd, number, messages[i], QString(), false, false,
                                            &outcome, QStringLiteral("Yes"));
                outcomes.append(outcome);
                QString arrived;
                for (const auto& sms : modem->received()) {
                    arrived += sms.number == number ? sms.text + u'|' : QString();
                }
                arrivals.append(arrived);
                // A line break typed in text mode reaches the recipient as LF.
                expected.append(outcome != kSent ? QString()
                                : text           ? QString(messages[i]).replace(u'\r', u'\n') + u'|'
                                                 : messages[i] + u'|');
            }
            EXPECT_EQ(outcomes,
                      QStringList({kSent, fault.secondOutcome, fault.deviceGone ? kLost : kSent}));
            EXPECT_EQ(arrivals, expected);
            EXPECT_TRUE(modem->commands().filter(QRegularExpression("^ATD")).isEmpty())
                << "a message line ran as a command";
        }
    }
}

}  // namespace
