// What adb prints: the device listing and a phone's build properties. The first byte chooses:
// - 0: free text as the listing: the cleaned listing keeps no adb status line and no header,
//   the first device is "" or named with its prefix, the report always starts with its title;
// - 1: a listing built from the input the way adb writes one (status lines in old and current
//   wordings, header, "<serial><tab><state>" lines with serials of any letters, "device"
//   inside them included): the first device is named by its whole serial, several phones are
//   counted by their states, a ready phone's serial appears in the report;
// - 2: free text as build.prop: seven rows, every value trimmed; a property line's value is
//   what follows its first "=", trimmed;
// - 3: free text as the answer of "getprop": its properties are "key=value" lines whose key
//   holds no "=", and read as build.prop they give seven rows; as the answer of "settings get"
//   it is a number only when the trimmed text is one.
// Any output also goes through the table of adb's own lines: the problem it names is one of its
// lines' kinds, and a lost phone is exactly a missing, offline or unauthorized one.
#include "android/adb_lines.h"
#include "android/android_detection.h"
#include "android/phone_details.h"
#include "android/sms_limit.h"
#include "core/text_helpers.h"
#include "fuzz_check.h"

namespace {

using namespace tesk::android;

const QStringList kStates = {
    QStringLiteral("device"),
    QStringLiteral("offline"),
    QStringLiteral("bootloader"),
    QStringLiteral("unauthorized"),
    QStringLiteral("recovery"),
    QStringLiteral("sideload"),
    QStringLiteral("no permissions (user in plugdev group; are your udev rules wrong?)")};

const QStringList kStatusLines = {
    QStringLiteral("* daemon not running. starting it now on port 5037 *"),
    QStringLiteral("* daemon started successfully *"),
    QStringLiteral("* daemon not running; starting now at tcp:5037"),
    QStringLiteral("* daemon started successfully"),
    QStringLiteral("adb server version (39) doesn't match this client (41); killing..."),
    QStringLiteral("adb server is out of date.  killing..."),
    QStringLiteral("* failed to start daemon")};

bool Names_Phone(const QString& state) {
    return state == QLatin1String("device") || state == QLatin1String("offline") ||
           state == QLatin1String("bootloader");
}

void Adb_Lines(const QString& output) {
    const AdbLine problem = Adb_Output_Problem(output);
    bool found = problem == AdbLine::Other;
    for (const QString& line : output.split(u'\n')) {
        found = found || Classify_Adb_Line(line) == problem;
    }
    FUZZ_CHECK(found && problem != AdbLine::ServerNotice, tesk::fuzz::Shown(output));
    FUZZ_CHECK(
        Phone_Lost_In(output) == (problem == AdbLine::NoDevice || problem == AdbLine::Offline ||
                                  problem == AdbLine::Unauthorized),
        tesk::fuzz::Shown(output));
}

void Free_Listing(const QString& output) {
    const QString cleaned = Clean_Device_Listing(output);
    for (const QString& line : cleaned.split(u'\n')) {
        FUZZ_CHECK(!line.trimmed().startsWith(QLatin1String("* ")) &&
                       line.trimmed() != QLatin1String("List of devices attached") &&
                       Classify_Adb_Line(line) == AdbLine::Other,
                   tesk::fuzz::Shown(cleaned));
    }
    const QString first = First_Android_Device(cleaned);
    FUZZ_CHECK(first.isEmpty() == cleaned.isEmpty(), tesk::fuzz::Shown(cleaned));
    FUZZ_CHECK(first.isEmpty() || first.startsWith(kDevicePrefix), first);
    More_Than_One_Device_In(cleaned);
    FUZZ_CHECK(Device_Status_Report(cleaned).startsWith(kStatusTitle), cleaned);
}

void Built_Listing(tesk::fuzz::Input& input) {
    static const char kSerialChars[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.:-_";
    QString output;
    const uint8_t status = input.Byte();
    for (int i = 0; i < kStatusLines.size(); ++i) {
        if (status & (1 << i)) {
            output += kStatusLines.at(i) + u'\n';
        }
    }
    output += QStringLiteral("List of devices attached\n");
    const int count = input.Byte() % 4;
    QStringList serials;
    QStringList states;
    for (int i = 0; i < count; ++i) {
        QString serial;
        const QByteArray raw = input.Until('\0');
        for (const char c : raw) {
            serial +=
                QLatin1Char(kSerialChars[static_cast<uint8_t>(c) % (sizeof kSerialChars - 1)]);
        }
        if (raw.size() % 3 == 1) {
            serial.insert(serial.size() / 2, QStringLiteral("device"));
        }
        if (serial.isEmpty()) {
            serial = QStringLiteral("emulator-5554");
        }
        const QString state = kStates.at(input.Byte() % kStates.size());
        serials.append(serial);
        states.append(state);
        output += serial + u'\t' + state + u'\n';
    }
    output += u'\n';

    const QString cleaned = Clean_Device_Listing(output);
    const QString first = First_Android_Device(cleaned);
    const QString report = Device_Status_Report(cleaned);
    if (count == 0) {
        FUZZ_CHECK(cleaned.isEmpty() && first.isEmpty(), tesk::fuzz::Shown(cleaned));
        return;
    }
    const QString expectedFirst =
        kDevicePrefix + serials.first().toUpper() +
        (states.first() == QLatin1String("device") ? QString() : u'\t' + states.first().toUpper());
    FUZZ_CHECK(first == expectedFirst,
               tesk::fuzz::Shown(first) + QStringLiteral(" for ") + tesk::fuzz::Shown(output));
    int phones = 0;
    for (const QString& state : states.mid(1)) {
        phones += Names_Phone(state) ? 1 : 0;
    }
    FUZZ_CHECK(More_Than_One_Device_In(cleaned) == (Names_Phone(states.first()) && phones > 0),
               tesk::fuzz::Shown(output));
    for (int i = 0; i < count; ++i) {
        if (states.at(i) == QLatin1String("device")) {
            FUZZ_CHECK(report.contains(QStringLiteral("Connected:\n")) &&
                           report.contains(serials.at(i).toUpper()),
                       tesk::fuzz::Shown(report));
        }
    }
}

void Build_Properties(const QString& text) {
    const QList<DeviceRecord> rows = Phone_Property_Rows(text);
    FUZZ_CHECK(rows.size() == 7, QString::number(rows.size()));
    for (const DeviceRecord& row : rows) {
        const QString value = Row_Value(row);
        FUZZ_CHECK(value == value.trimmed(), tesk::fuzz::Shown(value));
    }
    for (const QString& line : text.split(u'\n')) {
        const QString value = Android_Device_Details(line);
        const qsizetype equals = line.indexOf(u'=');
        FUZZ_CHECK(value == (equals < 0 ? QString() : line.mid(equals + 1).trimmed()),
                   tesk::fuzz::Shown(line));
    }
}

void Getprop(const QString& output) {
    const QString properties = Getprop_Properties(output);
    for (const QString& line : properties.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        FUZZ_CHECK(equals > 0 && !line.left(equals).contains(u'#'), tesk::fuzz::Shown(line));
    }
    FUZZ_CHECK(Phone_Property_Rows(properties).size() == 7, tesk::fuzz::Shown(properties));
    const std::optional<int> number = Setting_Number(output);
    FUZZ_CHECK(!number || QString::number(*number) == output.trimmed() ||
                   output.trimmed().startsWith(u'+') || output.trimmed().startsWith(u'0') ||
                   output.trimmed().startsWith(QLatin1String("-0")),
               tesk::fuzz::Shown(output));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    switch (input.Byte() % 4) {
        case 0: {
            const QString output = QString::fromUtf8(input.Rest());
            Free_Listing(output);
            Adb_Lines(output);
            break;
        }
        case 1:
            Built_Listing(input);
            break;
        case 2:
            Build_Properties(QString::fromUtf8(input.Rest()));
            break;
        default:
            Getprop(QString::fromUtf8(input.Rest()));
            break;
    }
    return 0;
}
