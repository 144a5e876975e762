#include "android/companion_delivery.h"

#include "android/adb_lines.h"
#include "android/android_detection.h"
#include "appstate/data_paths.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <optional>

namespace tesk::android {

namespace {

constexpr double kAfterPushSeconds = 2.0;

const QString kLegacyRoot = QStringLiteral("/storage/emulated/legacy");
const QString kLegacyTarget = QStringLiteral("/storage/emulated/0");
const QString kMntSdcard = QStringLiteral("/mnt/sdcard");
const QString kSdcard = QStringLiteral("/sdcard");

// The storage root, or nothing when the phone could not be asked (its answer would be an error
// text, not a path).
std::optional<QString> askStorageRoot() {
    const AdbCall call = Run_Adb(
        {QStringLiteral("shell"), QStringLiteral("echo"), QStringLiteral("$EXTERNAL_STORAGE")});
    if (!call.succeeded()) {
        return std::nullopt;
    }
    QString root = call.output;
    root.remove(QLatin1Char('\r'));
    root.remove(QLatin1Char('\n'));
    return Trim_Str(root);
}

// Phones whose storage root is an alias also get the file under the path apps read.
std::optional<QString> secondPath(const QString& phonePath, const QString& fileName) {
    if (phonePath.contains(kLegacyRoot, Qt::CaseInsensitive)) {
        return Join_Path(kLegacyTarget, fileName);
    }
    if (phonePath.contains(kMntSdcard, Qt::CaseInsensitive)) {
        return Join_Path(kSdcard, fileName);
    }
    return std::nullopt;
}

QStringList removeArguments(const QString& phonePath) {
    return {QStringLiteral("shell"), QStringLiteral("rm"), Shell_Quote(phonePath)};
}

// Attempt 2 of an activity start: the characters some phones' command lines mangle become "_".
QString fallbackText(const QString& message) {
    QString text = Trim_Str(message);
    for (const QChar c : {QChar(u'\n'), QChar(u'\r'), QChar(u'\t')}) {
        text.replace(c, QLatin1Char(' '));
    }
    for (const QChar c :
         {QChar(u'\\'), QChar(u'&'), QChar(u'|'), QChar(u'<'), QChar(u'>'), QChar(u'('),
          QChar(u')'), QChar(u'\''), QChar(u'`'), QChar(u';'), QChar(u'"')}) {
        text.replace(c, QLatin1Char('_'));
    }
    return text;
}

// What the installer's answer says: installed (or refreshed) or not.
bool installAnswer(const AdbCall& call, QString* error) {
    if (!call.completed()) {
        return false;
    }
    const QString& output = call.output;
    if (output.isEmpty()) {
        return call.exitCode == 0;
    }
    switch (Adb_Output_Problem(output)) {
        case AdbLine::MoreThanOne:
            Show_MessageBox(kMoreThanOnePhone);
            // Told once; the caller must not add its own message.
            if (error != nullptr) {
                *error = kMoreErrorText;
            }
            return false;
        case AdbLine::Unauthorized:
            if (error != nullptr) {
                *error = kPhoneUnauthorized;
            }
            return false;
        case AdbLine::Other:
        case AdbLine::ServerNotice:
            break;
        default:
            return false;
    }
    if (output.contains(QLatin1String("error"))) {
        return false;
    }
    if (output.contains(QLatin1String("Success"))) {
        return true;
    }
    if (output.contains(QLatin1String("Failure"))) {
        // Whether or not the installer repeats the package name, "Failure" without "Success" is
        // a failed install.
        Show_MessageBox(kCompanionCopyFailed);
        return false;
    }
    return call.exitCode == 0;
}

// A granted permission prints nothing; a refusal names an exception or an error (older phones
// print it with exit code 0).
bool grantRefused(const AdbCall& call) {
    if (!call.succeeded()) {
        return true;
    }
    for (const char* word : {"exception", "error", "bad argument", "not allowed"}) {
        if (call.output.contains(QLatin1String(word), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QString Companion_Missing_Message(const QString& directory) {
    return QStringLiteral(
               "The companion app %1, which sends the messages on the phone, is missing. It "
               "belongs in:\n%2\n\nThe project's build makes it when the Android build tools "
               "are installed (scripts/setup-deps.sh installs them; see \"The companion app on "
               "the phone\" in the README), and installing Tesk SMS copies it there.")
        .arg(kCompanionPackage, directory);
}

QString Companion_Not_Started_Message(const QString& what) {
    return QStringLiteral(
               "The companion app on the phone could not be started, so %1.\n\n"
               "Unlock the phone and check that Tesk SMS Companion is installed there (Settings, "
               "Apps), then try again.")
        .arg(what);
}

bool Install_Companion_App(QString* error) {
    const QString package = Join_Path(Resource_Path, kCompanionPackage);
    if (!QFileInfo(package).isFile()) {
        // adb would only say it cannot read the file, in words the rules below take for success.
        Show_NSLog_Message(QStringLiteral("companion package missing: %1").arg(package));
        if (error != nullptr) {
            *error = Companion_Missing_Message(Resource_Path);
        }
        return false;
    }
    const AdbCall call = Run_Adb({QStringLiteral("install"), QStringLiteral("-r"), package});
    if (!installAnswer(call, error)) {
        return false;
    }
    Grant_Companion_Permissions();
    return true;
}

QStringList Grant_Companion_Permissions() {
    QStringList granted;
    for (const QString& permission : kCompanionPermissions) {
        const AdbCall call = Run_Adb({QStringLiteral("shell"), QStringLiteral("pm"),
                                      QStringLiteral("grant"), kCompanionPackageName, permission});
        if (grantRefused(call)) {
            Show_NSLog_Message(
                QStringLiteral("companion permission not granted: %1").arg(permission));
        } else {
            granted.append(permission);
        }
    }
    return granted;
}

QString Phone_Storage_Root() {
    return askStorageRoot().value_or(QString(""));
}

QString Phone_File_Path(const QString& root, const QString& fileName) {
    return root.isEmpty() ? fileName : Join_Path(root, fileName);
}

QString Local_File_Path(const QString& fileName) {
    return Join_Path(Resource_Path, fileName);
}

bool Save_File_To_Phone_Storage(const QString& fileName) {
    try {
        const std::optional<QString> root = askStorageRoot();
        if (!root) {
            Show_NSLog_Message(QStringLiteral("phone storage could not be asked for"));
            return false;
        }
        const QString local = Local_File_Path(fileName);
        const QString remote = Phone_File_Path(*root, fileName);
        const AdbCall first = Run_Adb({QStringLiteral("push"), local, remote});
        if (const std::optional<QString> second = secondPath(remote, fileName)) {
            pacing::wait(kAfterPushSeconds);
            Run_Adb({QStringLiteral("push"), local, *second});
        }
        pacing::wait(kAfterPushSeconds);
        file_saved_once = 1;
        return first.succeeded() &&
               !first.output.contains(QLatin1String("failed to copy"), Qt::CaseInsensitive);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Save_File_To_Phone_Storage exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return false;
}

QString Send_DEL_File_Command_To_ADB(const QString& fileName) {
    try {
        const std::optional<QString> root = askStorageRoot();
        if (!root) {
            return QString("");
        }
        const QString remote = Phone_File_Path(*root, fileName);
        const AdbCall first = Run_Adb(removeArguments(remote));
        if (const std::optional<QString> second = secondPath(remote, fileName)) {
            Run_Adb(removeArguments(*second));
        }
        return first.output;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Send_DEL_File_Command_To_ADB exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return QString("");
}

QString Send_DEL_File_Command_To_Phone() {
    if (file_saved_once == 1) {
        Send_DEL_File_Command_To_ADB(kMessageFileName);
        Send_DEL_File_Command_To_ADB(kOneByOneFileName);
    }
    file_saved_once = 0;
    return QString("");
}

QString Message_File_Record(const QString& number, const QString& message) {
    QString text = message;
    text.replace(QLatin1String("\r\n"), kMessageFileLineBreak);
    text.replace(QLatin1Char('\n'), kMessageFileLineBreak);
    return number + kRecordSeparator + text + QStringLiteral("\r\n");
}

bool Open_New_Local_File(QFile& file, const QString& fileName) {
    const QString path = Local_File_Path(fileName);
    Delete_File(path);
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        Show_NSLog_Message(QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

bool Write_One_By_One_File(const QString& message) {
    QFile file;
    if (!Open_New_Local_File(file, kOneByOneFileName)) {
        return false;
    }
    const QByteArray bytes = message.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

QString Message_Argument_For_Attempt(const QString& message, int attempt) {
    return Shell_Quote(attempt <= 1 ? message : fallbackText(message));
}

QStringList Activity_Start_Arguments(const QString& number, const QString& quotedMessage,
                                     bool testFlag) {
    QStringList arguments = {QStringLiteral("shell"), QStringLiteral("am"), QStringLiteral("start"),
                             QStringLiteral("-a"),    kStartAction,         QStringLiteral("-e"),
                             QStringLiteral("NUM"),   Shell_Quote(number)};
    if (testFlag) {
        arguments << QStringLiteral("-e") << QStringLiteral("MSG") << quotedMessage
                  << QStringLiteral("-e") << QStringLiteral("TESTMSG") << Shell_Quote(number);
    } else if (!quotedMessage.isEmpty()) {
        arguments << QStringLiteral("--es") << QStringLiteral("MSG") << quotedMessage;
    }
    arguments << QStringLiteral("-n") << kCompanionComponent;
    return arguments;
}

QStringList File_Form_Arguments() {
    return {QStringLiteral("shell"), QStringLiteral("am"), QStringLiteral("start"),
            QStringLiteral("-a"),    kStartAction,         QStringLiteral("-n"),
            kCompanionComponent};
}

AdbCall Send_AN_MSG_Command(const QString& number, const QString& message, uint8_t testMsg) {
    const bool test = testMsg == 1;
    // A message of blanks only has nothing to send: the number-only form.
    const bool empty = Trim_Str(message).isEmpty();
    AdbCall call;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const QString quoted =
            empty && !test ? QString() : Message_Argument_For_Attempt(message, attempt);
        call = Run_Adb(Activity_Start_Arguments(number, quoted, test));
        if (test || empty || attempt == 2 || !Activity_Start_Failed(call)) {
            break;
        }
        Show_NSLog_Message(
            QStringLiteral("again try the one by one mode with command line params\n"));
    }
    return call;
}

AdbCall Send_File_Form_Command() {
    return Run_Adb(File_Form_Arguments());
}

bool Find_Error_In_Stat_Activity(const QString& output) {
    const QString text = MakeLower(output);
    for (const char* word :
         {"error:", "-n: permission denied", "cannot", ": permission denied", "-n:"}) {
        if (text.contains(QLatin1String(word))) {
            return true;
        }
    }
    return false;
}

bool Activity_Start_Failed(const AdbCall& call) {
    return !call.succeeded() || Find_Error_In_Stat_Activity(call.output);
}

}  // namespace tesk::android
