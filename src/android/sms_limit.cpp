#include "android/sms_limit.h"

#include "android/adb_runner.h"
#include "core/log.h"
#include "core/text_helpers.h"

namespace tesk::android {

namespace {

QStringList settingsArguments(const QStringList& words) {
    return QStringList{QStringLiteral("shell"), QStringLiteral("settings")} + words;
}

bool putSetting(const QString& name, int value) {
    const AdbCall call = Run_Adb(settingsArguments(
        {QStringLiteral("put"), QStringLiteral("global"), name, QString::number(value)}));
    // "settings put" says nothing when it worked.
    const bool taken = call.succeeded() && Trim_Str(call.output).isEmpty();
    if (!taken) {
        Show_NSLog_Message(QStringLiteral("the phone did not take %1").arg(name));
    }
    return taken;
}

}  // namespace

std::optional<int> Setting_Number(const QString& output) {
    bool ok = false;
    // The whole answer must be the number; the conversion would stop at a NUL and take what
    // comes before it for the whole.
    if (output.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    const int value = output.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool Sms_Limit_Low() {
    const AdbCall call = Run_Adb(settingsArguments(
        {QStringLiteral("get"), QStringLiteral("global"), kSmsLimitCountSetting}));
    if (!call.succeeded()) {
        return false;
    }
    if (Trim_Str(call.output) == QLatin1String("null")) {
        return true;  // Android's own default
    }
    const std::optional<int> count = Setting_Number(call.output);
    return count && *count < kRaisedSmsLimitCount;
}

bool Raise_Sms_Limit() {
    const bool count = putSetting(kSmsLimitCountSetting, kRaisedSmsLimitCount);
    const bool interval = putSetting(kSmsLimitIntervalSetting, kRaisedSmsLimitIntervalMs);
    return count && interval;
}

}  // namespace tesk::android
