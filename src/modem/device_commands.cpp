// The small device-side commands: SMS-support test, duplicate test by IMEI, character-set and
// message-format questions, setting and restoring the service centre, keeping the link open,
// and the device record built from the channel's facts.
#include "core/log.h"
#include "core/text_helpers.h"
#include "modem/mfcsms.h"

#include <exception>

namespace {

const char* const kOk = "\r\nOK\r\n";

void logException(const char* where, const std::exception& e) {
    Show_NSLog_Message(QString::fromUtf8(where) + QStringLiteral(" exception catch"));
    Show_NSLog_Message(QString::fromUtf8(e.what()));
}

// An answer that names an SMS command as refused, whatever came with it.
bool refused(const QString& answer) {
    return Find_Str(answer, QStringLiteral("COMMAND NOT SUPPORT")) ||
           Find_Str(answer, QStringLiteral("ERROR"));
}

}  // namespace

DeviceList& MFCSMS::Device_List() const {
    return deviceList_ ? *deviceList_ : Default_Device_List();
}

bool MFCSMS::Check_Msg_Sending_Supported(int fileDescriptor) {
    try {
        if (!Write_Command(fileDescriptor, "AT\r\n") || !Read_Command(fileDescriptor, kOk)) {
            return false;
        }
        for (const char* question : {"AT+CSMS=?\r", "AT+CMGS=?\r"}) {
            if (!Write_Command(fileDescriptor, question) || !Read_Command(fileDescriptor, kOk) ||
                refused(m_sLastResponse)) {
                return false;
            }
        }
        return true;
    } catch (const std::exception& e) {
        logException("Check_Msg_Sending_Supported", e);
    }
    return false;
}

bool MFCSMS::Find_IMEI_already_listed(const QString& imei, const QString& /*path*/) const {
    try {
        for (const DeviceRecord& record : Device_List().records()) {
            const QString& listed = record.imei;
            if (!listed.isEmpty() && imei.contains(listed)) {
                return true;
            }
        }
    } catch (const std::exception& e) {
        logException("Find_IMEI_already_listed", e);
    }
    return false;
}

QString MFCSMS::GET_CSCS_Response(int fileDescriptor) {
    try {
        if (Write_Command(fileDescriptor, "AT+CSCS?\r\n") && Read_Command(fileDescriptor, kOk)) {
            return m_sLastResponse;
        }
    } catch (const std::exception& e) {
        logException("GET_CSCS_Response", e);
    }
    return QString("");
}

QString MFCSMS::GET_CSCS_SUPPORTEDResponse(int fileDescriptor) {
    try {
        if (Write_Command(fileDescriptor, "AT+CSCS=?\r\n") && Read_Command(fileDescriptor, kOk)) {
            return m_sLastResponse;
        }
    } catch (const std::exception& e) {
        logException("GET_CSCS_SUPPORTEDResponse", e);
    }
    return QString("");
}

QString MFCSMS::Get_Selected_CMGF_Mode(int fileDescriptor) {
    try {
        if (!Write_Command(fileDescriptor, "AT+CMGF?\r\n") || !Read_Command(fileDescriptor, kOk)) {
            return QString("");
        }
        const bool pdu = Find_Str(m_sLastResponse, QStringLiteral("0"));
        const bool text = Find_Str(m_sLastResponse, QStringLiteral("1"));
        if (pdu && text) {
            return QStringLiteral("2");
        }
        if (text) {
            return QStringLiteral("1");
        }
        if (pdu) {
            return QStringLiteral("0");
        }
    } catch (const std::exception& e) {
        logException("Get_Selected_CMGF_Mode", e);
    }
    return QString("");
}

void MFCSMS::SET_CMGF_PDU_MODE(int fileDescriptor) {
    try {
        if (Write_Command(fileDescriptor, "AT+CMGF=0\r\n")) {
            Read_Command(fileDescriptor, kOk);  // the answer is not judged
        }
    } catch (const std::exception& e) {
        logException("SET_CMGF_PDU_MODE", e);
    }
}

void MFCSMS::SET_CMGF_TEXT_MODE(int fileDescriptor) {
    try {
        if (Write_Command(fileDescriptor, "AT+CMGF=1\r\n")) {
            Read_Command(fileDescriptor, kOk);  // the answer is not judged
        }
    } catch (const std::exception& e) {
        logException("SET_CMGF_TEXT_MODE", e);
    }
}

void MFCSMS::SET_Custom_SMSC_Number(int fileDescriptor, const QString& number) {
    try {
        if (number.isEmpty()) {
            return;
        }
        Set_CMEE_Error(fileDescriptor);
        // The type says whether the number is international; the number goes as it was given.
        const int type = number.startsWith(QLatin1Char('+')) ? 145 : 129;
        const QByteArray command =
            QStringLiteral("AT+CSCA=\"%1\",%2\r\n").arg(number).arg(type).toUtf8();
        if (Write_Command(fileDescriptor, command.constData())) {
            Read_Command(fileDescriptor, kOk);  // the answer is not judged
        }
    } catch (const std::exception& e) {
        logException("SET_Custom_SMSC_Number", e);
    }
}

void MFCSMS::GET_And_SET_Cus_SMSC(int fileDescriptor, const QString& customNumber,
                                  const QString& path) {
    try {
        if (fileDescriptor == -1 || customNumber.isEmpty()) {
            return;
        }
        const QString defaultNumber = Device_List().Find_By_Port_Detail(path).defaultSmsc;
        // A device that could not tell its own centre has nothing to be given back.
        if (defaultNumber == QLatin1String("COMMAND NOT SUPPORT")) {
            return;
        }
        SET_Custom_SMSC_Number(fileDescriptor, defaultNumber);
    } catch (const std::exception& e) {
        logException("GET_And_SET_Cus_SMSC", e);
    }
}

bool MFCSMS::More_SMS_Comnd(int fileDescriptor) {
    try {
        return Write_Command(fileDescriptor, "AT\r\n") && Read_Command(fileDescriptor, kOk) &&
               Write_Command(fileDescriptor, "AT+CMMS=2\r") && Read_Command(fileDescriptor, kOk);
    } catch (const std::exception& e) {
        logException("More_SMS_Comnd", e);
    }
    return false;
}

DeviceRecord MFCSMS::Device_Record_From_Facts() const {
    DeviceRecord record;  // not ticked yet
    record.portName = Com_Port;
    record.path = Port_Det;
    record.portStatus = Port_stat;
    record.imei = Port_IMEI;
    record.manufacturer = Manuf;
    record.model = Model;
    record.battery = battery;
    record.signal = signal_str;
    record.operatorName = oprator;
    record.revision = revision;
    record.defaultSmsc = def_smsc;
    record.customSmsc = cus_smsc;
    record.useCustomSmsc = use_cus_smsc == QLatin1String("Y");
    record.smsMode = Sms_Mode_From_Text(sms_mode);
    record.supportedModes = sup_sms_mode;
    record.smsCapable = sms_capblts;
    return record;
}
