// The device window against virtual modems: the scan and its stop, highlighting, the
// selection checks and the hand-over, the test message, leaving the window.
#include "devices_test_support.h"

#include "core/runtime_paths.h"
#include "devices/device_details.h"
#include "devices/port_access.h"
#include "serial/modem_ports.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using tesk::devices::GSM_Device_List_Wnd;
using tesk::test::runUntil;
using tesk::test::ScriptedDialogs;
using tesk::vmodem::Config;
using tesk::vmodem::ServiceCentreAnswer;
using tesk::vmodem::SmsModes;

const QString kNoDevice = QStringLiteral(
    "Either no Mobile Device is connected on this port or selected device is not working "
    "properly.");
const QString kContinueWithout =
    QStringLiteral("\n\nAre you sure you want to continue without selecting device?");

class DeviceWindowTest : public tesk::test::VirtualModemsTest {
  protected:
    void SetUp() override {
        VirtualModemsTest::SetUp();
        window.setView(&view);
    }
    void TearDown() override { window.Wait_For_Workers(); }

    void scan(QStringList extraPaths = {}) {
        window.Set_Modem_Paths(modemPaths() + extraPaths);
        window.Open_Ph_List_Wnd();
        ASSERT_TRUE(runUntil([&] { return !window.scanRunning(); }));
    }
    QStringList column(const QString& key) const {
        QStringList values;
        for (const DeviceRecord& r : window.records()) {
            values.append(Device_Field(r, key).toString());
        }
        return values;
    }
    void tick(const QStringList& ports) {
        const QList<DeviceRecord> rows = window.records();
        for (int i = 0; i < rows.size(); ++i) {
            window.Set_State(i, ports.contains(rows.at(i).portName));
        }
    }
    void select() {
        window.Sel_Device_Pressed();
        ASSERT_TRUE(runUntil([&] { return !window.selectionRunning(); }));
    }
    int rowOf(const QString& port) const {
        return column(QStringLiteral("COM_PORT")).indexOf(port);
    }

    tesk::test::RecordingDeviceView view;
    GSM_Device_List_Wnd window;
};

TEST_F(DeviceWindowTest, NoModemLeavesAnEmptyListWithTestAndSettingsDisabled) {
    {
        // Nothing found and nothing to blame: the scan says what to check.
        ScriptedDialogs dialogs;
        dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kNoDeviceFound);
        scan();
        ASSERT_EQ(dialogs.pending(), 0);
    }
    EXPECT_EQ(window.records().size(), 0);
    EXPECT_FALSE(view.controls.testMessage);
    EXPECT_FALSE(view.controls.settings);
    EXPECT_TRUE(view.controls.search);
    EXPECT_FALSE(view.controls.stop);

    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\nDevice list is empty."));
    window.Sel_Device_Pressed();
    dialogs.expectNotice(QStringLiteral("\nDevice list is empty."));
    window.Send_Test_SMS_Pressed();
    dialogs.expectNotice(
        QStringLiteral("The scanning to find connected Mobile devices has not "
                       "been performed yet."));
    window.Automate_Button_Presses();
    EXPECT_TRUE(view.endCodes.isEmpty());
}

TEST_F(DeviceWindowTest, ListsEachUsableDeviceOnceWithItsFacts) {
    Config pduOnly = modem(QStringLiteral("VM0"), QStringLiteral("356938035643809"));
    pduOnly.modes = SmsModes::Pdu;
    Config textNoCentre = modem(QStringLiteral("VM1"), QStringLiteral("353918057361927"));
    textNoCentre.modes = SmsModes::Text;
    textNoCentre.serviceCentreAnswer = ServiceCentreAnswer::Absent;
    Config ucs2Centre = modem(QStringLiteral("VM2"), QStringLiteral("352099001761481"));
    ucs2Centre.serviceCentreAnswer = ServiceCentreAnswer::Ucs2Hex;
    ucs2Centre.serviceCentre = QStringLiteral("+6598540020");
    Config secondPort = modem(QStringLiteral("VM3"), QStringLiteral("352099001761481"));
    Config noSms = modem(QStringLiteral("VM4"), QStringLiteral("490154203237518"));
    noSms.smsSupported = false;
    for (const Config& c : {pduOnly, textNoCentre, ucs2Centre, secondPort, noSms}) {
        addModem(c);
    }
    // A port listed by the system whose node cannot be opened gets no row and no message.
    scan({modems.filePath(QStringLiteral("ttyGONE"))});

    EXPECT_EQ(column(QStringLiteral("COM_PORT")),
              (QStringList{QStringLiteral("VM0"), QStringLiteral("VM1"), QStringLiteral("VM2")}));
    EXPECT_EQ(column(QStringLiteral("SMSMode")),
              (QStringList{QStringLiteral("PDU Mode"), QStringLiteral("Text Mode"),
                           QStringLiteral("PDU Mode")}));
    EXPECT_EQ(column(QStringLiteral("SUPSMSMode")),
              (QStringList{QStringLiteral(";PDU Mode;"), QStringLiteral(";Text Mode;"),
                           QStringLiteral(";PDU Mode;Text Mode;")}));
    EXPECT_EQ(
        column(QStringLiteral("DefSMSC")),
        (QStringList{QStringLiteral("+447785016005"), QString(""), QStringLiteral("+6598540020")}));
    EXPECT_EQ(view.progressMax, 6);  // every path that could be listed

    // Row 0 is highlighted after the scan, with its details and settings.
    EXPECT_EQ(window.Prev_Index(), 0);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.details.portName, QStringLiteral("VM0"));
    EXPECT_EQ(view.details.portPath, modems[0].portPath());
    EXPECT_TRUE(view.details.detailsText.startsWith(
        QStringLiteral("COM Port : VM0\r\nManufacturer : Virtual Modems Ltd\r\nModel : VM-1\r\n"
                       "Revision : VM-1.0.0\r\nSupported SMS Mode : PDU Mode\r\n")))
        << view.details.detailsText.toStdString();
    EXPECT_TRUE(view.settings.pduOn);
    EXPECT_FALSE(view.settings.textOn);
    EXPECT_EQ(view.settings.defaultSmsc, QStringLiteral("+447785016005"));
    EXPECT_TRUE(view.controls.testMessage);

    window.Highlight_Row(1);
    EXPECT_EQ(view.details.portName, QStringLiteral("VM1"));
    EXPECT_TRUE(view.settings.textOn);
    EXPECT_EQ(window.settings().PDU_TEXT_MODE_SEL(), SmsMode::Text);
    window.Highlight_Row(-1);  // an empty selection puts the highlight back
    EXPECT_EQ(view.selected, 1);
}

// Whoever may write to the folder virtual modems announce themselves in could put their own
// terminal where the scan looks for modems. The scan reads the folder only while it is private,
// a virtual modem refuses to announce itself in one that is not, and the log says why. A folder
// of ours left open is made private by the next virtual modem; a link someone else left in it
// is passed over. Changing owners needs root (the test command runs as root).
TEST_F(DeviceWindowTest, VirtualModemsAreLookedForOnlyInAPrivateFolder) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand files to another user";
    }
    QTemporaryDir noHardware;
    tesk::ModemPortRoots roots;
    roots.sysClassTty = roots.deviceDir = noHardware.path();
    const QString folder = tesk::Virtual_Modem_Dir();
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643900")));
    EXPECT_EQ(tesk::Find_Modem_Port_Paths(roots), QStringList{folder + QStringLiteral("/ttyVM0")});

    // Left open, and another user has put a link to their own terminal in it.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    Config theirs = modem(QStringLiteral("VM9"), QStringLiteral("356938035643909"));
    theirs.announce = false;
    const QString planted = folder + QStringLiteral("/ttyVM9");
    ASSERT_TRUE(QFile::link(addModem(theirs).devicePath(), planted));
    ASSERT_EQ(::lchown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
    EXPECT_TRUE(tesk::Find_Modem_Port_Paths(roots).isEmpty());
    EXPECT_TRUE(logged.contains(QStringLiteral("virtual modems not looked for: other users may "
                                               "write to %1 (mode 0777)")
                                    .arg(folder)));

    addModem(modem(QStringLiteral("VM1"), QStringLiteral("356938035643901")));
    window.Set_Modem_Paths(tesk::Find_Modem_Port_Paths(roots));
    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(runUntil([&] { return !window.scanRunning(); }));
    EXPECT_EQ(column(QStringLiteral("COM_PORT")),
              (QStringList{QStringLiteral("VM0"), QStringLiteral("VM1")}));
    EXPECT_TRUE(modems[1].commands().isEmpty());  // theirs was never spoken to
    EXPECT_TRUE(logged.contains(QStringLiteral("made private again")));
    EXPECT_TRUE(logged.contains(planted + QStringLiteral(" is not this user's; passed over")));

    // A folder that belongs to another user is neither read nor used.
    const QString top = modems.filePath(QStringLiteral("tesk-sms"));
    ASSERT_EQ(::chown(QFile::encodeName(top).constData(), 65534, 65534), 0);
    EXPECT_TRUE(tesk::Find_Modem_Port_Paths(roots).isEmpty());
    tesk::vmodem::VirtualModem refused(modem(QStringLiteral("VM2"), QStringLiteral("1")));
    QString error;
    EXPECT_FALSE(refused.start(&error));
    EXPECT_EQ(error, QStringLiteral("cannot announce the modem: %1 belongs to another user (uid "
                                    "65534)")
                         .arg(top));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ttyVM2")));
}

// A modem unplugged while the scan questions it would leave a row without facts, and choosing
// it would blame the service centre: it is left out, and the scan says so once it is over.
TEST_F(DeviceWindowTest, AModemUnpluggedWhileQuestionedIsLeftOutAndNamed) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643910")));
    Config slow = modem(QStringLiteral("VM1"), QStringLiteral("356938035643911"));
    slow.latencyMs = 20;
    addModem(slow);
    addModem(modem(QStringLiteral("VM2"), QStringLiteral("356938035643912")));
    const QString lost = modems[1].portPath();
    bool unplugged = false;
    view.onRedraw = [&] {
        // Its placeholder row is in: the cable comes out while it is being questioned.
        if (!unplugged && column(QStringLiteral("PORT_DETAL")).contains(lost)) {
            unplugged = true;
            modems[1].stop();
        }
    };
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::Lost_Devices_Message({lost}));
    scan();
    ASSERT_TRUE(unplugged);
    EXPECT_EQ(column(QStringLiteral("COM_PORT")),
              (QStringList{QStringLiteral("VM0"), QStringLiteral("VM2")}));
    EXPECT_EQ(window.recordAt(1).model, QStringLiteral("VM-1"));
    ASSERT_EQ(dialogs.pending(), 0);
}

// A modem on a port the search does not look at (an on-board UART, say) is added by its path:
// refused with a reason when the path cannot be a serial device, then scanned with the others,
// remembered for the next run in a private file, and left alone once forgotten.
TEST_F(DeviceWindowTest, APortAddedByPathIsScannedAndRememberedUntilForgotten) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643920")));
    Config unlisted = modem(QStringLiteral("VM1"), QStringLiteral("356938035643921"));
    unlisted.announce = false;  // only its bare terminal exists, as an on-board port would
    const QString port = addModem(unlisted).devicePath();
    const QString file = modems.filePath(QStringLiteral("AddedPorts.VORN"));
    window.Set_Added_Ports_File(file);
    window.Set_Modem_Paths(QStringList{modems[0].portPath()});

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
    EXPECT_TRUE(window.Add_Port(port));                  // once is enough
    EXPECT_TRUE(window.Add_Port(modems[0].portPath()));  // found anyway: scanned once
    QFile stored(file);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(),
              (port + QStringLiteral("\n") + modems[0].portPath() + QStringLiteral("\n")).toUtf8());
    EXPECT_EQ(stored.permissions() & 0x0077, 0);

    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(runUntil([&] { return !window.scanRunning(); }));
    EXPECT_EQ(column(QStringLiteral("PORT_DETAL")), (QStringList{modems[0].portPath(), port}));

    // The next run finds what this one remembered; forgetting it ends its scanning.
    GSM_Device_List_Wnd nextRun;
    nextRun.Set_Added_Ports_File(file);
    EXPECT_EQ(nextRun.Added_Port_Paths(), (QStringList{port, modems[0].portPath()}));
    window.Forget_Port(port);
    EXPECT_EQ(nextRun.Added_Port_Paths(), QStringList{modems[0].portPath()});
    const int spokenTo = static_cast<int>(modems[1].commands().size());
    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(runUntil([&] { return !window.scanRunning(); }));
    EXPECT_EQ(column(QStringLiteral("COM_PORT")), QStringList{QStringLiteral("VM0")});
    EXPECT_EQ(modems[1].commands().size(), spokenTo);
    ASSERT_EQ(dialogs.pending(), 0);
}

TEST_F(DeviceWindowTest, LeavingDuringAScanEndsWithoutDevicesAndReopeningScansAgain) {
    for (int i = 0; i < 2; ++i) {
        Config c = modem(QStringLiteral("VM%1").arg(i), QStringLiteral("35693803564381%1").arg(i));
        c.latencyMs = 5;
        addModem(c);
    }
    sel_port_name_str.set(QStringLiteral("OLD"));
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Terminating the current process will stop scanning"),
                   QStringLiteral("No"));
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("No"));
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    bool left = false;
    view.onRedraw = [&] {
        if (!left && window.records().size() == 1) {
            left = true;
            window.Stopmodem_Searching_pressed();  // "No": the scan goes on
            EXPECT_TRUE(window.scanRunning());
            window.ContinueOfflinePressed();  // "No": nothing happens
            EXPECT_TRUE(view.endCodes.isEmpty());
            window.ContinueOfflinePressed();
            EXPECT_TRUE(view.sheet);  // while the device being questioned is finished
            // The window is opened again at once, while the old scan finishes its device.
            window.Open_Ph_List_Wnd();
        }
    };
    window.Set_Modem_Paths(modemPaths());
    window.Open_Ph_List_Wnd();
    ASSERT_TRUE(runUntil([&] { return left && !window.scanRunning(); }));
    window.Wait_For_Workers();
    EXPECT_EQ(view.endCodes, QList<int>{0});
    EXPECT_FALSE(view.sheet);
    EXPECT_TRUE(view.controls.search);
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
    EXPECT_EQ(sel_port_bsd_str.get(), QString(""));
    // The second scan ran after the first had ended and found both devices.
    EXPECT_EQ(column(QStringLiteral("COM_PORT")),
              (QStringList{QStringLiteral("VM0"), QStringLiteral("VM1")}));
}

// Three ticked devices, the second without a service centre: No ends with nothing handed over;
// Yes skips it and hands the others over in table order, the third with the custom number typed
// for it.
TEST_F(DeviceWindowTest, ThreeTickedDevicesWithTheSecondLackingAServiceCentre) {
    struct Case {
        const char* name;
        const char* answer;
        QStringList handedOver;  // ports
        QList<int> endCodes;
    };
    const Case cases[] = {
        {"no ends with nothing handed over", "No", {}, {}},
        {"yes skips it", "Yes", {QStringLiteral("VM0"), QStringLiteral("VM2")}, {1}},
    };
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643820")));
    Config bare = modem(QStringLiteral("VM1"), QStringLiteral("356938035643821"));
    bare.serviceCentreAnswer = ServiceCentreAnswer::Absent;
    addModem(bare);
    addModem(modem(QStringLiteral("VM2"), QStringLiteral("356938035643822")));
    scan();
    ASSERT_EQ(window.records().size(), 3);
    window.Highlight_Row(2);
    window.settings().Set_Custom_Field(QStringLiteral("+44 7785-016006"));
    window.settings().Custom_SMSC_Pressed(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.endCodes.clear();
        tick({QStringLiteral("VM0"), QStringLiteral("VM1"), QStringLiteral("VM2")});
        ScriptedDialogs dialogs;
        dialogs.expect(
            QStringLiteral("VM1\r\n") + tesk::test::kNoDefaultSmscText + kContinueWithout,
            QString::fromUtf8(c.answer));
        select();
        QStringList ports;
        for (const DeviceRecord& r : port_det_str_array.get()) {
            ports.append(r.portName);
        }
        EXPECT_EQ(ports, c.handedOver);
        EXPECT_EQ(port_val_str_array.get().size(), c.handedOver.size());
        EXPECT_EQ(sel_port_name_str.get(),
                  c.handedOver.isEmpty() ? QString("") : c.handedOver.last());
        // As vectors: Qt's list comparison hands memcmp a null pointer when one of two empty
        // lists has never held anything, which the undefined-behaviour checker reports.
        EXPECT_EQ(std::vector<int>(view.endCodes.begin(), view.endCodes.end()),
                  std::vector<int>(c.endCodes.begin(), c.endCodes.end()));
        EXPECT_FALSE(view.sheet);
        ASSERT_EQ(dialogs.pending(), 0);
    }
    // The accepted devices were asked to keep the link open between messages.
    EXPECT_TRUE(modems[0].commands().contains(QStringLiteral("AT+CMMS=2")));
    EXPECT_FALSE(modems[1].commands().contains(QStringLiteral("AT+CMMS=2")));
    EXPECT_EQ(port_val_str_array.get(), (QStringList{modems[0].portPath(), modems[2].portPath()}));
    const QList<DeviceRecord> chosen = port_det_str_array.get();
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[1].customSmsc, QStringLiteral("+447785016006"));
    EXPECT_TRUE(chosen[1].useCustomSmsc);
    EXPECT_TRUE(chosen[0].ticked);
    EXPECT_EQ(sel_port_name_str.get(), QStringLiteral("VM2"));
    EXPECT_EQ(sel_port_bsd_str.get(), modems[2].portPath());
    EXPECT_EQ(Cus_SMS_Num_STR.get(), QStringLiteral("+44 7785-016006"));
}

// Nothing ticked, or an invalid custom number: refused before any device is spoken to. One
// ticked device failing a later step gets the plain message, without the question to skip it.
TEST_F(DeviceWindowTest, SelectionChecksFirstThenOneTickedDeviceFailingAStepGetsThePlainMessage) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643840")));
    scan();
    const int commandsAfterScan = static_cast<int>(modems[0].commands().size());
    {
        ScriptedDialogs dialogs;
        dialogs.expectNotice(QStringLiteral("\nPlease select device from list."));
        select();  // nothing ticked
        tick({QStringLiteral("VM0")});
        window.settings().Set_Custom_Field(QStringLiteral("0044+1234"));
        dialogs.expectNotice(QStringLiteral("\nThe SMSC number does not seem to be valid."));
        window.settings().Custom_SMSC_Pressed(true);
        dialogs.expectNotice(QStringLiteral("\nThe SMSC number does not seem to be valid."));
        select();
        EXPECT_EQ(modems[0].commands().size(), commandsAfterScan);
        EXPECT_FALSE(window.recordAt(0).useCustomSmsc);
        window.settings().Custom_SMSC_Pressed(false);
    }
    struct Case {
        const char* name;
        std::function<void(GSM_Device_List_Wnd&)> prepare;
        QString message;
    };
    const Case cases[] = {
        {"custom chosen but empty",
         [](GSM_Device_List_Wnd& w) {
             w.Edit_Row(0, [](DeviceRecord& r) { r.useCustomSmsc = true; });
             w.Edit_Row(0,
                        [&](DeviceRecord& r) { r.defaultSmsc = QStringLiteral("+447785016005"); });
         },
         QStringLiteral("VM0\r\nCustom SMSC Number could not be located for this device.")},
        {"device gone after the scan",
         [this](GSM_Device_List_Wnd& w) {
             w.Edit_Row(0, [](DeviceRecord& r) { r.useCustomSmsc = false; });
             modems[0].stop();
         },
         QStringLiteral("VM0\r\n") + kNoDevice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare(window);
        tick({QStringLiteral("VM0")});
        ScriptedDialogs dialogs;
        dialogs.expectNotice(QStringLiteral("\n") + c.message);
        select();
        EXPECT_TRUE(view.endCodes.isEmpty());
        EXPECT_TRUE(port_val_str_array.get().isEmpty());
        ASSERT_EQ(dialogs.pending(), 0);
    }
}

// A device that offers neither SMS mode shows no mode chosen, also right after a row that had
// one; it is refused until the user picks a mode, which then takes.
TEST_F(DeviceWindowTest, ADeviceWithoutAModeShowsNoneUntilOneIsPicked) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643845")));
    Config noMode = modem(QStringLiteral("VM1"), QStringLiteral("356938035643846"));
    noMode.modes = SmsModes::None;
    addModem(noMode);
    scan();
    ASSERT_EQ(column(QStringLiteral("SMSMode")),
              (QStringList{QStringLiteral("PDU Mode"), QStringLiteral("NONE")}));
    EXPECT_TRUE(view.settings.pduOn);  // row 0 is highlighted after the scan
    window.Highlight_Row(1);
    EXPECT_FALSE(view.settings.pduOn);
    EXPECT_FALSE(view.settings.textOn);
    EXPECT_EQ(window.settings().PDU_TEXT_MODE_SEL(), SmsMode::Neither);

    tick({QStringLiteral("VM1")});
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\nVM1\r\nSMS Mode details should not be blanked."));
    select();
    EXPECT_TRUE(view.endCodes.isEmpty());

    window.settings().PDU_Mode_Radio();
    EXPECT_TRUE(view.settings.pduOn);
    EXPECT_EQ(window.recordAt(1).smsMode, SmsMode::Pdu);
    select();
    EXPECT_EQ(view.endCodes, QList<int>{1});
    EXPECT_EQ(port_val_str_array.get(), QStringList{modems[1].portPath()});
}

TEST_F(DeviceWindowTest, TestMessageReachesTheNumberThroughTheHighlightedDevice) {
    Config pdu = modem(QStringLiteral("VM0"), QStringLiteral("356938035643860"));
    pdu.modes = SmsModes::Pdu;
    Config text = modem(QStringLiteral("VM1"), QStringLiteral("356938035643861"));
    text.modes = SmsModes::Text;
    addModem(pdu);
    addModem(text);
    scan();
    for (int row : {0, 1}) {
        window.Highlight_Row(row);
        window.Set_Test_Number_Field(QStringLiteral("+447700900123"));
        ScriptedDialogs dialogs;
        dialogs.expectNotice(QStringLiteral("\nMessage sent successfully."));
        window.Send_Test_SMS_Pressed();
        ASSERT_TRUE(runUntil([&] { return !window.testMessageRunning(); }));
        const auto received = modems[row].received();
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received[0].text, tesk::devices::kTestMessageText);
        EXPECT_EQ(received[0].number, QStringLiteral("+447700900123"));
        EXPECT_EQ(received[0].mode, row == 0 ? QStringLiteral("pdu") : QStringLiteral("text"));
        EXPECT_EQ(received[0].messageClass, -1);
        EXPECT_TRUE(view.sheetShown);
        EXPECT_FALSE(view.sheet);
    }
    // A service centre typed after ticking the box stays with its device when another row is
    // highlighted, and the test message goes through it.
    window.Highlight_Row(0);
    window.settings().Custom_SMSC_Pressed(true);
    window.settings().Set_Custom_Field(QStringLiteral("+44 7785 016006"));
    window.Highlight_Row(1);
    EXPECT_FALSE(window.settings().fields().customChecked);
    window.Highlight_Row(0);
    EXPECT_TRUE(window.settings().fields().customChecked);
    EXPECT_EQ(window.settings().fields().customSmsc, QStringLiteral("+447785016006"));
    ScriptedDialogs dialogs;
    dialogs.expectNotice(QStringLiteral("\nMessage sent successfully."));
    window.Send_Test_SMS_Pressed();
    ASSERT_TRUE(runUntil([&] { return !window.testMessageRunning(); }));
    const auto received = modems[0].received();
    ASSERT_EQ(received.size(), 2);
    // The PDU names the typed service centre: type 91 (international), digits 447785016006.
    EXPECT_TRUE(received[1].raw.startsWith(QStringLiteral("0791447758100660")))
        << received[1].raw.toStdString();
}

// The checks fail in order without touching the port; a device not known to be SMS capable is
// asked about first, with the port open, and closed again after a No.
TEST_F(DeviceWindowTest, TestMessageChecksInOrderThenAsksWhenTheDeviceIsNotSmsCapable) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643870")));
    scan();
    const int commandsAfterScan = static_cast<int>(modems[0].commands().size());
    struct Case {
        const char* name;
        QString testNumber;
        QString defaultSmsc;
        QString message;
    };
    const Case cases[] = {
        {"plus in the middle", QStringLiteral("0044+7700"), QStringLiteral("+447785016005"),
         QStringLiteral("Phone number entered to receive test message does not seem to be valid.")},
        {"no service centre at all", QStringLiteral("+447700900123"), QString(""),
         QStringLiteral("Default SMSC Number could not be located for this device.\nPlease enter "
                        "SMSC number manually in 'Custom SMSC No.' Field for this Device.\n\nYou "
                        "can find SMSC Number in 'SMS Service Center' Details in the SMS Settings "
                        "of your Device.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.Edit_Row(0, [&](DeviceRecord& r) { r.defaultSmsc = c.defaultSmsc; });
        window.Set_Test_Number_Field(c.testNumber);
        ScriptedDialogs dialogs;
        dialogs.expectNotice(QStringLiteral("\n") + c.message);
        window.Send_Test_SMS_Pressed();
        ASSERT_TRUE(runUntil([&] { return !window.testMessageRunning(); }));
        ASSERT_EQ(dialogs.pending(), 0);
    }
    EXPECT_EQ(modems[0].commands().size(), commandsAfterScan);
    EXPECT_FALSE(view.sheetShown);

    window.Edit_Row(0, [&](DeviceRecord& r) {
        r.defaultSmsc = QStringLiteral("+447785016005");
        r.smsCapable = QStringLiteral("Not Detected");
    });
    window.Set_Test_Number_Field(QStringLiteral("+447700900123"));
    ScriptedDialogs dialogs;
    dialogs.expect(tesk::devices::kNoSmsCapabilityQuestion, QStringLiteral("No"));
    window.Send_Test_SMS_Pressed();
    ASSERT_TRUE(runUntil([&] { return !window.testMessageRunning(); }));
    EXPECT_EQ(modems[0].submissions(), 0);
    EXPECT_FALSE(view.sheet);
    // The port was closed again: a second try can open it.
    dialogs.expect(tesk::devices::kNoSmsCapabilityQuestion, QStringLiteral("Yes"));
    dialogs.expectNotice(QStringLiteral("\nMessage sent successfully."));
    window.Send_Test_SMS_Pressed();
    ASSERT_TRUE(runUntil([&] { return !window.testMessageRunning(); }));
    EXPECT_EQ(modems[0].received().size(), 1);
}

TEST_F(DeviceWindowTest, FieldsKeepTwentyCharacters) {
    window.Set_Test_Number_Field(QStringLiteral("123456789012345678901234"));
    EXPECT_EQ(window.testNumberField(), QStringLiteral("12345678901234567890"));
    EXPECT_EQ(view.testNumber, QStringLiteral("12345678901234567890"));
    window.settings().Set_Custom_Field(QStringLiteral("+4412345678901234567890"));
    EXPECT_EQ(window.settings().fields().customSmsc, QStringLiteral("+4412345678901234567"));
}

TEST_F(DeviceWindowTest, AutomaticTestIsRefusedDuringAScanAndHandsInEveryDevice) {
    for (int i = 0; i < 2; ++i) {
        Config c = modem(QStringLiteral("VM%1").arg(i), QStringLiteral("35693803564389%1").arg(i));
        c.latencyMs = 5;
        addModem(c);
    }
    ScriptedDialogs dialogs;
    dialogs.expectNotice(
        QStringLiteral("\nScanning process for finding connected Mobile devices "
                       "has not been completed yet."));
    bool tried = false;
    view.onRedraw = [&] {
        if (!tried) {
            tried = true;
            window.Automate_Button_Presses();
        }
    };
    scan();
    ASSERT_TRUE(tried);
    window.Set_Test_Number_Field(QStringLiteral(" +447700900123 "));
    window.Automate_Button_Presses();
    ASSERT_EQ(view.handIns.size(), 1);
    EXPECT_EQ(view.handIns[0].devices.size(), 2);
    EXPECT_EQ(view.handIns[0].testNumber, QStringLiteral("+447700900123"));
    EXPECT_EQ(view.handIns[0].opener->Opener_Kind(), 0);
    EXPECT_EQ(port_det_str_array.get().size(), 2);  // facts for the test, by path
}

}  // namespace
