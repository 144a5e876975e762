#include "android/android_detection.h"

#include "android/adb_runner.h"
#include "android/companion_delivery.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/off_window_thread.h"
#include "core/text_helpers.h"

#include <exception>

namespace tesk::android {

namespace {

const QString kDaemonNotRunning =
    QStringLiteral("* daemon not running. starting it now on port 5037 *");
const QString kDaemonStarted = QStringLiteral("* daemon started successfully *");
const QString kListHeader = QStringLiteral("List of devices attached");

bool namesDevice(const QString& text) {
    return text.contains(QLatin1String("device")) || text.contains(QLatin1String("offline")) ||
           text.contains(QLatin1String("bootloader"));
}

}  // namespace

QString Clean_Device_Listing(const QString& output) {
    QString text = output;
    text.remove(kDaemonNotRunning);
    text.remove(kDaemonStarted);
    text.remove(kListHeader);
    return Trim_Str(text);
}

QString First_Android_Device(const QString& cleanedListing) {
    const QString listing = cleanedListing + QLatin1Char('\n');
    QString first = Trim_Str(listing.left(listing.indexOf(QLatin1Char('\n'))));
    if (first.isEmpty()) {
        return QString("");
    }
    first.remove(QStringLiteral("device"));
    return kDevicePrefix + MakeUpper(first);
}

bool More_Than_One_Device_In(const QString& cleanedListing) {
    const qsizetype lineEnd = cleanedListing.indexOf(QLatin1Char('\n'));
    if (lineEnd < 0) {
        return false;
    }
    return namesDevice(cleanedListing.left(lineEnd)) && namesDevice(cleanedListing.mid(lineEnd));
}

QString Device_Status_Report(const QString& cleanedListing) {
    if (cleanedListing.isEmpty()) {
        return kStatusTitle + QStringLiteral("No device found.");
    }
    const bool more = More_Than_One_Device_In(cleanedListing);
    QString body;
    if (cleanedListing.contains(QLatin1String("device"))) {
        QString listing = cleanedListing;
        listing.remove(QStringLiteral("device"));
        body = QStringLiteral("Connected:\n") + MakeUpper(listing);
    } else {
        body = MakeUpper(Trim_Str(cleanedListing)) +
               QStringLiteral("\nNot connected properly, Please reconnect your device.");
    }
    if (more) {
        body += QStringLiteral("\n\n") + kMoreThanOnePhone;
    }
    return kStatusTitle + body;
}

QString Android_Device_Details(const QString& line) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return QString("");
    }
    return Trim_Str(line.mid(equals + 1));
}

QString Get_Android_Device_List() {
    return Clean_Device_Listing(Run_Adb({QStringLiteral("devices")}).output);
}

QString Get_Android_Device() {
    const QString listing = Get_Android_Device_List();
    Android_Device_List.set(listing + QLatin1Char('\n'));
    return First_Android_Device(listing);
}

bool Check_More_Than_One_Android_Device() {
    return More_Than_One_Device_In(Get_Android_Device_List());
}

bool CheckConnection(QString* error) {
    QString ignored;
    QString& errorText = error != nullptr ? *error : ignored;
    errorText = QString("");
    try {
        Show_NSLog_Message(QStringLiteral("start check connection of android device"));
        const QString name = Get_Android_Device();
        if (name.isEmpty()) {
            return false;
        }
        // The rule reads the listing Get_Android_Device just fetched: asking adb a second time
        // could only disagree with the name taken from the first answer.
        QString listing = Android_Device_List.get();
        listing.chop(1);
        if (More_Than_One_Device_In(listing)) {
            errorText = kMoreErrorText;
            Show_MessageBox(kMoreThanOnePhone);
            return false;
        }
        Android_Selected_Device.set(name);
        if (name.contains(QLatin1String("offline"), Qt::CaseInsensitive)) {
            return false;
        }
        return Install_Companion_App(&errorText);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("CheckConnection exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return false;
}

QString Get_Android_Device_Status() {
    return Device_Status_Report(Get_Android_Device_List());
}

void Check_And_Dev_St_Pressed() {
    QString report;
    Run_Off_Window_Thread([&] { report = Get_Android_Device_Status(); });
    Show_MessageBox(report);
}

}  // namespace tesk::android
