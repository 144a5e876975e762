#pragma once
// What the program hands to the companion application on the phone: its package, the message
// files on the phone's shared storage, and the activity starts that carry a number and a message
// as intent extras. Every phone command goes through the adb runner; every function blocks its
// (worker) thread for the length of the calls and the fixed waits.
#include "android/adb_runner.h"

#include <QFile>
#include <QString>

#include <atomic>

// 1 after a push, back to 0 when the message files on the phone were deleted.
inline std::atomic<int> file_saved_once{0};

namespace tesk::android {

inline const QString kCompanionPackage = QStringLiteral("RUZIVeruDIR.apk");
inline const QString kCompanionComponent = QStringLiteral("com.VUVEZAZUREVAVU/.SMS");
inline const QString kCompanionPackageName = QStringLiteral("com.VUVEZAZUREVAVU");
// What the companion asks of Android. Since Android 6 these are granted at run time; the desktop
// grants them over adb right after the install, so nothing has to be tapped on the phone. Phones
// before Android 13 do not know the notification permission and refuse that grant, harmlessly.
inline const QStringList kCompanionPermissions = {
    QStringLiteral("android.permission.SEND_SMS"),
    QStringLiteral("android.permission.READ_EXTERNAL_STORAGE"),
    QStringLiteral("android.permission.POST_NOTIFICATIONS"),
};
inline const QString kStartAction = QStringLiteral("android.intent.category.MAIN");
// The single-shot message file and the one-by-one message file, in the resource directory and
// in the phone's storage root.
inline const QString kMessageFileName = QStringLiteral("zazoziz.txt");
inline const QString kOneByOneFileName = QStringLiteral("message.txt");
inline const QString kRecordSeparator = QStringLiteral(",~$^'");
inline const QString kMessageFileLineBreak = QStringLiteral("S5%J7.qB~X4,9z/pT_VORN_AP_DX/");

inline const QString kCompanionCopyFailed = QStringLiteral(
    "Failed to copy RUZIVERUDIR application in your mobile device.\n\nEither the storage is full "
    "or inaccessible.\n\nIf it is already exists, please first uninstall RUZIVERUDIR application "
    "from your mobile device.");
inline const QString kStorageInaccessible = QStringLiteral(
    "Failed to access internal storage or SD card storage of your mobile device.\n\nEither the "
    "storage is full or inaccessible.");
inline const QString kSendingCompleted = QStringLiteral("Message Sending Process Completed.");

// The companion package is not in the resource directory (`directory`).
QString Companion_Missing_Message(const QString& directory);
// The message file reached the phone, but the companion did not start to send it; `what` says
// what was therefore not sent ("the test message to 0170 was not sent").
QString Companion_Not_Started_Message(const QString& what);

// ---- companion package

// The install step of CheckConnection: installs or refreshes the package with "install -r",
// then grants its permissions (Grant_Companion_Permissions).
// No: the package is missing in the resource directory (nothing run; `error` becomes
// Companion_Missing_Message), adb did not answer in time, adb named an error (several phones:
// the message is shown and `error` becomes "MORE"; a phone that has not allowed USB debugging:
// `error` becomes kPhoneUnauthorized), or the installer reported a failure (the copy-failed
// message is shown).
bool Install_Companion_App(QString* error);
// "pm grant" of each of kCompanionPermissions. A refused grant is logged and the rest go on:
// the phone may not know the permission, or its maker may ask the user instead. The
// permissions that were granted.
QStringList Grant_Companion_Permissions();

// ---- phone storage

// The phone's EXTERNAL_STORAGE, asked anew each time, without line ends; "" when unset.
QString Phone_Storage_Root();
// `root` joined with `fileName`; the bare name when the root is empty.
QString Phone_File_Path(const QString& root, const QString& fileName);
// Where a message file is made before it is pushed: the resource directory.
QString Local_File_Path(const QString& fileName);
// Pushes the resource directory's file of that name to the storage root (and, for the
// legacy emulated root and /mnt/sdcard, once more to the path apps read). No when the first
// push did not arrive: adb said "failed to copy", failed, or ran out of time.
bool Save_File_To_Phone_Storage(const QString& fileName);
// Deletes that file in the storage root (and under the second path); the first output.
QString Send_DEL_File_Command_To_ADB(const QString& fileName);
// Deletes both message files on the phone when a push happened since the last delete.
QString Send_DEL_File_Command_To_Phone();

// ---- message files

// One record of the single-shot file: number, separator, message with every CR LF and then every
// LF as the marker, CR LF.
QString Message_File_Record(const QString& number, const QString& message);
// Replaces the resource directory's file of that name by a new empty one, readable and
// writable by the user alone (the messages in it are private), and opens it for writing.
bool Open_New_Local_File(QFile& file, const QString& fileName);
// Replaces the resource directory's "message.txt" by the bare message in UTF-8. No when it
// could not be written.
bool Write_One_By_One_File(const QString& message);

// ---- activity starts

// What one attempt puts on the phone's command line as MSG (already quoted for the phone's
// shell). Attempt 1: the message exactly as given. Attempt 2, the fallback for phones that choke
// on the first: trimmed, line breaks and tabs as blanks, \ & | < > ( ) ' ` ; " as "_".
QString Message_Argument_For_Attempt(const QString& message, int attempt);
// The adb arguments of an activity start: test form (testFlag 1), message form (a message),
// number-only form (no message: the companion reads "message.txt"), file form (no number: it
// reads "zazoziz.txt").
QStringList Activity_Start_Arguments(const QString& number, const QString& quotedMessage,
                                     bool testFlag);
QStringList File_Form_Arguments();

// Starts the companion activity with number and message. A failed start of a message is tried
// once more with the fallback text; the result is that of the last start made.
AdbCall Send_AN_MSG_Command(const QString& number, const QString& message, uint8_t testMsg);
// Starts the companion activity with no extras: it sends what "zazoziz.txt" holds.
AdbCall Send_File_Form_Command();

// Yes when the output says the start failed.
bool Find_Error_In_Stat_Activity(const QString& output);
// Yes when the start failed: adb did not run to its end, ended with a failure, or said so.
bool Activity_Start_Failed(const AdbCall& call);

}  // namespace tesk::android
