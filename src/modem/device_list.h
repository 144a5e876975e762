#pragma once
// The device record (one GSM device, string-keyed, keys in the order the scan writes them) and
// the list of them the scan fills and the device window shows. The list is shared between the
// scan thread and the window thread, so every operation takes its lock and works on copies.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <mutex>

class DeviceRecord {
  public:
    // Keys in the order the scan writes them.
    static const QStringList& Keys();

    // A missing key reads as "" (State as false).
    QVariant value(const QString& key) const;
    QString text(const QString& key) const { return value(key).toString(); }
    void setValue(const QString& key, const QVariant& value);
    bool contains(const QString& key) const;
    QStringList keys() const;  // the keys present, in the order of Keys()

    bool operator==(const DeviceRecord& other) const = default;

  private:
    QList<QPair<QString, QVariant>> entries_;
};

class DeviceList {
  public:
    // Appends a placeholder or full record.
    void Insert_port_in_List(const DeviceRecord& record);
    // Replaces the record whose PORT_DETAL equals the record's; false when there is none.
    bool Replace_By_Port_Detail(const DeviceRecord& record);
    // Removes the record with that PORT_DETAL; false when there is none.
    bool Remove_By_Port_Detail(const QString& path);
    // The record with that PORT_DETAL, or an empty record.
    DeviceRecord Find_By_Port_Detail(const QString& path) const;
    QList<DeviceRecord> records() const;
    int count() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    QList<DeviceRecord> records_;
};

// The list a channel uses when no window has given it one.
DeviceList& Default_Device_List();
