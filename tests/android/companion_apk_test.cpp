// The companion package the build made, taken apart with the Android tools: it is signed, it is
// the package and activity the desktop starts, it asks for the permissions the desktop grants,
// and its code reads the extras and files the desktop hands over and sends through the
// platform's SMS manager. Nothing here runs it: there is no phone or emulator.
#include "android_test_support.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>

namespace tesk::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

class CompanionApkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        apk = Built_Companion();
        if (apk.isEmpty()) {
            GTEST_SKIP() << "no companion package: the Android build tools were missing";
        }
        for (const char* name : {"apksigner", "aapt", "baksmali"}) {
            const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (path.isEmpty()) {
                GTEST_SKIP() << name << " is missing (bash scripts/setup-deps.sh installs it)";
            }
            tools[QString::fromLatin1(name)] = path;
        }
    }
    ToolRun run(const QString& tool, const QStringList& arguments) {
        return runTool(tools.value(tool), arguments);
    }

    QString apk;
    QMap<QString, QString> tools;
};

TEST_F(CompanionApkTest, SignedPackageDeclaresTheActivityPermissionsAndApiLevels) {
    const ToolRun verify = run("apksigner", {"verify", "--min-sdk-version", "23", apk});
    EXPECT_EQ(verify.exitCode, 0) << verify.output.toStdString();

    const ToolRun badging = run("aapt", {"dump", "badging", apk});
    ASSERT_EQ(badging.exitCode, 0) << badging.output.toStdString();
    // Every permission the desktop grants is one the package asks for, and the service's own.
    QStringList lines = {"package: name='com.VUVEZAZUREVAVU'", "sdkVersion:'23'",
                         "targetSdkVersion:'29'"};
    for (const QString& permission :
         android::kCompanionPermissions +
             QStringList{"android.permission.FOREGROUND_SERVICE", "android.permission.WAKE_LOCK"}) {
        lines.append("uses-permission: name='" + permission + "'");
    }
    for (const QString& line : lines) {
        EXPECT_TRUE(badging.output.contains(line)) << line.toStdString();
    }

    const ToolRun manifest = run("aapt", {"dump", "xmltree", apk, "AndroidManifest.xml"});
    ASSERT_EQ(manifest.exitCode, 0) << manifest.output.toStdString();
    const QString& tree = manifest.output;
    const qsizetype activity = tree.indexOf(QLatin1String("E: activity"));
    const qsizetype service = tree.indexOf(QLatin1String("E: service"));
    ASSERT_GE(activity, 0);
    ASSERT_GT(service, activity);
    // The desktop starts com.VUVEZAZUREVAVU/.SMS from the phone's shell: it must be exported.
    const QString activityPart = tree.mid(activity, service - activity);
    EXPECT_TRUE(activityPart.contains(QLatin1String("android:name(0x01010003)=\".SMS\"")));
    EXPECT_TRUE(
        activityPart.contains(QLatin1String("android:exported(0x01010010)=(type 0x12)0xffffffff")));
    EXPECT_TRUE(tree.contains(QLatin1String("android:name(0x01010003)=\".SendService\"")));
    EXPECT_TRUE(tree.contains(
        QLatin1String("android:requestLegacyExternalStorage(0x01010603)=(type 0x12)0xffffffff")));
}

TEST_F(CompanionApkTest, CodeReadsWhatTheDesktopHandsOverAndSendsThroughTheSmsManager) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const ToolRun disassembly = run("baksmali", {"disassemble", apk, "-o", out.path()});
    ASSERT_EQ(disassembly.exitCode, 0) << disassembly.output.toStdString();
    QMap<QString, QString> classes;  // class file name -> smali text
    QDirIterator files(out.path(), {"*.smali"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        classes[QDir(out.path()).relativeFilePath(file.fileName())] =
            QString::fromUtf8(file.readAll());
    }
    ASSERT_TRUE(classes.contains("com/VUVEZAZUREVAVU/SMS.smali"))
        << classes.keys().join(' ').toStdString();
    EXPECT_TRUE(classes["com/VUVEZAZUREVAVU/SMS.smali"].contains(
        QLatin1String(".super Landroid/app/Activity;")));
    const QString code = QStringList(classes.values()).join('\n');
    for (const QString& word :
         {QStringLiteral("const-string v1, \"NUM\""), QStringLiteral("const-string v2, \"MSG\""),
          QStringLiteral("\"TESTMSG\""), QStringLiteral("\"message.txt\""),
          QStringLiteral("\"zazoziz.txt\""), QStringLiteral("\",~$^\\'\""),
          "\"" + android::kMessageFileLineBreak + "\"",
          QStringLiteral("Landroid/telephony/SmsManager;->getDefault()"),
          QStringLiteral("Landroid/telephony/SmsManager;->divideMessage("),
          QStringLiteral("Landroid/telephony/SmsManager;->sendMultipartTextMessage("),
          QStringLiteral("Landroid/telephony/SmsManager;->sendTextMessage("),
          QStringLiteral("->startForegroundService("), QStringLiteral("->finish()V"),
          QStringLiteral("Landroid/os/PowerManager$WakeLock;->acquire(J)V")}) {
        EXPECT_TRUE(code.contains(word)) << word.toStdString();
    }
}

}  // namespace
}  // namespace tesk::test
