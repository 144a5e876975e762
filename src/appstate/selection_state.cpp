#include "appstate/selection_state.h"

#include "core/log.h"

#include <exception>

DeviceRecord Get_Sel_Port_Details(const QString& devicePath) {
    try {
        const QList<DeviceRecord> records = port_det_str_array.get();
        for (const DeviceRecord& record : records) {
            if (record.path == devicePath) {
                return record;
            }
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Get_Sel_Port_Details exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return {};
}

tesk::composer::SendingModes Sending_Modes_For_Choice(const QString& deviceChoice) {
    tesk::composer::SendingModes modes{false, false, false};
    const bool all = deviceChoice == QStringLiteral("All Device");
    for (const DeviceRecord& record : port_det_str_array.get()) {
        if (!all && record.path != deviceChoice) {
            continue;
        }
        modes.pdu = modes.pdu || record.smsMode == SmsMode::Pdu;
        modes.text = modes.text || record.smsMode == SmsMode::Text;
    }
    modes.known = modes.pdu || modes.text;
    if (!modes.known) {
        return {};
    }
    return modes;
}
