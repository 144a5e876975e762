// Installing the companion application and moving message files to and from the phone.
#include "android_test_support.h"

#include <QFileInfo>

namespace tesk::test {
namespace {

using namespace android;

class DeliveryTest : public AndroidTest {};

// The installer's answer and exit code decide readiness, and what the user is told; the
// permissions are granted only after an install.
TEST_F(DeliveryTest, InstallAnswerDecidesReadiness) {
    const struct {
        const char* name;
        QString answer;
        int exitCode;
        bool ready;
        QString notice;  // "" for none
        QString error;
    } cases[] = {{"success", "Performing Streamed Install\nSuccess\n", 0, true, "", ""},
                 {"empty_answer", "", 0, true, "", ""},
                 // Without the package name in it this is still a failed install, not a success.
                 {"failure_without_package_name", "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n",
                  1, false, kCompanionCopyFailed, ""},
                 {"more_than_one_device", "error: more than one device/emulator\n", 1, false,
                  kMoreThanOnePhone, kMoreErrorText},
                 // Authorization withdrawn on the phone after the listing was taken.
                 {"unauthorized",
                  "adb: device unauthorized.\nThis adb server's "
                  "$ADB_VENDOR_KEYS is not set\n",
                  1, false, "", kPhoneUnauthorized},
                 {"other_words_failed_exit", "adb: connect error for write\n", 1, false, "", ""}};
    onePhone();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(state->path(fakeadb::kCallsLog));
        state->setInstallAnswer(c.answer, c.exitCode);
        ScriptedDialogs dialogs;
        if (!c.notice.isEmpty()) {
            dialogs.expectNotice(c.notice);
        }
        QString error = QStringLiteral("stale");
        EXPECT_EQ(CheckConnection(&error), c.ready);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(dialogs.pending(), 0);
        EXPECT_EQ(state->callsOf(QStringLiteral("install")).size(), 1);
        EXPECT_EQ(state->callsOf(QStringLiteral("shell")).isEmpty(), !c.ready);
    }
}

// Every permission is granted after an install; a phone before Android 13 does not know the
// notification permission, and a refusal does not make the phone unready.
TEST_F(DeliveryTest, PermissionsAreGrantedAndARefusalIsNotFatal) {
    onePhone();
    EXPECT_TRUE(CheckConnection(nullptr));
    QStringList granted;
    for (const QString& permission : kCompanionPermissions) {
        granted.append(kCompanionPackageName + QLatin1Char(' ') + permission);
    }
    EXPECT_EQ(state->grants(), granted);
    EXPECT_EQ(Grant_Companion_Permissions(), kCompanionPermissions);  // what it reports granted
    QFile::remove(state->path(fakeadb::kGrantsLog));
    state->setGrantAnswer(QStringLiteral(
        "Exception occurred while executing 'grant':\njava.lang.IllegalArgumentException: "
        "Unknown permission: android.permission.POST_NOTIFICATIONS\n"));
    EXPECT_TRUE(CheckConnection(nullptr));
    EXPECT_TRUE(state->grants().isEmpty());
    EXPECT_TRUE(Grant_Companion_Permissions().isEmpty());
}

// The push lands where the companion reads it, also on phones whose storage is elsewhere, and
// the delete removes every copy. (A full storage: the sending suites.)
TEST_F(DeliveryTest, PushLandsWhereTheCompanionReadsAndDeleteRemovesIt) {
    const struct {
        QString root;
        QStringList phonePaths;  // where the pushed file must be
    } cases[] = {
        {"/storage/emulated/legacy",
         {"/storage/emulated/legacy/zazoziz.txt", "/storage/emulated/0/zazoziz.txt"}},
        {"/mnt/sdcard", {"/mnt/sdcard/zazoziz.txt", "/sdcard/zazoziz.txt"}},
        {"/storage/My Card", {"/storage/My Card/zazoziz.txt"}},
    };
    QFile file(local(kMessageFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0123,~$^'hi\r\n");
    file.close();
    // Without a phone the storage question fails, and no push to a made-up path is tried.
    EXPECT_FALSE(Save_File_To_Phone_Storage(kMessageFileName));
    EXPECT_TRUE(state->callsOf(QStringLiteral("push")).isEmpty());
    onePhone();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root.toStdString());
        QFile::remove(state->path(fakeadb::kCallsLog));
        state->setStorageRoot(c.root);
        file_saved_once = 0;
        EXPECT_TRUE(Save_File_To_Phone_Storage(kMessageFileName));
        EXPECT_EQ(file_saved_once, 1);
        EXPECT_EQ(state->callsOf(QStringLiteral("push")).size(), c.phonePaths.size());
        for (const QString& path : c.phonePaths) {
            EXPECT_EQ(state->phoneFile(path), QByteArray("0123,~$^'hi\r\n")) << path.toStdString();
        }
        Send_DEL_File_Command_To_ADB(kMessageFileName);
        for (const QString& path : c.phonePaths) {
            EXPECT_FALSE(state->phoneHasFile(path)) << path.toStdString();
        }
    }
}

TEST_F(DeliveryTest, PhoneFilesAreDeletedOnlyAfterAPush) {
    onePhone();
    state->putPhoneFile(QStringLiteral("/sdcard/zazoziz.txt"), "old");
    state->putPhoneFile(QStringLiteral("/sdcard/message.txt"), "old");
    EXPECT_EQ(Send_DEL_File_Command_To_Phone(), QString(""));
    EXPECT_TRUE(state->phoneHasFile(QStringLiteral("/sdcard/zazoziz.txt")));
    EXPECT_TRUE(state->callsOf(QStringLiteral("shell")).isEmpty());

    file_saved_once = 1;
    EXPECT_EQ(Send_DEL_File_Command_To_Phone(), QString(""));
    EXPECT_EQ(file_saved_once, 0);
    EXPECT_FALSE(state->phoneHasFile(QStringLiteral("/sdcard/zazoziz.txt")));
    EXPECT_FALSE(state->phoneHasFile(QStringLiteral("/sdcard/message.txt")));
}

// The message file is the user's alone; a record is the number, a marker and the message with
// markers in place of its line breaks. (Its way to the phone: the sending suites.)
TEST_F(DeliveryTest, MessageFileIsPrivateAndItsRecordsMarkLineBreaks) {
    QFile file;
    ASSERT_TRUE(Open_New_Local_File(file, kMessageFileName));
    EXPECT_EQ(QFileInfo(file).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
    const struct {
        QString number, message, record;
    } cases[] = {
        {"+4912345", "", "+4912345,~$^'\r\n"},
        {"0123", "a\r\nb\nc",
         "0123,~$^'aS5%J7.qB~X4,9z/pT_VORN_AP_DX/bS5%J7.qB~X4,9z/pT_VORN_AP_DX/c\r\n"},
        {"0123", "a\rb", "0123,~$^'a\rb\r\n"},  // a lone CR stays
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Message_File_Record(c.number, c.message), c.record) << c.message.toStdString();
    }
}

}  // namespace
}  // namespace tesk::test
