#include "appstate/selection_state.h"

#include "core/log.h"

#include <exception>

QString Get_Sel_Port_Details(const QString& devicePath, const QString& key) {
    try {
        const QList<DeviceRecord> records = port_det_str_array.get();
        for (const DeviceRecord& record : records) {
            if (record.text(QStringLiteral("PORT_DETAL")) == devicePath) {
                return record.text(key);
            }
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Get_Sel_Port_Details exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    return QString("");
}

tesk::composer::SendingModes Sending_Modes_For_Choice(const QString& deviceChoice) {
    tesk::composer::SendingModes modes{false, false, false};
    const bool all = deviceChoice == QStringLiteral("All Device");
    for (const DeviceRecord& record : port_det_str_array.get()) {
        if (!all && record.text(QStringLiteral("PORT_DETAL")) != deviceChoice) {
            continue;
        }
        const QString mode = record.text(QStringLiteral("SMSMode"));
        modes.pdu = modes.pdu || mode == QStringLiteral("PDU Mode");
        modes.text = modes.text || mode == QStringLiteral("Text Mode");
    }
    modes.known = modes.pdu || modes.text;
    if (!modes.known) {
        return {};
    }
    return modes;
}
