#pragma once
// A virtual modem started for one test and a client on its real pseudo-terminal.
#include "virtual-modem/virtual_modem.h"
#include "vmodem/pty_client.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tesk::vmodem::test {

// "hello" to +12345, no service centre: 00 | 11 00 | 05 91 2143F5 | 00 00 | FF | 05 E8329BFD06
inline const QByteArray kHelloPdu = "00110005912143F50000FF05E8329BFD06";
inline constexpr int kHelloTpdu = 16;
// The same with service centre +447785016005: 07 91 447758100650 | ... (TPDU unchanged)
inline const QByteArray kHelloWithScaPdu = "0791447758100650110005912143F50000FF05E8329BFD06";
inline const QByteArray kCtrlZ = "\x1A\r\n";

class ModemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    }

    VirtualModem& start(Config config = {}) {
        config.echo = config.echo && echo_;
        modem_ = std::make_unique<VirtualModem>(config);
        QString error;
        EXPECT_TRUE(modem_->start(&error)) << error.toStdString();
        return *modem_;
    }

    std::unique_ptr<PtyClient> connect() {
        auto client = std::make_unique<PtyClient>(modem_->portPath());
        EXPECT_TRUE(client->isOpen());
        return client;
    }

    // AT+CMGS=<length>, the PDU, Ctrl-Z; returns the answer after Ctrl-Z.
    QByteArray submitPdu(PtyClient& client, const QByteArray& pdu, int length) {
        EXPECT_EQ(client.exchange("AT+CMGS=" + QByteArray::number(length) + "\r\n"), "\r\n> ");
        return client.exchange(pdu + kCtrlZ);
    }

    QString logPath() const { return runtime_.filePath(QStringLiteral("received.jsonl")); }

    // Every line of the log, refusals included.
    QList<QJsonObject> logLines() const {
        QFile file(logPath());
        QList<QJsonObject> lines;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (!line.isEmpty()) {
                    lines.append(QJsonDocument::fromJson(line).object());
                }
            }
        }
        return lines;
    }

    bool echo_ = false;  // most conversations read better without echo
    QTemporaryDir runtime_;
    std::unique_ptr<VirtualModem> modem_;
};

}  // namespace tesk::vmodem::test
