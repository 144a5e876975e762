// Reading the adb listing and adb's own lines, the readiness test and the status report.
#include "android/adb_lines.h"
#include "android_test_support.h"

namespace tesk::test {
namespace {

using namespace android;

// What "adb devices" printed -> the cleaned listing, the first phone, whether there are more,
// and the status report after its title.
TEST(Listing, CleanFirstMoreAndStatus) {
    const struct {
        const char* name;
        QString output, cleaned, first;
        bool more;
        QString status;
    } cases[] = {
        {"header_only", "List of devices attached\n\n", "", "", false, "No device found."},
        {"daemon_lines_then_phone",
         "* daemon not running. starting it now on port 5037 *\n* daemon started "
         "successfully *\nList of devices attached\n0123abcd\tdevice\n\n",
         "0123abcd\tdevice", "Android Device 0123ABCD", false, "Connected:\n0123ABCD"},
        {"offline", "List of devices attached\n0123abcd\toffline\n", "0123abcd\toffline",
         "Android Device 0123ABCD\tOFFLINE", false,
         "0123ABCD\tOFFLINE\nNot connected properly, Please reconnect your device."},
        {"phone_and_bootloader", "List of devices attached\nAAA1\tdevice\nbbb2\tbootloader\n",
         "AAA1\tdevice\nbbb2\tbootloader", "Android Device AAA1", true,
         "Connected:\nAAA1\t\nBBB2\tBOOTLOADER\n\n" + kMoreThanOnePhone}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString cleaned = Clean_Device_Listing(c.output);
        EXPECT_EQ(cleaned, c.cleaned);
        EXPECT_EQ(First_Android_Device(cleaned), c.first);
        EXPECT_EQ(More_Than_One_Device_In(cleaned), c.more);
        EXPECT_EQ(Device_Status_Report(cleaned), kStatusTitle + c.status);
    }
}

// What adb releases from before 2017 and of today print about their server and the phone; a
// problem is found wherever it stands after harmless lines.
TEST(AdbLines, OldAndCurrentWordingsAreKnown) {
    const struct {
        QString line;
        AdbLine kind;
    } cases[] = {
        {"* daemon not running. starting it now on port 5037 *", AdbLine::ServerNotice},
        {"* daemon not running; starting now at tcp:5037", AdbLine::ServerNotice},
        {" * daemon started successfully\r", AdbLine::ServerNotice},
        {"adb server version (41) doesn't match this client (39); killing...",
         AdbLine::ServerNotice},
        {"adb server is out of date.  killing...", AdbLine::ServerNotice},
        {"* failed to start daemon", AdbLine::ServerFailed},
        {"adb: cannot connect to daemon at tcp:5037: Connection refused", AdbLine::ServerFailed},
        {"adb: error: failed to get feature set: no devices/emulators found", AdbLine::NoDevice},
        {"adb: device '0123abcd' not found", AdbLine::NoDevice},
        {"error: device offline", AdbLine::Offline},
        {"error: device unauthorized.", AdbLine::Unauthorized},
        {"adb: more than one device and emulator", AdbLine::MoreThanOne},
        // Words of a phone or a program, not of adb.
        {"0123abcd\tdevice", AdbLine::Other},
        {"Starting: Intent { MSG=device offline }", AdbLine::Other},
        {"adb: error: failed to stat remote object '/system/build.prop': No such file",
         AdbLine::Other}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(Classify_Adb_Line(c.line), c.kind);
        const QString output = QStringLiteral("* daemon started successfully\n") + c.line;
        EXPECT_EQ(Adb_Output_Problem(output),
                  c.kind == AdbLine::ServerNotice ? AdbLine::Other : c.kind);
        EXPECT_EQ(Phone_Lost_In(output), c.kind == AdbLine::NoDevice ||
                                             c.kind == AdbLine::Offline ||
                                             c.kind == AdbLine::Unauthorized);
    }
}

class CheckConnectionTest : public AndroidTest {};

// No phone, an offline or an unauthorized one: no, without an install; only the authorization
// is something to tell the user about.
TEST_F(CheckConnectionTest, NoOfflineOrUnauthorizedPhoneAnswersNoWithoutInstalling) {
    const struct {
        const char* listing;
        QString selected, error;
    } cases[] = {
        {"List of devices attached\n\n", "", ""},
        {"List of devices attached\n0123abcd\toffline\n", "Android Device 0123ABCD\tOFFLINE", ""},
        {"List of devices attached\nzz9\tunauthorized\n", "Android Device ZZ9\tUNAUTHORIZED",
         kPhoneUnauthorized}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listing);
        state->setListing(QString::fromLatin1(c.listing));
        QString error = QStringLiteral("stale");
        EXPECT_FALSE(CheckConnection(&error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Android_Selected_Device.get(), c.selected);
        EXPECT_TRUE(state->callsOf(QStringLiteral("install")).isEmpty());
        EXPECT_FALSE(Check_More_Than_One_Android_Device());
    }
}

// In the words of old and of today's adb alike: a ready phone after a daemon start is detected
// and the companion installed; a second phone that is still unauthorized is not counted by the
// listing rule (only device, offline and bootloader lines are) but caught by the installer, and
// the user is told once.
TEST_F(CheckConnectionTest, OldAndCurrentAdbWordsReadAlike) {
    for (const auto wording : {fakeadb::AdbWording::Old, fakeadb::AdbWording::Current}) {
        SCOPED_TRACE(wording == fakeadb::AdbWording::Old ? "old adb" : "current adb");
        state->setWording(wording);
        onePhone();
        QFile::remove(state->path(fakeadb::kCallsLog));
        Run_Adb({QStringLiteral("kill-server")});  // the next call starts the daemon and says so
        QString error;
        EXPECT_TRUE(CheckConnection(&error));
        EXPECT_EQ(Android_Selected_Device.get(), QStringLiteral("Android Device 0123ABCD"));
        EXPECT_EQ(Android_Device_List.get(), QStringLiteral("0123abcd\tdevice\n"));
        EXPECT_EQ(state->callsOf(QStringLiteral("install")),
                  (QList<QStringList>{{"install", "-r", local(kCompanionPackage)}}));

        state->setListing(
            QStringLiteral("List of devices attached\nAAA1\tdevice\nBBB2\tunauthorized\n"));
        ScriptedDialogs dialogs;
        dialogs.expectNotice(kMoreThanOnePhone);
        EXPECT_FALSE(CheckConnection(&error));
        EXPECT_EQ(error, kMoreErrorText);
        EXPECT_EQ(state->callsOf(QStringLiteral("install")).size(), 2);
        EXPECT_EQ(dialogs.pending(), 0);
        EXPECT_FALSE(Check_More_Than_One_Android_Device());
        state->setListing(
            QStringLiteral("List of devices attached\nAAA1\tdevice\nBBB2\toffline\n"));
        EXPECT_TRUE(Check_More_Than_One_Android_Device());
    }
}

// Trouble with adb itself is named, in the error the window shows and in the status report.
TEST_F(CheckConnectionTest, AdbTroubleIsNamedInTheErrorAndTheStatusReport) {
    const QString adb = resource.filePath("adb");
    const std::pair<QByteArray, QString> cases[] = {
        {"", "was not found at:\n%1\n\nInstall adb (the package \"adb\""},  // no adb at all
        {"kill -SEGV $$\n", "did not work (it crashed):\n%1"},
        {"echo '* daemon not running; starting now at tcp:5037'\necho '* failed to start "
         "daemon'\necho 'adb: cannot connect to daemon' >&2\nexit 1\n",
         "did not work (its server could not be started):\n%1"}};
    for (const auto& [script, words] : cases) {
        SCOPED_TRACE(words.toStdString());
        QFile::remove(adb);
        QFile file(adb);
        if (!script.isEmpty()) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n" + script);
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            file.close();
        }
        QString error;
        EXPECT_FALSE(CheckConnection(&error));
        EXPECT_TRUE(error.contains(words.arg(adb))) << error.toStdString();
        EXPECT_EQ(Get_Android_Device_Status(), kStatusTitle + error);
    }
}

}  // namespace
}  // namespace tesk::test
