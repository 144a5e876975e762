#pragma once
// One device opened for its reports and replies alone, outside a sending run: the command
// line's listener and the Deliveries window's check use it. Opening checks that the device
// answers, puts it in its SMS mode and asks it to pass reports and messages on; closing asks it
// to store what comes later, so nothing that arrives while the program is away is lost.
#include "delivery/device_events.h"
#include "modem/device_list.h"

#include <QString>

#include <memory>

class MFCSMS;

namespace tesk::delivery {

class DeviceListener {
  public:
    // The device of the record (its PORT_DETAL path), or null with the reason in *problem.
    static std::unique_ptr<DeviceListener> Open(const DeviceRecord& record,
                                                const DeviceEvents::Sinks& sinks, QString* problem);
    ~DeviceListener();
    DeviceListener(const DeviceListener&) = delete;
    DeviceListener& operator=(const DeviceListener&) = delete;

    DeviceEvents& events() { return *events_; }
    const QString& path() const { return path_; }

  private:
    DeviceListener() = default;
    QString path_;
    std::unique_ptr<MFCSMS> channel_;
    std::unique_ptr<DeviceEvents> events_;
};

// Reads every report and reply the records' devices hold, one device after the other. Returns
// the devices that could not be read, each with its reason ("<path>: ...").
QStringList Read_Devices(const QList<DeviceRecord>& records, const DeviceEvents::Sinks& sinks,
                         int* reports = nullptr, int* messages = nullptr);

}  // namespace tesk::delivery
