// The command exchange on a real pseudo-terminal: against the virtual modem, and against a
// device played by hand where the timing of each byte matters.
#include "modem_test_support.h"
#include "support/pty_pair.h"

#include <thread>

namespace {

using tesk::test::ModemChannelTest;
using tesk::test::PtyPair;

TEST_F(ModemChannelTest, ConnectionCheckResetAndQuestionsAreAnsweredAndJudged) {
    openOn({.echoOnly = true});
    EXPECT_TRUE(channel.Check_Connection(fd));  // an echo alone passes
    EXPECT_EQ(channel.m_sLastResponse, QStringLiteral("AT"));

    openOn({.imei = "490154203237518"});
    EXPECT_TRUE(channel.Check_Connection(fd));
    EXPECT_EQ(channel.m_sLastResponse, QStringLiteral("AT\r\nOK"));
    channel.ATZ_reset_Modem(fd);
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT", "AT&F", "AT+CMEE=1"}));

    EXPECT_TRUE(ask("AT+CGSN\r\n", "\r\nOK\r\n"));
    EXPECT_TRUE(channel.m_sLastResponse.contains(QStringLiteral("490154203237518")));
    // Expected text absent: false although the device said OK.
    ASSERT_TRUE(channel.Write_Command(fd, "AT+CGSN\r\n"));
    EXPECT_FALSE(channel.Read_Command(fd, "+CSCA"));

    // An invalid UTF-8 byte leaves the rest of the answer.
    openOn({.invalidUtf8 = true});
    EXPECT_TRUE(ask("AT+CSQ\r\n", "+CSQ: 20,99"));
    EXPECT_EQ(channel.Last_Reply().final.kind, tesk::at::FinalKind::Ok);
}

// With an hour to wait, the test ends only when OK and the prompt end their reads.
TEST_F(ModemChannelTest, PromptAndOkEndTheRead) {
    openOn({});
    channel.Set_Read_Timeout(3600.0 / tesk::test::kModemTimeScale);
    EXPECT_TRUE(ask("AT\r\n", "\r\nOK\r\n"));
    EXPECT_TRUE(ask("AT+CMGS=20\r", ">\r\n"));
    ASSERT_TRUE(channel.Write_Command(fd, "\x1b"));  // cancel the submission
    EXPECT_TRUE(channel.Read_Command(fd, "\r\nOK\r\n"));
    EXPECT_EQ(modem->received().size(), 0);
}

TEST_F(ModemChannelTest, LateAnswerBelongsToItsOwnCommandNotToTheNext) {
    openOn({.lateAnswerMs = 300});  // every final result comes later than the 200 ms read time-out
    channel.Set_Read_Timeout(2.0);
    ASSERT_TRUE(channel.Write_Command(fd, "AT+CSQ\r\n"));
    EXPECT_FALSE(channel.Read_Command(fd, "\r\nOK\r\n"));
    // The next command first takes the late OK as the answer it is; the device has proved
    // slow, so its own answer is waited for longer and read as its own.
    EXPECT_TRUE(ask("AT+CGMI\r\n", "\r\nOK\r\n"));
    EXPECT_EQ(channel.Last_Reply().lines, QStringList({QStringLiteral("Virtual Modems Ltd")}));
}

TEST_F(ModemChannelTest, InitOnTheOpenPathKeepsItOnAnotherSwitchesAndAFailedOpenLeavesNoPort) {
    openOn({});
    SerialPort* before = channel.port.get();
    int untouched = 4242;
    channel.initPort_with_decp(path.constData(), &untouched);
    EXPECT_EQ(untouched, 4242);
    EXPECT_EQ(channel.port.get(), before);

    const tesk::vmodem::VirtualModem& other = modems.add({.name = "VM1"});
    const QByteArray otherPath = other.portPath().toUtf8();
    int otherFd = -1;
    channel.initPort_with_decp(otherPath.constData(), &otherFd);
    ASSERT_TRUE(channel.port && channel.port->isOpen());
    EXPECT_EQ(channel.port->bsdPath(), other.portPath());
    EXPECT_EQ(channel.m_port_name, other.portPath());

    untouched = 7;
    channel.initPort_with_decp("/dev/no-such-modem", &untouched);
    EXPECT_EQ(channel.port, nullptr);
    EXPECT_EQ(untouched, 7);
    EXPECT_FALSE(channel.Check_Connection(untouched));  // without a port
}

// The cases below play the device by hand on a bare pseudo-terminal.
class ScriptedLine : public ModemChannelTest {
  protected:
    void SetUp() override {
        ModemChannelTest::SetUp();
        path = line.slavePath().toUtf8();
        channel.initPort_with_decp(path.constData(), &fd);
        ASSERT_TRUE(channel.port);
        channel.Set_Read_Timeout(1.0);
    }
    PtyPair line;
};

TEST_F(ScriptedLine, CmeErrorFailsEveryRead) {
    for (const char* expected : {"\r\nOK\r\n", "+CME", "ERROR", "", ">\r\n"}) {
        line.send("\r\n+CME ERROR: 10\r\n");
        EXPECT_FALSE(channel.Read_Command(fd, expected)) << expected;
        EXPECT_EQ(channel.m_sLastResponse, QStringLiteral("+CME ERROR: 10"));
    }
}

// Silence and an echo alone are no answer: the read waits on, and an OK that comes after both
// still counts. Silence to the end ends the read without one.
TEST_F(ScriptedLine, SilenceAndAnEchoAloneAreNoAnswer) {
    channel.Set_Read_Timeout(600.0);
    std::thread device([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        line.send("AT\r");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        line.send("\r\nOK\r\n");
    });
    EXPECT_TRUE(channel.Read_Command(fd, "\r\nOK\r\n"));
    device.join();
    channel.Set_Read_Timeout(1.0);
    line.send("AT\r");
    EXPECT_FALSE(channel.Read_Command(fd, "\r\nOK\r\n"));
    EXPECT_EQ(channel.m_sLastResponse, QStringLiteral("AT"));
}

TEST_F(ScriptedLine, SilentDeviceFailsTheCheckAfterFiveRetries) {
    tesk::pacing::ScopedScale faster(0.01);
    EXPECT_FALSE(channel.Check_Connection(fd));
    EXPECT_EQ(line.receive(), QByteArray("AT\r\n").repeated(6));
}

TEST_F(ScriptedLine, CheckSucceedsWhenALaterTryIsAnswered) {
    tesk::pacing::ScopedScale faster(0.01);
    channel.Set_Read_Timeout(30.0);  // each read window well outlasts the device's reaction
    std::thread device([&] {
        // Answer only the third AT.
        QByteArray seen;
        for (int i = 0; i < 1000 && seen.count("AT\r\n") < 3; ++i) {
            seen += line.receive(20);
        }
        line.send("AT\r\n\r\nOK\r\n");
    });
    EXPECT_TRUE(channel.Check_Connection(fd));
    device.join();
    EXPECT_EQ(line.receive(), QByteArray());  // no try after the answered one
}

TEST_F(ScriptedLine, LateAnswerProbeLeavesWhatArrivedInTheLastResponse) {
    tesk::pacing::ScopedScale faster(0.01);
    line.send("\r\n+CMGS: 17\r\n\r\nOK\r\n");  // the late answer to a submission
    EXPECT_TRUE(channel.Check_Connection_For_Read(fd, 2));
    EXPECT_TRUE(channel.m_sLastResponse.contains(QStringLiteral("+CMGS: 17")));
    EXPECT_EQ(line.receive(), QByteArray("AT\r\n"));  // stopped at the first OK
}

}  // namespace
