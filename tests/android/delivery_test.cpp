// Installing the companion application and moving message files to and from the phone.
#include "android_test_support.h"
#include "support/param_names.h"

#include <QFileInfo>

namespace tesk::test {
namespace {

using namespace android;

struct InstallCase {
    const char* name;
    QString answer;
    int exitCode;
    bool ready;
    QString notice;  // "" for none
    QString error;
};

class InstallAnswerTest : public AndroidTest, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(InstallAnswerTest, AnswerDecidesReadiness) {
    const InstallCase& c = GetParam();
    onePhone();
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
}

INSTANTIATE_TEST_SUITE_P(
    Answers, InstallAnswerTest,
    ::testing::Values(
        InstallCase{"success", "Performing Streamed Install\nSuccess\n", 0, true, "", ""},
        InstallCase{"old_success_with_package", "pkg: /data/local/tmp/RUZIVeruDIR.apk\nSuccess\n",
                    0, true, "", ""},
        InstallCase{"empty_answer", "", 0, true, "", ""},
        InstallCase{"empty_answer_failed_exit", "", 1, false, "", ""},
        InstallCase{"failure_naming_package",
                    "adb: failed to install /r/RUZIVeruDIR.apk: Failure "
                    "[INSTALL_FAILED_INSUFFICIENT_STORAGE]\n",
                    1, false, kCompanionCopyFailed, ""},
        // Without the package name in it this is still a failed install, not a success.
        InstallCase{"failure_without_package_name",
                    "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n", 1, false,
                    kCompanionCopyFailed, ""},
        InstallCase{"device_error", "error: device offline\n", 1, false, "", ""},
        InstallCase{"current_device_error",
                    "adb: error: failed to get feature set: device offline\n", 1, false, "", ""},
        InstallCase{"more_than_one_device", "error: more than one device/emulator\n", 1, false,
                    kMoreThanOnePhone, kMoreErrorText},
        InstallCase{"current_more_than_one_device",
                    "adb: error: failed to get feature set: more than one device/emulator\n", 1,
                    false, kMoreThanOnePhone, kMoreErrorText},
        // Authorization withdrawn on the phone after the listing was taken.
        InstallCase{"unauthorized",
                    "adb: device unauthorized.\nThis adb server's "
                    "$ADB_VENDOR_KEYS is not set\n",
                    1, false, "", kPhoneUnauthorized},
        InstallCase{"other_words_exit_zero", "Performing Push Install\n", 0, true, "", ""},
        InstallCase{"other_words_failed_exit", "adb: connect error for write\n", 1, false, "", ""}),
    ByCaseName{});

class DeliveryTest : public AndroidTest {};

TEST_F(DeliveryTest, PermissionsAreGrantedOnlyAfterAnInstallAndARefusalIsNotFatal) {
    onePhone();
    state->setInstallAnswer(QStringLiteral("Failure [INSTALL_FAILED_UPDATE_INCOMPATIBLE]\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kCompanionCopyFailed);
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_TRUE(state->callsOf(QStringLiteral("shell")).isEmpty());

    // A phone before Android 13 does not know the notification permission.
    state->setInstallAnswer(QStringLiteral("Success\n"));
    state->setGrantAnswer(QStringLiteral(
        "Exception occurred while executing 'grant':\njava.lang.IllegalArgumentException: "
        "Unknown permission: android.permission.POST_NOTIFICATIONS\n"));
    EXPECT_TRUE(CheckConnection(&error));
    EXPECT_EQ(state->callsOf(QStringLiteral("shell")).size(), kCompanionPermissions.size());
    EXPECT_TRUE(state->grants().isEmpty());
    EXPECT_TRUE(logged.contains(
        QStringLiteral("companion permission not granted: android.permission.SEND_SMS")));
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(DeliveryTest, HangingInstallEndsByTimeOutAsNotReady) {
    onePhone();
    state->setHang({QStringLiteral("install")});
    pacing::ScopedScale tiny{0.02};  // install may take 3.6 s, a listing 1.2 s
    QString error;
    EXPECT_FALSE(CheckConnection(&error));
    EXPECT_EQ(error, QString(""));
    EXPECT_TRUE(logged.contains(QStringLiteral("adb did not answer in time")));
}

struct RootCase {
    const char* name;
    QString root;
    QStringList phonePaths;  // where the pushed file must be
};

class StorageRootTest : public AndroidTest, public ::testing::WithParamInterface<RootCase> {};

TEST_P(StorageRootTest, PushLandsWhereTheCompanionReadsAndDeleteRemovesIt) {
    const RootCase& c = GetParam();
    onePhone();
    state->setStorageRoot(c.root);
    EXPECT_EQ(Phone_Storage_Root(), c.root);
    QFile file(local(kMessageFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0123,~$^'hi\r\n");
    file.close();

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

INSTANTIATE_TEST_SUITE_P(
    Roots, StorageRootTest,
    ::testing::Values(
        RootCase{"sdcard", "/sdcard", {"/sdcard/zazoziz.txt"}},
        RootCase{"emulated_0", "/storage/emulated/0", {"/storage/emulated/0/zazoziz.txt"}},
        RootCase{"legacy",
                 "/storage/emulated/legacy",
                 {"/storage/emulated/legacy/zazoziz.txt", "/storage/emulated/0/zazoziz.txt"}},
        RootCase{"mnt_sdcard", "/mnt/sdcard", {"/mnt/sdcard/zazoziz.txt", "/sdcard/zazoziz.txt"}},
        RootCase{"root_with_blank", "/storage/My Card", {"/storage/My Card/zazoziz.txt"}}),
    ByCaseName{});

TEST_F(DeliveryTest, FullStorageAnswersNo) {
    onePhone();
    state->setStorageFull(true);
    ASSERT_TRUE(Write_One_By_One_File(QStringLiteral("hello")));
    EXPECT_FALSE(Save_File_To_Phone_Storage(kOneByOneFileName));
    EXPECT_FALSE(state->phoneHasFile(QStringLiteral("/sdcard/message.txt")));
}

TEST_F(DeliveryTest, LostPhoneAnswersNoAndPushesNothing) {
    ASSERT_TRUE(Write_One_By_One_File(QStringLiteral("hello")));
    EXPECT_FALSE(Save_File_To_Phone_Storage(kOneByOneFileName));
    // The storage question failed, so no push to a made-up path was tried.
    EXPECT_TRUE(state->callsOf(QStringLiteral("push")).isEmpty());
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
    const QList<QStringList> shells = state->callsOf(QStringLiteral("shell"));
    EXPECT_TRUE(shells.contains(QStringList{QStringLiteral("shell"), QStringLiteral("rm"),
                                            QStringLiteral("'/sdcard/zazoziz.txt'")}));
}

TEST_F(DeliveryTest, OneByOneFileIsTheBareMessageReadableByTheUserAlone) {
    const QString message = QStringLiteral("line one\nline two\r\n😀 no marker");
    ASSERT_TRUE(Write_One_By_One_File(QStringLiteral("an older message that is longer")));
    ASSERT_TRUE(Write_One_By_One_File(message));
    QFile file(local(kOneByOneFileName));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), message.toUtf8());
    EXPECT_EQ(QFileInfo(file).permissions() &
                  (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
}

TEST_F(DeliveryTest, MessageFileReachesThePhoneWithMarkersInPlaceOfLineBreaks) {
    onePhone();
    QFile file;
    ASSERT_TRUE(Open_New_Local_File(file, kMessageFileName));
    file.write(
        Message_File_Record(QStringLiteral("+4917012"), QStringLiteral("Hi\nthere")).toUtf8());
    file.write(Message_File_Record(QStringLiteral("0170"), QStringLiteral("a \"b\" $c")).toUtf8());
    file.close();
    EXPECT_EQ(QFileInfo(file).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
    ASSERT_TRUE(Save_File_To_Phone_Storage(kMessageFileName));
    EXPECT_TRUE(Send_File_Form_Command().succeeded());
    EXPECT_EQ(state->phoneFile(QStringLiteral("/sdcard/zazoziz.txt")),
              QByteArray("+4917012,~$^'HiS5%J7.qB~X4,9z/pT_VORN_AP_DX/there\r\n"
                         "0170,~$^'a \"b\" $c\r\n"));
}

struct RecordCase {
    const char* name;
    QString number;
    QString message;
    QString record;
};

class MessageRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(MessageRecordTest, RecordFormat) {
    EXPECT_EQ(Message_File_Record(GetParam().number, GetParam().message), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(
    Records, MessageRecordTest,
    ::testing::Values(
        RecordCase{"plain", "+4912345", "Hello", "+4912345,~$^'Hello\r\n"},
        RecordCase{"empty_message", "0123", "", "0123,~$^'\r\n"},
        RecordCase{"crlf_and_lf", "0123", "a\r\nb\nc",
                   "0123,~$^'aS5%J7.qB~X4,9z/pT_VORN_AP_DX/bS5%J7.qB~X4,9z/pT_VORN_AP_DX/c\r\n"},
        RecordCase{"lone_cr_stays", "0123", "a\rb", "0123,~$^'a\rb\r\n"},
        RecordCase{"unicode", "0123", "Grüße 😀", "0123,~$^'Grüße 😀\r\n"}),
    ByCaseName{});

}  // namespace
}  // namespace tesk::test
