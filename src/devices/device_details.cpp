#include "devices/device_details.h"

#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"
#include "devices/connection_settings.h"
#include "modem/mfcsms.h"

namespace tesk::devices {

namespace {

const QString kNotDetected = QStringLiteral("Not Detected");
const QString kNoDefaultSmscForTest = QStringLiteral(
    "Default SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC No.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Device.");
const QString kProbeFailedDeviceWindow =
    QStringLiteral("\nSelected device is not working properly.");
const QString kProbeFailedSettingsWindow = QStringLiteral(
    "\nSelected device is not working properly. Please use Mobile Phone Connection Wizard for "
    "finding device or establishing connection.");
const QString kNotWorking = QStringLiteral("Selected device is not working properly.");

}  // namespace

QString Supported_Mode_Text(const QString& supported) {
    const bool pdu = supported.contains(QStringLiteral("PDU"));
    const bool text = supported.contains(QStringLiteral("Text"));
    if (pdu && text) {
        return QStringLiteral("PDU Mode & Text Mode");
    }
    if (pdu) {
        return QStringLiteral("PDU Mode");
    }
    if (text) {
        return QStringLiteral("Text Mode");
    }
    return QStringLiteral("None");
}

QString Device_Details_Text(const DeviceRecord& record) {
    if (record.path.isEmpty()) {
        return QString("");
    }
    return QStringLiteral(
               "COM Port : %1\r\nManufacturer : %2\r\nModel : %3\r\nRevision : %4\r\nSupported "
               "SMS Mode : %5\r\nBattery : %6\r\nDefault SMSC No. : %7\r\nOperator Code : "
               "%8\r\nSignal Quality : %9\r\n")
        .arg(record.portName, record.manufacturer, record.model, record.revision,
             Supported_Mode_Text(record.supportedModes), record.battery, record.defaultSmsc,
             record.operatorName, record.signal);
}

bool Send_Test_SMS_fun(MFCSMS& channel, const TestMessageRequest& request,
                       const std::function<void(bool)>& sheet) {
    const QString testNumber = Trim_Str(request.testNumber);
    const DeviceRecord& record = request.record;
    const QString& path = record.path;
    if (path.isEmpty()) {
        Show_MessageBox(kSelectDevice);
        return false;
    }
    // The settings shown are the ones used: a ticked custom field is sent as it reads now.
    QString shownCustom;
    if (request.customChecked && !Check_Custom_Smsc(request.customField, &shownCustom)) {
        return false;
    }
    if (!Valid_Test_Number(testNumber)) {
        Show_MessageBox(kInvalidTestNumber);
        return false;
    }
    const QString smsc = request.customChecked ? shownCustom : Effective_Custom_Smsc(record);
    if (smsc.isEmpty() && record.defaultSmsc.isEmpty()) {
        Show_MessageBox(kNoDefaultSmscForTest);
        return false;
    }
    const bool pdu = record.smsMode == SmsMode::Pdu;
    if (!pdu && record.smsMode != SmsMode::Text) {
        Show_MessageBox(kModeBlank);
        return false;
    }

    sheet(true);
    const QByteArray devicePath = path.toLocal8Bit();
    const int probe = channel.OpenSerialPort(devicePath.constData());
    if (probe == -1) {
        sheet(false);
        Show_MessageBox(request.window == TestMessageWindow::DeviceList
                            ? kProbeFailedDeviceWindow
                            : kProbeFailedSettingsWindow);
        return false;
    }
    channel.CloseSerialPort(probe);
    int fd = -1;
    if (channel.port && channel.port->isOpen()) {
        fd = channel.port->fileDescriptor();
    } else {
        channel.initPort_with_decp(devicePath.constData(), &fd);
    }
    channel.Set_Read_Timeout(1.0);
    if (!channel.Check_Connection(fd)) {
        channel.Close_Port();
        sheet(false);
        Show_MessageBox(kNotWorking);
        return false;
    }
    const QString capable = request.window == TestMessageWindow::DeviceList
                                ? record.smsCapable
                                : Get_Sel_Port_Details(path).smsCapable;
    if (capable == kNotDetected && !Show_YES_NO_MessageBox(kNoSmsCapabilityQuestion)) {
        channel.Close_Port();
        sheet(false);
        return false;
    }

    channel.ATZ_reset_Modem(fd);
    if (pdu) {
        channel.Prepare_Modem_For_PDU_SMS(fd);
    } else {
        channel.Prepare_Modem_For_Text_SMS(fd);
    }
    channel.Set_Read_Timeout(5.0);
    QString result("");
    if (pdu) {
        channel.Send_PDU_SMS(fd, testNumber, kTestMessageText, smsc, false, false, &result,
                             QStringLiteral("Yes"));
    } else {
        channel.Send_Text_SMS(fd, testNumber, kTestMessageText, smsc, false, false, path, &result,
                              QStringLiteral("Yes"));
    }
    log::writef("test message through %s: %s\n", devicePath.constData(),
                result.toUtf8().constData());
    pacing::wait(2.0);
    channel.Close_Port();
    sheet(false);
    Show_MessageBox(result);
    return true;
}

}  // namespace tesk::devices
