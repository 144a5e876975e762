// The device scan over several virtual modems: which devices are listed, under which port,
// and the records they get.
#include "modem_test_support.h"

#include "serial/modem_ports.h"

namespace {

using tesk::test::ModemChannelTest;
using tesk::test::RecordingScan;
using tesk::vmodem::Config;
using tesk::vmodem::SmsModes;
using tesk::vmodem::VirtualModem;

class ScanTest : public ModemChannelTest {
  protected:
    void scan(RecordingScan* listener) {
        ModemIterator iterator(modems.paths());
        char buffer[512];
        ASSERT_EQ(channel.GetModemPath(iterator, buffer, sizeof buffer, listener), 0);
    }
};

struct Device {
    const char* name;
    const char* imei;
    SmsModes modes;
    bool sms;
    // Expected row; nullptr when the device is not listed.
    const char* smsMode;
    const char* supported;
};

TEST_F(ScanTest, ListsEachUsableDeviceOnceWithItsModes) {
    const Device table[] = {
        {"VM0", "356938035643809", SmsModes::Both, true, "PDU Mode", ";PDU Mode;Text Mode;"},
        {"VM1", "356938035643809", SmsModes::Both, true, nullptr, nullptr},   // second port
        {"VM2", "490154203237518", SmsModes::Both, false, nullptr, nullptr},  // no SMS
        {"VM3", "353918057361927", SmsModes::Text, true, "Text Mode", ";Text Mode;"},
        {"VM4", "352099001761481", SmsModes::Pdu, true, "PDU Mode", ";PDU Mode;"},
        {"VM5", "013440001737488", SmsModes::None, true, "NONE", "NONE"},
        {"VM6", "", SmsModes::Both, true, nullptr, nullptr},  // no IMEI
    };
    for (const Device& d : table) {
        modems.add({.name = d.name,
                    .imei = d.imei,
                    .model = QStringLiteral("Model of ") + d.name,
                    .signal = 16,
                    .modes = d.modes,
                    .smsSupported = d.sms});
    }
    RecordingScan listener(&devices);
    scan(&listener);

    QStringList listedPaths;
    for (size_t i = 0; i < std::size(table); ++i) {
        if (table[i].smsMode) {
            listedPaths.append(modems[i].portPath());
        }
    }
    EXPECT_EQ(listener.found, listedPaths);
    EXPECT_EQ(listener.questioned, listedPaths);
    const QList<DeviceRecord> rows = devices.records();
    ASSERT_EQ(rows.size(), listedPaths.size());

    int row = 0;
    for (size_t i = 0; i < std::size(table); ++i) {
        const Device& d = table[i];
        if (!d.smsMode) {
            continue;
        }
        const QString port = modems[i].portPath();
        SCOPED_TRACE(d.name);
        // While it was questioned, a row with nothing but its port stood in the list.
        DeviceRecord placeholder;
        placeholder.portName = QString::fromLatin1(d.name);
        placeholder.path = port;
        EXPECT_EQ(listener.placeholders.value(row), placeholder);
        const DeviceRecord& r = rows.at(row++);
        EXPECT_FALSE(r.ticked);
        EXPECT_EQ(r.portName, QString::fromLatin1(d.name));
        EXPECT_EQ(r.portName, tesk::Modem_Port_Name(port));
        EXPECT_EQ(r.path, port);
        EXPECT_EQ(r.portStatus, QString(""));
        EXPECT_EQ(r.imei, QString::fromLatin1(d.imei));
        EXPECT_EQ(r.manufacturer, QStringLiteral("Virtual Modems Ltd"));
        EXPECT_EQ(r.model, QStringLiteral("Model of ") + d.name);
        EXPECT_EQ(r.battery, QStringLiteral("80%"));
        EXPECT_EQ(r.signal, QStringLiteral("Good (16)"));
        EXPECT_EQ(r.operatorName, QStringLiteral("Test Network"));
        EXPECT_EQ(r.revision, QStringLiteral("VM-1.0.0"));
        EXPECT_EQ(r.defaultSmsc, QStringLiteral("+447785016005"));
        EXPECT_EQ(r.customSmsc, QString(""));
        EXPECT_FALSE(r.useCustomSmsc);
        EXPECT_EQ(Sms_Mode_Text(r.smsMode), QString::fromLatin1(d.smsMode));
        EXPECT_EQ(r.supportedModes, QString::fromLatin1(d.supported));
        EXPECT_EQ(r.smsCapable, QStringLiteral("Yes"));
        EXPECT_TRUE(logged.contains(QStringLiteral("Modem found with BSD path: %1").arg(port)));
    }
    EXPECT_EQ(listener.placeholders.size(), listedPaths.size());
    // Questioned once the SMS support and the IMEI were seen, then the modes were asked.
    const QStringList sent = modems[0].commands();
    const qsizetype support = sent.indexOf(QStringLiteral("AT+CMGS=?"));
    const qsizetype imei = sent.indexOf(QStringLiteral("AT+CGSN"));
    const qsizetype maker = sent.indexOf(QStringLiteral("AT+GMI"));
    const qsizetype modes = sent.indexOf(QStringLiteral("AT+CMGF=?"));
    EXPECT_TRUE(support >= 0 && support < imei && imei < maker && maker < modes)
        << sent.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(logged.contains(QStringLiteral("msg sending support fail")));
    // The skipped devices were never questioned beyond the IMEI.
    for (const int skipped : {1, 2, 6}) {
        EXPECT_FALSE(modems[skipped].commands().contains(QStringLiteral("AT+CSCA?"))) << skipped;
    }
    EXPECT_EQ(channel.port, nullptr);
}

TEST_F(ScanTest, DeviceAlreadyListedByAnEarlierScanIsSkipped) {
    DeviceRecord earlier;
    earlier.path = QStringLiteral("/dev/ttyUSB3");
    earlier.imei = QStringLiteral("356938035643809");
    devices.Insert_port_in_List(earlier);
    modems.add();
    RecordingScan listener(&devices);
    scan(&listener);
    EXPECT_TRUE(listener.found.isEmpty());
    EXPECT_EQ(devices.count(), 1);
}

}  // namespace
