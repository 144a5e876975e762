#include "delivery/device_listener.h"

#include "modem/mfcsms.h"

namespace tesk::delivery {

std::unique_ptr<DeviceListener> DeviceListener::Open(const DeviceRecord& record,
                                                     const DeviceEvents::Sinks& sinks,
                                                     QString* problem) {
    std::unique_ptr<DeviceListener> listener(new DeviceListener);
    listener->path_ = record.path;
    const QString imei = record.imei;
    const bool textMode = record.smsMode == SmsMode::Text;
    listener->channel_ = std::make_unique<MFCSMS>();
    MFCSMS& channel = *listener->channel_;
    int fd = -1;
    channel.initPort_with_decp(listener->path_.toUtf8().constData(), &fd);
    channel.Set_Read_Timeout(5.0);
    if (fd < 0) {
        *problem = QStringLiteral("%1: the port cannot be opened").arg(listener->path_);
        return nullptr;
    }
    if (!channel.Check_Connection(fd)) {
        *problem = QStringLiteral("%1: the device does not answer").arg(listener->path_);
        return nullptr;
    }
    if (textMode) {
        channel.Prepare_Modem_For_Text_SMS(fd);
    } else {
        channel.Prepare_Modem_For_PDU_SMS(fd);
    }
    listener->events_ = std::make_unique<DeviceEvents>(
        &channel, fd, imei.isEmpty() ? listener->path_ : imei, textMode, sinks);
    if (listener->events_->Enable() == DeviceEvents::Routing::None) {
        *problem = QStringLiteral("%1: the device passes on neither reports nor new messages")
                       .arg(listener->path_);
    }
    return listener;
}

DeviceListener::~DeviceListener() {
    if (events_) {
        events_->Leave();
    }
    events_.reset();
    if (channel_) {
        channel_->Close_Port();
    }
}

QStringList Read_Devices(const QList<DeviceRecord>& records, const DeviceEvents::Sinks& sinks,
                         int* reports, int* messages) {
    QStringList problems;
    for (const DeviceRecord& record : records) {
        QString problem;
        const std::unique_ptr<DeviceListener> listener =
            DeviceListener::Open(record, sinks, &problem);
        if (!problem.isEmpty()) {
            problems.append(problem);
        }
        if (!listener) {
            continue;
        }
        listener->events().Read_Stored();
        if (reports) {
            *reports += listener->events().reportsHandled();
        }
        if (messages) {
            *messages += listener->events().messagesStored();
        }
    }
    return problems;
}

}  // namespace tesk::delivery
