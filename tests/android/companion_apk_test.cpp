// The companion package the build made, taken apart with the Android tools: it is signed, it is
// the package and exported activity the desktop starts, it asks for the permissions the desktop
// grants, and its code reads the extras and files the desktop hands over and sends through the
// platform's SMS manager. Nothing here runs it: there is no phone or emulator.
#include "android_test_support.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace tesk::test {
namespace {

// What the tool printed on both streams; "" when it failed.
QString toolOutput(const char* tool, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStandardPaths::findExecutable(QString::fromLatin1(tool)), arguments);
    const bool done = process.waitForFinished(120000) && process.exitCode() == 0;
    const QString output = QString::fromUtf8(process.readAll());
    EXPECT_TRUE(done) << tool << ": " << output.toStdString();
    return done ? output : QString();
}

TEST(CompanionApk, SignedPackageDeclaresWhatTheDesktopStartsAndHandsOver) {
    const QString apk = Built_Companion();
    for (const char* tool : {"apksigner", "aapt", "baksmali"}) {
        if (apk.isEmpty() || QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            GTEST_SKIP() << "no companion package or no " << tool << " (scripts/setup-deps.sh)";
        }
    }
    toolOutput("apksigner", {"verify", "--min-sdk-version", "23", apk});
    const QString badging = toolOutput("aapt", {"dump", "badging", apk});
    const QString manifest = toolOutput("aapt", {"dump", "xmltree", apk, "AndroidManifest.xml"});
    QTemporaryDir out;
    toolOutput("baksmali", {"disassemble", apk, "-o", out.path()});
    QString code;
    QDirIterator files(out.path(), {"*.smali"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        code += file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QStringList declared = {"package: name='com.VUVEZAZUREVAVU'", "sdkVersion:'23'"};
    for (const QString& permission : android::kCompanionPermissions) {
        declared.append("uses-permission: name='" + permission + "'");
    }
    for (const QString& line : declared) {
        EXPECT_TRUE(badging.contains(line)) << line.toStdString();
    }
    // The desktop starts .SMS from the phone's shell: it must be exported. Android 10 lets it
    // read the files the desktop pushes only with the legacy storage view.
    EXPECT_TRUE(manifest.contains(QRegularExpression(
        R"(E: activity(?:(?!E: )[\s\S])*"\.SMS"(?:(?!E: )[\s\S])*exported\(0x01010010\)=\(type 0x12\)0xffffffff)")));
    EXPECT_TRUE(manifest.contains(
        QLatin1String("android:requestLegacyExternalStorage(0x01010603)=(type 0x12)0xffffffff")));
    for (const QString& word :
         {QStringLiteral("\"NUM\""), QStringLiteral("\"MSG\""), QStringLiteral("\"TESTMSG\""),
          QStringLiteral("\"message.txt\""), QStringLiteral("\"zazoziz.txt\""),
          QStringLiteral("\",~$^\\'\""), "\"" + android::kMessageFileLineBreak + "\"",
          QStringLiteral("Landroid/telephony/SmsManager;->sendMultipartTextMessage("),
          QStringLiteral("Landroid/telephony/SmsManager;->sendTextMessage(")}) {
        EXPECT_TRUE(code.contains(word)) << word.toStdString();
    }
}

}  // namespace
}  // namespace tesk::test
