// The device window against virtual modems: the scan and its stop, highlighting, the
// selection checks and the hand-over, the test message, leaving the window.
#include "devices_test_support.h"

#include "devices/device_details.h"
#include "devices/port_access.h"

#include <QFile>

namespace {

using tesk::devices::GSM_Device_List_Wnd;
using tesk::test::ScriptedDialogs;
using tesk::test::spinUntil;
using tesk::vmodem::Config;
using tesk::vmodem::ServiceCentreAnswer;
using tesk::vmodem::SmsModes;

class DeviceWindowTest : public tesk::test::VirtualModemsTest {
  protected:
    void SetUp() override {
        VirtualModemsTest::SetUp();
        window.setView(&view);
    }
    void TearDown() override { window.Wait_For_Workers(); }

    void scan(QStringList extraPaths = {}) {
        window.Set_Modem_Paths(modems.paths() + extraPaths);
        window.Open_Ph_List_Wnd();
        ASSERT_TRUE(spinUntil([&] { return !window.scanRunning(); }));
    }
    QStringList column(const QString& key) const {
        QStringList values;
        for (const DeviceRecord& r : window.records()) {
            values.append(Device_Field(r, key).toString());
        }
        return values;
    }
    QStringList ports() const { return column(QStringLiteral("COM_PORT")); }
    void tick(const QStringList& ticked) {
        for (int i = 0; i < window.records().size(); ++i) {
            window.Set_State(i, ticked.contains(window.recordAt(i).portName));
        }
    }
    void select() {
        window.Sel_Device_Pressed();
        ASSERT_TRUE(spinUntil([&] { return !window.selectionRunning(); }));
    }
    void sendTestMessage() {
        window.Send_Test_SMS_Pressed();
        ASSERT_TRUE(spinUntil([&] { return !window.testMessageRunning(); }));
    }

    tesk::test::RecordingDeviceView view;
    GSM_Device_List_Wnd window;
};

TEST_F(DeviceWindowTest, NoModemLeavesAnEmptyListAndEveryActionSaysWhy) {
    ScriptedDialogs dialogs;
    // Nothing found and nothing to blame: the scan says what to check.
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kNoDeviceFound);
    scan();
    dialogs.expectNotice(QStringLiteral("\nDevice list is empty."));
    window.Sel_Device_Pressed();
    dialogs.expectNotice(QStringLiteral("\nDevice list is empty."));  // the same constant
    window.Send_Test_SMS_Pressed();
    dialogs.expectNotice(QStringLiteral(
        "The scanning to find connected Mobile devices has not been performed yet."));
    window.Automate_Button_Presses();
}

TEST_F(DeviceWindowTest, ListsEachUsableDeviceOnceWithItsFacts) {
    addVm(0, [](Config& c) { c.modes = SmsModes::Pdu; });
    addVm(1, [](Config& c) {
        c.modes = SmsModes::Text;
        c.serviceCentreAnswer = ServiceCentreAnswer::Absent;
    });
    addVm(2, [](Config& c) {
        c.serviceCentreAnswer = ServiceCentreAnswer::Ucs2Hex;
        c.serviceCentre = QStringLiteral("+6598540020");
    });
    addVm(3, [](Config& c) { c.imei = QStringLiteral("356938035643802"); });  // VM2's second port
    addVm(4, [](Config& c) { c.smsSupported = false; });
    // A modem unplugged while the scan questions it would leave a row without facts, and
    // choosing it would blame the service centre: it is left out, and the scan says so at the end.
    const QString lost = addVm(5, [](Config& c) { c.latencyMs = 20; }).portPath();
    bool unplugged = false;
    view.onRedraw = [&] {
        // Its placeholder row is in: the cable comes out while it is being questioned.
        if (!unplugged && column(QStringLiteral("PORT_DETAL")).contains(lost)) {
            unplugged = true;
            modems[5].stop();
        }
    };
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::Lost_Devices_Message({lost}));
    // A port listed by the system whose node cannot be opened gets no row and no message.
    scan({modems.filePath(QStringLiteral("ttyGONE"))});
    ASSERT_TRUE(unplugged);

    EXPECT_EQ(ports(), (QStringList{"VM0", "VM1", "VM2"}));
    EXPECT_EQ(column(QStringLiteral("SMSMode")),
              (QStringList{"PDU Mode", "Text Mode", "PDU Mode"}));
    EXPECT_EQ(column(QStringLiteral("DefSMSC")), (QStringList{"+447785016005", "", "+6598540020"}));

    // Row 0 is highlighted after the scan; highlighting another shows its settings.
    EXPECT_EQ(window.Prev_Index(), 0);
    window.Highlight_Row(1);
    EXPECT_EQ(window.settings().PDU_TEXT_MODE_SEL(), SmsMode::Text);
}

// A modem on a port the search does not look at (an on-board UART, say) is added by its path:
// refused with a reason when the path cannot be a serial device, then scanned with the others,
// remembered for the next run in a private file, and left alone once forgotten.
TEST_F(DeviceWindowTest, APortAddedByPathIsScannedAndRememberedUntilForgotten) {
    const QString found = addVm(0).portPath();
    // Only its bare terminal exists, as an on-board port would.
    const QString port = addVm(1, [](Config& c) { c.announce = false; }).devicePath();
    const QString file = modems.filePath(QStringLiteral("AddedPorts.VORN"));
    window.Set_Added_Ports_File(file);
    window.Set_Modem_Paths(QStringList{found});

    const QString regular = modems.filePath(QStringLiteral("received.jsonl"));
    QFile(regular).open(QIODevice::WriteOnly);
    const std::pair<QString, QString> refusals[] = {
        {QStringLiteral("ttyS0"),
         QStringLiteral("Please enter the full path of the serial device, e.g. /dev/ttyS0.")},
        {QStringLiteral("/dev/ttyNOPE9"), QStringLiteral("/dev/ttyNOPE9 does not exist.")},
        {regular, regular + QStringLiteral(" is not a serial device.")},
    };
    ScriptedDialogs dialogs;
    for (const auto& [typed, message] : refusals) {
        dialogs.expectNotice(QStringLiteral("\n") + message);
        EXPECT_FALSE(window.Add_Port(typed));
    }
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(window.Add_Port(QStringLiteral(" ") + port + QStringLiteral(" ")));
    EXPECT_TRUE(window.Add_Port(port));   // once is enough
    EXPECT_TRUE(window.Add_Port(found));  // found anyway: scanned once
    QFile stored(file);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(),
              (port + QStringLiteral("\n") + found + QStringLiteral("\n")).toUtf8());
    EXPECT_EQ(stored.permissions() & 0x0077, 0);

    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(spinUntil([&] { return !window.scanRunning(); }));
    EXPECT_EQ(column(QStringLiteral("PORT_DETAL")), (QStringList{found, port}));

    // The next run finds what this one remembered; forgetting it ends its scanning.
    GSM_Device_List_Wnd nextRun;
    nextRun.Set_Added_Ports_File(file);
    EXPECT_EQ(nextRun.Added_Port_Paths(), (QStringList{port, found}));
    window.Forget_Port(port);
    EXPECT_EQ(nextRun.Added_Port_Paths(), QStringList{found});
    const int spokenTo = static_cast<int>(modems[1].commands().size());
    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(spinUntil([&] { return !window.scanRunning(); }));
    EXPECT_EQ(ports(), QStringList{"VM0"});
    EXPECT_EQ(modems[1].commands().size(), spokenTo);
}

// During a scan the automatic test is refused; leaving asks first and, confirmed, ends without
// devices once the device being questioned is finished.
TEST_F(DeviceWindowTest, LeavingDuringAScanEndsWithoutDevicesAndReopeningScansAgain) {
    for (int i = 0; i < 2; ++i) {
        addVm(i, [](Config& c) { c.latencyMs = 5; });
    }
    sel_port_name_str.set(QStringLiteral("OLD"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral(
        "\nScanning process for finding connected Mobile devices has not been completed yet."));
    dialogs.expect(QStringLiteral("Terminating the current process will stop scanning"),
                   QStringLiteral("No"));
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("No"));
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    bool left = false;
    view.onRedraw = [&] {
        if (!left && window.records().size() == 1) {
            left = true;
            window.Automate_Button_Presses();
            window.Stopmodem_Searching_pressed();  // "No": the scan goes on
            EXPECT_TRUE(window.scanRunning());
            window.ContinueOfflinePressed();  // "No": nothing happens
            EXPECT_TRUE(view.endCodes.isEmpty());
            window.ContinueOfflinePressed();
            // The window is opened again at once, while the old scan finishes its device.
            window.Open_Ph_List_Wnd();
        }
    };
    scan();
    ASSERT_TRUE(spinUntil([&] { return left && !window.scanRunning(); }));
    window.Wait_For_Workers();
    EXPECT_EQ(view.endCodes, QList<int>{0});
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
    // The second scan ran after the first had ended and found both devices.
    EXPECT_EQ(ports(), (QStringList{"VM0", "VM1"}));
}

// Three ticked devices, the second without a service centre: No ends with nothing handed over;
// Yes skips it and hands the others over in table order, the third with the custom number typed
// for it.
TEST_F(DeviceWindowTest, ThreeTickedDevicesWithTheSecondLackingAServiceCentre) {
    addVm(0);
    addVm(1, [](Config& c) { c.serviceCentreAnswer = ServiceCentreAnswer::Absent; });
    addVm(2);
    scan();
    window.Highlight_Row(2);
    window.settings().Set_Custom_Field(QStringLiteral("+44 7785-016006"));
    window.settings().Custom_SMSC_Pressed(true);
    for (const char* answer : {"No", "Yes"}) {
        SCOPED_TRACE(answer);
        tick({"VM0", "VM1", "VM2"});
        ScriptedDialogs dialogs;
        dialogs.expect(QStringLiteral("VM1\r\n") + tesk::test::kNoDefaultSmscText +
                           QStringLiteral("\n\nAre you sure you want to continue without "
                                          "selecting device?"),
                       QString::fromUtf8(answer));
        select();
        // As a vector: Qt's list comparison hands memcmp a null pointer when one of two empty
        // lists has never held anything, which the undefined-behaviour checker reports.
        EXPECT_EQ(std::vector<int>(view.endCodes.begin(), view.endCodes.end()),
                  *answer == 'Y' ? std::vector<int>{1} : std::vector<int>{});
        EXPECT_EQ(port_det_str_array.get().size(), *answer == 'Y' ? 2 : 0);
    }
    // The accepted devices were asked to keep the link open between messages.
    EXPECT_TRUE(modems[0].commands().contains(QStringLiteral("AT+CMMS=2")));
    EXPECT_FALSE(modems[1].commands().contains(QStringLiteral("AT+CMMS=2")));
    EXPECT_EQ(port_val_str_array.get(), (QStringList{modems[0].portPath(), modems[2].portPath()}));
    const QList<DeviceRecord> chosen = port_det_str_array.get();
    EXPECT_EQ(chosen[1].customSmsc, QStringLiteral("+447785016006"));
    EXPECT_TRUE(chosen[1].useCustomSmsc);
    EXPECT_EQ(sel_port_name_str.get(), QStringLiteral("VM2"));
    EXPECT_EQ(sel_port_bsd_str.get(), modems[2].portPath());
    EXPECT_EQ(Cus_SMS_Num_STR.get(), QStringLiteral("+44 7785-016006"));
}

// Nothing ticked or no mode: refused before any device is spoken to.
// One ticked device failing a later step gets the plain message, without the question to skip it.
TEST_F(DeviceWindowTest, SelectionChecksFirstThenOneTickedDeviceFailingAStepGetsThePlainMessage) {
    addVm(0);
    addVm(1, [](Config& c) { c.modes = SmsModes::None; });
    scan();
    window.Highlight_Row(1);  // after row 0, which had a mode
    EXPECT_EQ(window.settings().PDU_TEXT_MODE_SEL(), SmsMode::Neither);
    const qsizetype commandsAfterScan = modems[1].commands().size();
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\nPlease select device from list."));
    select();  // nothing ticked
    tick({"VM1"});
    dialogs.expectNotice(QStringLiteral("\nVM1\r\nSMS Mode details should not be blanked."));
    select();
    EXPECT_EQ(modems[1].commands().size(), commandsAfterScan);

    const std::pair<std::function<void()>, QString> cases[] = {
        {[&] { window.Edit_Row(0, [](DeviceRecord& r) { r.useCustomSmsc = true; }); },
         QStringLiteral("Custom SMSC Number could not be located for this device.")},
        {[&] {
             window.Edit_Row(0, [](DeviceRecord& r) { r.useCustomSmsc = false; });
             modems[0].stop();
         },
         QStringLiteral("Either no Mobile Device is connected on this port or selected device is "
                        "not working properly.")},
    };
    for (const auto& [prepare, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        prepare();
        tick({"VM0"});
        dialogs.expectNotice(QStringLiteral("\nVM0\r\n") + message);
        select();
        EXPECT_TRUE(port_val_str_array.get().isEmpty());
    }
    // A device without a mode takes the one the user picks.
    window.Highlight_Row(1);
    window.settings().PDU_Mode_Radio();
    tick({"VM1"});
    select();
    EXPECT_EQ(view.endCodes, QList<int>{1});
    EXPECT_EQ(port_val_str_array.get(), QStringList{modems[1].portPath()});
}

// The checks fail in order without touching the port; then the message goes out in the
// highlighted device's mode, through the service centre typed for it; a device not known to be
// SMS capable is asked about first, with the port open, and closed again after a No.
TEST_F(DeviceWindowTest, TestMessageReachesTheNumberThroughTheHighlightedDevice) {
    addVm(0, [](Config& c) { c.modes = SmsModes::Pdu; });
    addVm(1, [](Config& c) { c.modes = SmsModes::Text; });
    scan();
    const qsizetype commandsAfterScan = modems[0].commands().size();
    const std::pair<QString, QString> refusals[] = {
        {QStringLiteral("0044+7700"),
         QStringLiteral("Phone number entered to receive test message does not seem to be valid.")},
        {QStringLiteral("+447700900123"),
         QStringLiteral("Default SMSC Number could not be located for this device.\nPlease enter "
                        "SMSC number manually in 'Custom SMSC No.' Field for this Device.\n\nYou "
                        "can find SMSC Number in 'SMS Service Center' Details in the SMS Settings "
                        "of your Device.")},
    };
    ScriptedDialogs dialogs;
    for (const auto& [number, message] : refusals) {
        window.Set_Test_Number_Field(number);
        dialogs.expectNotice(QStringLiteral("\n") + message);
        sendTestMessage();
        window.Edit_Row(0, [&](DeviceRecord& r) { r.defaultSmsc = QString(""); });
    }
    EXPECT_EQ(modems[0].commands().size(), commandsAfterScan);
    window.Edit_Row(0, [&](DeviceRecord& r) { r.defaultSmsc = QStringLiteral("+447785016005"); });

    for (int row : {0, 1}) {
        window.Highlight_Row(row);
        dialogs.expectNotice(QStringLiteral("\nMessage sent successfully."));
        sendTestMessage();
        const auto received = modems[row].received();
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received[0].text, tesk::devices::kTestMessageText);
        EXPECT_EQ(received[0].number, QStringLiteral("+447700900123"));
        EXPECT_EQ(received[0].mode, row == 0 ? QStringLiteral("pdu") : QStringLiteral("text"));
    }
    // A service centre typed after ticking the box stays with its device when another row is
    // highlighted, and the test message goes through it.
    window.Highlight_Row(0);
    window.settings().Custom_SMSC_Pressed(true);
    window.settings().Set_Custom_Field(QStringLiteral("+44 7785 016006"));
    window.Highlight_Row(1);
    EXPECT_FALSE(window.settings().fields().customChecked);
    window.Highlight_Row(0);
    dialogs.expectNotice(QStringLiteral("\nMessage sent successfully."));
    sendTestMessage();
    ASSERT_EQ(modems[0].received().size(), 2);
    // The PDU names the typed service centre: type 91 (international), digits 447785016006.
    EXPECT_TRUE(modems[0].received()[1].raw.startsWith(QStringLiteral("0791447758100660")))
        << modems[0].received()[1].raw.toStdString();

    window.Edit_Row(0, [&](DeviceRecord& r) { r.smsCapable = QStringLiteral("Not Detected"); });
    dialogs.expect(tesk::devices::kNoSmsCapabilityQuestion, QStringLiteral("No"));
    sendTestMessage();
    EXPECT_EQ(modems[0].submissions(), 2);
    // The port was closed again: a second try can open it.
    dialogs.expect(tesk::devices::kNoSmsCapabilityQuestion, QStringLiteral("Yes"));
    dialogs.expectNotice(QStringLiteral("\nMessage sent successfully."));
    sendTestMessage();
    EXPECT_EQ(modems[0].received().size(), 3);
}

}  // namespace
