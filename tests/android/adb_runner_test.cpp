// The adb runner against the fake adb: argument vectors, the merged stream, failures and the
// time-out; and the quoting of words for the phone's shell against a real /bin/sh.
#include "android/adb_runner.h"
#include "android_test_support.h"

#include <QProcess>

namespace tesk::test {
namespace {

using android::AdbCall;
using android::Run_Adb;

class AdbRunnerTest : public AndroidTest {};

TEST_F(AdbRunnerTest, ArgumentsArriveAsTheyAreWithoutALocalShell) {
    onePhone();
    // Words a local shell would expand, split or redirect.
    const QStringList arguments = {QStringLiteral("push"), QStringLiteral("/no/such dir/$HOME;`x`"),
                                   QStringLiteral("/sdcard/a b&c|d>e")};
    const AdbCall call = Run_Adb(arguments);
    EXPECT_TRUE(call.completed());
    EXPECT_FALSE(call.succeeded());  // the local file does not exist
    ASSERT_EQ(state->calls().size(), 1);
    EXPECT_EQ(state->calls().first(), arguments);
    EXPECT_TRUE(call.output.contains(QStringLiteral("cannot stat '/no/such dir/$HOME;`x`'")))
        << call.output.toStdString();
}

// The exit code is reported; standard error and output arrive in one text, decoded as UTF-8.
TEST_F(AdbRunnerTest, ExitCodeAndOutputOfBothStreams) {
    const AdbCall failed = Run_Adb({QStringLiteral("get-serialno")});  // no phone
    EXPECT_TRUE(failed.completed());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.output, QStringLiteral("adb: no devices/emulators found\n"));
    onePhone();
    Run_Adb({QStringLiteral("kill-server")});
    // The restarted daemon speaks on stderr, the listing comes on stdout.
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    EXPECT_TRUE(call.succeeded());
    EXPECT_EQ(call.output, fakeadb::kCurrentDaemonLines +
                               QStringLiteral("List of devices attached\n0123abcd\tdevice\n\n"));
    state->setListing(QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));
    EXPECT_EQ(Run_Adb({QStringLiteral("devices")}).output,
              QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));
}

TEST_F(AdbRunnerTest, MissingAdbIsAFailedCallWithNoOutput) {
    ASSERT_TRUE(QFile::remove(resource.filePath("adb")));
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    EXPECT_FALSE(call.started);
    EXPECT_FALSE(call.succeeded());
    EXPECT_TRUE(call.output.isEmpty());
    EXPECT_EQ(android::ExecuteExternalFile(QStringLiteral("ignored"), {QStringLiteral("devices")}),
              QString(""));
}

TEST_F(AdbRunnerTest, AHangingCallEndsByTimeOutAsAFailure) {
    onePhone();
    state->setHang({QStringLiteral("devices")});
    pacing::ScopedScale tiny{0.005};  // the 60 s of a listing become 0.3 s
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    EXPECT_TRUE(call.started);
    EXPECT_TRUE(call.timedOut);
    EXPECT_FALSE(call.completed());
    EXPECT_FALSE(call.succeeded());
    EXPECT_TRUE(logged.contains(QStringLiteral("adb devices: adb did not answer in time")));
}

TEST_F(AdbRunnerTest, InstallAndPushWaitThreeTimesLonger) {
    pacing::ScopedScale unit{1.0};
    EXPECT_EQ(android::Adb_Timeout_Ms(android::Adb_Wait_For({QStringLiteral("devices")})), 60000);
    EXPECT_EQ(android::Adb_Timeout_Ms(android::Adb_Wait_For({QStringLiteral("shell")})), 60000);
    EXPECT_EQ(android::Adb_Timeout_Ms(android::Adb_Wait_For({QStringLiteral("install")})), 180000);
    EXPECT_EQ(android::Adb_Timeout_Ms(android::Adb_Wait_For({QStringLiteral("push")})), 180000);
}

// What a POSIX shell makes of the quoted word is the text itself.
TEST(ShellQuote, PosixShellReadsTheTextBack) {
    const QString texts[] = {QString(""),
                             QStringLiteral("Hello"),
                             QStringLiteral("it's 'quoted''"),
                             QStringLiteral("say \"hi\""),
                             QStringLiteral("$HOME ${PATH} $(id) `id` $1 *"),
                             QStringLiteral("a;b&c|d<e>f && g || h"),
                             QStringLiteral("\\ \\\\ \\n end\\"),
                             QStringLiteral("one\ntwo\r\nthree\ttab"),
                             QStringLiteral("😀 ünïcödé ✓"),
                             QStringLiteral("-n --es MSG")};
    for (const QString& text : texts) {
        QProcess sh;
        sh.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf '%s' ") +
                                                                       android::Shell_Quote(text)});
        ASSERT_TRUE(sh.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(sh.readAllStandardOutput()), text);
    }
}

}  // namespace
}  // namespace tesk::test
