#include "serial/modem_ports.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// On a miniature /sys/class/tty + /dev + runtime folder, laid out as the kernel does it.
TEST(ModemPorts, ListsUsbModemsThenWwanAtPortsThenLiveVirtualModems) {
    QTemporaryDir root;
    const auto at = [&](const char* path) { return root.filePath(QString::fromLatin1(path)); };
    for (const char* folder :
         {"sys/bus/usb-serial/drivers/option1", "sys/bus/usb/drivers/cdc_acm",
          "sys/bus/platform/drivers/serial8250", "sys/class/tty", "dev", "modems"}) {
        ASSERT_TRUE(QDir().mkpath(at(folder)));
    }
    const tesk::ModemPortRoots roots{at("sys/class/tty"), at("dev"), at("modems")};
    const auto touch = [](const QString& path) { QFile(path).open(QIODevice::WriteOnly); };
    const auto addTty = [&](const QString& name, const char* driver, bool withNode = true) {
        const QString device = at("sys/devices/") + name;
        QDir().mkpath(device);
        if (*driver) {
            QFile::link(at("sys/bus/") + QString::fromLatin1(driver), device + "/driver");
        }
        QDir().mkpath(roots.sysClassTty + "/" + name);
        QFile::link(device, roots.sysClassTty + "/" + name + "/device");
        if (withNode) {
            touch(roots.deviceDir + "/" + name);
        }
    };
    addTty(QStringLiteral("ttyUSB10"), "usb-serial/drivers/option1");
    addTty(QStringLiteral("ttyUSB2"), "usb-serial/drivers/option1");
    addTty(QStringLiteral("ttyACM0"), "usb/drivers/cdc_acm");
    addTty(QStringLiteral("ttyACM1"), "usb/drivers/cdc_acm", false);  // unplugged
    addTty(QStringLiteral("ttyS0"), "platform/drivers/serial8250");
    addTty(QStringLiteral("tty1"), "");    // a console has no driver link
    touch(roots.deviceDir + "/wwan0at1");  // the kernel's WWAN AT ports
    touch(roots.deviceDir + "/wwan0at0");
    touch(roots.deviceDir + "/wwan0mbim0");  // not an AT port

    touch(at("pts7"));
    QFile::link(at("pts7"), roots.virtualModemDir + "/ttyVM1");
    QFile::link(at("gone"), roots.virtualModemDir + "/ttyVM0");  // stale
    touch(roots.virtualModemDir + "/notes.txt");

    const QString dev = roots.deviceDir + "/";
    EXPECT_EQ(tesk::Find_Modem_Port_Paths(roots),
              QStringList({dev + "ttyACM0", dev + "ttyUSB2", dev + "ttyUSB10", dev + "wwan0at0",
                           dev + "wwan0at1", roots.virtualModemDir + "/ttyVM1"}));

    // Another user could point a link in a folder others may write to at their own terminal:
    // such a folder is not read, and in a private one a link that is not ours is passed over.
    const QStringList hardware = tesk::Find_Modem_Port_Paths(roots).mid(0, 5);
    ASSERT_TRUE(QFile::setPermissions(roots.virtualModemDir, QFileDevice::Permissions(0x7777)));
    EXPECT_EQ(tesk::Find_Modem_Port_Paths(roots), hardware);
    ASSERT_TRUE(QFile::setPermissions(roots.virtualModemDir, QFileDevice::Permissions(0x7700)));
    if (geteuid() == 0) {
        const QString link = roots.virtualModemDir + "/ttyVM1";
        ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);
        EXPECT_EQ(tesk::Find_Modem_Port_Paths(roots), hardware);
    }
}

TEST(ModemPortName, DropsFolderAndDevicePrefix) {
    EXPECT_EQ(tesk::Modem_Port_Name(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("USB0"));
    EXPECT_EQ(tesk::Modem_Port_Name(QStringLiteral("/dev/cu.usbmodem12")), "usbmodem12");
    EXPECT_EQ(tesk::Modem_Port_Name(QStringLiteral("/dev/rfcomm0")), "rfcomm0");
}

}  // namespace
