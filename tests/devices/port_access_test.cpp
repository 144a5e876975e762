// Ports the scan could not open: the one message that names them, who holds them and what to
// do; the lookup of the holders in /proc; and, as an ordinary user, a scan against a port it may
// not open and one another program holds.
#include "devices/port_access.h"

#include "support/spin.h"
#include "support/unprivileged_run.h"
#include "support/virtual_modems.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

using tesk::devices::Port_Access_Message;
using tesk::devices::Port_Holders;
using tesk::devices::PortHolder;
using tesk::devices::Refused_Port;

const QString kHead = QStringLiteral("Some modem ports could not be opened.\n\n");
const QString kCloseIt = QStringLiteral(
    "\n\nClose the program that holds the port (a modem manager service often takes new "
    "modems), then search again.");

TEST(PortAccessMessage, NamesEachPortOnceUnderWhatToDo) {
    const QString denied = QStringLiteral(
        "Permission denied on %1.\n\nYour user may not use serial devices. Add it "
        "to the \"dialout\" group (sudo usermod -aG dialout $USER), then log out "
        "and log in again.");
    const QList<PortHolder> manager = {{812, QStringLiteral("ModemManager")}, {900, "picocom"}};
    // Failures the user cannot act on say nothing.
    EXPECT_EQ(Port_Access_Message({{"/dev/ttyUSB0", ENOENT}, {"/dev/ttyUSB1", EIO}}), QString());
    // Each port once: denied (EACCES and EPERM) first, then busy ones nobody could be named for,
    // then busy ones with their holders.
    EXPECT_EQ(Port_Access_Message({{"/dev/ttyUSB2", EBUSY, manager},
                                   {"/dev/ttyUSB0", EACCES},
                                   {"/dev/ttyUSB3", EBUSY},
                                   {"/dev/ttyUSB0", EACCES},
                                   {"/dev/ttyACM1", EPERM},
                                   {"/dev/ttyUSB4", EBUSY},
                                   {"/dev/ttyUSB2", EBUSY, manager}}),
              kHead + denied.arg("/dev/ttyUSB0, /dev/ttyACM1") +
                  "\n\n/dev/ttyUSB3, /dev/ttyUSB4 are in use by another program.\n/dev/ttyUSB2 "
                  "is in use by ModemManager (process 812), picocom (process 900)." +
                  kCloseIt);
    // One busy port nobody could be named for.
    EXPECT_EQ(Port_Access_Message({{"/dev/ttyUSB3", EBUSY}}),
              kHead + "/dev/ttyUSB3 is in use by another program." + kCloseIt);
}

// A virtual modem announced as a symlink, held by a child process that has it as standard
// input. The test process holds the pseudo-terminal's master (it runs the modem): it is the
// device, not a user of the port.
TEST(PortHolders, NameTheProcessesThatHoldThePortButNotTheModemBehindIt) {
    tesk::test::VirtualModems modems;
    const tesk::vmodem::VirtualModem& modem = modems.add({.name = QStringLiteral("PH0")});
    const QString port = modem.portPath();
    EXPECT_TRUE(Port_Holders(port).isEmpty());

    // The child opens the port itself: a terminal opened here without O_NOCTTY (as QProcess
    // opens a standard-input file) would become this process's controlling terminal when the
    // suite runs as a session leader, and the modem's hang-up at the end would kill the suite.
    QProcess holder;
    holder.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec sleep 60 <\"$0\""), port});
    ASSERT_TRUE(holder.waitForStarted());
    QList<PortHolder> holders;
    ASSERT_TRUE(tesk::test::spinUntil([&] {
        holders = Port_Holders(port);
        return !holders.isEmpty() && holders[0].name == QStringLiteral("sleep");
    }));
    ASSERT_EQ(holders.size(), 1);
    EXPECT_EQ(holders[0].pid, holder.processId());
    EXPECT_EQ(holders[0].name, QStringLiteral("sleep"));
    EXPECT_EQ(Port_Holders(modem.devicePath()).size(), 1);

    EXPECT_EQ(Port_Access_Message({Refused_Port(port, EBUSY)}),
              kHead + port +
                  QStringLiteral(" is in use by sleep (process %1).").arg(holder.processId()) +
                  kCloseIt);
    EXPECT_TRUE(Refused_Port(port, EACCES).holders.isEmpty());
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished());
}

// Root opens any port whatever its mode or exclusive use, so the helper runs as "nobody" when
// the suite runs as root. It scans a port it may not open, one another program holds
// exclusively and a usable one.
TEST(PortAccessScan, AsAnOrdinaryUserTheScanNamesTheRefusedPortsOnce) {
    tesk::test::VirtualModems modems;
    for (int i = 0; i < 3; ++i) {
        modems.add({.name = QStringLiteral("PA%1").arg(i),
                    .announce = false,
                    .imei = QStringLiteral("35693803564381%1").arg(i)});
    }
    const QByteArray locked = modems[0].devicePath().toUtf8();
    const QByteArray held = modems[1].devicePath().toUtf8();
    const QByteArray usable = modems[2].devicePath().toUtf8();
    ASSERT_EQ(chmod(locked.constData(), 0600), 0);
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(locked.constData(), 0000), 0);
    }
    ASSERT_EQ(chmod(held.constData(), 0666), 0);
    ASSERT_EQ(chmod(usable.constData(), 0666), 0);
    const int holder = ::open(held.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);

    const QStringList ports = {QString::fromUtf8(locked), QString::fromUtf8(held),
                               QString::fromUtf8(usable)};
    tesk::test::UnprivilegedRun run;
    QProcess& helper = run.process;
    ASSERT_TRUE(run.start(QStringLiteral(SCAN_AS_USER_HELPER), ports));
    ASSERT_TRUE(helper.waitForFinished(120000));
    ::close(holder);
    const QString output = QString::fromUtf8(helper.readAllStandardOutput());
    ASSERT_EQ(helper.exitCode(), 0) << output.toStdString();

    // The holder of the busy port belongs to another user: it cannot be named.
    QString expected = Port_Access_Message({{ports[0], EACCES}, {ports[1], EBUSY}});
    expected.replace(QLatin1Char('\n'), QLatin1Char('|'));
    // Said once; the usable modem is listed: the probe's exclusive use ended with the probe,
    // although the virtual modem keeps its side of the line open the whole time.
    EXPECT_EQ(output, QStringLiteral("NOTICE:|") + expected + QStringLiteral("\nROWS:1\n"));
    EXPECT_TRUE(modems[0].commands().isEmpty());
    EXPECT_TRUE(modems[1].commands().isEmpty());
}

}  // namespace
