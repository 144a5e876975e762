// Ports the scan could not open: the one message that names them and says what to do, and the
// scan as an ordinary user against a port it may not open and one another program holds.
#include "devices/port_access.h"

#include "support/unprivileged_run.h"
#include "virtual-modem/virtual_modem.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

using tesk::devices::Port_Access_Message;
using tesk::devices::RefusedPort;

TEST(PortAccessMessage, NamesEachPortOnceUnderWhatToDo) {
    const QString head = QStringLiteral("Some modem ports could not be opened.\n\n");
    const QString denied = QStringLiteral(
        "Permission denied on %1.\n\nYour user may not use serial devices. Add it "
        "to the \"dialout\" group (sudo usermod -aG dialout $USER), then log out "
        "and log in again.");
    const QString busyTail = QStringLiteral(
        " in use by another program.\n\nClose the program that holds the port (a modem manager "
        "service often takes new modems), then search again.");
    struct Case {
        const char* name;
        QList<RefusedPort> refused;
        QString expected;
    };
    const Case cases[] = {
        {"nothing refused", {}, QString()},
        {"failures the user cannot act on",
         {{"/dev/ttyUSB0", ENOENT}, {"/dev/ttyUSB1", EIO}},
         QString()},
        {"one denied", {{"/dev/ttyUSB0", EACCES}}, head + denied.arg("/dev/ttyUSB0")},
        {"denied twice and EPERM, each port once",
         {{"/dev/ttyUSB0", EACCES}, {"/dev/ttyUSB0", EACCES}, {"/dev/ttyACM1", EPERM}},
         head + denied.arg("/dev/ttyUSB0, /dev/ttyACM1")},
        {"one busy", {{"/dev/ttyUSB2", EBUSY}}, head + "/dev/ttyUSB2 is" + busyTail},
        {"two busy",
         {{"/dev/ttyUSB2", EBUSY}, {"/dev/ttyUSB3", EBUSY}},
         head + "/dev/ttyUSB2, /dev/ttyUSB3 are" + busyTail},
        {"both kinds",
         {{"/dev/ttyUSB2", EBUSY}, {"/dev/ttyUSB0", EACCES}},
         head + denied.arg("/dev/ttyUSB0") + "\n\n" + "/dev/ttyUSB2 is" + busyTail},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Port_Access_Message(c.refused), c.expected) << c.name;
    }
}

// Root opens any port whatever its mode or exclusive use, so the scan runs as "nobody" when
// the suite runs as root.
TEST(PortAccessScan, TheDeviceWindowSaysWhichPortsItCouldNotOpenAndListsTheRest) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems;
    for (int i = 0; i < 3; ++i) {
        tesk::vmodem::Config config;
        config.name = QStringLiteral("PA%1").arg(i);
        config.imei = QStringLiteral("35693803564381%1").arg(i);
        config.announce = false;
        modems.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
        ASSERT_TRUE(modems.back()->start());
    }
    const QByteArray locked = modems[0]->devicePath().toUtf8();
    const QByteArray held = modems[1]->devicePath().toUtf8();
    const QByteArray usable = modems[2]->devicePath().toUtf8();
    ASSERT_EQ(chmod(locked.constData(), 0600), 0);
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(locked.constData(), 0000), 0);
    }
    ASSERT_EQ(chmod(held.constData(), 0666), 0);
    ASSERT_EQ(chmod(usable.constData(), 0666), 0);
    const int holder = ::open(held.constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);

    const QStringList ports = {QString::fromUtf8(locked), QString::fromUtf8(held),
                               QString::fromUtf8(usable)};
    tesk::test::UnprivilegedRun run;
    QProcess& scan = run.process;
    scan.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ASSERT_TRUE(run.start(QStringLiteral(SCAN_AS_USER_HELPER), ports));
    ASSERT_TRUE(scan.waitForFinished(120000));
    ::close(holder);
    const QString output = QString::fromUtf8(scan.readAllStandardOutput());
    ASSERT_EQ(scan.exitCode(), 0) << output.toStdString();

    QString expected = Port_Access_Message({{ports[0], EACCES}, {ports[1], EBUSY}});
    expected.replace(QLatin1Char('\n'), QLatin1Char('|'));
    EXPECT_EQ(output.count(QStringLiteral("NOTICE:")), 1) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("NOTICE:|") + expected)) << output.toStdString();
    // The usable modem is listed: the probe's exclusive use ended with the probe, although the
    // virtual modem keeps its side of the line open the whole time.
    EXPECT_TRUE(output.contains(QStringLiteral("ROWS:1\n"))) << output.toStdString();
    EXPECT_TRUE(modems[0]->commands().isEmpty());
    EXPECT_TRUE(modems[1]->commands().isEmpty());
    EXPECT_FALSE(modems[2]->commands().isEmpty());
}

}  // namespace
