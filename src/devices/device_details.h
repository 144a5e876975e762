#pragma once
// The facts of a device in one text, and the test message a user sends through a device before
// trusting it with a campaign.
#include "modem/device_list.h"

#include <QString>

#include <functional>

class MFCSMS;

namespace tesk::devices {

// "PDU Mode & Text Mode", "PDU Mode", "Text Mode" or "None" from SUPSMSMode.
QString Supported_Mode_Text(const QString& supported);
// The details text of a record ("" for a record without PORT_DETAL).
QString Device_Details_Text(const DeviceRecord& record);

// Sent unchanged: plain GSM characters, no Unicode, no flash.
inline const QString kTestMessageText =
    QStringLiteral("Test message: this device can send your SMS.");

inline const QString kDeviceListEmpty = QStringLiteral("Device list is empty.");
inline const QString kSelectDevice = QStringLiteral("Please select device from list.");
inline const QString kInvalidTestNumber = QStringLiteral(
    "Phone number entered to receive test message does not seem to be valid. Please enter a "
    "valid phone number to receive test message.");
inline const QString kNoSmsCapabilityQuestion = QStringLiteral(
    "This Device cannot be used for sending Text messages as it does not seem to have SMS "
    "Sending capabilities.\n\nAre you sure you want to continue?");
inline const QString kModeBlank = QStringLiteral("SMS Mode details should not be blanked.");

// Which window sends the test message; they differ in two texts and in where the device's
// SMS capability is read.
enum class TestMessageWindow { DeviceList, DeviceSettings };

struct TestMessageRequest {
    DeviceRecord record;  // the highlighted record
    QString testNumber;   // the test-number field
    bool customChecked = false;
    QString customField;  // the custom service-centre field
    TestMessageWindow window = TestMessageWindow::DeviceList;
};

// Sends the test message through `channel` (worker thread; questions and notices through the
// dialogs port). `sheet(true/false)` shows and hides the please-wait sheet. Returns true when a
// submission was made (its result has been shown).
bool Send_Test_SMS_fun(MFCSMS& channel, const TestMessageRequest& request,
                       const std::function<void(bool)>& sheet);

}  // namespace tesk::devices
