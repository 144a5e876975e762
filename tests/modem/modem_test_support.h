#pragma once
// A modem channel opened on a virtual modem, with a fast clock and a private runtime folder.
#include "core/log.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "support/virtual_modems.h"

namespace tesk::test {

// One "second" of the modem code lasts this long in the suites.
inline constexpr double kModemTimeScale = 0.1;

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
