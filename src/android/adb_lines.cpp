#include "android/adb_lines.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace tesk::android {

namespace {

struct KnownLine {
    const char* pattern;  // the whole line, blanks around it removed
    AdbLine kind;
};

// Errors about the phone come as "error: ..." (older releases), "adb: ..." (current ones) or
// "adb: error: failed to get feature set: ..." (push and install in current ones).
#define TESK_ADB_ERROR "(?:adb: )?(?:error: )?(?:failed to get feature set: )?"

constexpr std::array<KnownLine, 13> kKnownLines = {{
    {R"(\* daemon not running\. starting it now on port \d+ \*)", AdbLine::ServerNotice},
    {R"(\* daemon not running; starting now at tcp:\d+)", AdbLine::ServerNotice},
    {R"(\* daemon started successfully(?: \*)?)", AdbLine::ServerNotice},
    {R"(adb server version \(\d+\) doesn't match this client \(\d+\); killing\.\.\.)",
     AdbLine::ServerNotice},
    {R"(adb server is out of date\.\s+killing\.\.\.)", AdbLine::ServerNotice},
    {R"(\* (?:failed to start daemon|daemon still not running)(?: \*)?)", AdbLine::ServerFailed},
    {R"((?:adb: |error: )?cannot connect to daemon.*)", AdbLine::ServerFailed},
    {R"(ADB server didn't ACK)", AdbLine::ServerFailed},
    {TESK_ADB_ERROR R"(no devices/emulators found)", AdbLine::NoDevice},
    {TESK_ADB_ERROR R"(device (?:'[^']*' )?not found)", AdbLine::NoDevice},
    {TESK_ADB_ERROR R"(device (?:'[^']*' )?offline)", AdbLine::Offline},
    {TESK_ADB_ERROR R"(device (?:'[^']*' )?unauthorized\.?)", AdbLine::Unauthorized},
    {TESK_ADB_ERROR R"(more than one (?:device(?:/emulator| and emulator)?|emulator))",
     AdbLine::MoreThanOne},
}};

#undef TESK_ADB_ERROR

struct CompiledLine {
    QRegularExpression expression;
    AdbLine kind;
};

const std::array<CompiledLine, kKnownLines.size()>& compiledLines() {
    static const auto compiled = [] {
        std::array<CompiledLine, kKnownLines.size()> result;
        for (size_t i = 0; i < kKnownLines.size(); ++i) {
            result[i] = {QRegularExpression(QRegularExpression::anchoredPattern(
                                                QString::fromLatin1(kKnownLines[i].pattern)),
                                            QRegularExpression::CaseInsensitiveOption),
                         kKnownLines[i].kind};
            // Compiled before the first match: the table is then only read, from any thread.
            result[i].expression.optimize();
        }
        return result;
    }();
    return compiled;
}

}  // namespace

AdbLine Classify_Adb_Line(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty()) {
        return AdbLine::Other;
    }
    for (const CompiledLine& known : compiledLines()) {
        if (known.expression.match(trimmed).hasMatch()) {
            return known.kind;
        }
    }
    return AdbLine::Other;
}

AdbLine Adb_Output_Problem(const QString& output) {
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const AdbLine kind = Classify_Adb_Line(line);
        if (kind != AdbLine::Other && kind != AdbLine::ServerNotice) {
            return kind;
        }
    }
    return AdbLine::Other;
}

bool Phone_Lost_In(const QString& output) {
    const AdbLine problem = Adb_Output_Problem(output);
    return problem == AdbLine::NoDevice || problem == AdbLine::Offline ||
           problem == AdbLine::Unauthorized;
}

}  // namespace tesk::android
