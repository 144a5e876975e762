#pragma once
// A modem channel opened on a virtual modem, with a fast clock and a private runtime folder.
#include "core/log.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "virtual-modem/virtual_modem.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tesk::test {

// One "second" of the modem code lasts this long in the suites.
inline constexpr double kModemTimeScale = 0.1;

class ModemChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        channel.Set_Device_List(&devices);  // no rows left over from other tests
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    // Starts a virtual modem and opens the channel's port on it as the program does.
    void openOn(vmodem::Config config) {
        channel.Close_Port();  // a second modem may be announced under the same name
        config.logPath = runtime.filePath(QStringLiteral("received.jsonl"));
        modem = std::make_unique<vmodem::VirtualModem>(config);
        QString error;
        ASSERT_TRUE(modem->start(&error)) << error.toStdString();
        path = modem->portPath().toUtf8();
        channel.initPort_with_decp(path.constData(), &fd);
        ASSERT_TRUE(channel.port && channel.port->isOpen());
        channel.Set_Read_Timeout(1.0);
    }

    QTemporaryDir runtime;
    pacing::ScopedScale fast{kModemTimeScale};
    log::Capture logged;
    std::unique_ptr<vmodem::VirtualModem> modem;
    DeviceList devices;
    MFCSMS channel;
    QByteArray path;
    int fd = -1;
};

}  // namespace tesk::test
