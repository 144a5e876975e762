// The phone connection window's controller against the fake adb: detection rows, the stop and
// leave actions, selection and the test message.
#include "android/phone_details.h"
#include "android/test_message.h"
#include "android_test_support.h"
#include "appcore/mode_selection.h"
#include "support/param_names.h"

#include <QFileInfo>

namespace tesk::test {
namespace {

using namespace android;

QStringList labels(const QList<DeviceRecord>& rows) {
    QStringList result;
    for (const DeviceRecord& row : rows) {
        result.append(Row_Label(row));
    }
    return result;
}

QString valueOf(const QList<DeviceRecord>& rows, const QString& label) {
    for (const DeviceRecord& row : rows) {
        if (Row_Label(row) == label) {
            return Row_Value(row);
        }
    }
    return QStringLiteral("<no row>");
}

const QStringList kAllLabels = {"Device",           "Manufacturer", "Model Number",
                                "Firmware Version", "Build Number", "SDK Version",
                                "Build PDA",        "Build Host",   "Serial Number"};

class PhoneWindowTest : public AndroidTest {
  protected:
    void SetUp() override {
        AndroidTest::SetUp();
        window.setView(&view);
    }
    // Opens the window and waits for its detection pass.
    void detect() {
        window.Open_Ph_List_Wnd();
        ASSERT_TRUE(spinUntil([&] { return !window.detectionRunning(); }));
    }
    void waitIdle() {
        ASSERT_TRUE(spinUntil([&] {
            return !window.detectionRunning() && !window.testMessageRunning() &&
                   !window.selectionRunning();
        }));
    }

    RecordingPhoneView view;
    Phone_List_Wnd window;
};

TEST_F(PhoneWindowTest, DetectedPhoneShowsItsRowsInOrder) {
    onePhone(QStringLiteral("0123abcd"));
    state->setBuildProp(
        QStringLiteral("ro.product.manufacturer = samsung\n"
                       "ro.product.model =GT-I9100 \r\n"
                       "ro.build.version.release= 4.1.2\n"
                       "ro.build.display.id  =  JZO54K\n"
                       "ro.build.version.sdk=16\n"
                       "ro.build.PDA=I9100XWLSW\n"
                       "ro.build.host=SEP-132\n"
                       "ro.build.host=SEP-133\n"));
    detect();
    const QList<DeviceRecord> rows = window.rows();
    EXPECT_EQ(labels(rows), kAllLabels);
    EXPECT_EQ(valueOf(rows, "Device"), QStringLiteral("Android Device 0123ABCD"));
    EXPECT_EQ(valueOf(rows, "Manufacturer"), QStringLiteral("SAMSUNG"));
    EXPECT_EQ(valueOf(rows, "Model Number"), QStringLiteral("GT-I9100"));
    EXPECT_EQ(valueOf(rows, "Firmware Version"), QStringLiteral("4.1.2"));
    EXPECT_EQ(valueOf(rows, "Build Number"), QStringLiteral("JZO54K"));
    EXPECT_EQ(valueOf(rows, "SDK Version"), QStringLiteral("16"));
    EXPECT_EQ(valueOf(rows, "Build Host"), QStringLiteral("SEP-133"));  // the last line wins
    EXPECT_EQ(valueOf(rows, "Serial Number"), QStringLiteral("0123ABCD"));
    EXPECT_EQ(rows.first().text("PORT_STATUS"), QString(""));
    EXPECT_FALSE(rows.first().value("State").toBool());
    // The pulled copy of the phone's properties does not stay behind.
    EXPECT_FALSE(QFileInfo::exists(local("build.prop")));
    EXPECT_EQ(last_device_name.get(), QStringLiteral("Android Device 0123ABCD"));
    EXPECT_EQ(last_dev_chk, 1);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(window.controls(), PhoneWindowControls{});
    EXPECT_EQ(window.progressValue(), 0);
    EXPECT_FALSE(window.progressAnimating());
    EXPECT_EQ(view.testNumber, QString(""));
}

TEST_F(PhoneWindowTest, WithoutBuildPropOnlyDeviceAndSerial) {
    onePhone(QStringLiteral("r58m"));
    state->setSerialNumberOutput(QString(""));
    detect();
    EXPECT_EQ(labels(window.rows()), (QStringList{"Device", "Serial Number"}));
    EXPECT_EQ(valueOf(window.rows(), "Serial Number"), QStringLiteral("UNKNOWN"));
}

TEST_F(PhoneWindowTest, NoPhoneStopsTheServerAndSaysNotReady) {
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    last_device_name.set(QStringLiteral("Android Device OLD"));
    detect();
    EXPECT_TRUE(window.rows().isEmpty());
    EXPECT_EQ(state->callsOf(QStringLiteral("kill-server")).size(), 1);
    EXPECT_EQ(last_device_name.get(), QString(""));
    EXPECT_EQ(last_dev_chk, 1);
    EXPECT_FALSE(window.controls().testMessage);
    EXPECT_FALSE(window.controls().settings);
    EXPECT_TRUE(window.controls().search);
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(PhoneWindowTest, TwoPhonesAreReportedOnlyOnce) {
    state->setListing(QStringLiteral("List of devices attached\nA1\tdevice\nB2\tdevice\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMoreThanOnePhone);
    detect();
    EXPECT_TRUE(window.rows().isEmpty());
    EXPECT_EQ(dialogs.messages().size(), 1);
}

TEST_F(PhoneWindowTest, SecurityWarningOncePerRun) {
    onePhone();
    andcntr_wzd = 0;
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kPhoneSecurityWarning);
    detect();
    EXPECT_EQ(andcntr_wzd, 1);
    window.Search_dev_Pressed();
    ASSERT_TRUE(spinUntil([&] { return !window.detectionRunning(); }));
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(labels(window.rows()).first(), QStringLiteral("Device"));
}

TEST_F(PhoneWindowTest, ControlsAreDisabledAndTheBarCyclesWhileDetecting) {
    onePhone();
    state->setHang({QStringLiteral("install")});
    pacing::ScopedScale shorter{0.02};  // the hanging install gives up after 3.6 s
    window.Open_Ph_List_Wnd();
    EXPECT_TRUE(window.detectionRunning());
    PhoneWindowControls detecting;
    detecting.rows = detecting.search = detecting.select = detecting.continueOffline =
        detecting.mobileDevice = detecting.status = detecting.testMessage = detecting.settings =
            false;
    detecting.stop = true;
    EXPECT_EQ(window.controls(), detecting);
    EXPECT_TRUE(window.progressAnimating());
    ASSERT_TRUE(spinUntil([&] { return view.progress.contains(100); }));
    for (const int value : view.progress) {
        EXPECT_EQ(value % 20, 0);
        EXPECT_LE(value, 100);
    }
    // Search and test are ignored while a pass runs.
    window.Search_dev_Pressed();
    window.Send_Test_SMS_Pressed();
    // The stop question: the pass runs to its end behind the sheet.
    ScriptedDialogs dialogs;
    dialogs.expect(kPhoneStopQuestion, QStringLiteral("Yes"));
    dialogs.expectNotice(kMobileNotReady);
    window.Stopmodem_Searching_pressed();
    EXPECT_TRUE(view.sheet);
    ASSERT_TRUE(spinUntil([&] { return !window.detectionRunning(); }));
    EXPECT_FALSE(view.sheet);
    EXPECT_EQ(state->callsOf(QStringLiteral("devices")).size(), 1);
}

TEST_F(PhoneWindowTest, ContinueOfflineDuringDetectionAsksAndNoKeepsTheWindow) {
    onePhone();
    state->setHang({QStringLiteral("install")});
    pacing::ScopedScale shorter{0.02};  // the hanging install gives up after 3.6 s
    window.Open_Ph_List_Wnd();
    sel_port_name_str.set(QStringLiteral("old"));
    ScriptedDialogs dialogs;
    dialogs.expect(kPhoneStopQuestion, QStringLiteral("No"));
    window.ContinueOfflinePressed();
    EXPECT_TRUE(view.endCodes.isEmpty());
    dialogs.expect(kPhoneStopQuestion, QStringLiteral("Yes"));
    window.ContinueOfflinePressed();
    EXPECT_EQ(view.endCodes, QList<int>{kEndCancel});
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
    EXPECT_EQ(sel_port_bsd_str.get(), QString(""));
    dialogs.expectNotice(kMobileNotReady);
    waitIdle();
}

TEST_F(PhoneWindowTest, ContinueOfflineWhenIdleLeavesWithoutAPhone) {
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    detect();
    window.ContinueOfflinePressed();
    EXPECT_EQ(view.endCodes, QList<int>{kEndCancel});
}

TEST_F(PhoneWindowTest, MobileDeviceGoesBackToTheModeWindow) {
    sel_port_name_str.set(QStringLiteral("old"));
    window.Mobile_Dev_Pressed();
    EXPECT_EQ(view.endCodes, QList<int>{kEndBack});
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
}

TEST_F(PhoneWindowTest, SelectingWithoutRowsSaysNotReady) {
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    dialogs.expectNotice(kMobileNotReady);
    detect();
    window.Sel_Device_Pressed();
    EXPECT_EQ(view.rowFocus, 1);
    EXPECT_TRUE(view.endCodes.isEmpty());
}

TEST_F(PhoneWindowTest, SelectingNamesThePhoneByMakerAndModel) {
    onePhone(QStringLiteral("0123abcd"));
    state->setBuildProp(kPlainBuildProp);
    detect();
    window.Sel_Device_Pressed();
    waitIdle();
    EXPECT_EQ(view.endCodes, QList<int>{kEndContinue});
    EXPECT_EQ(sel_port_name_str.get(), QStringLiteral("SAMSUNG GT-I9100"));
    EXPECT_EQ(sel_port_bsd_str.get(), QStringLiteral("SAMSUNG GT-I9100"));
    EXPECT_TRUE(view.sheetShown);
    EXPECT_FALSE(view.sheet);
}

TEST_F(PhoneWindowTest, SelectingAPhoneThatWentAwaySaysNotReady) {
    onePhone();
    detect();
    state->setListing(QStringLiteral("List of devices attached\n\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    window.Sel_Device_Pressed();
    waitIdle();
    EXPECT_TRUE(view.endCodes.isEmpty());
    EXPECT_FALSE(view.sheet);
    EXPECT_EQ(dialogs.pending(), 0);
}

struct NameCase {
    const char* name;
    QString manufacturer;  // "<none>": no such row
    QString model;
    QString expected;
};

class SelectionNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(SelectionNameTest, MakerAndModelUnlessUnknown) {
    const NameCase& c = GetParam();
    QList<DeviceRecord> rows = {Phone_Detail_Row("Device", "Android Device X1")};
    if (c.manufacturer != QLatin1String("<none>")) {
        rows.append(Phone_Detail_Row("Manufacturer", c.manufacturer));
        rows.append(Phone_Detail_Row("Model Number", c.model));
    }
    rows.append(Phone_Detail_Row("Serial Number", "X1"));
    EXPECT_EQ(Selected_Phone_Name(rows, QStringLiteral("Android Device X1")), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SelectionNameTest,
    ::testing::Values(NameCase{"maker_and_model", "SAMSUNG", "GT-I9100", "SAMSUNG GT-I9100"},
                      NameCase{"maker_only", "HTC", "", "HTC"},
                      NameCase{"model_only", "", "Nexus 5", "Nexus 5"},
                      NameCase{"both_empty", "", "", "Android Device X1"},
                      NameCase{"unknown_maker", "UNKNOWN", "GT-I9100", "Android Device X1"},
                      NameCase{"unknown_in_model", "ACME", "Unknown-Model", "Android Device X1"},
                      NameCase{"no_property_rows", "<none>", "", "Android Device X1"}),
    ByCaseName{});

// ---- test message

struct NumberCase {
    const char* name;
    QString number;
    bool valid;
};

class TestNumberRuleTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(TestNumberRuleTest, PlusOnlyFirst) {
    EXPECT_EQ(Android_Test_Number_Valid(GetParam().number), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Numbers, TestNumberRuleTest,
                         ::testing::Values(NumberCase{"plain", "01701234567", true},
                                           NumberCase{"leading_plus", "+491701234567", true},
                                           NumberCase{"plus_in_middle", "0170+1234", false},
                                           NumberCase{"two_leading_plus", "++49170", false},
                                           NumberCase{"letters", "0170abc", false},
                                           NumberCase{"empty", "", false}),
                         ByCaseName{});

TEST_F(PhoneWindowTest, PlusInTheMiddleIsRefusedBeforeAnyAdbCall) {
    onePhone();
    detect();
    const qsizetype callsBefore = state->calls().size();
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kInvalidAndroidTestNumber);
    window.Set_Test_Number_Field(QStringLiteral(" 0170+1234 "));
    window.Send_Test_SMS_Pressed();
    EXPECT_FALSE(window.testMessageRunning());
    EXPECT_EQ(view.numberFocus, 1);
    EXPECT_EQ(state->calls().size(), callsBefore);
}

TEST_F(PhoneWindowTest, TestMessageWithoutRowsSaysTheListIsEmpty) {
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    dialogs.expectNotice(kPhoneListEmpty);
    detect();
    window.Set_Test_Number_Field(QStringLiteral("0170"));
    window.Send_Test_SMS_Pressed();
    EXPECT_EQ(view.rowFocus, 1);
}

TEST_F(PhoneWindowTest, TestMessageGoesOutAsATestStart) {
    onePhone();
    detect();
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kSendingCompleted);
    window.Set_Test_Number_Field(QStringLiteral("+491701234567"));
    window.Send_Test_SMS_Pressed();
    waitIdle();
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), 1);
    const QJsonObject extras = starts.first().value("extras").toObject();
    EXPECT_EQ(extras.value("NUM").toString(), QStringLiteral("+491701234567"));
    EXPECT_EQ(extras.value("MSG").toString(), kAndroidTestMessageText);
    EXPECT_EQ(extras.value("TESTMSG").toString(), QStringLiteral("+491701234567"));
    EXPECT_TRUE(view.sheetShown);
    EXPECT_FALSE(view.sheet);
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(PhoneWindowTest, RefusedTestStartFallsBackToTheMessageFile) {
    onePhone();
    state->setStorageRoot(QStringLiteral("/storage/emulated/legacy"));
    detect();
    state->setActivityAnswer(1, QStringLiteral("Error: Activity not started\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kSendingCompleted);
    window.Set_Test_Number_Field(QStringLiteral("0170123"));
    window.Send_Test_SMS_Pressed();
    waitIdle();
    EXPECT_EQ(state->phoneFile("/storage/emulated/0/message.txt"),
              kAndroidTestMessageText.toUtf8());
    EXPECT_EQ(state->phoneFile("/storage/emulated/legacy/message.txt"),
              kAndroidTestMessageText.toUtf8());
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(starts.at(1).value("extras").toObject().keys(), QStringList{"NUM"});
    EXPECT_FALSE(QFileInfo::exists(local(kOneByOneFileName)));
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST_F(PhoneWindowTest, FallbackWithFullStorageSaysSo) {
    onePhone();
    detect();
    state->setActivityAnswer(QStringLiteral("Error: Activity not started\n"));
    state->setStorageFull(true);
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kStorageInaccessible);
    window.Set_Test_Number_Field(QStringLiteral("0170123"));
    window.Send_Test_SMS_Pressed();
    waitIdle();
    EXPECT_EQ(state->activityStarts().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(local(kOneByOneFileName)));
}

TEST_F(PhoneWindowTest, FallbackStartThatFailsIsNotReportedAsCompleted) {
    onePhone();
    detect();
    state->setActivityAnswer(QStringLiteral("Error: Activity class does not exist\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    window.Set_Test_Number_Field(QStringLiteral("0170123"));
    window.Send_Test_SMS_Pressed();
    waitIdle();
    EXPECT_EQ(state->activityStarts().size(), 2);
    EXPECT_FALSE(dialogs.messages().contains(kSendingCompleted));
}

TEST_F(PhoneWindowTest, HangingAdbEndsTheDetectionWithNotReady) {
    onePhone();
    state->setHang({QStringLiteral("install")});
    pacing::ScopedScale tiny{0.02};
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    detect();
    EXPECT_TRUE(window.rows().isEmpty());
    EXPECT_EQ(state->callsOf(QStringLiteral("kill-server")).size(), 1);
    EXPECT_EQ(dialogs.pending(), 0);
}

}  // namespace
}  // namespace tesk::test
