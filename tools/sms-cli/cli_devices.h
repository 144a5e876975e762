#pragma once
// The device window driven without a screen: the scan of the machine's modem ports (or of
// given paths) and the choice of the devices a run sends through, with the same checks and
// hand-over as when a user ticks devices and presses Select.
#include "devices/gsm_device_list.h"
#include "modem/device_list.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tesk::cli {

// The settings a run applies to every scanned device before the choice.
struct DeviceChoiceSettings {
    QString mode;  // "", "pdu" or "text"
    QString smsc;  // "" keeps each device's own service centre
};

class DeviceWindow {
  public:
    explicit DeviceWindow(std::optional<QStringList> paths);
    ~DeviceWindow();
    DeviceWindow(const DeviceWindow&) = delete;
    DeviceWindow& operator=(const DeviceWindow&) = delete;

    // Scans to the end and returns the devices found.
    QList<DeviceRecord> scan();
    // The Stop button of a running scan: it ends after the device being questioned, once the
    // stop question is answered "Yes".
    void stopScan();

    // Ticks every scanned device that can take the settings and runs the selection. True when
    // devices were handed over (port_val_str_array and the other selection globals are set,
    // "All Device" appended when there are two or more, as the device choice of the composer
    // shows them); the choice of the composer comes back in *deviceChoice.
    bool choose(const DeviceChoiceSettings& settings, QString* deviceChoice);

  private:
    class SilentView;
    std::unique_ptr<SilentView> view_;
    devices::GSM_Device_List_Wnd window_;
};

}  // namespace tesk::cli
