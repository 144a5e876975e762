// The phone connection window's controller against the fake adb: detection rows, what the user
// is told when no phone is ready, the stop and leave actions, selection and the test message.
#include "android/phone_details.h"
#include "android/sms_limit.h"
#include "android/test_message.h"
#include "android_test_support.h"

#include <QFileInfo>

namespace tesk::test {
namespace {

using namespace android;

// Records the stop sheet, how the window ended and the questions about the phone.
struct RecordingPhoneView final : PhoneListView {
    void redrawRows() override {}
    void selectRow(int) override {}
    void scrollToTop() override {}
    void showControls(const PhoneWindowControls&) override {}
    void showProgress(int) override {}
    void showPleaseWait(bool shown) override { sheet = shown; }
    void setTestNumberField(const QString&) override {}
    void focusRows() override {}
    void focusTestNumber() override {}
    void endModal(int code) override { endCodes.append(code); }
    bool askAboutPhone(const QString& question) override {
        questions.append(question);
        return phoneAnswer;
    }

    bool sheet = false;
    QList<int> endCodes;
    QStringList questions;
    bool phoneAnswer = false;
};

// The rows as the window lists them, "label=value".
QStringList shown(const QList<DeviceRecord>& rows) {
    QStringList result;
    for (const DeviceRecord& row : rows) {
        result.append(Row_Label(row) + QLatin1Char('=') + Row_Value(row));
    }
    return result;
}

// /system/build.prop of real phone generations, cut to the keys that matter and a few around
// them (the plain keys of older phones are in the property rows table).
// A phone whose system partition is the generic one: only the phone itself knows its model.
const QString kAndroid14Pixel = QStringLiteral(
    "# These properties identify this partition image.\nro.product.system.brand=google\n"
    "ro.product.system.manufacturer=Google\nro.product.system.model=mainline\n"
    "ro.build.version.sdk=34\nro.build.version.release=14\n");
const QString kAndroid14PixelGetprop = QStringLiteral(
    "[ro.build.version.sdk]: [34]\n[ro.product.brand]: [google]\n"
    "[ro.product.manufacturer]: [Google]\n[ro.product.model]: [Pixel 8]\n"
    "[ro.product.system.model]: [mainline]\n[ro.product.vendor.model]: [Pixel 7]\n"
    "[sys.usb.config]: [mtp,adb]\n");

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

// The phone-wide SMS limit is changed only after the user said yes, and asked about once: a
// second search in the same window does not ask again.
TEST_F(PhoneWindowTest, SmsLimitIsRaisedOnlyWithConsent) {
    const struct {
        QString before;  // "" when never set
        bool answer;
        bool asked;
        QString count, interval;  // afterwards
    } cases[] = {{"", false, true, "", ""},
                 {"100", true, true, "1000", "60000"},
                 {"5000", true, false, "5000", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.toStdString() + (c.answer ? " yes" : " no"));
        QFile::remove(state->path(fakeadb::kSettingsFile));
        if (!c.before.isEmpty()) {
            state->setGlobalSetting(kSmsLimitCountSetting, c.before);
        }
        onePhone();
        RecordingPhoneView caseView;
        caseView.phoneAnswer = c.answer;
        Phone_List_Wnd caseWindow;
        caseWindow.setView(&caseView);
        for (const auto search :
             {&Phone_List_Wnd::Open_Ph_List_Wnd, &Phone_List_Wnd::Search_dev_Pressed}) {
            (caseWindow.*search)();
            ASSERT_TRUE(spinUntil([&] { return !caseWindow.detectionRunning(); }));
            caseWindow.Wait_For_Workers();
            EXPECT_EQ(caseView.questions,
                      c.asked ? QStringList{kRaiseSmsLimitQuestion} : QStringList{});
        }
        EXPECT_EQ(state->globalSetting(kSmsLimitCountSetting), c.count);
        EXPECT_EQ(state->globalSetting(kSmsLimitIntervalSetting), c.interval);
    }
}

TEST_F(PhoneWindowTest, WithoutBuildPropOnlyDeviceAndSerial) {
    onePhone(QStringLiteral("r58m"));
    state->setSerialNumberOutput(QString(""));
    detect();
    EXPECT_EQ(shown(window.rows()),
              QStringList({"Device=Android Device R58M", "Serial Number=UNKNOWN"}));
}

// Without a phone: the server is stopped, the user is told, and the status, selecting, the test
// message and leaving each do what they can without one.
TEST_F(PhoneWindowTest, NoPhoneStopsTheServerAndTheWindowWorksWithoutOne) {
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMobileNotReady);
    last_device_name.set(QStringLiteral("Android Device OLD"));
    detect();
    EXPECT_TRUE(window.rows().isEmpty());
    EXPECT_EQ(state->callsOf(QStringLiteral("kill-server")).size(), 1);
    EXPECT_EQ(last_device_name.get(), QString(""));
    EXPECT_EQ(last_dev_chk, 1);

    dialogs.expectNotice(QStringLiteral("Android device status:\n\nNo device found."));
    window.Chk_And_Dev_Status_Pressed();
    dialogs.expectNotice(kPhoneListEmpty);
    window.Set_Test_Number_Field(QStringLiteral("0170"));
    window.Send_Test_SMS_Pressed();
    EXPECT_EQ(dialogs.pending(), 0);
    EXPECT_TRUE(view.endCodes.isEmpty());
    window.ContinueOfflinePressed();
    // Mobile Device goes back to the mode window, without a phone chosen.
    sel_port_name_str.set(QStringLiteral("old"));
    window.Mobile_Dev_Pressed();
    EXPECT_EQ(view.endCodes, (QList<int>{kEndCancel, kEndBack}));
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
}

// What the user can put right is named instead of "Mobile device is not ready.", and two phones
// are told once, not also as not ready. (Trouble with adb itself: CheckConnectionTest.)
TEST_F(PhoneWindowTest, NotReadySaysWhatToDoAboutTwoPhonesAndTheCompanion) {
    onePhone();
    state->setListing(QStringLiteral("List of devices attached\nA1\tdevice\nB2\tdevice\n"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kMoreThanOnePhone);
    detect();
    EXPECT_EQ(dialogs.messages().size(), 1);  // not also told it is not ready

    onePhone();
    QFile::remove(local(kCompanionPackage));
    dialogs.expectNotice(QStringLiteral("The companion app RUZIVeruDIR.apk"));
    window.Search_dev_Pressed();
    ASSERT_TRUE(spinUntil([&] { return !window.detectionRunning(); }));
    for (const QString& part : {"It belongs in:\n" + resource.path() + '\n',
                                QStringLiteral("Android build tools"), QStringLiteral("README")}) {
        EXPECT_TRUE(dialogs.messages().value(1).contains(part)) << part.toStdString();
    }
    EXPECT_EQ(dialogs.pending(), 0);
    EXPECT_TRUE(window.rows().isEmpty());
    EXPECT_TRUE(state->callsOf(QStringLiteral("install")).isEmpty());
}

// Search and test are ignored while a pass runs; a stop, and leaving offline, let the pass run
// to its end behind the sheet, with no phone selected.
TEST_F(PhoneWindowTest, StopAndLeaveWhileDetectingLetThePassEndBehindTheSheet) {
    onePhone();
    state->setHang({QStringLiteral("install")});
    pacing::ScopedScale shorter{0.02};  // the hanging install gives up after 3.6 s
    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(window.detectionRunning());
    window.Search_dev_Pressed();
    window.Send_Test_SMS_Pressed();
    sel_port_name_str.set(QStringLiteral("old"));
    ScriptedDialogs dialogs;
    dialogs.expect(kPhoneStopQuestion, QStringLiteral("Yes"));
    window.Stopmodem_Searching_pressed();
    EXPECT_TRUE(view.sheet);
    ASSERT_TRUE(window.detectionRunning());
    dialogs.expect(kPhoneStopQuestion, QStringLiteral("Yes"));
    window.ContinueOfflinePressed();
    EXPECT_EQ(view.endCodes, QList<int>{kEndCancel});
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
    // The hanging install ends the pass as not ready.
    dialogs.expectNotice(kMobileNotReady);
    ASSERT_TRUE(spinUntil([&] { return !window.detectionRunning(); }));
    EXPECT_FALSE(view.sheet);
    EXPECT_EQ(state->callsOf(QStringLiteral("devices")).size(), 1);
    EXPECT_TRUE(window.rows().isEmpty());
    EXPECT_EQ(dialogs.pending(), 0);
}

// A detected phone shows its rows in order, and the security warning comes once per run: not
// again on the next search. Selecting a phone that went away since the search says not ready;
// once it is back, the selection names it by maker and model.
TEST_F(PhoneWindowTest, DetectedPhoneShowsItsRowsAndSelectingNamesItByMakerAndModel) {
    onePhone(QStringLiteral("0123abcd"));
    state->setBuildProp(kAndroid14Pixel);
    state->setGetprop(kAndroid14PixelGetprop);
    andcntr_wzd = 0;
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kPhoneSecurityWarning);
    detect();
    const QList<DeviceRecord> rows = window.rows();
    EXPECT_EQ(shown(rows), QStringList({"Device=Android Device 0123ABCD", "Manufacturer=GOOGLE",
                                        "Model Number=Pixel 8", "Firmware Version=14",
                                        "Build Number=", "SDK Version=34",
                                        "Build PDA=", "Build Host=", "Serial Number=0123ABCD"}));
    // The pulled copy of the phone's properties does not stay behind.
    EXPECT_FALSE(QFileInfo::exists(local("build.prop")));
    EXPECT_EQ(last_device_name.get(), QStringLiteral("Android Device 0123ABCD"));
    EXPECT_EQ(window.progressValue(), 0);
    window.Search_dev_Pressed();
    ASSERT_TRUE(spinUntil([&] { return !window.detectionRunning(); }));
    EXPECT_EQ(window.rows(), rows);
    EXPECT_EQ(dialogs.pending(), 0);

    state->setListing(QStringLiteral("List of devices attached\n\n"));
    dialogs.expectNotice(kMobileNotReady);
    window.Sel_Device_Pressed();
    waitIdle();
    EXPECT_TRUE(view.endCodes.isEmpty());
    EXPECT_EQ(dialogs.pending(), 0);
    onePhone(QStringLiteral("0123abcd"));
    window.Sel_Device_Pressed();
    waitIdle();
    EXPECT_EQ(view.endCodes, QList<int>{kEndContinue});
    EXPECT_EQ(sel_port_name_str.get(), QStringLiteral("GOOGLE Pixel 8"));
    EXPECT_EQ(sel_port_bsd_str.get(), QStringLiteral("GOOGLE Pixel 8"));
}

// Every row in its order, and maker and model of every generation as the selection names the
// phone: both unless one says unknown, the device's own name when neither is there.
TEST(PhoneDetails, MakerAndModelOfEveryGenerationAndTheSelectionName) {
    // Blanks around the value and a CR cut off, the value runs from the first equals sign, the
    // last line wins.
    EXPECT_EQ(shown(Phone_Property_Rows(QStringLiteral(
                  "ro.product.manufacturer = samsung\nro.product.model =GT-I9100 \r\n"
                  "ro.build.version.release= 4.1.2\nro.build.display.id  =  JZO54K=1\n"
                  "ro.build.version.sdk\t=\t16\nro.build.PDA=I9100XWLSW\n"
                  "ro.build.host=SEP-132\nro.build.host=SEP-133\n"))),
              QStringList({"Manufacturer=SAMSUNG", "Model Number=GT-I9100",
                           "Firmware Version=4.1.2", "Build Number=JZO54K=1", "SDK Version=16",
                           "Build PDA=I9100XWLSW", "Build Host=SEP-133"}));
    const struct {
        const char* name;
        QString buildProp;
        QString getprop;  // what "getprop" printed; "" when it was not asked
        QString selection;
    } generations[] = {
        // From Android 10 the system partition names itself; the plain keys are gone.
        {"android_10", "ro.product.system.manufacturer=samsung\nro.product.system.model=SM-G973F\n",
         "", "SAMSUNG SM-G973F"},
        // Without the derived keys, the partitions in the order Android derives them: odm
        // before vendor before system.
        {"partition_order", "ro.product.system.model=mainline\n",
         "[ro.product.vendor.model]: [Pixel 7]\n[ro.product.odm.model]: [Pixel 8]\n"
         "[ro.product.vendor.manufacturer]: [Google]\n",
         "GOOGLE Pixel 8"},
        // Whole keys only: longer names that start alike are other properties.
        {"whole_keys",
         "ro.product.model.internal=X\nro.product.manufacturer_ext=Y\n"
         "ro.product.system.model=SM-A546B\nro.product.vendor.manufacturer=samsung\n",
         "[no bracket line\n[a]: [b\n", "SAMSUNG SM-A546B"},
        {"maker_only", "ro.product.manufacturer=htc\n", "", "HTC"},
        {"model_only", "ro.product.model=Nexus 5\n", "", "Nexus 5"},
        {"unknown_model", "ro.product.manufacturer=acme\nro.product.model=Unknown-1\n", "",
         "Android Device X1"},
    };
    for (const auto& c : generations) {
        QList<DeviceRecord> rows = {Phone_Detail_Row("Device", "Android Device X1")};
        rows.append(Phone_Property_Rows(c.buildProp + '\n' + Getprop_Properties(c.getprop)));
        EXPECT_EQ(Selected_Phone_Name(rows, QStringLiteral("Android Device X1")), c.selection)
            << c.name;
    }
}

// A number with a plus in the middle is refused before any adb call; a test message goes out as
// a test start; a refused start falls back to the message file; the fallback says so when the
// storage is full, and does not report a fallback start that failed as completed.
TEST_F(PhoneWindowTest, TestMessageGoesOutAsATestStartOrThroughTheMessageFile) {
    onePhone();
    detect();
    const qsizetype callsBefore = state->calls().size();
    ScriptedDialogs dialogs;
    dialogs.expectNotice(kInvalidAndroidTestNumber);
    window.Set_Test_Number_Field(QStringLiteral(" 0170+1234 "));
    window.Send_Test_SMS_Pressed();
    EXPECT_FALSE(window.testMessageRunning());
    EXPECT_EQ(state->calls().size(), callsBefore);

    const auto sendTest = [&](const QString& number, const QString& told) {
        dialogs.expectNotice(told);
        window.Set_Test_Number_Field(number);
        window.Send_Test_SMS_Pressed();
        waitIdle();
        EXPECT_EQ(dialogs.pending(), 0);
        EXPECT_FALSE(QFileInfo::exists(local(kOneByOneFileName)));
        return state->activityStarts();
    };
    QList<QJsonObject> starts = sendTest(QStringLiteral("+491701234567"), kSendingCompleted);
    ASSERT_EQ(starts.size(), 1);
    const QJsonObject extras = starts.first().value("extras").toObject();
    EXPECT_EQ(extras.value("MSG").toString(), kAndroidTestMessageText);
    EXPECT_EQ(extras.value("TESTMSG").toString(), QStringLiteral("+491701234567"));
    EXPECT_EQ(starts.first().value("extraFlags").toObject().value("MSG"), "-e");

    state->setActivityAnswer(2, QStringLiteral("Error: Activity not started\n"));
    starts = sendTest(QStringLiteral("0170123"), kSendingCompleted);
    EXPECT_EQ(state->phoneFile(QStringLiteral("/sdcard/message.txt")),
              kAndroidTestMessageText.toUtf8());
    ASSERT_EQ(starts.size(), 3);
    EXPECT_EQ(starts.at(2).value("extras").toObject().keys(), QStringList{"NUM"});

    state->setActivityAnswer(QStringLiteral("Error: Activity not started\n"));
    state->setStorageFull(true);
    EXPECT_EQ(sendTest(QStringLiteral("0170123"), kStorageInaccessible).size(), 4);

    state->setStorageFull(false);
    state->setActivityAnswer(QStringLiteral("Error: Activity class does not exist\n"));
    EXPECT_EQ(sendTest(QStringLiteral("0170123"),
                       QStringLiteral("The companion app on the phone could not be started, so "
                                      "the test message to 0170123 was not sent."))
                  .size(),
              6);
}

}  // namespace
}  // namespace tesk::test
