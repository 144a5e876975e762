#pragma once
// Android's limit on text messages one app may send in a period. Past it, the phone asks on its
// own screen before every further message and waits for a tap, which stops a long list halfway.
// The limit is a phone-wide setting adb can change; it is raised only when the user agrees.
//
// The adb calls block their thread: run them on a worker.
#include <QString>

#include <optional>

namespace tesk::android {

inline const QString kSmsLimitCountSetting = QStringLiteral("sms_outgoing_check_max_count");
inline const QString kSmsLimitIntervalSetting = QStringLiteral("sms_outgoing_check_interval_ms");
// What the limit is raised to: 1000 messages a minute, far more than either sending mode sends.
inline constexpr int kRaisedSmsLimitCount = 1000;
inline constexpr int kRaisedSmsLimitIntervalMs = 60000;

inline const QString kRaiseSmsLimitQuestion = QStringLiteral(
    "\nAndroid lets one app send only a limited number of text messages in a period (usually 30 "
    "in 30 minutes). Past that, the phone asks on its screen before every further message and "
    "waits for a tap, so a long list stops until someone answers there.\n\nShall the phone's "
    "limit be raised to 1000 messages a minute now?\n\nThis is a setting of the whole phone: "
    "other apps may then send as much without being asked. \"adb shell settings delete global "
    "sms_outgoing_check_max_count\" sets it back.");

// The number a "settings get" printed, or nothing ("null": the setting was never made).
std::optional<int> Setting_Number(const QString& output);

// The phone would stop a long list to ask: its limit is Android's default or below the raised
// one. No when it could not be asked.
bool Sms_Limit_Low();

// Puts the raised limit and period; yes when the phone took both.
bool Raise_Sms_Limit();

}  // namespace tesk::android
