#include "serial/serial_port.h"
#include "support/pty_pair.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <thread>

namespace {

using tesk::test::PtyPair;

class SerialPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(port.open()); }
    PtyPair pty;
    SerialPort port{pty.slavePath(), pty.slavePath(), QStringLiteral("IOModemSerialStream")};
};

// Bytes left on the line before open belong to the earlier session: opening drops them. A zero
// time-out reads nothing even when bytes wait; they stay for the next read, which a complete
// test ends as soon as the answer is whole. A flood fills the buffer and stops the read with
// code 101. A hang-up is a system error and returns nothing.
TEST_F(SerialPortOnPty, WritesGoOutWholeAndReadsEndByTimeOutAnswerFullBufferOrHangUp) {
    port.close();
    pty.send("\r\n+CMGS: 4\r\n\r\nOK\r\n");  // a late answer nobody read
    ASSERT_TRUE(port.open());
    SerialError error;
    // Writes go out whole; an empty one fails with code 200.
    EXPECT_TRUE(port.writeData("AT+CGSN\r", &error));
    EXPECT_EQ(error.details.value(QStringLiteral("bytesWritten")).toInt(), 8);
    EXPECT_EQ(pty.receive(), QByteArray("AT+CGSN\r"));
    EXPECT_FALSE(port.writeData(QByteArray(), &error));
    EXPECT_EQ(error.code, SerialErrorNothingToWrite);
    EXPECT_FALSE(error.details.contains(QStringLiteral("bytesWritten")));
    // The text forms: UTF-8 both ways; a read that is not valid UTF-8 gives a null string.
    EXPECT_TRUE(
        port.writeString(QString::fromUtf8("caf\xC3\xA9\xE2\x82\xAC"), SerialPort::Encoding::Utf8));
    EXPECT_EQ(pty.receive(), QByteArray("caf\xC3\xA9\xE2\x82\xAC"));
    port.setReadTimeout(0.2);
    pty.send("caf\xC3\xA9");
    EXPECT_EQ(port.readStringUsingEncoding(SerialPort::Encoding::Utf8),
              QString::fromUtf8("caf\xC3\xA9"));
    pty.send("OK\xC3\x28");
    EXPECT_TRUE(port.readStringUsingEncoding(SerialPort::Encoding::Utf8).isNull());

    pty.send("\r\nOK\r\n");
    port.setReadTimeout(0);
    EXPECT_TRUE(port.readAndReturnError(&error).isEmpty());
    EXPECT_EQ(error.code, SerialErrorTimeout);
    port.setReadTimeout(0.5);
    EXPECT_EQ(port.readUntilComplete([](const QByteArray& held) { return held.endsWith("OK\r\n"); },
                                     &error),
              QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(error.code, SerialErrorNone);
    EXPECT_EQ(error.details.value(QStringLiteral("endCode")).toInt(), SerialEndAnswerComplete);

    std::thread device([&] { pty.send(QByteArray(5000, 'x')); });
    port.setReadTimeout(3.0);
    EXPECT_EQ(port.readAndReturnError(&error).size(), SerialPort::kBufferSize);
    EXPECT_EQ(error.code, SerialErrorBufferFull);
    port.setReadTimeout(0.5);
    while (!port.readAndReturnError().isEmpty()) {  // the rest, so the device can finish
    }
    device.join();
    pty.send("partial");
    pty.hangUp();
    EXPECT_TRUE(port.readAndReturnError(&error).isEmpty());
    EXPECT_EQ(error.code, SerialErrorSystem);
}

// Each stop condition ends the read with its own end code; 0 means the time-out ended it.
TEST_F(SerialPortOnPty, StopConditionsEndWithTheirEndCode) {
    const struct {
        QByteArray sent;
        int bytes;      // 0: no byte count
        char stopChar;  // 0: no stop char
        QByteArray expected;
        int endCode;
    } cases[] = {
        {"OK\n", 0, '\n', "OK\n", 1},          // the stop char is the last byte
        {"ABCD", 4, 0, "ABCD", 2},             // exactly N
        {"OK\nMORE", 0, '\n', "OK\nMORE", 0},  // the char counts only as the last byte
        {"AB", 5, 0, "AB", 0},                 // fewer than N
    };
    port.setReadTimeout(0.5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent.constData());
        pty.send(c.sent);
        SerialError error;
        EXPECT_EQ(
            port.readAndStopAfterBytes(c.bytes > 0, c.bytes, c.stopChar != 0, c.stopChar, &error),
            c.expected);
        EXPECT_EQ(error.code, c.endCode ? SerialErrorNone : SerialErrorTimeout);
        EXPECT_EQ(error.details.value(QStringLiteral("endCode")).toInt(), c.endCode);
    }
    pty.send("OK\n");
    EXPECT_EQ(port.readUpToChar('\n'), QByteArray("OK\n"));  // the first row's short form
}

// The exclusive claim is read back with TIOCGEXCL, since root (which runs the suites) is let
// through it anyway.
TEST(SerialPort, OpenClaimsTheLineInRawModeAndCloseGivesBackWhatItFound) {
    PtyPair pty;
    const int observer = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(observer, 0);
    termios cooked{};
    tcgetattr(observer, &cooked);
    cooked.c_lflag |= ECHO | ICANON;
    ASSERT_EQ(tcsetattr(observer, TCSANOW, &cooked), 0);

    SerialPort port(pty.slavePath(), pty.slavePath(), QStringLiteral("IOModemSerialStream"));
    ASSERT_TRUE(port.open());
    int exclusive = -1;
    ASSERT_EQ(ioctl(observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    termios now{};
    tcgetattr(observer, &now);
    EXPECT_EQ(now.c_lflag & (ECHO | ICANON), 0u);
    EXPECT_EQ(cfgetospeed(&now), static_cast<speed_t>(B115200));

    port.close();
    // The observer keeps the line open, so a claim left behind would still be in force.
    ASSERT_EQ(ioctl(observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    tcgetattr(observer, &now);
    EXPECT_EQ(now.c_lflag & (ECHO | ICANON), cooked.c_lflag & (ECHO | ICANON));
    ::close(observer);
}

// A missing node and a regular file (not a terminal) are refused, and nothing stays open.
TEST(SerialPort, FailedOpenLeavesThePortClosed) {
    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());
    for (const QString& path : {QStringLiteral("/dev/no-such-modem"), plain.fileName()}) {
        SerialPort port(path, QString(), QString());
        EXPECT_FALSE(port.open()) << path.toStdString();
        SerialError error;
        EXPECT_FALSE(port.writeData("AT", &error));
        EXPECT_EQ(error.code, SerialErrorSystem);
    }
}

// Ports hash by their path, whatever their names.
TEST(SerialPort, HashFollowsThePath) {
    const SerialPort port(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("n1"),
                          QStringLiteral("t"));
    EXPECT_EQ(std::hash<SerialPort>{}(port), qHash(QStringLiteral("/dev/ttyUSB0")));
}

}  // namespace
