#pragma once
// A virtual modem started for one test and a client on its real pseudo-terminal.
#include "support/pty_client.h"
#include "support/virtual_modems.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tesk::vmodem::test {

using tesk::test::PtyClient;
using tesk::test::WaitFor;

// "hello" to +12345, no service centre: 00 | 11 00 | 05 91 2143F5 | 00 00 | FF | 05 E8329BFD06
inline const QByteArray kHelloPdu = "00110005912143F50000FF05E8329BFD06";
inline constexpr int kHelloTpdu = 16;
// The same with service centre +447785016005: 07 91 447758100650 | ... (TPDU unchanged)
inline const QByteArray kHelloWithScaPdu = "0791447758100650110005912143F50000FF05E8329BFD06";
inline const QByteArray kCtrlZ = "\x1A\r\n";
inline const QByteArray kOk = "\r\nOK\r\n";

// What the client writes and everything it reads back, echo included.
struct Step {
    QByteArray sent;
    QByteArray answer;
};

class ModemTest : public ::testing::Test {
  protected:
    // A fresh modem in place of any earlier one; it echoes only when the test says so.
    VirtualModem& start(Config config = {}) {
        config.echo = config.echo && echo_;
        modems_.clear();
        modem_ = &modems_.add(config);
        return *modem_;
    }

    std::unique_ptr<PtyClient> connect() {
        auto client = std::make_unique<PtyClient>(modem_->portPath());
        EXPECT_TRUE(client->isOpen());
        return client;
    }

    // Writes each step and expects exactly its answer.
    static void run(PtyClient& client, const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            client.write(step.sent);
            EXPECT_EQ(client.readSize(step.answer.size()), step.answer) << step.sent.constData();
        }
    }
    // Starts a modem, connects and runs the steps; the client stays open for more.
    std::unique_ptr<PtyClient> talk(const Config& config, const std::vector<Step>& steps,
                                    bool echo = false) {
        echo_ = echo;
        start(config);
        auto client = connect();
        run(*client, steps);
        return client;
    }

    // AT+CMGS=<length>, the PDU, Ctrl-Z; returns the answer after Ctrl-Z.
    QByteArray submitPdu(PtyClient& client, const QByteArray& pdu, int length) {
        EXPECT_EQ(client.exchange("AT+CMGS=" + QByteArray::number(length) + "\r\n"), "\r\n> ");
        return client.exchange(pdu + kCtrlZ);
    }

    QString logPath() const { return modems_.logPath(); }
    QList<QJsonObject> logLines() const { return modems_.logLines(); }

    bool echo_ = false;  // most conversations read better without echo
    tesk::test::VirtualModems modems_;
    VirtualModem* modem_ = nullptr;
};

}  // namespace tesk::vmodem::test
