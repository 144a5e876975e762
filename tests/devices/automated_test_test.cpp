// The automatic settings test against virtual modems: which cases a device gets, what each case
// really sends, stop after the current case, the results kept per device, applying a case to
// the window that opened the test, and closing.
#include "devices_test_support.h"

namespace {

using tesk::devices::Automated_GSM_Sending;
using tesk::devices::AutomatedTestHandIn;
using tesk::devices::GSM_Device_List_Wnd;
using tesk::test::ScriptedDialogs;
using tesk::test::spinUntil;
using tesk::vmodem::Config;

struct RecordingTestView final : tesk::devices::AutomatedTestView {
    void redrawDevices() override {}
    void redrawCases() override {}
    void selectDevice(int) override {}
    void showFields(const tesk::devices::AutomatedTestFields&) override {}
    void showRunning(bool) override {}
    void setStatusLine(const QString& text) override {
        if (onStatusLine) {
            onStatusLine(text);
        }
    }
    void setProgress(int) override {}
    void showPleaseWait(bool shown) override { sheet = shown; }
    void endModal(int code) override { endCodes.append(code); }

    std::function<void(const QString&)> onStatusLine;
    bool sheet = false;
    QList<int> endCodes;
};

class AutomatedTestTest : public tesk::test::VirtualModemsTest {
  protected:
    void SetUp() override {
        VirtualModemsTest::SetUp();
        window.setView(&deviceView);
        deviceView.onAutomatedTest = [this](const AutomatedTestHandIn& handIn) {
            test.Open_Automated_SMS_Wnd(handIn);
        };
        test.setView(&view);
    }
    void TearDown() override {
        test.Wait_For_Test();
        window.Wait_For_Workers();
    }
    // Scans the modems and opens the test from the device window.
    void openFromDeviceWindow() {
        window.Set_Modem_Paths(modems.paths());
        window.Open_Ph_List_Wnd();
        ASSERT_TRUE(spinUntil([&] { return !window.scanRunning(); }));
        window.Set_Test_Number_Field(QStringLiteral(" +447700900123 "));  // spaces as typed
        window.Automate_Button_Presses();
        ASSERT_EQ(deviceView.handIns.size(), 1);
    }
    void start(const QString& custom = QStringLiteral("+447785016009")) {
        test.Set_Custom_Field(custom);
        test.Start_Case_Button_Presses();
        ASSERT_TRUE(spinUntil([&] { return !test.testRunning(); }));
    }
    QStringList statuses() const {
        QStringList s;
        for (const auto& c : test.cases()) {
            s.append(c.status);
        }
        return s;
    }

    tesk::test::RecordingDeviceView deviceView;
    GSM_Device_List_Wnd window;
    RecordingTestView view;
    Automated_GSM_Sending test;
};

// Both modes with a default centre give all four cases (the controller test's device).
TEST(AutomatedTestCases, ListedWhenTheirConditionHolds) {
    const auto keys = [](const char* supported, const char* defaultSmsc) {
        QStringList keys;
        for (const auto& c : tesk::devices::Cases_For_Device(QString::fromUtf8(supported),
                                                             QString::fromUtf8(defaultSmsc))) {
            keys.append(c.key);
        }
        return keys.join(QLatin1Char(' '));
    };
    EXPECT_EQ(keys(";PDU Mode;Text Mode;", ""), QStringLiteral("PDU_CUS_SMSC TXT_CUS_SMSC"));
    EXPECT_EQ(keys(";PDU Mode;", "+4477"), QStringLiteral("PDU_DEF_SMSC PDU_CUS_SMSC"));
    EXPECT_EQ(keys(";Text Mode;", ""), QStringLiteral("TXT_CUS_SMSC"));
    EXPECT_EQ(keys("NONE", "+4477"), QString(""));
}

TEST_F(AutomatedTestTest, EveryCaseSendsItsMessageInItsModeThroughItsServiceCentre) {
    addVm(0);
    openFromDeviceWindow();
    EXPECT_EQ(tesk::devices::Automate_SMS_Case_Keys(),
              (QStringList{"PDU_DEF_SMSC", "PDU_CUS_SMSC", "TXT_DEF_SMSC", "TXT_CUS_SMSC"}));
    start(QStringLiteral("+44 7785-016009"));

    EXPECT_EQ(statuses(), QStringList(4, QStringLiteral("Message sent successfully.")));
    const auto received = modems[0].received();
    ASSERT_EQ(received.size(), 4);
    const QStringList modes = {"pdu", "pdu", "text", "text"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(received[i].text, QStringLiteral("'%1 is working for Device Model: VM-1'")
                                        .arg(tesk::devices::All_Test_Cases()[i].title));
        EXPECT_EQ(received[i].mode, modes[i]);
        EXPECT_EQ(received[i].number, QStringLiteral("+447700900123"));
    }
    // The custom cases carried the cleaned custom number, the default ones the device's own;
    // after the text-mode custom case the device got its own centre back.
    EXPECT_TRUE(received[0].raw.startsWith(QStringLiteral("00"))) << received[0].raw.toStdString();
    EXPECT_TRUE(received[1].raw.startsWith(QStringLiteral("0791447758100690")))
        << received[1].raw.toStdString();
    const QStringList commands = modems[0].commands();
    const qsizetype custom = commands.indexOf(QStringLiteral("AT+CSCA=\"+447785016009\",145"));
    ASSERT_GE(custom, 0) << commands.join(QLatin1Char('|')).toStdString();
    EXPECT_GT(commands.indexOf(QStringLiteral("AT+CSCA=\"+447785016005\",145"), custom), custom);
    EXPECT_EQ(test.devices().at(0).history,
              QStringLiteral("PDU_DEF_SMSC||Message sent successfully.||PDU_CUS_SMSC||Message sent "
                             "successfully.||TXT_DEF_SMSC||Message sent successfully.||"
                             "TXT_CUS_SMSC||Message sent successfully.||"));

    // Starting again checks in order, and nothing is sent when a check fails.
    ScriptedDialogs dialogs;
    // The custom number is required even for the default-number cases.
    dialogs.expectNotice(QStringLiteral("\nThe SMSC number does not seem to be valid."));
    test.Set_Custom_Field(QString(""));
    test.Start_Case_Button_Presses();
    // A device without SMS capability is refused before anything else is looked at (the custom
    // number is still empty).
    port_det_str_array.update(
        [](QList<DeviceRecord>& list) { list[0].smsCapable = QStringLiteral("Not Detected"); });
    dialogs.expectNotice(
        QStringLiteral("\nThis Device cannot be used for sending Text messages "
                       "as it does not seem to have SMS Sending capabilities."));
    test.Start_Case_Button_Presses();
    EXPECT_EQ(modems[0].submissions(), 4);
}

// While a test runs, closing and applying are refused and the highlight stays; Stop pressed
// during case 1 takes effect once that case ends. Devices that stop answering after the scan
// fail every case with the error of the step that went unanswered.
TEST_F(AutomatedTestTest, ActionsWaitForARunningTestStopKeepsTheFirstOutcomeAndSilenceFails) {
    addVm(0);
    addVm(1);
    openFromDeviceWindow();
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kTestInProgress);
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kTestInProgress);
    dialogs.expect(QStringLiteral("Device connection test process has not been completed yet."),
                   QStringLiteral("Yes"));
    bool stopped = false;
    view.onStatusLine = [&](const QString& line) {
        if (!stopped && line.startsWith(QStringLiteral("Execute Case 1 :"))) {
            stopped = true;
            test.Close_Button_Presses();
            test.Use_Settings_Button_Presses();
            test.Highlight_Device(1);  // ignored while running
            EXPECT_EQ(test.highlightedDevice(), 0);
            test.Stop_Button_Presses();
        }
    };
    start();
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(view.endCodes.isEmpty());
    EXPECT_EQ(statuses(),
              (QStringList{"Message sent successfully.", "Stopped", "Stopped", "Stopped"}));
    EXPECT_EQ(modems[0].received().size(), 1);
    EXPECT_FALSE(view.sheet);  // the stop's please-wait sheet is taken down

    const std::pair<Config, const char*> silent[] = {
        // No answer at all: the connection check already fails, no case is tried.
        {{.name = "VM1", .echo = false, .lateAnswerMs = 3000}, "Device Connection Error"},
        // It echoes, so the check passes, but no submission is ever answered.
        {{.name = "VM1", .echoOnly = true}, "Device Connection Error!"},
    };
    for (const auto& [config, status] : silent) {
        SCOPED_TRACE(status);
        modems.back().stop();  // VM1 is replaced by a device that misbehaves
        modems.add(config);
        test.Highlight_Device(1);
        start();
        EXPECT_EQ(statuses(), QStringList(4, QString::fromUtf8(status)));
        EXPECT_TRUE(modems.back().received().isEmpty());
    }
}

// Results stay with their device until cleared; applying a case changes the device window and
// the hand-over; closing names the devices whose settings were not applied.
TEST_F(AutomatedTestTest, ResultsStayWithTheirDeviceAndApplyingACaseReachesTheDeviceWindow) {
    addVm(0);
    addVm(1);
    openFromDeviceWindow();
    start();
    test.Highlight_Device(1);
    EXPECT_EQ(statuses(), QStringList(4, QString("")));
    test.Highlight_Device(0);
    EXPECT_EQ(statuses(), QStringList(4, QStringLiteral("Message sent successfully.")));

    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Are you sure you want to clear the last connection test "
                                  "results performed on \" VM-1 \""),
                   QStringLiteral("Yes"));
    test.Clear_Status_Button_Presses();
    EXPECT_EQ(test.devices().at(0).history, QString(""));
    test.Clear_Status_Button_Presses();  // nothing to clear: no question
    dialogs.expect(QStringLiteral("You have not selected any connection settings yet for device "
                                  "connected at VM0,VM1.\nAre you sure to continue?"),
                   QStringLiteral("No"));
    test.Close_Button_Presses();
    EXPECT_TRUE(view.endCodes.isEmpty());

    test.Highlight_Device(1);
    test.Set_Custom_Field(QStringLiteral("+44 7785 016009"));
    // Text Mode with Custom SMSC, then PDU Mode with Default SMSC.
    for (const auto& [caseRow, mode, custom] :
         {std::tuple{3, SmsMode::Text, "+447785016009"}, std::tuple{0, SmsMode::Pdu, ""}}) {
        SCOPED_TRACE(caseRow);
        test.Highlight_Case(caseRow);
        const QString title = test.cases()[caseRow].description;
        dialogs.expect(QStringLiteral("You have selected '%1' settings for sending SMS using "
                                      "'VM-1' connected at VM1.\n\nDo you want to continue with "
                                      "selected settings?")
                           .arg(title),
                       QStringLiteral("Yes"));
        dialogs.expectNotice(QStringLiteral("\nSelected connection settings '%1' for device 'VM-1' "
                                            "have been applied successfully.")
                                 .arg(title));
        test.Use_Settings_Button_Presses();
        EXPECT_EQ(window.Prev_Index(), 1);
        EXPECT_EQ(deviceView.settings.customChecked, *custom != 0);
        const DeviceRecord handedOver = port_det_str_array.get().at(1);
        EXPECT_EQ(handedOver.smsMode, mode);
        EXPECT_EQ(handedOver.useCustomSmsc, *custom != 0);
        EXPECT_EQ(handedOver.customSmsc, QString::fromUtf8(custom));
    }

    // VM1's settings were applied: closing names VM0 alone.
    dialogs.expect(QStringLiteral("connected at VM0.\n"), QStringLiteral("Yes"));
    test.Close_Button_Presses();
    EXPECT_EQ(view.endCodes, QList<int>{0});
}

}  // namespace
