// Gallery entries of the GSM device windows. The device window shows the rows of a real scan
// over two virtual modems, which live as long as the window.
#include "appstate/selection_state.h"
#include "core/pacing.h"
#include "gallery/gallery_parts.h"
#include "ui/added_ports_dlg.h"
#include "ui/automated_test_wnd.h"
#include "ui/device_settings_wnd.h"
#include "ui/gsm_device_list_window.h"
#include "virtual-modem/virtual_modem.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <vector>

namespace tesk::ui {

namespace {

DeviceRecord sampleRecord(const QString& port, const QString& model, SmsMode mode) {
    DeviceRecord r;
    r.ticked = true;
    r.portName = port;
    r.path = QStringLiteral("/dev/tty") + port;
    r.manufacturer = QStringLiteral("Example Modems");
    r.model = model;
    r.revision = QStringLiteral("1.2.0");
    r.battery = QStringLiteral("Charging 80%");
    r.signal = QStringLiteral("20");
    r.operatorName = QStringLiteral("23410");
    r.defaultSmsc = QStringLiteral("+447785016005");
    r.smsMode = mode;
    r.supportedModes = QStringLiteral(";PDU Mode;Text Mode;");
    r.smsCapable = QStringLiteral("Yes");
    return r;
}

void chooseSampleDevices() {
    const QList<DeviceRecord> chosen = {
        sampleRecord(QStringLiteral("USB0"), QStringLiteral("EM-100"), SmsMode::Pdu),
        sampleRecord(QStringLiteral("ACM0"), QStringLiteral("EM-220"), SmsMode::Text)};
    port_det_str_array.set(chosen);
    port_val_str_array.set({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyACM0")});
    sel_port_name_str.set(QStringLiteral("ACM0"));
    sel_port_bsd_str.set(QStringLiteral("/dev/ttyACM0"));
}

// Owns the controller, as a base, so it exists before the window that shows it.
struct OwnedDeviceController {
    devices::GSM_Device_List_Wnd owned;
};

// The device window after a scan of two virtual modems.
class ScannedDeviceWindow final : private OwnedDeviceController, public GsmDeviceListWindow {
  public:
    ScannedDeviceWindow() : GsmDeviceListWindow(owned) {
        pacing::ScopedScale fast(0.01);
        QStringList paths;
        const char* models[] = {"VM-1", "VM-2"};
        for (int i = 0; i < 2; ++i) {
            vmodem::Config config;
            config.name = QStringLiteral("VM%1").arg(i);
            config.announce = false;
            config.imei = QStringLiteral("35693803564380%1").arg(i);
            config.model = QString::fromLatin1(models[i]);
            modems_.push_back(std::make_unique<vmodem::VirtualModem>(config));
            modems_.back()->start();
            paths.append(modems_.back()->portPath());
        }
        controller().Set_Modem_Paths(paths);
        controller().Open_Ph_List_Wnd();
        controller().Wait_For_Workers();
        controller().Set_State(0, true);
    }

  private:
    std::vector<std::unique_ptr<vmodem::VirtualModem>> modems_;
};

// The ports added by path, two of them remembered in a file of their own; the folder and the
// controller live in a base so they exist before the dialog that shows them.
struct SampleAddedPortsParts {
    SampleAddedPortsParts() {
        const QString file = folder.filePath(QStringLiteral("AddedPorts.VORN"));
        QFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            out.write("/dev/ttyS1\n/dev/ttyAMA0\n");
        }
        controller.Set_Added_Ports_File(file);
    }
    QTemporaryDir folder;
    devices::GSM_Device_List_Wnd controller;
};

class SampleAddedPorts final : private SampleAddedPortsParts, public AddedPortsDlg {
  public:
    SampleAddedPorts() : AddedPortsDlg(SampleAddedPortsParts::controller) {}
};

}  // namespace

QList<GalleryEntry> Gallery_Device_Entries() {
    return {
        {QStringLiteral("gsm_device_window"),
         [] { return std::make_unique<ScannedDeviceWindow>(); }},
        {QStringLiteral("added_ports"), [] { return std::make_unique<SampleAddedPorts>(); }},
        {QStringLiteral("device_settings"),
         [] {
             chooseSampleDevices();
             auto window = std::make_unique<DeviceSettingsWnd>();
             window->controller().Open_Gsm_Ph_Det_List_Wnd();
             return window;
         }},
        {QStringLiteral("automatic_settings_test"),
         [] {
             chooseSampleDevices();
             auto window = std::make_unique<AutomatedTestWnd>();
             devices::AutomatedTestHandIn handIn;
             handIn.devices = port_det_str_array.get();
             handIn.testNumber = QStringLiteral("+447700900123");
             window->controller().Open_Automated_SMS_Wnd(handIn);
             return window;
         }},
    };
}

}  // namespace tesk::ui
