#include "android/android_detection.h"

#include "android/adb_lines.h"
#include "android/adb_runner.h"
#include "android/companion_delivery.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/off_window_thread.h"
#include "core/text_helpers.h"

#include <QFileInfo>

#include <exception>

namespace tesk::android {

namespace {

const QString kListHeader = QStringLiteral("List of devices attached");

// A listing line is "<serial><blank><state>": serial numbers hold no blanks, and the state may
// (older adb wrote "no permissions (...)"). Only the state says what the phone is doing; the
// serial may hold any word, "device" included.
struct ListingLine {
    QString serial;
    QString state;
};

ListingLine Split_Listing_Line(const QString& line) {
    const QString trimmed = Trim_Str(line);
    qsizetype blank = 0;
    while (blank < trimmed.size() && !trimmed.at(blank).isSpace()) {
        ++blank;
    }
    return {trimmed.left(blank), Trim_Str(trimmed.mid(blank))};
}

QString First_Listed_State(const QString& cleanedListing) {
    return Split_Listing_Line(cleanedListing.section(QLatin1Char('\n'), 0, 0)).state;
}

// Remembers the cleaned listing (Android_Device_List) and names its first device.
QString Remember_Listing(const QString& output) {
    const QString listing = Clean_Device_Listing(output);
    Android_Device_List.set(listing + QLatin1Char('\n'));
    return First_Android_Device(listing);
}

bool Names_Device(const QString& line) {
    const QString state = Split_Listing_Line(line).state;
    return state == QLatin1String("device") || state == QLatin1String("offline") ||
           state == QLatin1String("bootloader");
}

// The line as the report shows it: a ready phone ("device") by its serial alone, with the
// blank that followed it; any other state stays written out.
QString Without_Ready_State(const QString& line) {
    if (Split_Listing_Line(line).state != QLatin1String("device")) {
        return line;
    }
    QString shown = line;
    const qsizetype at = shown.lastIndexOf(QLatin1String("device"));
    shown.remove(at, 6);
    return shown;
}

}  // namespace

QString Clean_Device_Listing(const QString& output) {
    // adb's own lines about its server (and, should one slip in, about the phone) name no
    // phone; nor does the header. A line beginning with "* " is adb's too, even in a wording
    // the table does not know yet.
    QStringList kept;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const QString trimmed = Trim_Str(line);
        if (Classify_Adb_Line(trimmed) != AdbLine::Other ||
            trimmed.startsWith(QLatin1String("* ")) || trimmed == kListHeader) {
            continue;
        }
        kept.append(line);
    }
    return Trim_Str(kept.join(QLatin1Char('\n')));
}

QString First_Android_Device(const QString& cleanedListing) {
    const QString listing = cleanedListing + QLatin1Char('\n');
    const QString first = Trim_Str(listing.left(listing.indexOf(QLatin1Char('\n'))));
    if (first.isEmpty()) {
        return QString("");
    }
    return kDevicePrefix + MakeUpper(Without_Ready_State(first));
}

bool More_Than_One_Device_In(const QString& cleanedListing) {
    const QStringList lines = cleanedListing.split(QLatin1Char('\n'));
    if (lines.size() < 2 || !Names_Device(lines.first())) {
        return false;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (Names_Device(lines.at(i))) {
            return true;
        }
    }
    return false;
}

QString Device_Status_Report(const QString& cleanedListing) {
    if (cleanedListing.isEmpty()) {
        return kStatusTitle + QStringLiteral("No device found.");
    }
    const bool more = More_Than_One_Device_In(cleanedListing);
    QStringList lines = cleanedListing.split(QLatin1Char('\n'));
    bool ready = false;
    for (QString& line : lines) {
        const QString shown = Without_Ready_State(line);
        ready = ready || shown != line;
        line = shown;
    }
    QString body;
    if (ready) {
        body = QStringLiteral("Connected:\n") + MakeUpper(lines.join(QLatin1Char('\n')));
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
    return Remember_Listing(Run_Adb({QStringLiteral("devices")}).output);
}

QString Adb_Trouble_Message(bool started, bool crashed, bool timedOut, const QString& output) {
    const QString path = ADB_File_Path();
    if (!started && !QFileInfo::exists(path)) {
        return QStringLiteral(
                   "The program adb, which talks to the phone, was not found at:\n%1\n\nInstall "
                   "adb (the package \"adb\" on Debian and Ubuntu), then install Tesk SMS again: "
                   "the installation links adb there.")
            .arg(path);
    }
    QString what;
    if (!started) {
        what = QStringLiteral("it could not be started");
    } else if (crashed) {
        what = QStringLiteral("it crashed");
    } else if (timedOut) {
        what = QStringLiteral("it did not answer in time");
    } else if (Adb_Output_Problem(output) == AdbLine::ServerFailed) {
        what = QStringLiteral("its server could not be started");
    } else {
        return QString("");
    }
    return QStringLiteral(
               "The program adb, which talks to the phone, did not work (%1):\n%2\n\nClose other "
               "programs that use the phone over USB and try again. If it keeps failing, "
               "reinstall adb (the package \"adb\" on Debian and Ubuntu).")
        .arg(what, path);
}

void Show_Not_Ready(const QString& error, const QString& usual) {
    if (error != kMoreErrorText) {
        Show_MessageBox(error.isEmpty() ? usual : error);
    }
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
        const AdbCall call = Run_Adb({QStringLiteral("devices")});
        errorText = Adb_Trouble_Message(call.started, call.crashed, call.timedOut, call.output);
        if (!errorText.isEmpty()) {
            return false;
        }
        const QString name = Remember_Listing(call.output);
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
        if (First_Listed_State(listing) == QLatin1String("unauthorized")) {
            errorText = kPhoneUnauthorized;
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
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    const QString trouble =
        Adb_Trouble_Message(call.started, call.crashed, call.timedOut, call.output);
    if (!trouble.isEmpty()) {
        return kStatusTitle + trouble;
    }
    return Device_Status_Report(Clean_Device_Listing(call.output));
}

void Check_And_Dev_St_Pressed() {
    QString report;
    Run_Off_Window_Thread([&] { report = Get_Android_Device_Status(); });
    Show_MessageBox(report);
}

}  // namespace tesk::android
