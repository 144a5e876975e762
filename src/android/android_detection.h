#pragma once
// Finding the one attached phone through the adb listing and describing it. The readiness test
// CheckConnection is what every Android operation runs first; it also installs (or refreshes)
// the companion application, see companion_delivery.h.
//
// All of these run adb synchronously: call them from a worker thread (or through
// Run_Off_Window_Thread), never straight from the window thread.
#include "appstate/selection_state.h"

#include <QString>

#include <atomic>

// The last cleaned listing followed by a line feed (Get_Android_Device).
inline tesk::Guarded<QString> Android_Device_List;
// "Android Device " and the upper-cased serial of the detected phone; "" while none is.
inline tesk::Guarded<QString> Android_Selected_Device;
// Android_Selected_Device after the last successful detection of the connection window; ""
// after a failed one.
inline tesk::Guarded<QString> last_device_name;
// 1 once a detection pass of the connection window has ended.
inline std::atomic<int> last_dev_chk{0};
// 0 until the connection window showed its security warning (once per run).
inline std::atomic<int> andcntr_wzd{0};

namespace tesk::android {

// The error text CheckConnection leaves when it already told the user about several phones.
inline const QString kMoreErrorText = QStringLiteral("MORE");

inline const QString kMoreThanOnePhone = QStringLiteral(
    "More than one android device detected, please use only one android device at a time.");
inline const QString kMobileNotReady = QStringLiteral("Mobile device is not ready.");
inline const QString kPhoneUnauthorized = QStringLiteral(
    "The phone has not allowed USB debugging from this computer yet.\n\nUnlock the phone: its "
    "screen asks \"Allow USB debugging?\". Tap Allow (tick \"Always allow from this computer\" "
    "to be asked only once) and try again. If the phone does not ask, unplug it and plug it in "
    "again.");

// What to tell the user when adb itself did not work: it is missing, could not be started,
// crashed, did not answer, or could not start its server. "" when adb worked.
QString Adb_Trouble_Message(bool started, bool crashed, bool timedOut, const QString& output);
// The notice for a phone that is not ready, by CheckConnection's error text: nothing for
// "MORE" (already told), `usual` for "", and the error text itself otherwise.
void Show_Not_Ready(const QString& error, const QString& usual);
inline const QString kDevicePrefix = QStringLiteral("Android Device ");
inline const QString kStatusTitle = QStringLiteral("Android device status:\n\n");

// ---- pure text rules (table-tested)

// The listing without the daemon start lines and the header, trimmed; "" means no device.
QString Clean_Device_Listing(const QString& output);
// The display name of the first listed device, or "" (the listing already cleaned).
QString First_Android_Device(const QString& cleanedListing);
// Yes only when the first line and the rest each name a device ("device", "offline" or
// "bootloader").
bool More_Than_One_Device_In(const QString& cleanedListing);
// The status report for a cleaned listing.
QString Device_Status_Report(const QString& cleanedListing);
// The value of one properties line: "" without "=", else what follows the first "=", trimmed.
QString Android_Device_Details(const QString& line);

// ---- running adb

// Runs "devices" and cleans the output.
QString Get_Android_Device_List();
// Runs the listing, remembers it in Android_Device_List and names its first device.
QString Get_Android_Device();
// The first-line rule on a fresh listing.
bool Check_More_Than_One_Android_Device();
// The phone is ready and the companion application installed. On yes the phone's name is in
// Android_Selected_Device. On no, `error` says what the caller tells the user (Show_Not_Ready):
// "" when no ready phone is there (the caller's usual message), "MORE" when the several-phones
// message was already shown, or the message to show instead of the usual one when the reason
// is something the user can put right: adb missing or not working, the phone not allowing USB
// debugging, the companion package missing.
bool CheckConnection(QString* error);
// "Android device status:\n\n" and the state of what is attached.
QString Get_Android_Device_Status();
// Shows Get_Android_Device_Status in the message box (adb runs off the window thread).
void Check_And_Dev_St_Pressed();

}  // namespace tesk::android
