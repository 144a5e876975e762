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

namespace {

using tesk::vmodem::Config;
using tesk::vmodem::ServiceCentreAnswer;
using tesk::vmodem::SmsModes;

struct Options {
    QCommandLineParser parser;
    void add(const QString& name, const QString& help, const QString& value = {}) {
        parser.addOption(value.isEmpty() ? QCommandLineOption(name, help)
                                         : QCommandLineOption(name, help, value));
    }
};

[[noreturn]] void usageError(const QString& message) {
    std::fprintf(stderr, "tesk-virtual-modem: %s (see --help)\n", qPrintable(message));
    std::exit(2);
}

int intValue(const QCommandLineParser& parser, const QString& name, int min) {
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < min) {
        usageError(QStringLiteral("--%1 wants a whole number of at least %2").arg(name).arg(min));
    }
    return value;
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

Config parseConfig(const QStringList& arguments) {
    Options o;
    QCommandLineParser& p = o.parser;
    p.setApplicationDescription(QStringLiteral(
        "A GSM modem on a pseudo-terminal: answers AT commands, takes SMS in PDU and text mode "
        "and logs every received SMS as one JSON line."));
    p.addHelpOption();
    o.add(QStringLiteral("name"),
          QStringLiteral("Port name, announced as tty<name> (default VM0)."),
          QStringLiteral("name"));
    o.add(QStringLiteral("no-announce"),
          QStringLiteral("Do not create the symlink; print the slave path."));
    o.add(QStringLiteral("imei"), QStringLiteral("IMEI answered to AT+CGSN."),
          QStringLiteral("imei"));
    o.add(QStringLiteral("imei-prefix"),
          QStringLiteral("Text before the IMEI in the AT+CGSN answer (e.g. \"IMEI: \")."),
          QStringLiteral("text"));
    o.add(QStringLiteral("maker"), QStringLiteral("Manufacturer (AT+CGMI)."),
          QStringLiteral("text"));
    o.add(QStringLiteral("model"), QStringLiteral("Model (AT+CGMM)."), QStringLiteral("text"));
    o.add(QStringLiteral("revision"), QStringLiteral("Firmware revision (AT+CGMR)."),
          QStringLiteral("text"));
    o.add(QStringLiteral("operator"), QStringLiteral("Network operator (AT+COPS?)."),
          QStringLiteral("text"));
    o.add(QStringLiteral("operator-unquoted"),
          QStringLiteral("Answer AT+COPS? in numeric format without quotes."));
    o.add(QStringLiteral("battery"), QStringLiteral("Battery percentage (AT+CBC)."),
          QStringLiteral("pct"));
    o.add(QStringLiteral("battery-state"),
          QStringLiteral("Charge state in AT+CBC: 0 battery, 1 charging, 2 none, 3 fault."),
          QStringLiteral("n"));
    o.add(QStringLiteral("signal"), QStringLiteral("Signal RSSI 0-31 or 99 (AT+CSQ)."),
          QStringLiteral("n"));
    o.add(QStringLiteral("modes"), QStringLiteral("SMS modes offered: pdu, text, both or none."),
          QStringLiteral("modes"));
    o.add(QStringLiteral("sca"),
          QStringLiteral("AT+CSCA? answer: plain, ucs2, unsigned, packed7, not-supported, "
                         "not-supported-ok or absent."),
          QStringLiteral("form"));
    o.add(QStringLiteral("sca-blank"),
          QStringLiteral("Write the service centre's type as \", 145\" (with a blank)."));
    o.add(QStringLiteral("undefined"),
          QStringLiteral("Comma-separated commands answered \"Undefined\" (e.g. +GMI,+CGSN)."),
          QStringLiteral("commands"));
    o.add(QStringLiteral("error-on"),
          QStringLiteral("Comma-separated commands answered ERROR (e.g. +CBC,+CSQ)."),
          QStringLiteral("commands"));
    o.add(QStringLiteral("sca-number"), QStringLiteral("Service centre number."),
          QStringLiteral("number"));
    o.add(QStringLiteral("no-sms"),
          QStringLiteral("Refuse the SMS commands (+CSMS, +CMGF, +CMGS)."));
    o.add(QStringLiteral("no-echo"), QStringLiteral("Start with echo off (as after ATE0)."));
    o.add(QStringLiteral("echo-only"), QStringLiteral("Echo every command and never answer."));
    o.add(QStringLiteral("latency-ms"), QStringLiteral("Delay before every answer."),
          QStringLiteral("ms"));
    o.add(QStringLiteral("late-ms"), QStringLiteral("Extra delay before every final result."),
          QStringLiteral("ms"));
    o.add(QStringLiteral("cms-error-on"),
          QStringLiteral("Refuse the Nth submission with +CMS ERROR."), QStringLiteral("n"));
    o.add(QStringLiteral("cms-error-from"),
          QStringLiteral("Refuse the Nth submission and every later one with +CMS ERROR."),
          QStringLiteral("n"));
    o.add(QStringLiteral("cms-error-code"),
          QStringLiteral("Code of that +CMS ERROR (default 500)."), QStringLiteral("code"));
    o.add(QStringLiteral("silent-after"), QStringLiteral("Answer nothing after N delivered SMS."),
          QStringLiteral("n"));
    o.add(QStringLiteral("hang-up-after"),
          QStringLiteral("Drop the line after the Nth submission's answer."), QStringLiteral("n"));
    o.add(QStringLiteral("garbage"), QStringLiteral("Random non-text bytes before every answer."));
    o.add(QStringLiteral("invalid-utf8"),
          QStringLiteral("Every answer carries bytes that are not UTF-8."));
    o.add(QStringLiteral("invalid-utf8-in-final"),
          QStringLiteral("Bytes that are not UTF-8 inside every ERROR, +CMS ERROR and "
                         "+CME ERROR line, just before its line end."));
    o.add(QStringLiteral("echo-after-reset"),
          QStringLiteral("AT&F and ATZ switch echo on, whatever --no-echo said."));
    o.add(QStringLiteral("answer-non-commands"),
          QStringLiteral("Answer ERROR to a line that does not begin with AT (by default it "
                         "gets no answer at all)."));
    o.add(QStringLiteral("refuse-before-prompt"),
          QStringLiteral("Answer the Nth AT+CMGS at once, without the \"> \" prompt; what the "
                         "client types next is read as commands."),
          QStringLiteral("n"));
    o.add(QStringLiteral("refuse-answer"),
          QStringLiteral("The final line of that refusal (default \"+CMS ERROR: 330\")."),
          QStringLiteral("line"));
    o.add(QStringLiteral("verdict-delay-ms"),
          QStringLiteral("Extra delay before the answer after Ctrl-Z; commands sent meanwhile "
                         "are answered after it."),
          QStringLiteral("ms"));
    o.add(QStringLiteral("verdict-delay-on"),
          QStringLiteral("Delay only the verdict of the Nth AT+CMGS."), QStringLiteral("n"));
    o.add(QStringLiteral("unsolicited"),
          QStringLiteral("Send a line of the modem's own accord; repeatable. <when> is "
                         "after-prompt, before-verdict, after-verdict or after-every-command, "
                         "optionally followed by \",<n>\" (only the Nth AT+CMGS) and "
                         "\",<ms>\" (a delay first); \\n in <line> starts a second line. "
                         "Example: --unsolicited 'after-verdict,2:+CMTI: \"SM\",3'."),
          QStringLiteral("when[,n[,ms]]:line"));
    o.add(QStringLiteral("not-supported-on"),
          QStringLiteral("Answer the Nth AT+CMGS \"COMMAND NOT SUPPORT\" after Ctrl-Z and "
                         "deliver nothing."),
          QStringLiteral("n"));
    o.add(QStringLiteral("silent-after-prompt-on"),
          QStringLiteral("Give the Nth AT+CMGS its prompt, then never answer anything again."),
          QStringLiteral("n"));
    o.add(QStringLiteral("strict-charset"),
          QStringLiteral("Numbers in AT+CMGS=\"...\" and AT+CSCA=\"...\" must be in the "
                         "character set in force (UCS2 hex under UCS2), else +CMS ERROR."));
    o.add(QStringLiteral("first-reference"),
          QStringLiteral("The first \"+CMGS: n\" reference (0-255; they wrap to 0 after 255)."),
          QStringLiteral("n"));
    o.add(QStringLiteral("report"),
          QStringLiteral("The status report a submission that asked for one gets; repeatable, "
                         "the first matching number decides. <number> as addressed or *; "
                         "<outcome> delivered (TP-ST 0), temporary[:<st>] (0x21, then 0 after "
                         "the same delay again), failed[:<st>] (0x41) or none; <ms> after the "
                         "verdict. Default: delivered at once. Example: --report "
                         "'+447700900123=failed:0x45,500'."),
          QStringLiteral("number=outcome[,ms]"));
    o.add(QStringLiteral("storage-slots"),
          QStringLiteral("Messages and reports the SIM storage holds (default 20)."),
          QStringLiteral("n"));
    o.add(QStringLiteral("sim-sms"),
          QStringLiteral("A message already stored, unread, when the modem starts; "
                         "repeatable. \\n in <text> is a line break."),
          QStringLiteral("sender:text"));
    o.add(QStringLiteral("incoming-sms"),
          QStringLiteral("A message arriving <ms> after start; repeatable. Routed as AT+CNMI "
                         "says; a long text comes in concatenated parts, a text outside the "
                         "GSM alphabet as UCS2."),
          QStringLiteral("ms:sender:text"));
    o.add(QStringLiteral("log"),
          QStringLiteral("Append one JSON line per received SMS (and per refused submission, "
                         "with \"refused\":true) to this file."),
          QStringLiteral("file"));
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
    auto text = [&](const char* name, QString* field) {
        if (p.isSet(QLatin1String(name))) {
            *field = p.value(QLatin1String(name));
        }
    };
    auto number = [&](const char* name, int* field, int min) {
        if (p.isSet(QLatin1String(name))) {
            *field = intValue(p, QLatin1String(name), min);
        }
    };
    text("name", &c.name);
    text("imei", &c.imei);
    text("imei-prefix", &c.imeiPrefix);
    text("maker", &c.manufacturer);
    text("model", &c.model);
    text("revision", &c.revision);
    text("operator", &c.operatorName);
    text("sca-number", &c.serviceCentre);
    text("log", &c.logPath);
    number("battery", &c.batteryPercent, 0);
    number("signal", &c.signal, 0);
    number("battery-state", &c.batteryState, 0);
    auto commands = [&](const char* name, QStringList* field) {
        if (p.isSet(QLatin1String(name))) {
            *field = p.value(QLatin1String(name)).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
    };
    commands("undefined", &c.undefinedCommands);
    commands("error-on", &c.errorCommands);
    c.operatorQuoted = !p.isSet(QStringLiteral("operator-unquoted"));
    c.serviceCentreTypeBlank = p.isSet(QStringLiteral("sca-blank"));
    number("latency-ms", &c.latencyMs, 0);
    number("late-ms", &c.lateAnswerMs, 0);
    number("cms-error-on", &c.cmsErrorOnSubmission, 0);
    number("cms-error-from", &c.cmsErrorFromSubmission, 0);
    number("cms-error-code", &c.cmsErrorCode, 0);
    number("silent-after", &c.silentAfterSubmission, 0);
    number("hang-up-after", &c.hangUpAfterSubmission, 0);
    number("refuse-before-prompt", &c.refuseBeforePromptOnSubmission, 0);
    text("refuse-answer", &c.refuseBeforePromptAnswer);
    number("verdict-delay-ms", &c.verdictDelayMs, 0);
    number("verdict-delay-on", &c.verdictDelayOnSubmission, 0);
    number("not-supported-on", &c.notSupportedOnSubmission, 0);
    number("silent-after-prompt-on", &c.silentAfterPromptOnSubmission, 0);
    number("first-reference", &c.firstReference, 0);
    if (c.firstReference > 255) {
        usageError(QStringLiteral("--first-reference wants 0 to 255"));
    }
    number("storage-slots", &c.storageSlots, 1);
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
    c.echoAfterReset = p.isSet(QStringLiteral("echo-after-reset"));
    c.ignoreNonCommands = !p.isSet(QStringLiteral("answer-non-commands"));
    c.strictCharset = p.isSet(QStringLiteral("strict-charset"));
    c.invalidUtf8InsideFinal = p.isSet(QStringLiteral("invalid-utf8-in-final"));
    c.announce = !p.isSet(QStringLiteral("no-announce"));
    c.smsSupported = !p.isSet(QStringLiteral("no-sms"));
    c.echo = !p.isSet(QStringLiteral("no-echo"));
    c.echoOnly = p.isSet(QStringLiteral("echo-only"));
    c.garbage = p.isSet(QStringLiteral("garbage"));
    c.invalidUtf8 = p.isSet(QStringLiteral("invalid-utf8"));
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
