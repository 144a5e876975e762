// The adb runner against the fake adb: the merged stream, failures and the time-out. (That words
// reach adb as they are, with no local shell, and how the phone's shell reads them, is checked
// with the messages that reach the phone, in intent_send_test.)
#include "android/adb_runner.h"
#include "android_test_support.h"

namespace tesk::test {
namespace {

using namespace android;

class AdbRunnerTest : public AndroidTest {};

// The exit code is reported; standard error and output arrive in one text, decoded as UTF-8. (A
// missing adb: the detection's adb trouble table.)
TEST_F(AdbRunnerTest, ExitCodeAndOutputOfBothStreams) {
    EXPECT_EQ(Run_Adb({QStringLiteral("get-serialno")}).exitCode, 1);  // no phone
    state->setListing(QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));
    Run_Adb({QStringLiteral("kill-server")});
    // The restarted daemon speaks on stderr, the listing comes on stdout.
    const AdbCall call = Run_Adb({QStringLiteral("devices")});
    EXPECT_TRUE(call.succeeded());
    EXPECT_EQ(call.output, fakeadb::kCurrentDaemonLines +
                               QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));
    // The runner by its older name: the program it is given is ignored, adb is always ours.
    EXPECT_EQ(ExecuteExternalFile(QStringLiteral("/bin/false"), {QStringLiteral("devices")}),
              QStringLiteral("List of devices attached\nphöne😀\tdevice\n"));
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
