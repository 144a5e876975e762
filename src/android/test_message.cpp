#include "android/test_message.h"

#include "android/android_detection.h"
#include "android/companion_delivery.h"
#include "checks/number_checks.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"

#include <exception>

namespace tesk::android {

bool Android_Test_Number_Valid(const QString& trimmedNumber) {
    QString rest = trimmedNumber;
    if (rest.startsWith(QLatin1Char('+'))) {
        rest = QStringLiteral("00") + rest.mid(1);
    }
    if (rest.contains(QLatin1Char('+'))) {
        return false;
    }
    return isValidPhoneNumber(trimmedNumber);
}

namespace {

// The message went through the phone's storage; false when it could not be stored or the start
// that should have picked it up failed.
bool sendThroughFile(const QString& number) {
    pacing::wait(2.0);
    const QString local = Local_File_Path(kOneByOneFileName);
    Write_One_By_One_File(kAndroidTestMessageText);
    if (!Save_File_To_Phone_Storage(kOneByOneFileName)) {
        Delete_File(local);
        Show_MessageBox(kStorageInaccessible);
        return false;
    }
    pacing::wait(2.0);
    const AdbCall start = Send_AN_MSG_Command(number, QString(""), 0);
    Delete_File(local);
    if (Activity_Start_Failed(start)) {
        // The phone has the file, so neither "completed" nor a storage problem would be true.
        Show_MessageBox(Companion_Not_Started_Message(
            QStringLiteral("the test message to %1 was not sent").arg(number)));
        return false;
    }
    pacing::wait(5.0);
    Show_MessageBox(kSendingCompleted);
    return true;
}

}  // namespace

bool Android_Send_Test_SMS_fun(const QString& number, const std::function<void(bool)>& sheet) {
    bool sent = false;
    sheet(true);
    try {
        QString error;
        if (!CheckConnection(&error)) {
            sheet(false);
            Show_Not_Ready(error, kMobileNotReady);
            return false;
        }
        Send_DEL_File_Command_To_Phone();
        const AdbCall start = Send_AN_MSG_Command(number, kAndroidTestMessageText, 1);
        if (!Activity_Start_Failed(start)) {
            pacing::wait(5.0);
            Show_MessageBox(kSendingCompleted);
            sent = true;
        } else {
            sent = sendThroughFile(number);
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Android_Send_Test_SMS_fun exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    sheet(false);
    return sent;
}

}  // namespace tesk::android
