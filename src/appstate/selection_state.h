#pragma once
// Process-wide state shared by the two composers, the device windows and the sending threads:
// the sending mode and the hand-over of the chosen devices. The device window writes the
// hand-over on the GUI thread while sending threads may read it, so every value is guarded.
#include "composer/message_rules.h"
#include "modem/device_list.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <utility>

namespace tesk {

inline constexpr int kGsmMode = 1;
inline constexpr int kAndroidMode = 2;

// How a modal window of the mode flow ended; the device windows end with these too.
inline constexpr int kEndContinue = 1;  // accept or continue
inline constexpr int kEndCancel = 0;    // cancel
inline constexpr int kEndBack = -1;     // back: the previous window comes again

inline const QString kNoDeviceSelected = QStringLiteral("No Mobile Phone Device is selected.");
inline const QString kAllDevice = QStringLiteral("All Device");

// A value behind a lock; readers get copies.
template <typename T>
class Guarded {
  public:
    T get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }
    void set(T value) {
        std::lock_guard<std::mutex> lock(mutex_);
        value_ = std::move(value);
    }
    // Runs `change` on the value under the lock.
    template <typename Change>
    void update(Change change) {
        std::lock_guard<std::mutex> lock(mutex_);
        change(value_);
    }

  private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace tesk

// Which composer is in front: 1 GSM, 2 Android (0 until start-up has chosen).
inline std::atomic<int> gsm_and_none{0};

// The chosen GSM devices: their call-out paths (plus "All Device" once two or more were chosen)
// and their device records, in the order they were accepted.
inline tesk::Guarded<QStringList> port_val_str_array;
inline tesk::Guarded<QList<DeviceRecord>> port_det_str_array;
// The chosen device's name and path (GSM: COM_PORT and PORT_DETAL of the last accepted device;
// Android: the phone's display name in both); "" when nothing is chosen.
inline tesk::Guarded<QString> sel_port_name_str;
inline tesk::Guarded<QString> sel_port_bsd_str;
// Custom service-centre number of the chosen device, "" when it uses its own.
inline tesk::Guarded<QString> Cus_SMS_Num_STR;

// The first chosen device record whose path equals `devicePath` exactly; an empty record when
// none matches. Callable from any thread.
DeviceRecord Get_Sel_Port_Details(const QString& devicePath);

// How a GSM run through this device choice of the composer would submit ("All Device": through
// every chosen device), from the chosen records' SMS modes. Not known while no chosen device
// has a mode; the count then takes the worst case.
tesk::composer::SendingModes Sending_Modes_For_Choice(const QString& deviceChoice);
