// Real modems refuse before the prompt, answer many seconds late, mix unsolicited lines into
// their answers, echo when reset and send noise. For each such habit, in PDU and text mode with
// echo on and off, three messages go out through the virtual modem and the outcome recorded for
// each must agree with what the modem did: refused or unanswered is never "sent", delivered is
// "sent" exactly once, and the message after the fault is judged on its own answer.
#include "modem_test_support.h"

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
    {"late refusal",
     {.cmsErrorOnSubmission = 2,
      .cmsErrorCode = 38,
      .verdictDelayMs = kLateMs,
      .verdictDelayOnSubmission = 2},
     kCms38},
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
    {"invalid UTF-8 inside the refusal",
     {.cmsErrorOnSubmission = 2, .cmsErrorCode = 38, .invalidUtf8InsideFinal = true},
     kCms38},
    {"prompt, then silence", {.silentAfterPromptOnSubmission = 2}, kLost, true},
    // starts without echo whatever the row says
    {"echo switched on by the reset",
     {.cmsErrorOnSubmission = 2, .echoAfterReset = true},
     "+CMS ERROR: 500"},
    {"noise before every answer", {.cmsErrorOnSubmission = 2, .garbage = true}, "+CMS ERROR: 500"},
    {"strict character set after a Unicode message", {.strictCharset = true}, kSent},
};

struct Row {
    const Fault* fault;
    bool echo;
    bool text;
};

class FaultTable : public ModemChannelTest, public ::testing::WithParamInterface<Row> {
  protected:
    tesk::pacing::ScopedScale faster{0.05};
};

TEST_P(FaultTable, OutcomeAgreesWithTheModem) {
    const Row row = GetParam();
    Config config = row.fault->config;
    config.echo = row.echo && !config.echoAfterReset;
    openOn(config);
    channel.Set_Read_Timeout(1.0);
    channel.ATZ_reset_Modem(fd);  // as the device scan does before it questions a modem
    ASSERT_TRUE(row.text ? channel.Prepare_Modem_For_Text_SMS(fd)
                         : channel.Prepare_Modem_For_PDU_SMS(fd));
    channel.Set_Read_Timeout(5.0);

    const QStringList numbers = {QStringLiteral("+447700900001"), QStringLiteral("+447700900002"),
                                 QStringLiteral("+447700900003")};
    // The first message needs Unicode, so text mode leaves the UCS2 character set behind it.
    const QStringList messages = {QStringLiteral(u"Привет"), row.fault->secondMessage,
                                  QStringLiteral("third message")};
    QStringList outcomes;
    for (int i = 0; i < 3; ++i) {
        QString outcome;
        if (row.text) {
            channel.Send_Text_SMS(fd, numbers[i], messages[i], QString(), false, true,
                                  QString::fromUtf8(path), &outcome, QStringLiteral("Yes"));
        } else {
            channel.Send_PDU_SMS(fd, numbers[i], messages[i], QString(), false, false, &outcome,
                                 QStringLiteral("Yes"));
        }
        outcomes.append(outcome);
    }

    const QStringList expected = {kSent, row.fault->secondOutcome,
                                  row.fault->deviceGone ? kLost : kSent};
    EXPECT_EQ(outcomes, expected);
    // The modem's own record: every message read as sent arrived exactly once, with its text;
    // no other did.
    for (int i = 0; i < 3; ++i) {
        QStringList arrived;
        for (const auto& sms : modem->received()) {
            if (sms.number == numbers[i]) {
                arrived.append(sms.text);
            }
        }
        if (outcomes[i] == kSent) {
            // A line break typed in text mode reaches the recipient as LF.
            const QString text =
                row.text ? QString(messages[i]).replace(QLatin1Char('\r'), QLatin1Char('\n'))
                         : messages[i];
            EXPECT_EQ(arrived, QStringList({text})) << "message " << i + 1;
        } else {
            EXPECT_TRUE(arrived.isEmpty()) << "message " << i + 1;
        }
    }
    for (const QString& command : modem->commands()) {
        EXPECT_FALSE(command.startsWith(QLatin1String("ATD"))) << "a message line ran as a command";
    }
}

std::vector<Row> rows() {
    std::vector<Row> all;
    for (const Fault& fault : kFaults) {
        for (const bool text : {false, true}) {
            for (const bool echo : {false, true}) {
                all.push_back({&fault, echo, text});
            }
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Modem, FaultTable, ::testing::ValuesIn(rows()), [](const auto& info) {
    std::string name = std::string(info.param.text ? "Text_" : "Pdu_") +
                       (info.param.echo ? "Echo_" : "NoEcho_") + info.param.fault->name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
});

}  // namespace
