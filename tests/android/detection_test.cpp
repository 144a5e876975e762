// Reading the adb listing and adb's own lines, the readiness test and the status report.
#include "android/adb_lines.h"
#include "android_test_support.h"
#include "support/param_names.h"

namespace tesk::test {
namespace {

using namespace android;

struct ListingCase {
    const char* name;
    QString output;   // what "adb devices" printed
    QString cleaned;  // Clean_Device_Listing
    QString first;    // First_Android_Device
    bool more;        // More_Than_One_Device_In
    QString status;   // Device_Status_Report
};

class ListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ListingTest, CleanFirstMoreAndStatus) {
    const ListingCase& c = GetParam();
    const QString cleaned = Clean_Device_Listing(c.output);
    EXPECT_EQ(cleaned, c.cleaned);
    EXPECT_EQ(First_Android_Device(cleaned), c.first);
    EXPECT_EQ(More_Than_One_Device_In(cleaned), c.more);
    EXPECT_EQ(Device_Status_Report(cleaned), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, ListingTest,
    ::testing::Values(
        ListingCase{"header_only", "List of devices attached\n\n", "", "", false,
                    "Android device status:\n\nNo device found."},
        ListingCase{"nothing_at_all", "", "", "", false,
                    "Android device status:\n\nNo device found."},
        ListingCase{"daemon_lines_then_phone",
                    "* daemon not running. starting it now on port 5037 *\n* daemon started "
                    "successfully *\nList of devices attached\n0123abcd\tdevice\n\n",
                    "0123abcd\tdevice", "Android Device 0123ABCD", false,
                    "Android device status:\n\nConnected:\n0123ABCD"},
        ListingCase{"current_wording_and_a_serial_holding_device",
                    "adb server version (39) doesn't match this client (41); killing...\n* daemon "
                    "not running; starting now at tcp:5037\n* daemon started successfully\nList "
                    "of devices attached\nmydevice01\tdevice\n\n",
                    "mydevice01\tdevice", "Android Device MYDEVICE01", false,
                    "Android device status:\n\nConnected:\nMYDEVICE01"},
        ListingCase{"out_of_date_server_and_failed_daemon_start",
                    "adb server is out of date.  killing...\n* failed to start daemon\nList of "
                    "devices attached\n0123abcd\tdevice\n",
                    "0123abcd\tdevice", "Android Device 0123ABCD", false,
                    "Android device status:\n\nConnected:\n0123ABCD"},
        ListingCase{"offline", "List of devices attached\n0123abcd\toffline\n", "0123abcd\toffline",
                    "Android Device 0123ABCD\tOFFLINE", false,
                    "Android device status:\n\n0123ABCD\tOFFLINE\nNot connected properly, "
                    "Please reconnect your device."},
        ListingCase{"two_phones", "List of devices attached\nAAA1\tdevice\nbbb2\tdevice\n",
                    "AAA1\tdevice\nbbb2\tdevice", "Android Device AAA1", true,
                    "Android device status:\n\nConnected:\nAAA1\t\nBBB2\n\nMore than one "
                    "android device detected, please use only one android device at a time."},
        ListingCase{"phone_and_bootloader",
                    "List of devices attached\nAAA1\tdevice\nbbb2\tbootloader\n",
                    "AAA1\tdevice\nbbb2\tbootloader", "Android Device AAA1", true,
                    "Android device status:\n\nConnected:\nAAA1\t\nBBB2\tBOOTLOADER\n\nMore "
                    "than one android device detected, please use only one android device at "
                    "a time."},
        ListingCase{"unauthorized", "List of devices attached\nzz9\tunauthorized\n",
                    "zz9\tunauthorized", "Android Device ZZ9\tUNAUTHORIZED", false,
                    "Android device status:\n\nZZ9\tUNAUTHORIZED\nNot connected properly, "
                    "Please reconnect your device."}),
    ByCaseName{});

struct AdbLineCase {
    const char* name;
    QString line;
    AdbLine kind;
};

class AdbLineTest : public ::testing::TestWithParam<AdbLineCase> {};

// What adb releases from before 2017 and of today print about their server and the phone.
TEST_P(AdbLineTest, OldAndCurrentWordingsAreKnown) {
    EXPECT_EQ(Classify_Adb_Line(GetParam().line), GetParam().kind);
    // A problem is found wherever it stands after harmless lines.
    const QString output = QStringLiteral("* daemon started successfully\n") + GetParam().line;
    const bool notice = GetParam().kind == AdbLine::ServerNotice;
    EXPECT_EQ(Adb_Output_Problem(output), notice ? AdbLine::Other : GetParam().kind);
    EXPECT_EQ(Phone_Lost_In(output), GetParam().kind == AdbLine::NoDevice ||
                                         GetParam().kind == AdbLine::Offline ||
                                         GetParam().kind == AdbLine::Unauthorized);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AdbLineTest,
    ::testing::Values(
        AdbLineCase{"old_daemon_start", "* daemon not running. starting it now on port 5037 *",
                    AdbLine::ServerNotice},
        AdbLineCase{"current_daemon_start", "* daemon not running; starting now at tcp:5037",
                    AdbLine::ServerNotice},
        AdbLineCase{"old_daemon_started", "* daemon started successfully *", AdbLine::ServerNotice},
        AdbLineCase{"current_daemon_started", " * daemon started successfully\r",
                    AdbLine::ServerNotice},
        AdbLineCase{"other_version_server",
                    "adb server version (41) doesn't match this client (39); killing...",
                    AdbLine::ServerNotice},
        AdbLineCase{"old_out_of_date_server", "adb server is out of date.  killing...",
                    AdbLine::ServerNotice},
        AdbLineCase{"daemon_failed", "* failed to start daemon", AdbLine::ServerFailed},
        AdbLineCase{"old_daemon_failed", "* failed to start daemon *", AdbLine::ServerFailed},
        AdbLineCase{"no_daemon_connection",
                    "adb: cannot connect to daemon at tcp:5037: Connection refused",
                    AdbLine::ServerFailed},
        AdbLineCase{"old_no_daemon_connection", "error: cannot connect to daemon",
                    AdbLine::ServerFailed},
        AdbLineCase{"current_no_device", "adb: no devices/emulators found", AdbLine::NoDevice},
        AdbLineCase{"current_no_device_on_push",
                    "adb: error: failed to get feature set: no devices/emulators found",
                    AdbLine::NoDevice},
        AdbLineCase{"old_no_device", "error: no devices/emulators found", AdbLine::NoDevice},
        AdbLineCase{"oldest_no_device", "error: device not found", AdbLine::NoDevice},
        AdbLineCase{"serial_not_found", "adb: device '0123abcd' not found", AdbLine::NoDevice},
        AdbLineCase{"old_offline", "error: device offline", AdbLine::Offline},
        AdbLineCase{"current_offline", "adb: device offline", AdbLine::Offline},
        AdbLineCase{"old_unauthorized", "error: device unauthorized.", AdbLine::Unauthorized},
        AdbLineCase{"current_unauthorized", "adb: device unauthorized.", AdbLine::Unauthorized},
        AdbLineCase{"old_more", "error: more than one device/emulator", AdbLine::MoreThanOne},
        AdbLineCase{"oldest_more", "error: more than one device and emulator",
                    AdbLine::MoreThanOne},
        AdbLineCase{"current_more", "adb: more than one device/emulator", AdbLine::MoreThanOne},
        // Words of a phone or a program, not of adb.
        AdbLineCase{"listed_phone", "0123abcd\tdevice", AdbLine::Other},
        AdbLineCase{"offline_inside_a_message", "Starting: Intent { MSG=device offline }",
                    AdbLine::Other},
        AdbLineCase{"pull_failure",
                    "adb: error: failed to stat remote object '/system/build.prop': No such file",
                    AdbLine::Other},
        AdbLineCase{"empty", "", AdbLine::Other}),
    ByCaseName{});

struct PropertyLineCase {
    const char* name;
    QString line;
    QString value;
};

class PropertyLineTest : public ::testing::TestWithParam<PropertyLineCase> {};

TEST_P(PropertyLineTest, ValueAfterTheFirstEqualsSign) {
    EXPECT_EQ(Android_Device_Details(GetParam().line), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PropertyLineTest,
    ::testing::Values(PropertyLineCase{"plain", "ro.product.model=GT-I9100", "GT-I9100"},
                      PropertyLineCase{"blanks_around", "ro.product.model  =  GT-I9100  ",
                                       "GT-I9100"},
                      PropertyLineCase{"tab_and_cr", "ro.build.host\t=\tSEP-132\r", "SEP-132"},
                      PropertyLineCase{"second_equals_kept", "ro.x=a=b", "a=b"},
                      PropertyLineCase{"no_equals", "ro.product.model", ""},
                      PropertyLineCase{"empty_value", "ro.product.model=", ""}),
    ByCaseName{});

class CheckConnectionTest : public AndroidTest {};

TEST_F(CheckConnectionTest, NoPhoneAnswersNoWithoutInstalling) {
    state->setListing(QStringLiteral("List of devices attached\n\n"));
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, QString(""));
    EXPECT_TRUE(state->callsOf(QStringLiteral("install")).isEmpty());
    EXPECT_TRUE(logged.contains(QStringLiteral("start check connection of android device")));
}

// The listing and the installer's refusals read alike in the words of old and of today's adb.
class WordingTest : public AndroidTest, public ::testing::WithParamInterface<fakeadb::AdbWording> {
  protected:
    void SetUp() override {
        AndroidTest::SetUp();
        state->setWording(GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Wordings, WordingTest,
                         ::testing::Values(fakeadb::AdbWording::Old, fakeadb::AdbWording::Current),
                         [](const auto& info) {
                             return info.param == fakeadb::AdbWording::Old ? "old" : "current";
                         });

TEST_P(WordingTest, ReadyPhoneAfterDaemonStartIsDetectedAndCompanionInstalled) {
    onePhone();
    Run_Adb({QStringLiteral("kill-server")});  // the next call starts the daemon and says so
    QString error;
    EXPECT_TRUE(CheckConnection(&error));
    EXPECT_EQ(error, QString(""));
    EXPECT_EQ(Android_Selected_Device.get(), QStringLiteral("Android Device 0123ABCD"));
    EXPECT_EQ(Android_Device_List.get(), QStringLiteral("0123abcd\tdevice\n"));
    const QList<QStringList> installs = state->callsOf(QStringLiteral("install"));
    ASSERT_EQ(installs.size(), 1);
    EXPECT_EQ(installs.first(), (QStringList{QStringLiteral("install"), QStringLiteral("-r"),
                                             local(kCompanionPackage)}));
}

TEST_F(CheckConnectionTest, TwoPhonesAreReportedOnceAndMarkedMore) {
    state->setListing(QStringLiteral("List of devices attached\nAAA1\tdevice\nBBB2\tdevice\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMoreThanOnePhone);
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, kMoreErrorText);
    EXPECT_TRUE(state->callsOf(QStringLiteral("install")).isEmpty());
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(CheckConnectionTest, OfflinePhoneAnswersNoWithoutInstalling) {
    state->setListing(QStringLiteral("List of devices attached\n0123abcd\toffline\n"));
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, QString(""));
    EXPECT_EQ(Android_Selected_Device.get(), QStringLiteral("Android Device 0123ABCD\tOFFLINE"));
    EXPECT_TRUE(state->callsOf(QStringLiteral("install")).isEmpty());
}

// The listing rule only counts lines that say device, offline or bootloader; a second phone
// that is still unauthorized is caught by the installer, and the user is told once.
TEST_P(WordingTest, SecondUnauthorizedPhoneIsCaughtByTheInstaller) {
    state->setListing(
        QStringLiteral("List of devices attached\nAAA1\tdevice\nBBB2\tunauthorized\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMoreThanOnePhone);
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, kMoreErrorText);
    EXPECT_EQ(state->callsOf(QStringLiteral("install")).size(), 1);
}

TEST_F(CheckConnectionTest, StatusButtonShowsTheReport) {
    onePhone();
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("Android device status:\n\nConnected:\n0123ABCD"));
    Check_And_Dev_St_Pressed();
    EXPECT_EQ(dialogs.pending(), 0);
}

}  // namespace
}  // namespace tesk::test
