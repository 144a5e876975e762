// The device-settings window of the chosen devices: which devices it lists, the OK checks and
// what OK hands to the sending run, and its test message.
#include "devices_test_support.h"

namespace {

using tesk::devices::Selected_Device_Details_GSM;
using tesk::test::ScriptedDialogs;
using tesk::test::spinUntil;

struct RecordingSettingsView final : tesk::devices::DeviceSettingsView {
    void redrawTable() override {}
    void selectRow(int) override {}
    void showPort(const QString&, const QString&) override {}
    void showSettings(const tesk::devices::SettingsFields& f) override { settings = f; }
    void setTestNumberField(const QString&) override {}
    void showPleaseWait(bool) override {}
    void endModal(int code) override { endCodes.append(code); }
    void runAutomatedTest(const tesk::devices::AutomatedTestHandIn& h) override {
        handIns.append(h);
    }
    tesk::devices::SettingsFields settings;
    QList<int> endCodes;
    QList<tesk::devices::AutomatedTestHandIn> handIns;
};

DeviceRecord chosen(const QString& port, const QString& path, bool state = true) {
    DeviceRecord r;
    r.ticked = state;
    r.portName = port;
    r.path = path;
    r.defaultSmsc = QStringLiteral("+447785016005");
    r.smsMode = SmsMode::Pdu;
    r.smsCapable = QStringLiteral("Yes");
    return r;
}

class DeviceSettingsTest : public tesk::test::VirtualModemsTest {
  protected:
    void SetUp() override {
        VirtualModemsTest::SetUp();
        window.setView(&view);
    }
    void TearDown() override { window.Wait_For_Test(); }
    void choose(const QList<DeviceRecord>& records) {
        port_det_str_array.set(records);
        sel_port_name_str.set(records.last().portName);
        window.Open_Gsm_Ph_Det_List_Wnd();
    }
    RecordingSettingsView view;
    Selected_Device_Details_GSM window;
};

TEST_F(DeviceSettingsTest, OkNamesTheFirstDeviceWithoutAServiceCentreAndStaysOpen) {
    const struct {
        bool useCustom;  // none typed in any row
        const char* defaultSmsc;
        QString message;
    } cases[] = {
        {true, "+4477", tesk::test::kNoCustomSmscText},
        {false, "", tesk::test::kNoDefaultSmscText},
        {true, "", tesk::test::kNoDefaultSmscText},  // nothing at all: the device's own is missing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.useCustom);
        DeviceRecord second = chosen(QStringLiteral("VM1"), QStringLiteral("/dev/b"));
        second.useCustomSmsc = c.useCustom;
        second.defaultSmsc = QString::fromUtf8(c.defaultSmsc);
        choose({chosen(QStringLiteral("VM0"), QStringLiteral("/dev/a")), second});
        ScriptedDialogs dialogs;
        dialogs.expectNotice(QStringLiteral("\nVM1\r\n") + c.message);
        window.OK_Button_Presses();
        EXPECT_TRUE(view.endCodes.isEmpty());
    }
}

// The test message goes the device window's way (checked there); to a device that is gone this
// window says to use the wizard.
TEST_F(DeviceSettingsTest, TestMessageToADeviceThatIsGoneAdvisesTheWizard) {
    choose({chosen(QStringLiteral("VM0"), modems.filePath(QStringLiteral("ttyGONE")))});
    window.Set_Test_Number_Field(QStringLiteral("+447700900123"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(
        QStringLiteral("\n\nSelected device is not working properly. Please use Mobile Phone "
                       "Connection Wizard for finding device or establishing connection."));
    window.Send_Test_SMS_Pressed();
    ASSERT_TRUE(spinUntil([&] { return !window.testMessageRunning(); }));
}

// The window lists the ticked devices that have a port name and highlights the first; the
// automatic test gets those and applies to them; OK hands the confirmed settings over.
TEST_F(DeviceSettingsTest, ListsTheTickedDevicesAndHandsTheirSettingsOverOnOk) {
    {
        ScriptedDialogs dialogs;  // nothing chosen yet
        dialogs.expectNotice(
            QStringLiteral("\nNo Mobile Phone Device is selected.\n\nPlease use Mobile Phone "
                           "Connection Wizard for finding device or establishing connection."));
        EXPECT_FALSE(Selected_Device_Details_GSM::Devices_Chosen());
    }
    choose({chosen(QStringLiteral("VM0"), QStringLiteral("/dev/a"), false),
            chosen(QStringLiteral("VM1"), QStringLiteral("/dev/b")),
            chosen(QStringLiteral(" "), QStringLiteral("/dev/c")),
            chosen(QStringLiteral("VM3"), QStringLiteral("/dev/d"))});
    EXPECT_TRUE(Selected_Device_Details_GSM::Devices_Chosen());
    ASSERT_EQ(window.records().size(), 2);
    EXPECT_EQ(window.records().value(1).portName, QStringLiteral("VM3"));
    window.Automate_Button_Presses();
    ASSERT_EQ(view.handIns.size(), 1);
    EXPECT_EQ(view.handIns[0].devices.size(), 2);
    view.handIns[0].opener->Apply_Test_Settings(QStringLiteral("/dev/d"), false, true,
                                                QStringLiteral("+4412"));
    EXPECT_EQ(window.Prev_Index(), 1);
    EXPECT_EQ(port_det_str_array.get().at(3).customSmsc, QStringLiteral("+4412"));
    EXPECT_TRUE(view.settings.customChecked);

    window.Highlight_Row(0);
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kTextModeInformation);
    window.settings().Text_Mode_Radio();
    window.settings().Set_Custom_Field(QStringLiteral("+65 9854 0020"));
    window.settings().Custom_SMSC_Pressed(true);
    // Nothing reaches the hand-over before OK.
    EXPECT_EQ(port_det_str_array.get().at(1).smsMode, SmsMode::Pdu);
    window.OK_Button_Presses();
    EXPECT_EQ(view.endCodes, QList<int>{1});
    const DeviceRecord vm1 = port_det_str_array.get().at(1);
    EXPECT_EQ(vm1.smsMode, SmsMode::Text);
    EXPECT_EQ(vm1.customSmsc, QStringLiteral("+6598540020"));
    EXPECT_TRUE(vm1.useCustomSmsc);
    EXPECT_EQ(vm1.smsCapable, QStringLiteral("Yes"));                 // kept
    EXPECT_EQ(port_det_str_array.get().at(0).smsMode, SmsMode::Pdu);  // not listed: untouched
}

}  // namespace
