#include "modem/device_list.h"

namespace {

const QString kState = QStringLiteral("State");
const QString kPortDetail = QStringLiteral("PORT_DETAL");

// Position of a key in the scan's order; keys the scan does not write come after all of them.
qsizetype rank(const QString& key) {
    const qsizetype index = DeviceRecord::Keys().indexOf(key);
    return index < 0 ? DeviceRecord::Keys().size() : index;
}

}  // namespace

const QStringList& DeviceRecord::Keys() {
    static const QStringList keys = {
        QStringLiteral("State"),       QStringLiteral("COM_PORT"),    QStringLiteral("PORT_DETAL"),
        QStringLiteral("PORT_STATUS"), QStringLiteral("IMEI"),        QStringLiteral("Manufacture"),
        QStringLiteral("Model"),       QStringLiteral("Battery"),     QStringLiteral("Signal"),
        QStringLiteral("Operator"),    QStringLiteral("Revision"),    QStringLiteral("DefSMSC"),
        QStringLiteral("CusSMSC"),     QStringLiteral("UseCusSMSC"),  QStringLiteral("SMSMode"),
        QStringLiteral("SUPSMSMode"),  QStringLiteral("SMS_CAPABLE"),
    };
    return keys;
}

QVariant DeviceRecord::value(const QString& key) const {
    for (const auto& entry : entries_) {
        if (entry.first == key) {
            return entry.second;
        }
    }
    return key == kState ? QVariant(false) : QVariant(QString(""));
}

void DeviceRecord::setValue(const QString& key, const QVariant& value) {
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    // Keep the entries in the scan's order whatever order they are set in.
    const qsizetype wanted = rank(key);
    qsizetype at = 0;
    while (at < entries_.size() && rank(entries_.at(at).first) <= wanted) {
        ++at;
    }
    entries_.insert(at, qMakePair(key, value));
}

bool DeviceRecord::contains(const QString& key) const {
    for (const auto& entry : entries_) {
        if (entry.first == key) {
            return true;
        }
    }
    return false;
}

QStringList DeviceRecord::keys() const {
    QStringList present;
    for (const auto& entry : entries_) {
        present.append(entry.first);
    }
    return present;
}

void DeviceList::Insert_port_in_List(const DeviceRecord& record) {
    std::lock_guard lock(mutex_);
    records_.append(record);
}

bool DeviceList::Replace_By_Port_Detail(const DeviceRecord& record) {
    const QString path = record.text(kPortDetail);
    std::lock_guard lock(mutex_);
    for (DeviceRecord& listed : records_) {
        if (listed.text(kPortDetail) == path) {
            listed = record;
            return true;
        }
    }
    return false;
}

bool DeviceList::Remove_By_Port_Detail(const QString& path) {
    std::lock_guard lock(mutex_);
    for (qsizetype i = 0; i < records_.size(); ++i) {
        if (records_.at(i).text(kPortDetail) == path) {
            records_.removeAt(i);
            return true;
        }
    }
    return false;
}

DeviceRecord DeviceList::Find_By_Port_Detail(const QString& path) const {
    std::lock_guard lock(mutex_);
    for (const DeviceRecord& listed : records_) {
        if (listed.text(kPortDetail) == path) {
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
