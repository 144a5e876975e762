#pragma once
// A modem channel opened on a virtual modem, with a fast clock and a private runtime folder.
#include "core/log.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "support/virtual_modems.h"

namespace tesk::test {

// One "second" of the modem code lasts this long in the suites.
inline constexpr double kModemTimeScale = 0.1;

// What a device scan tells its listener, as the device window sees it: with a list, also the
// row standing in it at the moment each device is announced.
class RecordingScan : public ModemScanListener {
  public:
    explicit RecordingScan(const DeviceList* list = nullptr) : list_(list) {}
    void modemFound(const QString& path) override {
        found.append(path);
        if (list_) {
            placeholders.append(list_->Find_By_Port_Detail(path));
        }
    }
    void deviceQuestioned(const QString& path) override { questioned.append(path); }
    bool stopRequested() const override { return stopAfterFirst && !found.isEmpty(); }

    bool stopAfterFirst = false;
    QStringList found;
    QStringList questioned;
    QList<DeviceRecord> placeholders;

  private:
    const DeviceList* list_;
};

// A record as one line, field by field under the keys the tables and the scan files use.
inline QString recordLine(const DeviceRecord& record) {
    QStringList fields;
    for (const char* key : {"State", "COM_PORT", "PORT_DETAL", "PORT_STATUS", "IMEI", "Manufacture",
                            "Model", "Battery", "Signal", "Operator", "Revision", "DefSMSC",
                            "CusSMSC", "UseCusSMSC", "SMSMode", "SUPSMSMode", "SMS_CAPABLE"}) {
        fields.append(Device_Field(record, QString::fromLatin1(key)).toString());
    }
    return fields.join(u'|');
}

class ModemChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        channel.Set_Device_List(&devices);  // no rows left over from other tests
    }

    // Starts a virtual modem (in place of any earlier one, which may share its name) and opens
    // the channel's port on it as the program does.
    void openOn(vmodem::Config config) {
        channel.Close_Port();
        modems.clear();
        modem = &modems.add(config);
        path = modem->portPath().toUtf8();
        channel.initPort_with_decp(path.constData(), &fd);
        ASSERT_TRUE(channel.port && channel.port->isOpen());
        channel.Set_Read_Timeout(1.0);
    }

    VirtualModems modems;
    const QTemporaryDir& runtime = modems.dir();
    pacing::ScopedScale fast{kModemTimeScale};
    log::Capture logged;
    vmodem::VirtualModem* modem = nullptr;
    DeviceList devices;
    MFCSMS channel;
    QByteArray path;
    int fd = -1;
};

}  // namespace tesk::test
