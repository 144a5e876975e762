#include "virtual-modem/at_session.h"

#include "virtual-modem/text_payload.h"

#include <algorithm>
#include <cctype>

namespace tesk::vmodem {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEscape = 0x1B;
constexpr char kBackspace = 0x08;
constexpr qsizetype kMaxLine = 2048;     // a modem's command buffer is finite too
constexpr qsizetype kMaxPayload = 4096;  // far more than any SMS; the rest is dropped
constexpr int kCmeNotSupported = 4;

bool isSmsCommand(const QByteArray& name) {
    static const QList<QByteArray> kNames = {"+CSMS", "+CMGF", "+CMGS", "+CSCA", "+CSMP", "+CMMS",
                                             "+CPMS", "+CNMI", "+CMGR", "+CMGL", "+CMGD"};
    return kNames.contains(name);
}

QString verboseCme(int code) {
    switch (code) {
        case 3:
            return QStringLiteral("operation not allowed");
        case 4:
            return QStringLiteral("operation not supported");
        case 10:
            return QStringLiteral("SIM not inserted");
        case 50:
            return QStringLiteral("Incorrect parameters");
        default:
            return QStringLiteral("unknown");
    }
}

}  // namespace

AtSession::AtSession(const Config& config, SessionHost& host) : config_(config), host_(host) {
    resetProfile();
    echo_ = config_.echo;
    scaNumber_ = config_.serviceCentre;
    scaType_ = scaNumber_.startsWith(QLatin1Char('+')) ? 145 : 129;
    nextReference_ = qBound(0, config_.firstReference, 255);
    prepareInbox();
}

bool AtSession::toInt(const QByteArray& text, int* value) {
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok;
}

void AtSession::resetProfile() {
    echo_ = config_.echo || config_.echoAfterReset;
    cmgf_ = config_.modes == SmsModes::Text ? 1 : 0;
    cmee_ = 0;
    charset_ = QStringLiteral("GSM");
    csmp_[0] = 17;
    csmp_[1] = 167;
    csmp_[2] = 0;
    csmp_[3] = 0;
    cmms_ = 0;
    std::fill(std::begin(cnmi_), std::end(cnmi_), 0);
}

void AtSession::feed(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (hungUp_) {
            break;
        }
        if (lastWasCr_ && c == '\n') {  // CR LF is one line end
            lastWasCr_ = false;
            if (input_ == Input::Text && !raw_.isEmpty()) {  // not the command line's own LF
                raw_.append(c);
            }
            continue;
        }
        lastWasCr_ = false;
        if (input_ == Input::Command) {
            commandByte(c);
        } else {
            inputByte(c);
        }
    }
    flushEcho();
}

void AtSession::commandByte(char c) {
    // Ctrl-Z and ESC mean nothing in command mode, but a client that was refused its prompt
    // still ends its message with one of them: Ctrl-Z ends that line, ESC drops it, so that
    // neither glues the message to the next command.
    if (c == kEscape) {
        line_.clear();
        return;
    }
    const bool lineEnd = c == '\r' || c == '\n' || c == kCtrlZ;
    // The line end of an empty line is not echoed: the CR LF that follows a Ctrl-Z would
    // otherwise trail behind the final result of the submission.
    if ((echo_ || config_.echoOnly) && !silent_ && !(lineEnd && line_.isEmpty())) {
        echo(c);
    }
    if (!lineEnd) {
        if (c == kBackspace) {
            line_.chop(1);
        } else if (line_.size() < kMaxLine) {
            line_.append(c);
        }
        return;
    }
    lastWasCr_ = c == '\r';
    const QByteArray line = line_;
    line_.clear();
    if (line.trimmed().isEmpty()) {
        return;
    }
    host_.commandLine(QString::fromUtf8(line));
    if (!config_.echoOnly && !silent_) {
        execute(line);
    }
}

void AtSession::inputByte(char c) {
    if (c == kCtrlZ) {
        finishSubmission();
        return;
    }
    if (c == kEscape) {
        cancelSubmission();
        return;
    }
    if (input_ == Input::Pdu) {
        if (echo_) {
            echo(c);
        }
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
            lastWasCr_ = c == '\r';
        } else if (payload_.size() < kMaxPayload) {
            payload_.append(c);
        }
        return;
    }
    if (raw_.size() < kMaxPayload) {
        raw_.append(c);
    }
    if (c == '\r') {  // a line break inside the message; the modem prompts for the next line
        lastWasCr_ = true;
        payload_.append('\n');
        output(OutputKind::Prompt, "\r\n> ");
        return;
    }
    if (echo_) {
        echo(c);
    }
    if (payload_.size() < kMaxPayload) {
        payload_.append(c);
    }
}

void AtSession::echo(char c) {
    pendingEcho_.append(c);
}

void AtSession::flushEcho() {
    if (!pendingEcho_.isEmpty()) {
        host_.send(OutputKind::Echo, pendingEcho_);
        pendingEcho_.clear();
    }
}

void AtSession::output(OutputKind kind, const QByteArray& bytes) {
    flushEcho();
    host_.send(kind, bytes);
}

AtSession::Reply AtSession::error(Final kind, int code) {
    Reply reply;
    reply.final = kind;
    reply.code = code;
    return reply;
}

void AtSession::execute(const QByteArray& line) {
    const QByteArray s = line.trimmed();
    if (s.size() < 2 || std::toupper(static_cast<unsigned char>(s[0])) != 'A' ||
        std::toupper(static_cast<unsigned char>(s[1])) != 'T') {
        if (!config_.ignoreNonCommands) {
            sendReply(error());
            sendUnsolicited(Config::Unsolicited::AfterEveryCommand);
        }
        return;
    }
    // The commands of one line answer together: their information lines in order, then the
    // final result of the first that did not end in OK (the rest of the line is not run).
    Reply all;
    qsizetype i = 2;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == ';') {
            ++i;
            continue;
        }
        const Reply reply = nextCommand(s, &i);
        all.lines += reply.lines;
        if (reply.final != Final::Ok) {
            all.final = reply.final;
            all.code = reply.code;
            all.text = reply.text;
            break;
        }
    }
    sendReply(all);
    if (all.final == Final::Prompt) {
        afterPrompt();
    } else {
        sendUnsolicited(Config::Unsolicited::AfterEveryCommand);
    }
}

// Runs the command of the line that starts at *at and moves *at past it.
AtSession::Reply AtSession::nextCommand(const QByteArray& line, qsizetype* at) {
    const char c = line[*at];
    if (c == '+' || c == '^' || c == '$' || c == '%') {
        Extended cmd;
        return parseExtended(line, at, &cmd) ? extended(cmd) : error();
    }
    if (std::toupper(static_cast<unsigned char>(c)) == 'D') {
        // A dial string runs to the end of the line; there is no voice call to be had.
        *at = line.size();
        return error(Final::NoCarrier);
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '&') {
        return basicCommand(line, at);
    }
    return error();
}

// An extended command runs to the next ';' outside quotes. False when what follows its name
// is none of the four forms.
bool AtSession::parseExtended(const QByteArray& line, qsizetype* at, Extended* cmd) {
    qsizetype nameEnd = *at + 1;
    while (nameEnd < line.size() &&
           (std::isalnum(static_cast<unsigned char>(line[nameEnd])) || line[nameEnd] == '_')) {
        ++nameEnd;
    }
    qsizetype end = nameEnd;
    for (bool quoted = false; end < line.size() && (quoted || line[end] != ';'); ++end) {
        quoted ^= line[end] == '"';
    }
    cmd->name = line.mid(*at, nameEnd - *at).toUpper();
    const QByteArray rest = line.mid(nameEnd, end - nameEnd).trimmed();
    *at = end;
    if (rest.isEmpty()) {
        cmd->form = Extended::Action;
    } else if (rest == "?") {
        cmd->form = Extended::Query;
    } else if (rest == "=?") {
        cmd->form = Extended::Test;
    } else if (rest.startsWith('=')) {
        cmd->form = Extended::Set;
        cmd->args = parseArgs(rest.mid(1));
    } else {
        return false;
    }
    return true;
}

// A basic command: a letter (after '&' for the ampersand set) and the digits that follow it.
AtSession::Reply AtSession::basicCommand(const QByteArray& line, qsizetype* at) {
    qsizetype& i = *at;
    const bool ampersand = line[i] == '&';
    if (ampersand && ++i >= line.size()) {
        return error();
    }
    const char letter = char(std::toupper(static_cast<unsigned char>(line[i++])));
    int value = -1;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) {
        value = (value < 0 ? 0 : value * 10) + (line[i++] - '0');
        value = std::min(value, 999);
    }
    return basic(letter, value, ampersand);
}

QList<AtSession::Arg> AtSession::parseArgs(const QByteArray& text) {
    QList<Arg> args;
    QByteArray current;
    bool quoted = false;
    auto push = [&] {
        Arg arg;
        const QByteArray t = current.trimmed();
        arg.quoted = t.size() >= 2 && t.startsWith('"') && t.endsWith('"');
        arg.value = arg.quoted ? t.mid(1, t.size() - 2) : t;
        args.append(arg);
        current.clear();
    };
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        }
        if (c == ',' && !quoted) {
            push();
        } else {
            current.append(c);
        }
    }
    push();
    return args;
}

AtSession::Reply AtSession::basic(char letter, int value, bool ampersand) {
    Reply ok;
    if (ampersand) {
        if (letter == 'F' && value <= 0) {
            resetProfile();
            return ok;
        }
        return QByteArray("CDKW").contains(letter) ? ok : error();
    }
    switch (letter) {
        case 'E':
            if (value > 1) {
                return error();
            }
            echo_ = value == 1;
            return ok;
        case 'Z':
            resetProfile();
            return ok;
        case 'V':  // only verbose result codes are spoken here
            return value == 1 ? ok : error();
        case 'Q':
            return value <= 0 ? ok : error();
        case 'I':
            ok.lines = {config_.manufacturer.toUtf8(), config_.model.toUtf8(),
                        config_.revision.toUtf8()};
            return ok;
        case 'X':
        case 'L':
        case 'M':
            return ok;
        default:
            return error();
    }
}

AtSession::Reply AtSession::extended(const Extended& cmd) {
    const QByteArray& n = cmd.name;
    if (config_.errorCommands.contains(QString::fromLatin1(n), Qt::CaseInsensitive)) {
        return error();
    }
    if (cmd.form == Extended::Action &&
        config_.undefinedCommands.contains(QString::fromLatin1(n), Qt::CaseInsensitive)) {
        Reply reply;
        reply.lines = {"Undefined"};
        return reply;
    }
    if (n == "+CGMI" || n == "+GMI") {
        return identity(cmd, config_.manufacturer);
    }
    if (n == "+CGMM" || n == "+GMM") {
        return identity(cmd, config_.model);
    }
    if (n == "+CGMR" || n == "+GMR") {
        return identity(cmd, config_.revision);
    }
    if (n == "+CGSN" || n == "+GSN") {
        return identity(cmd, config_.imeiPrefix + config_.imei);
    }
    if (n == "+CBC" || n == "+CSQ") {
        return batteryOrSignal(cmd);
    }
    if (n == "+COPS") {
        return networkOperator(cmd);
    }
    if (n == "+CMEE") {
        return errorReporting(cmd);
    }
    if (n == "+CSCS") {
        return characterSet(cmd);
    }
    if (n == "+CPIN") {
        return pinState(cmd);
    }
    if (isSmsCommand(n)) {
        return sms(cmd);
    }
    return error();
}

// Maker, model, revision and IMEI: the value to the action, OK to the test form, ERROR else.
AtSession::Reply AtSession::identity(const Extended& cmd, const QString& value) {
    Reply reply;
    if (cmd.form == Extended::Action) {
        reply.lines = {value.toUtf8()};
    } else if (cmd.form != Extended::Test) {
        reply = error();
    }
    return reply;
}

AtSession::Reply AtSession::batteryOrSignal(const Extended& cmd) {
    Reply reply;
    const bool battery = cmd.name == "+CBC";
    if (cmd.form == Extended::Action) {
        reply.lines = {battery ? "+CBC: " + QByteArray::number(config_.batteryState) + "," +
                                     QByteArray::number(config_.batteryPercent)
                               : QByteArray("+CSQ: ") + QByteArray::number(config_.signal) + ",99"};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {battery ? "+CBC: (0-3),(0-100)" : "+CSQ: (0-31,99),(99)"};
    } else {
        reply = error();
    }
    return reply;
}

AtSession::Reply AtSession::networkOperator(const Extended& cmd) {
    Reply reply;
    const QByteArray name = config_.operatorName.toUtf8();
    if (cmd.form == Extended::Query) {
        reply.lines = {config_.operatorQuoted ? "+COPS: 0,0,\"" + name + "\""
                                              : "+COPS: 0,2," + name};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {"+COPS: (2,\"" + name + "\",\"" + name + "\",\"00101\"),,(0-4),(0-2)"};
    } else if (cmd.form == Extended::Action) {
        reply = error();
    }
    return reply;
}

AtSession::Reply AtSession::errorReporting(const Extended& cmd) {
    Reply reply;
    int value = 0;
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CMEE: " + QByteArray::number(cmee_)};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {"+CMEE: (0-2)"};
    } else if (cmd.form == Extended::Set && toInt(cmd.args.value(0).value, &value) && value >= 0 &&
               value <= 2) {
        cmee_ = value;
    } else {
        reply = error();
    }
    return reply;
}

AtSession::Reply AtSession::characterSet(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CSCS: \"" + charset_.toLatin1() + "\""};
    } else if (cmd.form == Extended::Test) {
        reply.lines = {"+CSCS: (\"GSM\",\"IRA\",\"UCS2\",\"HEX\")"};
    } else if (cmd.form == Extended::Set) {
        // A modem already in UCS2 may get the set's name in UCS2 hexadecimal as well.
        QString wanted = QString::fromUtf8(cmd.args.value(0).value);
        if (charset_ == QLatin1String("UCS2") && wanted.size() % 4 == 0) {
            const QByteArray octets = QByteArray::fromHex(wanted.toLatin1());
            QString decoded;
            for (qsizetype i = 0; i + 1 < octets.size(); i += 2) {
                decoded.append(QChar(char16_t(quint8(octets[i]) << 8 | quint8(octets[i + 1]))));
            }
            if (decoded.size() * 4 == wanted.size()) {
                wanted = decoded;
            }
        }
        wanted = wanted.toUpper();
        static const QStringList kSets = {QStringLiteral("GSM"), QStringLiteral("IRA"),
                                          QStringLiteral("UCS2"), QStringLiteral("HEX")};
        if (kSets.contains(wanted)) {
            charset_ = wanted;
        } else {
            reply = error(Final::Cme, kCmeNotSupported);
        }
    } else {
        reply = error();
    }
    return reply;
}

AtSession::Reply AtSession::pinState(const Extended& cmd) {
    Reply reply;
    if (cmd.form == Extended::Query) {
        reply.lines = {"+CPIN: READY"};
    } else if (cmd.form != Extended::Test) {
        reply = error(Final::Cme, 3);
    }
    return reply;
}

void AtSession::sendReply(const Reply& reply) {
    QByteArray info;
    for (const QByteArray& line : reply.lines) {
        info += "\r\n" + line + "\r\n";
    }
    if (!info.isEmpty()) {
        output(OutputKind::Info, info);
    }
    if (reply.final == Final::Prompt) {
        output(OutputKind::Prompt, "\r\n> ");
    } else {
        output(OutputKind::Final, "\r\n" + finalText(reply) + "\r\n");
    }
}

QByteArray AtSession::finalText(const Reply& reply) const {
    switch (reply.final) {
        case Final::Ok:
            return "OK";
        case Final::NotSupported:
            return "COMMAND NOT SUPPORT";
        case Final::NoCarrier:
            return "NO CARRIER";
        case Final::Verbatim:
            return reply.text;
        case Final::Cms:
            return "+CMS ERROR: " + QByteArray::number(reply.code);
        case Final::Cme:
            if (cmee_ == 1) {
                return "+CME ERROR: " + QByteArray::number(reply.code);
            }
            if (cmee_ == 2) {
                return "+CME ERROR: " + verboseCme(reply.code).toUtf8();
            }
            return "ERROR";
        case Final::Error:
        case Final::Prompt:
            break;
    }
    return "ERROR";
}

}  // namespace tesk::vmodem
