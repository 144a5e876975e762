#include "modem/device_list.h"

namespace {

struct Column {
    QString key;
    QVariant (*read)(const DeviceRecord&);
};

// The record's keyed form: one entry per field, in the scan's order.
const QList<Column>& columns() {
    static const QList<Column> table = {
        {QStringLiteral("State"), [](const DeviceRecord& r) { return QVariant(r.ticked); }},
        {QStringLiteral("COM_PORT"), [](const DeviceRecord& r) { return QVariant(r.portName); }},
        {QStringLiteral("PORT_DETAL"), [](const DeviceRecord& r) { return QVariant(r.path); }},
        {QStringLiteral("PORT_STATUS"),
         [](const DeviceRecord& r) { return QVariant(r.portStatus); }},
        {QStringLiteral("IMEI"), [](const DeviceRecord& r) { return QVariant(r.imei); }},
        {QStringLiteral("Manufacture"),
         [](const DeviceRecord& r) { return QVariant(r.manufacturer); }},
        {QStringLiteral("Model"), [](const DeviceRecord& r) { return QVariant(r.model); }},
        {QStringLiteral("Battery"), [](const DeviceRecord& r) { return QVariant(r.battery); }},
        {QStringLiteral("Signal"), [](const DeviceRecord& r) { return QVariant(r.signal); }},
        {QStringLiteral("Operator"),
         [](const DeviceRecord& r) { return QVariant(r.operatorName); }},
        {QStringLiteral("Revision"), [](const DeviceRecord& r) { return QVariant(r.revision); }},
        {QStringLiteral("DefSMSC"), [](const DeviceRecord& r) { return QVariant(r.defaultSmsc); }},
        {QStringLiteral("CusSMSC"), [](const DeviceRecord& r) { return QVariant(r.customSmsc); }},
        {QStringLiteral("UseCusSMSC"),
         [](const DeviceRecord& r) {
             return QVariant(r.useCustomSmsc ? QStringLiteral("Y") : QStringLiteral("N"));
         }},
        {QStringLiteral("SMSMode"),
         [](const DeviceRecord& r) { return QVariant(Sms_Mode_Text(r.smsMode)); }},
        {QStringLiteral("SUPSMSMode"),
         [](const DeviceRecord& r) { return QVariant(r.supportedModes); }},
        {QStringLiteral("SMS_CAPABLE"),
         [](const DeviceRecord& r) { return QVariant(r.smsCapable); }},
    };
    return table;
}

}  // namespace

QString Sms_Mode_Text(SmsMode mode) {
    switch (mode) {
        case SmsMode::Neither:
            return QStringLiteral("NONE");
        case SmsMode::Pdu:
            return QStringLiteral("PDU Mode");
        case SmsMode::Text:
            return QStringLiteral("Text Mode");
        case SmsMode::NotAsked:
            break;
    }
    return QString("");
}

SmsMode Sms_Mode_From_Text(const QString& text) {
    for (const SmsMode mode : {SmsMode::Neither, SmsMode::Pdu, SmsMode::Text}) {
        if (text == Sms_Mode_Text(mode)) {
            return mode;
        }
    }
    return SmsMode::NotAsked;
}

QVariant Device_Field(const DeviceRecord& record, const QString& key) {
    for (const Column& column : columns()) {
        if (column.key == key) {
            return column.read(record);
        }
    }
    return QVariant(QString(""));
}

void DeviceList::Insert_port_in_List(const DeviceRecord& record) {
    std::lock_guard lock(mutex_);
    records_.append(record);
}

bool DeviceList::Replace_By_Port_Detail(const DeviceRecord& record) {
    const QString path = record.path;
    std::lock_guard lock(mutex_);
    for (DeviceRecord& listed : records_) {
        if (listed.path == path) {
            listed = record;
            return true;
        }
    }
    return false;
}

bool DeviceList::Remove_By_Port_Detail(const QString& path) {
    std::lock_guard lock(mutex_);
    for (qsizetype i = 0; i < records_.size(); ++i) {
        if (records_.at(i).path == path) {
            records_.removeAt(i);
            return true;
        }
    }
    return false;
}

DeviceRecord DeviceList::Find_By_Port_Detail(const QString& path) const {
    std::lock_guard lock(mutex_);
    for (const DeviceRecord& listed : records_) {
        if (listed.path == path) {
            return listed;
        }
    }
    return {};
}

QList<DeviceRecord> DeviceList::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

int DeviceList::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

void DeviceList::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

DeviceList& Default_Device_List() {
    static DeviceList list;
    return list;
}
