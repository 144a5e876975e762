// tesk-virtual-modem: a GSM modem on a pseudo-terminal. Prints the port path as its first line
// (the announced symlink, or the bare slave with --no-announce) and serves until SIGINT/SIGTERM
// or until the line is hung up by --hang-up-after.
#include "virtual-modem/virtual_modem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

using tesk::vmodem::Config;
using tesk::vmodem::ServiceCentreAnswer;
using tesk::vmodem::SmsModes;

[[noreturn]] void usageError(const QString& message) {
    std::fprintf(stderr, "tesk-virtual-modem: %s (see --help)\n", qPrintable(message));
    std::exit(2);
}

// "<when>[,<n>[,<ms>]]:<line>", the line with "\n" for a line break.
Config::Unsolicited unsolicitedLine(const QString& option) {
    static const QHash<QString, Config::Unsolicited::When> kWhen = {
        {QStringLiteral("after-prompt"), Config::Unsolicited::AfterPrompt},
        {QStringLiteral("before-verdict"), Config::Unsolicited::BeforeVerdict},
        {QStringLiteral("after-verdict"), Config::Unsolicited::AfterVerdict},
        {QStringLiteral("after-every-command"), Config::Unsolicited::AfterEveryCommand}};
    const qsizetype colon = option.indexOf(QLatin1Char(':'));
    const QStringList head = option.left(colon).split(QLatin1Char(','));
    Config::Unsolicited u;
    bool ok = colon > 0 && head.size() <= 3 && kWhen.contains(head[0]);
    u.when = kWhen.value(head[0]);
    if (head.size() > 1) {
        bool number = false;
        u.submission = head[1].toInt(&number);
        ok = ok && number && u.submission >= 0;
    }
    if (head.size() > 2) {
        bool number = false;
        u.delayMs = head[2].toInt(&number);
        ok = ok && number && u.delayMs >= 0;
    }
    if (!ok) {
        usageError(
            QStringLiteral("--unsolicited wants <when>[,<n>[,<ms>]]:<line>, <when> one of "
                           "after-prompt, before-verdict, after-verdict, "
                           "after-every-command"));
    }
    u.line = option.mid(colon + 1).toUtf8().replace("\\n", "\r\n");
    return u;
}

// "<number>=<outcome>[,<ms>]": <number> as addressed or "*", <outcome> delivered,
// temporary[:<st>], failed[:<st>] or none.
tesk::vmodem::ReportPlan reportPlan(const QString& option) {
    using tesk::vmodem::ReportPlan;
    const qsizetype equals = option.lastIndexOf(QLatin1Char('='));
    const QStringList rest = option.mid(equals + 1).split(QLatin1Char(','));
    const QStringList outcome = rest[0].split(QLatin1Char(':'));
    static const QHash<QString, ReportPlan::Outcome> kOutcomes = {
        {QStringLiteral("delivered"), ReportPlan::Delivered},
        {QStringLiteral("temporary"), ReportPlan::TemporaryThenDelivered},
        {QStringLiteral("failed"), ReportPlan::Failed},
        {QStringLiteral("none"), ReportPlan::None}};
    ReportPlan plan;
    const QString who = option.left(equals);
    plan.number = who == QLatin1String("*") ? QString() : who;
    plan.outcome = kOutcomes.value(outcome[0], ReportPlan::Delivered);
    bool ok =
        equals > 0 && kOutcomes.contains(outcome[0]) && rest.size() <= 2 && outcome.size() <= 2;
    if (outcome.size() == 2) {
        bool number = false;
        const int status = outcome[1].toInt(&number, 0);
        ok = ok && number && status >= 0 && status <= 255 &&
             (plan.outcome == ReportPlan::Failed ||
              plan.outcome == ReportPlan::TemporaryThenDelivered);
        (plan.outcome == ReportPlan::Failed ? plan.failedStatus : plan.temporaryStatus) = status;
    }
    if (rest.size() == 2) {
        bool number = false;
        plan.delayMs = rest[1].toInt(&number);
        ok = ok && number && plan.delayMs >= 0;
    }
    if (!ok) {
        usageError(
            QStringLiteral("--report wants <number>=<outcome>[,<ms>], <number> as "
                           "addressed or *, <outcome> delivered, temporary[:<st>], "
                           "failed[:<st>] or none"));
    }
    return plan;
}

// "[<ms>:]<sender>:<text>", "\n" in the text a line break.
tesk::vmodem::IncomingSms incomingSms(const QString& option, bool timed, const char* name) {
    tesk::vmodem::IncomingSms sms;
    QStringList pieces = option.split(QLatin1Char(':'));
    bool ok = pieces.size() >= (timed ? 3 : 2);
    if (ok && timed) {
        sms.delayMs = pieces.takeFirst().toInt(&ok);
        ok = ok && sms.delayMs >= 0;
    }
    if (!ok || pieces[0].isEmpty()) {
        usageError(QStringLiteral("--%1 wants %2<sender>:<text>")
                       .arg(QLatin1String(name), timed ? QStringLiteral("<ms>:") : QString()));
    }
    sms.sender = pieces.takeFirst();
    sms.text = pieces.join(QLatin1Char(':')).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return sms;
}

// How an option lands in the configuration. Each option is declared and read through one row,
// so none can appear in --help without being read. Options with a grammar of their own are
// Special and read after the table.
struct Text {
    QString Config::*field;
};
struct Number {
    int Config::*field;
    int min = 0;
    int max = std::numeric_limits<int>::max();
};
struct Switch {
    bool Config::*field;
    bool whenSet;
};
struct Commands {
    QStringList Config::*field;
};
struct Special {};

struct OptionRow {
    const char* name;
    const char* value;  // its name in --help; nullptr for a switch
    const char* help;
    std::variant<Text, Number, Switch, Commands, Special> binding;
};

const std::vector<OptionRow>& optionRows() {
    static const std::vector<OptionRow> rows = {
        {"name", "name", "Port name, announced as tty<name> (default VM0).", Text{&Config::name}},
        {"no-announce", nullptr, "Do not create the symlink; print the slave path.",
         Switch{&Config::announce, false}},
        {"imei", "imei", "IMEI answered to AT+CGSN.", Text{&Config::imei}},
        {"imei-prefix", "text", "Text before the IMEI in the AT+CGSN answer (e.g. \"IMEI: \").",
         Text{&Config::imeiPrefix}},
        {"maker", "text", "Manufacturer (AT+CGMI).", Text{&Config::manufacturer}},
        {"model", "text", "Model (AT+CGMM).", Text{&Config::model}},
        {"revision", "text", "Firmware revision (AT+CGMR).", Text{&Config::revision}},
        {"operator", "text", "Network operator (AT+COPS?).", Text{&Config::operatorName}},
        {"operator-unquoted", nullptr, "Answer AT+COPS? in numeric format without quotes.",
         Switch{&Config::operatorQuoted, false}},
        {"battery", "pct", "Battery percentage (AT+CBC).", Number{&Config::batteryPercent}},
        {"battery-state", "n", "Charge state in AT+CBC: 0 battery, 1 charging, 2 none, 3 fault.",
         Number{&Config::batteryState}},
        {"signal", "n", "Signal RSSI 0-31 or 99 (AT+CSQ).", Number{&Config::signal}},
        {"modes", "modes", "SMS modes offered: pdu, text, both or none.", Special{}},
        {"sca", "form",
         "AT+CSCA? answer: plain, ucs2, unsigned, packed7, not-supported, "
         "not-supported-ok or absent.",
         Special{}},
        {"sca-blank", nullptr, "Write the service centre's type as \", 145\" (with a blank).",
         Switch{&Config::serviceCentreTypeBlank, true}},
        {"undefined", "commands",
         "Comma-separated commands answered \"Undefined\" (e.g. +GMI,+CGSN).",
         Commands{&Config::undefinedCommands}},
        {"error-on", "commands", "Comma-separated commands answered ERROR (e.g. +CBC,+CSQ).",
         Commands{&Config::errorCommands}},
        {"sca-number", "number", "Service centre number.", Text{&Config::serviceCentre}},
        {"no-sms", nullptr, "Refuse the SMS commands (+CSMS, +CMGF, +CMGS).",
         Switch{&Config::smsSupported, false}},
        {"no-echo", nullptr, "Start with echo off (as after ATE0).", Switch{&Config::echo, false}},
        {"echo-only", nullptr, "Echo every command and never answer.",
         Switch{&Config::echoOnly, true}},
        {"latency-ms", "ms", "Delay before every answer.", Number{&Config::latencyMs}},
        {"late-ms", "ms", "Extra delay before every final result.", Number{&Config::lateAnswerMs}},
        {"cms-error-on", "n", "Refuse the Nth submission with +CMS ERROR.",
         Number{&Config::cmsErrorOnSubmission}},
        {"cms-error-from", "n", "Refuse the Nth submission and every later one with +CMS ERROR.",
         Number{&Config::cmsErrorFromSubmission}},
        {"cms-error-code", "code", "Code of that +CMS ERROR (default 500).",
         Number{&Config::cmsErrorCode}},
        {"silent-after", "n", "Answer nothing after N delivered SMS.",
         Number{&Config::silentAfterSubmission}},
        {"hang-up-after", "n", "Drop the line after the Nth submission's answer.",
         Number{&Config::hangUpAfterSubmission}},
        {"garbage", nullptr, "Random non-text bytes before every answer.",
         Switch{&Config::garbage, true}},
        {"invalid-utf8", nullptr, "Every answer carries bytes that are not UTF-8.",
         Switch{&Config::invalidUtf8, true}},
        {"invalid-utf8-in-final", nullptr,
         "Bytes that are not UTF-8 inside every ERROR, +CMS ERROR and +CME "
         "ERROR line, just before its line end.",
         Switch{&Config::invalidUtf8InsideFinal, true}},
        {"echo-after-reset", nullptr, "AT&F and ATZ switch echo on, whatever --no-echo said.",
         Switch{&Config::echoAfterReset, true}},
        {"answer-non-commands", nullptr,
         "Answer ERROR to a line that does not begin with AT (by default it "
         "gets no answer at all).",
         Switch{&Config::ignoreNonCommands, false}},
        {"refuse-before-prompt", "n",
         "Answer the Nth AT+CMGS at once, without the \"> \" prompt; what the "
         "client types next is read as commands.",
         Number{&Config::refuseBeforePromptOnSubmission}},
        {"refuse-answer", "line", "The final line of that refusal (default \"+CMS ERROR: 330\").",
         Text{&Config::refuseBeforePromptAnswer}},
        {"verdict-delay-ms", "ms",
         "Extra delay before the answer after Ctrl-Z; commands sent meanwhile "
         "are answered after it.",
         Number{&Config::verdictDelayMs}},
        {"verdict-delay-on", "n", "Delay only the verdict of the Nth AT+CMGS.",
         Number{&Config::verdictDelayOnSubmission}},
        {"unsolicited", "when[,n[,ms]]:line",
         "Send a line of the modem's own accord; repeatable. <when> is "
         "after-prompt, before-verdict, after-verdict or after-every-command, "
         "optionally followed by \",<n>\" (only the Nth AT+CMGS) and \",<ms>\" "
         "(a delay first); \\n in <line> starts a second line. Example: "
         "--unsolicited 'after-verdict,2:+CMTI: \"SM\",3'.",
         Special{}},
        {"not-supported-on", "n",
         "Answer the Nth AT+CMGS \"COMMAND NOT SUPPORT\" after Ctrl-Z and "
         "deliver nothing.",
         Number{&Config::notSupportedOnSubmission}},
        {"silent-after-prompt-on", "n",
         "Give the Nth AT+CMGS its prompt, then never answer anything again.",
         Number{&Config::silentAfterPromptOnSubmission}},
        {"strict-charset", nullptr,
         "Numbers in AT+CMGS=\"...\" and AT+CSCA=\"...\" must be in the "
         "character set in force (UCS2 hex under UCS2), else +CMS ERROR.",
         Switch{&Config::strictCharset, true}},
        {"first-reference", "n",
         "The first \"+CMGS: n\" reference (0-255; they wrap to 0 after 255).",
         Number{&Config::firstReference, 0, 255}},
        {"report", "number=outcome[,ms]",
         "The status report a submission that asked for one gets; repeatable, "
         "the first matching number decides. <number> as addressed or *; "
         "<outcome> delivered (TP-ST 0), temporary[:<st>] (0x21, then 0 after "
         "the same delay again), failed[:<st>] (0x41) or none; <ms> after the "
         "verdict. Default: delivered at once. Example: --report "
         "'+447700900123=failed:0x45,500'.",
         Special{}},
        {"storage-slots", "n", "Messages and reports the SIM storage holds (default 20).",
         Number{&Config::storageSlots, 1}},
        {"sim-sms", "sender:text",
         "A message already stored, unread, when the modem starts; repeatable. "
         "\\n in <text> is a line break.",
         Special{}},
        {"incoming-sms", "ms:sender:text",
         "A message arriving <ms> after start; repeatable. Routed as AT+CNMI "
         "says; a long text comes in concatenated parts, a text outside the "
         "GSM alphabet as UCS2.",
         Special{}},
        {"log", "file",
         "Append one JSON line per received SMS (and per refused submission, "
         "with \"refused\":true) to this file.",
         Text{&Config::logPath}},
    };
    return rows;
}

int numberValue(const QCommandLineParser& parser, const QString& name, const Number& n) {
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (ok && value >= n.min && value <= n.max) {
        return value;
    }
    usageError(n.max == std::numeric_limits<int>::max()
                   ? QStringLiteral("--%1 wants a whole number of at least %2").arg(name).arg(n.min)
                   : QStringLiteral("--%1 wants %2 to %3").arg(name).arg(n.min).arg(n.max));
}

void readRow(const QCommandLineParser& p, const OptionRow& row, Config* c) {
    const QString name = QLatin1String(row.name);
    if (!p.isSet(name)) {
        return;
    }
    std::visit(
        [&](const auto& b) {
            using B = std::decay_t<decltype(b)>;
            if constexpr (std::is_same_v<B, Text>) {
                c->*b.field = p.value(name);
            } else if constexpr (std::is_same_v<B, Number>) {
                c->*b.field = numberValue(p, name, b);
            } else if constexpr (std::is_same_v<B, Switch>) {
                c->*b.field = b.whenSet;
            } else if constexpr (std::is_same_v<B, Commands>) {
                c->*b.field = p.value(name).split(QLatin1Char(','), Qt::SkipEmptyParts);
            }
        },
        row.binding);
}

Config parseConfig(const QStringList& arguments) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "A GSM modem on a pseudo-terminal: answers AT commands, takes SMS in PDU and text mode "
        "and logs every received SMS as one JSON line."));
    p.addHelpOption();
    for (const OptionRow& row : optionRows()) {
        const QString name = QLatin1String(row.name);
        const QString help = QString::fromUtf8(row.help);
        p.addOption(row.value ? QCommandLineOption(name, help, QLatin1String(row.value))
                              : QCommandLineOption(name, help));
    }
    if (!p.parse(arguments)) {
        usageError(p.errorText());
    }
    if (p.isSet(QStringLiteral("help"))) {
        p.showHelp(0);
    }
    if (!p.positionalArguments().isEmpty()) {
        usageError(QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first()));
    }
    Config c;
    for (const OptionRow& row : optionRows()) {
        readRow(p, row, &c);
    }
    for (const QString& option : p.values(QStringLiteral("report"))) {
        c.reports.append(reportPlan(option));
    }
    for (const QString& option : p.values(QStringLiteral("sim-sms"))) {
        c.simMessages.append(incomingSms(option, false, "sim-sms"));
    }
    for (const QString& option : p.values(QStringLiteral("incoming-sms"))) {
        c.incoming.append(incomingSms(option, true, "incoming-sms"));
    }
    for (const QString& option : p.values(QStringLiteral("unsolicited"))) {
        c.unsolicited.append(unsolicitedLine(option));
    }
    if (p.isSet(QStringLiteral("modes"))) {
        static const QHash<QString, SmsModes> kModes = {{QStringLiteral("pdu"), SmsModes::Pdu},
                                                        {QStringLiteral("text"), SmsModes::Text},
                                                        {QStringLiteral("both"), SmsModes::Both},
                                                        {QStringLiteral("none"), SmsModes::None}};
        const QString v = p.value(QStringLiteral("modes"));
        if (!kModes.contains(v)) {
            usageError(QStringLiteral("--modes wants pdu, text, both or none"));
        }
        c.modes = kModes.value(v);
    }
    if (p.isSet(QStringLiteral("sca"))) {
        static const QHash<QString, ServiceCentreAnswer> kForms = {
            {QStringLiteral("plain"), ServiceCentreAnswer::Plain},
            {QStringLiteral("ucs2"), ServiceCentreAnswer::Ucs2Hex},
            {QStringLiteral("unsigned"), ServiceCentreAnswer::Unsigned},
            {QStringLiteral("packed7"), ServiceCentreAnswer::Packed7Bit},
            {QStringLiteral("not-supported"), ServiceCentreAnswer::NotSupported},
            {QStringLiteral("not-supported-ok"), ServiceCentreAnswer::NotSupportedOk},
            {QStringLiteral("absent"), ServiceCentreAnswer::Absent}};
        const QString v = p.value(QStringLiteral("sca"));
        if (!kForms.contains(v)) {
            usageError(
                QStringLiteral("--sca wants plain, ucs2, unsigned, packed7, not-supported, "
                               "not-supported-ok or absent"));
        }
        c.serviceCentreAnswer = kForms.value(v);
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    // Block the stop signals before any thread exists (Qt's or the modem's), so only sigtimedwait
    // sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tesk-virtual-modem"));
    const Config config = parseConfig(QCoreApplication::arguments());

    tesk::vmodem::VirtualModem modem(config);
    QString error;
    if (!modem.start(&error)) {
        std::fprintf(stderr, "tesk-virtual-modem: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(modem.portPath()));
    std::fflush(stdout);

    const timespec slice{0, 200 * 1000 * 1000};
    while (modem.running()) {
        if (sigtimedwait(&stopSignals, nullptr, &slice) > 0) {
            break;
        }
    }
    const bool hungUp = !modem.running();
    modem.stop();  // removes the symlink
    if (hungUp) {
        std::fprintf(stderr, "tesk-virtual-modem: line hung up\n");
    }
    return 0;
}
