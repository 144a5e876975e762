#pragma once
// The device record (one GSM device as the scan found it) and the list of them the scan fills
// and the device window shows. The list is shared between the scan thread and the window thread,
// so every operation takes its lock and works on copies.
//
// Inside, a record is a plain struct. The record's keys ("PORT_DETAL", "SMSMode", ...) and the
// texts of its SMS mode appear only at the edge: the table columns and the keyed values read
// through Device_Field.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <mutex>

// How a device submits messages (the record's SMSMode).
enum class SmsMode {
    NotAsked,  // "": the scan has not questioned the device yet
    Neither,   // "NONE": the device offers neither mode
    Pdu,       // "PDU Mode"
    Text,      // "Text Mode"
};
// The text a user reads for a mode, and back; any other text reads as NotAsked.
QString Sms_Mode_Text(SmsMode mode);
SmsMode Sms_Mode_From_Text(const QString& text);

struct DeviceRecord {
    bool ticked = false;                  // State: ticked for sending in the device window
    QString portName;                     // COM_PORT
    QString path;                         // PORT_DETAL: the call-out path, the record's identity
    QString portStatus;                   // PORT_STATUS
    QString imei;                         // IMEI
    QString manufacturer;                 // Manufacture
    QString model;                        // Model
    QString battery;                      // Battery
    QString signal;                       // Signal
    QString operatorName;                 // Operator
    QString revision;                     // Revision
    QString defaultSmsc;                  // DefSMSC: the centre the device names itself
    QString customSmsc;                   // CusSMSC
    bool useCustomSmsc = false;           // UseCusSMSC ("Y" / "N")
    SmsMode smsMode = SmsMode::NotAsked;  // SMSMode
    QString supportedModes;  // SUPSMSMode: ";PDU Mode;Text Mode;", ";PDU Mode;", "NONE", ...
    QString smsCapable;      // SMS_CAPABLE: "Yes" or "Not Detected"

    bool operator==(const DeviceRecord& other) const = default;
};

// The value of a record under one of the keys the scan writes ("State", "COM_PORT",
// "PORT_DETAL", ...), as the table columns show it: State as a bool,
// UseCusSMSC as "Y"/"N", SMSMode as its text, the rest as they are; "" for any other key.
QVariant Device_Field(const DeviceRecord& record, const QString& key);

class DeviceList {
  public:
    // Appends a placeholder or full record.
    void Insert_port_in_List(const DeviceRecord& record);
    // Replaces the record whose path equals the record's; false when there is none.
    bool Replace_By_Port_Detail(const DeviceRecord& record);
    // Removes the record with that path; false when there is none.
    bool Remove_By_Port_Detail(const QString& path);
    // The record with that path, or an empty record.
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
