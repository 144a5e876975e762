#pragma once
// The test message of the phone connection window: one message to a number the user typed,
// first as an activity start with the message as an extra, and, when the phone refuses that,
// through "message.txt" on the phone's storage and a number-only start.
#include <QString>

#include <functional>

namespace tesk::android {

inline const QString kAndroidTestMessageText =
    QStringLiteral("This is a test message sent by the Android mode of Tesk SMS.");
inline const QString kInvalidAndroidTestNumber = QStringLiteral(
    "Phone number entered to receive test message does not seem to be valid. Please enter a "
    "valid phone number to receive test message.");

// A "+" only as the first character, and then the number check of the composer.
bool Android_Test_Number_Valid(const QString& trimmedNumber);

// Sends the test message (worker thread; notices through the dialogs port). `sheet(true/false)`
// shows and hides the progress sheet. True when the companion application took the message.
bool Android_Send_Test_SMS_fun(const QString& number, const std::function<void(bool)>& sheet);

}  // namespace tesk::android
