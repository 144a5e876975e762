// The adb runner against the fake adb: argument vectors, the merged stream, failures and the
// time-out. (How the phone's shell reads quoted words is checked with the messages that reach
// the phone, in intent_send_test.)
#include "android/adb_runner.h"
#include "android_test_support.h"

namespace tesk::test {
namespace {

using namespace android;

class AdbRunnerTest : public AndroidTest {};

TEST_F(AdbRunnerTest, ArgumentsArriveAsTheyAreWithoutALocalShell) {
    onePhone();
    // Words a local shell would expand, split or redirect.
    const QStringList arguments = {QStringLiteral("push"), QStringLiteral("/no/such dir/$HOME;`x`"),
                                   QStringLiteral("/sdcard/a b&c|d>e")};
    const AdbCall call = Run_Adb(arguments);
    EXPECT_TRUE(call.completed());
    EXPECT_FALSE(call.succeeded());  // the local file does not exist
    EXPECT_EQ(state->calls(), QList<QStringList>{arguments});
}

// The exit code is reported; standard error and output arrive in one text, decoded as UTF-8; a
// missing adb is a call that did not start.
TEST_F(AdbRunnerTest, ExitCodeAndOutputOfBothStreams) {
    const AdbCall failed = Run_Adb({QStringLiteral("get-serialno")});  // no phone
    EXPECT_TRUE(failed.completed());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.output, QStringLiteral("adb: no devices/emulators found\n"));
    state->setListing(QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));
    Run_Adb({QStringLiteral("kill-server")});
    // The restarted daemon speaks on stderr, the listing comes on stdout.
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    EXPECT_TRUE(call.succeeded());
    EXPECT_EQ(call.output, fakeadb::kCurrentDaemonLines +
                               QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));

    ASSERT_TRUE(QFile::remove(resource.filePath("adb")));
    const AdbCall missing = Run_Adb({QStringLiteral("devices")});
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.succeeded());
    EXPECT_TRUE(missing.output.isEmpty());
}

// The log names the command word only: the rest may be a number and a message.
TEST_F(AdbRunnerTest, AHangingCallEndsByTimeOutAsAFailure) {
    onePhone();
    state->setHang({QStringLiteral("devices")});
    pacing::ScopedScale tiny{0.005};  // the 60 s of a listing become 0.3 s
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    EXPECT_TRUE(call.timedOut);
    EXPECT_FALSE(call.succeeded());
    EXPECT_TRUE(logged.contains(QStringLiteral("adb devices: adb did not answer in time")));
}

TEST(AdbWait, InstallAndPushWaitLonger) {
    EXPECT_EQ(Adb_Wait_For({QStringLiteral("install"), QStringLiteral("-r")}), AdbWait::Transfer);
    EXPECT_EQ(Adb_Wait_For({QStringLiteral("push")}), AdbWait::Transfer);
    EXPECT_EQ(Adb_Wait_For({QStringLiteral("shell"), QStringLiteral("push")}), AdbWait::Normal);
}

}  // namespace
}  // namespace tesk::test
