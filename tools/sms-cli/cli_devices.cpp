#include "sms-cli/cli_devices.h"

#include "appstate/selection_state.h"
#include "devices/connection_settings.h"
#include "sms-cli/cli_events.h"
#include "sms-cli/cli_terminal.h"

namespace tesk::cli {

// The window's screen: nothing to draw; only the end code matters.
class DeviceWindow::SilentView final : public devices::GsmDeviceListView {
  public:
    void redrawTable() override {}
    void selectRow(int) override {}
    void scrollToTop() override {}
    void showControls(const devices::DeviceWindowControls&) override {}
    void showProgress(int, int) override {}
    void showDetails(const devices::DeviceDetailsFields&) override {}
    void showSettings(const devices::SettingsFields&) override {}
    void setTestNumberField(const QString&) override {}
    void showPleaseWait(bool) override {}
    void endModal(int code) override { endCode = code; }
    void runAutomatedTest(const devices::AutomatedTestHandIn&) override {}

    int endCode = -1;
};

DeviceWindow::DeviceWindow(std::optional<QStringList> paths)
    : view_(std::make_unique<SilentView>()) {
    window_.setView(view_.get());
    window_.Set_Modem_Paths(std::move(paths));
}

DeviceWindow::~DeviceWindow() {
    window_.Wait_For_Workers();
}

QList<DeviceRecord> DeviceWindow::scan() {
    window_.Open_Ph_List_Wnd();
    Run_Events_Until([this] { return !window_.scanRunning(); });
    return window_.records();
}

void DeviceWindow::stopScan() {
    window_.Stopmodem_Searching_pressed();
}

bool DeviceWindow::choose(const DeviceChoiceSettings& settings, QString* deviceChoice) {
    const QList<DeviceRecord> rows = window_.records();
    const QString wantedMode = settings.mode == QLatin1String("pdu")    ? QStringLiteral("PDU")
                               : settings.mode == QLatin1String("text") ? QStringLiteral("Text")
                                                                        : QString();
    for (int row = 0; row < rows.size(); ++row) {
        const DeviceRecord& record = rows.at(row);
        const bool offersMode = wantedMode.isEmpty() || record.supportedModes.contains(
                                                            wantedMode + QStringLiteral(" Mode"));
        if (!offersMode) {
            Print_Error_Text(
                QStringLiteral("%1: the device does not offer %2 Mode; it is left out.")
                    .arg(record.portName, wantedMode));
        }
        window_.Set_State(row, offersMode);
        if (!offersMode) {
            continue;
        }
        // What a user does in the settings of each highlighted device.
        window_.Highlight_Row(row);
        if (!settings.smsc.isEmpty()) {
            window_.settings().Set_Custom_Field(settings.smsc);
            window_.settings().Custom_SMSC_Pressed(true);
        }
        if (wantedMode == QLatin1String("PDU")) {
            window_.settings().PDU_Mode_Radio();
        } else if (wantedMode == QLatin1String("Text")) {
            window_.settings().Text_Mode_Radio();
        }
    }
    view_->endCode = -1;
    window_.Sel_Device_Pressed();
    Run_Events_Until([this] { return !window_.selectionRunning(); });
    if (view_->endCode != 1) {
        return false;
    }
    // The composer's device choice: one device by its path, several as "All Device".
    QStringList entries = port_val_str_array.get();
    if (entries.size() >= 2) {
        port_val_str_array.update([](QStringList& list) { list.append(kAllDevice); });
        *deviceChoice = kAllDevice;
    } else {
        *deviceChoice = entries.value(0);
    }
    return !deviceChoice->isEmpty();
}

}  // namespace tesk::cli
