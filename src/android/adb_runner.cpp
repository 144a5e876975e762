#include "android/adb_runner.h"

#include "appstate/data_paths.h"
#include "core/log.h"
#include "core/pacing.h"

#include <QProcess>

#include <algorithm>
#include <cmath>
#include <exception>

namespace tesk::android {

namespace {

constexpr double kNormalSeconds = 60.0;
constexpr double kTransferSeconds = 180.0;

}  // namespace

QString ADB_File_Path() {
    return Join_Path(Resource_Path, QStringLiteral("adb"));
}

int Adb_Timeout_Ms(AdbWait wait) {
    const double seconds = wait == AdbWait::Transfer ? kTransferSeconds : kNormalSeconds;
    const double ms = std::ceil(pacing::scaled(seconds) * 1000.0);
    return static_cast<int>(std::clamp(ms, 1.0, 2.0e9));
}

AdbWait Adb_Wait_For(const QStringList& arguments) {
    const QString command = arguments.value(0);
    return command == QLatin1String("install") || command == QLatin1String("push")
               ? AdbWait::Transfer
               : AdbWait::Normal;
}

AdbCall Run_Adb(const QStringList& arguments) {
    const AdbWait wait = Adb_Wait_For(arguments);
    AdbCall call;
    try {
        QProcess process;
        process.setProgram(ADB_File_Path());
        process.setArguments(arguments);
        process.setProcessChannelMode(QProcess::MergedChannels);
        // Nothing is ever written to adb; it must not wait for input either.
        process.setStandardInputFile(QProcess::nullDevice());
        process.start();
        if (!process.waitForStarted(Adb_Timeout_Ms(AdbWait::Normal))) {
            call.failure =
                QStringLiteral("adb could not be started: %1").arg(process.errorString());
        } else {
            call.started = true;
            // QProcess drains the pipe while it waits, so a talkative call never blocks on a
            // full pipe; the bytes are decoded only once they are all there.
            if (!process.waitForFinished(Adb_Timeout_Ms(wait))) {
                if (process.state() != QProcess::NotRunning) {
                    call.timedOut = true;
                    call.failure = QStringLiteral("adb did not answer in time");
                    process.kill();
                    process.waitForFinished(-1);
                }
            }
            call.output = QString::fromUtf8(process.readAll());
            if (!call.timedOut) {
                if (process.exitStatus() == QProcess::CrashExit) {
                    call.crashed = true;
                    call.failure = QStringLiteral("adb ended abnormally");
                } else {
                    call.exitCode = process.exitCode();
                }
            }
        }
    } catch (const std::exception& e) {
        call.failure = QString::fromUtf8(e.what());
    }
    Show_NSLog_Message(call.output);
    if (!call.failure.isEmpty()) {
        // The command word only: the rest may be a number and a message, which stay private.
        Show_NSLog_Message(QStringLiteral("adb %1: %2").arg(arguments.value(0), call.failure));
    }
    return call;
}

QString ExecuteExternalFile(const QString& fileName, const QStringList& arguments) {
    (void)fileName;
    return Run_Adb(arguments).output;
}

QString Shell_Quote(const QString& text) {
    QString quoted = text;
    quoted.remove(QChar(u'\0'));
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}  // namespace tesk::android
