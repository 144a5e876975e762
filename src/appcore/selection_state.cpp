#include "appcore/selection_state.h"

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
