#include "modem_test_support.h"
#include "support/pty_pair.h"

#include <QTemporaryFile>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using tesk::test::ModemChannelTest;
using tesk::test::PtyPair;
using tesk::test::RecordingScan;

// Each probe saves the settings it found on its own port: probing a second port in between
// never overwrites them.
TEST_F(ModemChannelTest, ProbeAppliesModemSettingsAndCloseRestoresWhatItFound) {
    PtyPair a;
    PtyPair b;
    const QByteArray pathA = a.slavePath().toUtf8();
    const QByteArray pathB = b.slavePath().toUtf8();
    const int observer = ::open(pathA.constData(), O_RDWR | O_NOCTTY);
    termios before{};
    tcgetattr(observer, &before);
    before.c_lflag |= ECHO;
    cfsetospeed(&before, B4800);
    tcsetattr(observer, TCSANOW, &before);

    const int probe = channel.OpenSerialPort(pathA.constData());
    ASSERT_GE(probe, 0);
    EXPECT_EQ(channel.m_port_name, a.slavePath());
    termios during{};
    tcgetattr(observer, &during);
    EXPECT_EQ(cfgetospeed(&during), static_cast<speed_t>(B19200));
    EXPECT_NE(during.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(during.c_cc[VMIN], 1);
    EXPECT_EQ(during.c_cc[VTIME], 10);
    const int probeB = channel.OpenSerialPort(pathB.constData());
    ASSERT_GE(probeB, 0);

    channel.CloseSerialPort(probe);
    channel.CloseSerialPort(probeB);
    termios after{};
    tcgetattr(observer, &after);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B4800));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(fcntl(probe, F_GETFD), -1);  // the probe descriptor is closed
    ::close(observer);
}

// A missing path fails at the open, a plain file at the line settings.
TEST_F(ModemChannelTest, ProbeOfWhatIsNoTerminalFails) {
    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());
    EXPECT_EQ(channel.OpenSerialPort("/dev/no-such-modem"), -1);
    EXPECT_EQ(channel.OpenSerialPort(plain.fileName().toUtf8().constData()), -1);
}

TEST_F(ModemChannelTest, ScanProbesResetsAndListsEveryModemThatOpens) {
    const auto& vm0 = modems.add();
    const auto& vm1 = modems.add({.name = "VM1", .imei = "490154203237518"});
    // What a scan of the system's own ports walks (real serial ports may be listed too).
    ModemIterator found;
    ASSERT_EQ(MFCSMS::FindModems(&found), 0);
    QStringList listed;
    for (QString p; found.next(&p);) {
        listed.append(p);
    }
    EXPECT_TRUE(listed.contains(vm0.portPath()) && listed.contains(vm1.portPath()))
        << listed.join(' ').toStdString();
    ModemIterator scanned({vm0.portPath(), QStringLiteral("/dev/no-such-modem"), vm1.portPath()});
    RecordingScan scan;
    char path[512];
    EXPECT_EQ(channel.GetModemPath(scanned, path, sizeof path, &scan), 0);
    EXPECT_EQ(scan.found, modems.paths());
    // The count of paths is the one diagnostic line a support request needs from a scan.
    EXPECT_TRUE(logged.contains(QStringLiteral("tot modem: 3")));
    const QStringList reset{"AT", "AT&F", "AT+CMEE=1"};
    EXPECT_EQ(vm0.commands().mid(0, 3), reset);  // questioning follows the reset
    EXPECT_EQ(vm1.commands().mid(0, 3), reset);
    EXPECT_EQ(channel.port, nullptr);  // every port is closed after its turn
}

// Skipped, and said in the log: nothing else would tell why such a port is never listed.
TEST_F(ModemChannelTest, PathLongerThanTheBufferIsSkipped) {
    ModemIterator scanned({QStringLiteral("/dev/") + QString(600, QLatin1Char('x'))});
    RecordingScan scan;
    char path[64];
    EXPECT_EQ(channel.GetModemPath(scanned, path, sizeof path, &scan), 0);
    EXPECT_TRUE(logged.contains(QStringLiteral("error CFStringGetCString: /dev/xxx")));
}

// Every slot has its own channel; closing all ports reaches the last slot too.
TEST(ChannelTable, DistinctChannelsAndCloseAllPorts) {
    Fill_Channel_Table();
    EXPECT_NE(mfc_sms_obj_arr(0), mfc_sms_obj_arr(kChannelCount - 1));
    EXPECT_EQ(mfc_sms_obj_arr(kChannelCount), nullptr);
    PtyPair line;
    const QByteArray path = line.slavePath().toUtf8();
    int fd = -1;
    mfc_sms_obj_arr(kChannelCount - 1)->initPort_with_decp(path.constData(), &fd);
    ASSERT_TRUE(mfc_sms_obj_arr(kChannelCount - 1)->port);
    close_all_ports();
    EXPECT_EQ(mfc_sms_obj_arr(kChannelCount - 1)->port, nullptr);
}

}  // namespace
