#pragma once
// A modem channel opened on a virtual modem, with a fast clock and a private runtime folder.
#include "core/log.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "support/virtual_modems.h"

namespace tesk::test {

// One "second" of the modem code lasts this long in the suites.
inline constexpr double kModemTimeScale = 0.1;

// What a device scan tells its listener: the usable devices found, and those questioned.
class RecordingScan : public ModemScanListener {
  public:
    void modemFound(const QString& path) override { found.append(path); }
    void deviceQuestioned(const QString& path) override { questioned.append(path); }
    QStringList found;
    QStringList questioned;
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

    bool ask(const char* command, const char* expected) {
        return channel.Write_Command(fd, command) && channel.Read_Command(fd, expected);
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
