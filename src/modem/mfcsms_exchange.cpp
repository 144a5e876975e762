// The AT command exchange of a modem channel: opening its port, writing a command, reading and
// judging the answer, the connection checks and the reset.
#include "core/log.h"
#include "core/pacing.h"
#include "core/run_flags.h"
#include "core/text_helpers.h"
#include "modem/mfcsms.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace {

const QString kOk = QStringLiteral("\r\nOK\r\n");

void logException(const char* where, const std::exception* e) {
    Show_NSLog_Message(QString::fromUtf8(where) + QStringLiteral(" exception catch"));
    if (e) {
        Show_NSLog_Message(QString::fromUtf8(e->what()));
    }
}

}  // namespace

MFCSMS::~MFCSMS() {
    Close_Port();
}

void MFCSMS::Reset_Device_Facts() {
    for (QString* fact : {&Com_Port, &Port_Det, &Port_stat, &Port_IMEI, &Manuf, &Model, &battery,
                          &signal_str, &oprator, &revision, &def_smsc, &cus_smsc, &use_cus_smsc,
                          &sms_mode, &sup_sms_mode, &sms_capblts}) {
        *fact = QString("");
    }
    use_cus_smsc = QStringLiteral("N");
}

void MFCSMS::initPort_with_decp(const char* path, int* fileDescriptor) {
    const QString portPath = QString::fromUtf8(path ? path : "");
    m_port_name = portPath;
    if (port && port->isOpen() && port->bsdPath() == portPath) {
        return;
    }
    Close_Port();
    resetExchange();
    port = std::make_unique<SerialPort>(portPath, portPath, QStringLiteral("IOModemSerialStream"));
    port->setDelegate(this);
    if (port->open()) {
        if (fileDescriptor) {
            *fileDescriptor = port->fileDescriptor();
        }
        Show_NSLog_Message(QStringLiteral("Port ( %1 ) is OPENED with descp= (%2:%3)")
                               .arg(portPath)
                               .arg(fileDescriptor ? *fileDescriptor : -1)
                               .arg(port->fileDescriptor()));
    } else {
        Show_NSLog_Message(QStringLiteral("Port ( %1 ) is NOT OPEN").arg(portPath));
        port.reset();
    }
}

void MFCSMS::Close_Port() {
    std::lock_guard lock(closeLock);
    if (port) {
        port->close();
        port.reset();
    }
    resetExchange();
}

// A new line starts in step: nothing held, nothing awaited, default patience.
void MFCSMS::resetExchange() {
    framer_.clear();
    answered_ = true;
    lastCommand_.clear();
    patience_ = 1;
    deviceAlive_ = false;
}

void MFCSMS::Set_Read_Timeout(double seconds) {
    readTimeout_ = tesk::pacing::scaled(seconds);
    if (port) {
        port->setReadTimeout(readTimeout_);
    }
}

namespace {

// A device answering later than its read time-out is slow, not silent: once a late answer has
// been seen the channel waits this many times longer, up to the last step.
constexpr int kMaxPatience = 8;
// How long an unanswered command's answer is waited for before the next command, once the
// device has shown it is there.
constexpr double kCatchUpSeconds = 20.0;
// How long a COMMAND NOT SUPPORT may be followed by the OK some devices add to it.
constexpr double kTrailingOkSeconds = 0.3;

QString printable(QString text) {
    text.replace(QChar(0x1A), QStringLiteral("<ctrl-z>"));
    text.replace(QChar(0x1B), QStringLiteral("<esc>"));
    return text;
}

}  // namespace

bool MFCSMS::writeBytes(int fileDescriptor, const QByteArray& bytes, const QString& shown) {
    tesk::log::writef("Write (%d) \"%s\"\n", fileDescriptor, printable(shown).toUtf8().constData());
    return port && port->writeData(bytes);
}

bool MFCSMS::stopRequested() const {
    return Stop_SMS_Sending_Now.load() || (stopFlag_ && stopFlag_->load());
}

bool MFCSMS::Write_Command(int fileDescriptor, const char* command) {
    try {
        QString text = QString::fromUtf8(command ? command : "");
        if (text.isEmpty()) {
            Show_NSLog_Message(QStringLiteral("there is no data to write."));
            text = QStringLiteral(" ");
        }
        if (!answered_) {
            catchUp(fileDescriptor);
        }
        lastCommand_ = Trim_Str(text);
        answered_ = false;
        return writeBytes(fileDescriptor, text.toUtf8(), text);
    } catch (const std::exception& e) {
        logException("Write_Command", &e);
    }
    return false;
}

// The previous command is still unanswered: its answer, when it comes, belongs to it. Modems
// work through their input in order, so the next final result is that command's.
void MFCSMS::catchUp(int fileDescriptor) {
    answered_ = true;
    if (!port) {
        return;
    }
    // A device that has spoken on this line is working on the command, however slowly; one
    // that never said a word gets no more than the usual time.
    const double bound =
        deviceAlive_ ? std::max(readTimeout_ * patience_, tesk::pacing::scaled(kCatchUpSeconds))
                     : readTimeout_ * patience_;
    const tesk::at::Reply late = readReply({lastCommand_, {}, false}, bound);
    if (!late.complete()) {
        deviceAlive_ = false;
    }
    if (late.complete()) {
        patience_ = std::min(patience_ * 2, kMaxPatience);
        tesk::log::writef("Late (%d) \"%s\" answered \"%s\"\n", fileDescriptor,
                          lastCommand_.toUtf8().constData(), late.text().toUtf8().constData());
    } else {
        tesk::log::writef("Lost (%d) \"%s\": no answer\n", fileDescriptor,
                          lastCommand_.toUtf8().constData());
    }
}

bool MFCSMS::Read_Command(int fileDescriptor, const char* expected) {
    try {
        tesk::at::Reply reply;
        if (port) {
            const bool submission =
                tesk::at::Command_Name(lastCommand_) == QLatin1String("+CMGS") ||
                tesk::at::Command_Name(lastCommand_) == QLatin1String("+CMGW");
            reply = readReply({lastCommand_, {}, submission}, readTimeout_ * patience_);
        }
        if (reply.complete() || reply.lineLost) {
            answered_ = true;
        }
        lastReply_ = reply;
        m_sLastResponse = Trim_Str(reply.text());
        tesk::log::writef("Read (%d) \"%s\"\n", fileDescriptor,
                          m_sLastResponse.toUtf8().constData());
        const QString wanted = Trim_Str(QString::fromUtf8(expected ? expected : ""));
        if (reply.prompt) {
            return wanted == QLatin1String(">");
        }
        const bool ok = reply.ok() ||
                        (reply.final.kind == tesk::at::FinalKind::NotSupported && reply.trailingOk);
        return ok && Find_Str(m_sLastResponse, wanted);
    } catch (const std::exception& e) {
        logException("Read_Command", &e);
    }
    return false;
}

tesk::at::Reply MFCSMS::readReply(const Expect& expect, double seconds) {
    using Clock = std::chrono::steady_clock;
    using Took = tesk::at::ReplyCollector::Took;
    tesk::at::ReplyCollector collector(expect.command, expect.payloadLines, expect.prompt,
                                       unsolicited_);
    auto deadline = Clock::now() + std::chrono::duration<double>(std::max(seconds, 0.0));
    bool trailingWindow = false;
    const auto done = [&]() -> const tesk::at::Reply& {
        const tesk::at::Reply& reply = collector.reply();
        if (!reply.echo.isEmpty() || !reply.lines.isEmpty() || reply.complete()) {
            deviceAlive_ = true;
        }
        return reply;
    };
    const SerialPort::CompleteTest anyByte = [](const QByteArray& held) { return !held.isEmpty(); };
    while (true) {
        QString line;
        while (framer_.nextLine(&line)) {
            const Took took = collector.take(line);
            if (took == Took::NotMine) {
                framer_.putBack(line.toUtf8());
            }
            if (took != Took::More) {
                return done();
            }
        }
        if (collector.awaitingTrailingOk() && !trailingWindow) {
            trailingWindow = true;
            deadline =
                std::min(deadline, Clock::now() + std::chrono::duration<double>(
                                                      tesk::pacing::scaled(kTrailingOkSeconds)));
        }
        if (collector.wantsPrompt() && framer_.takePrompt()) {
            collector.promptSeen();
            return done();
        }
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (!port || left <= 0) {
            return done();
        }
        port->setReadTimeout(left);
        SerialError error;
        const QByteArray bytes = port->readAndStopAfterBytes(false, 0, false, 0, &error, anyByte);
        port->setReadTimeout(readTimeout_);
        if (error.code == SerialErrorSystem) {
            collector.reply().lineLost = true;
            return done();
        }
        framer_.feed(bytes);
    }
}

QStringList MFCSMS::Take_Unsolicited() {
    return unsolicited_.take();
}

QStringList MFCSMS::Wait_For_Unsolicited(int fileDescriptor, double seconds) {
    using Clock = std::chrono::steady_clock;
    if (!answered_) {
        catchUp(fileDescriptor);
    }
    if (!unsolicited_.wantsBody()) {
        // Results that came while commands were answered are handed over first.
        QStringList waiting = unsolicited_.take();
        if (!waiting.isEmpty()) {
            return waiting;
        }
    }
    const auto deadline =
        Clock::now() + std::chrono::duration<double>(tesk::pacing::scaled(std::max(seconds, 0.0)));
    const SerialPort::CompleteTest anyByte = [](const QByteArray& held) { return !held.isEmpty(); };
    bool whole = false;
    while (port) {
        QString line;
        while (framer_.nextLine(&line)) {
            if (unsolicited_.wantsBody()) {
                unsolicited_.addBody(line);
            } else if (tesk::at::Classify_Line(line, QString()) ==
                       tesk::at::LineKind::Unsolicited) {
                unsolicited_.push(line);
            } else if (!tesk::at::Without_Noise(line).isEmpty()) {
                tesk::log::writef("Stray (%d) \"%s\"\n", fileDescriptor, line.toUtf8().constData());
                continue;
            }
            whole = !unsolicited_.wantsBody();
        }
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (whole || left <= 0) {
            break;
        }
        port->setReadTimeout(left);
        SerialError error;
        const QByteArray bytes = port->readAndStopAfterBytes(false, 0, false, 0, &error, anyByte);
        port->setReadTimeout(readTimeout_);
        if (error.code == SerialErrorSystem) {
            break;
        }
        framer_.feed(bytes);
    }
    const QStringList lines = unsolicited_.take();
    for (const QString& line : lines) {
        tesk::log::writef("Heard (%d) \"%s\"\n", fileDescriptor, line.toUtf8().constData());
    }
    return lines;
}

// One retry of the connection check: wait, ask again, accept OK or a bare echo.
MFCSMS::Try MFCSMS::connectionTry(int fileDescriptor, const char* writeFailureText,
                                  const char* readFailureText) {
    tesk::pacing::wait(5.0);
    if (!Write_Command(fileDescriptor, "AT\r\n")) {
        Show_NSLog_Message(QString::fromUtf8(writeFailureText));
        return Try::WriteFailed;
    }
    if (Read_Command(fileDescriptor, "\r\nOK\r\n") || m_sLastResponse == QLatin1String("AT")) {
        return Try::Answered;
    }
    Show_NSLog_Message(QString::fromUtf8(readFailureText));
    Show_NSLog_Message(m_sLastResponse);
    return Try::NoAnswer;
}

bool MFCSMS::Check_Connection(int fileDescriptor) {
    try {
        m_sLastResponse = QString("");
        if (!Write_Command(fileDescriptor, "AT\r\n")) {
            Show_NSLog_Message(QStringLiteral("Check_Connection FAIL write AT"));
            return false;
        }
        if (!Read_Command(fileDescriptor, "\r\nOK\r\n")) {
            // A device that only echoes the command counts as answering.
            if (m_sLastResponse == QLatin1String("AT")) {
                return true;
            }
            for (int attempt = 0; attempt < 5; ++attempt) {
                const Try outcome =
                    connectionTry(fileDescriptor, "Check_Connection FAIL write AT again in read at",
                                  "Check_Connection FAIL Read AT");
                if (outcome != Try::NoAnswer) {
                    return outcome == Try::Answered;
                }
            }
        }
        if (Find_Str(m_sLastResponse, QStringLiteral("OK"))) {
            return true;
        }
        Show_NSLog_Message(QStringLiteral("Check_Connection FAIL m_sLastResponse not OK"));
        Show_NSLog_Message(m_sLastResponse);
    } catch (const std::exception& e) {
        logException("Check_Connection FAIL", &e);
    }
    return false;
}

bool MFCSMS::Check_Connection_For_Read(int fileDescriptor, int tries) {
    try {
        m_sLastResponse = QString("");
        for (int attempt = 0; attempt < tries; ++attempt) {
            if (connectionTry(fileDescriptor,
                              "Check_Connection_For_Read FAIL write AT again in read at",
                              "Check_Connection_For_Read FAIL Read AT") != Try::NoAnswer) {
                break;
            }
            // Whatever the device did say (a late refusal) is what the caller looks for; the
            // next question would only replace it.
            if (!m_sLastResponse.isEmpty()) {
                break;
            }
        }
    } catch (const std::exception& e) {
        logException("Check_Connection_For_Read", &e);
    }
    return true;
}

void MFCSMS::ATZ_reset_Modem(int fileDescriptor) {
    try {
        if (!Write_Command(fileDescriptor, "AT\r\n") ||
            !Read_Command(fileDescriptor, "\r\nOK\r\n")) {
            return;
        }
        if (!Write_Command(fileDescriptor, "AT&F\r\n") ||
            !Read_Command(fileDescriptor, "\r\nOK\r\n")) {
            return;
        }
        Set_CMEE_Error(fileDescriptor);
    } catch (const std::exception& e) {
        logException("ATZ_reset_Modem", &e);
    }
}

void MFCSMS::Set_CMEE_Error(int fileDescriptor) {
    try {
        if (Write_Command(fileDescriptor, "AT+CMEE=1\r\n")) {
            Read_Command(fileDescriptor, "\r\nOK\r\n");  // the answer is not judged
        }
    } catch (const std::exception& e) {
        logException("Set_CMEE_Error", &e);
    }
}
