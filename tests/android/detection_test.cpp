// Reading the adb listing, the readiness test and the status report.
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

TEST_F(CheckConnectionTest, ReadyPhoneAfterDaemonStartIsDetectedAndCompanionInstalled) {
    state->setListing(fakeadb::kDaemonLines +
                      QStringLiteral("List of devices attached\n0123abcd\tdevice\n\n"));
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
TEST_F(CheckConnectionTest, SecondUnauthorizedPhoneIsCaughtByTheInstaller) {
    state->setListing(
        QStringLiteral("List of devices attached\nAAA1\tdevice\nBBB2\tunauthorized\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMoreThanOnePhone);
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, kMoreErrorText);
    EXPECT_EQ(state->callsOf(QStringLiteral("install")).size(), 1);
}

TEST_F(CheckConnectionTest, UnauthorizedPhoneIsNotReadySilently) {
    state->setListing(QStringLiteral("List of devices attached\nzz9\tunauthorized\n"));
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, QString(""));
}

TEST_F(CheckConnectionTest, MissingAdbIsNotReady) {
    ASSERT_TRUE(QFile::remove(resource.filePath("adb")));
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, QString(""));
    EXPECT_EQ(Get_Android_Device_Status(),
              QStringLiteral("Android device status:\n\nNo device found."));
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
