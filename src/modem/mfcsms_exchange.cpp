// The AT command exchange of a modem channel: opening its port, writing a command, reading and
// judging the answer, the connection checks and the reset.
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"
#include "modem/at_answer.h"
#include "modem/mfcsms.h"

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
}

void MFCSMS::Set_Read_Timeout(double seconds) {
    if (port) {
        port->setReadTimeout(tesk::pacing::scaled(seconds));
    }
}

bool MFCSMS::Write_Command(int fileDescriptor, const char* command) {
    try {
        QString text = QString::fromUtf8(command ? command : "");
        if (text.isEmpty()) {
            Show_NSLog_Message(QStringLiteral("there is no data to write."));
            text = QStringLiteral(" ");
        }
        tesk::log::writef("Write (%d) \"%s\"\n", fileDescriptor, text.toUtf8().constData());
        return port && port->writeString(text, SerialPort::Encoding::Utf8);
    } catch (const std::exception& e) {
        logException("Write_Command", &e);
    }
    return false;
}

bool MFCSMS::Read_Command(int fileDescriptor, const char* expected) {
    try {
        QString answer;
        if (port) {
            answer = port->readStringUsingEncoding(SerialPort::Encoding::Utf8, nullptr,
                                                   tesk::Is_Complete_AT_Answer);
        }
        m_sLastResponse = Trim_Str(answer);
        tesk::log::writef("Read (%d) \"%s\"\n", fileDescriptor,
                          m_sLastResponse.toUtf8().constData());
        if (m_sLastResponse.isEmpty()) {
            return false;
        }
        if (Find_Str(m_sLastResponse, QStringLiteral("ERROR"))) {
            return false;
        }
        return Find_Str(m_sLastResponse, Trim_Str(QString::fromUtf8(expected ? expected : "")));
    } catch (const std::exception& e) {
        logException("Read_Command", &e);
    }
    return false;
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
