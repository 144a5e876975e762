// The device scan over several virtual modems: which devices are listed, under which port,
// and the records they get.
#include "modem_test_support.h"

#include "serial/modem_ports.h"

namespace {

using tesk::test::ModemChannelTest;
using tesk::vmodem::Config;
using tesk::vmodem::SmsModes;
using tesk::vmodem::VirtualModem;

// Records what the window would see, including the row standing in the list at the moment
// each device is announced.
class WatchingScan : public ModemScanListener {
  public:
    explicit WatchingScan(const DeviceList& list) : list_(list) {}
    void modemFound(const QString& path) override {
        found.append(path);
        placeholders.append(list_.Find_By_Port_Detail(path));
    }
    void deviceQuestioned(const QString& path) override { questioned.append(path); }

    QStringList found;
    QStringList questioned;
    QList<DeviceRecord> placeholders;

  private:
    const DeviceList& list_;
};

class ScanTest : public ModemChannelTest {
  protected:
    void SetUp() override {
        ModemChannelTest::SetUp();
        channel.Set_Device_List(&devices);
    }

    VirtualModem& add(Config config) {
        modems.push_back(std::make_unique<VirtualModem>(config));
        EXPECT_TRUE(modems.back()->start());
        return *modems.back();
    }

    void scan(WatchingScan* listener) {
        QStringList paths;
        for (const auto& vm : modems) {
            paths.append(vm->portPath());
        }
        ModemIterator iterator(paths);
        char buffer[512];
        ASSERT_EQ(channel.GetModemPath(iterator, buffer, sizeof buffer, listener), 0);
    }

    DeviceList devices;
    std::vector<std::unique_ptr<VirtualModem>> modems;
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
        Config config;
        config.name = QString::fromLatin1(d.name);
        config.imei = QString::fromLatin1(d.imei);
        config.modes = d.modes;
        config.smsSupported = d.sms;
        config.model = QStringLiteral("Model of ") + config.name;
        config.signal = 16;
        add(config);
    }
    WatchingScan listener(devices);
    scan(&listener);

    QStringList listedPaths;
    for (size_t i = 0; i < std::size(table); ++i) {
        if (table[i].smsMode) {
            listedPaths.append(modems[i]->portPath());
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
        const DeviceRecord& r = rows.at(row++);
        const QString port = modems[i]->portPath();
        SCOPED_TRACE(d.name);
        EXPECT_EQ(r.keys(), DeviceRecord::Keys());
        EXPECT_EQ(r.value(QStringLiteral("State")), QVariant(false));
        EXPECT_EQ(r.text(QStringLiteral("COM_PORT")), QString::fromLatin1(d.name));
        EXPECT_EQ(r.text(QStringLiteral("COM_PORT")), tesk::Modem_Port_Name(port));
        EXPECT_EQ(r.text(QStringLiteral("PORT_DETAL")), port);
        EXPECT_EQ(r.text(QStringLiteral("PORT_STATUS")), QString(""));
        EXPECT_EQ(r.text(QStringLiteral("IMEI")), QString::fromLatin1(d.imei));
        EXPECT_EQ(r.text(QStringLiteral("Manufacture")), QStringLiteral("Virtual Modems Ltd"));
        EXPECT_EQ(r.text(QStringLiteral("Model")), QStringLiteral("Model of ") + d.name);
        EXPECT_EQ(r.text(QStringLiteral("Battery")), QStringLiteral("80%"));
        EXPECT_EQ(r.text(QStringLiteral("Signal")), QStringLiteral("Good (16)"));
        EXPECT_EQ(r.text(QStringLiteral("Operator")), QStringLiteral("Test Network"));
        EXPECT_EQ(r.text(QStringLiteral("Revision")), QStringLiteral("VM-1.0.0"));
        EXPECT_EQ(r.text(QStringLiteral("DefSMSC")), QStringLiteral("+447785016005"));
        EXPECT_EQ(r.text(QStringLiteral("CusSMSC")), QString(""));
        EXPECT_EQ(r.text(QStringLiteral("UseCusSMSC")), QStringLiteral("N"));
        EXPECT_EQ(r.text(QStringLiteral("SMSMode")), QString::fromLatin1(d.smsMode));
        EXPECT_EQ(r.text(QStringLiteral("SUPSMSMode")), QString::fromLatin1(d.supported));
        EXPECT_EQ(r.text(QStringLiteral("SMS_CAPABLE")), QStringLiteral("Yes"));
        EXPECT_TRUE(logged.contains(QStringLiteral("Modem found with BSD path: %1").arg(port)));
    }
    EXPECT_TRUE(logged.contains(QStringLiteral("msg sending support fail")));
    // The skipped devices were never questioned beyond the IMEI.
    for (const char* skipped : {"VM1", "VM2", "VM6"}) {
        const auto& vm = *std::find_if(modems.begin(), modems.end(), [&](const auto& m) {
            return m->portPath().endsWith(QLatin1String(skipped));
        });
        EXPECT_FALSE(vm->commands().contains(QStringLiteral("AT+CSCA?"))) << skipped;
    }
    EXPECT_EQ(channel.port, nullptr);
}

TEST_F(ScanTest, PlaceholderRowStandsInTheListWhileTheDeviceIsQuestioned) {
    Config config;
    config.name = QStringLiteral("VM7");
    const VirtualModem& vm = add(config);
    WatchingScan listener(devices);
    scan(&listener);

    ASSERT_EQ(listener.placeholders.size(), 1);
    const DeviceRecord& placeholder = listener.placeholders.first();
    EXPECT_EQ(placeholder.keys(),
              QStringList({"State", "COM_PORT", "PORT_DETAL", "PORT_STATUS", "IMEI"}));
    EXPECT_EQ(placeholder.text(QStringLiteral("COM_PORT")), QStringLiteral("VM7"));
    EXPECT_EQ(placeholder.text(QStringLiteral("PORT_DETAL")), vm.portPath());
    EXPECT_EQ(placeholder.value(QStringLiteral("State")), QVariant(false));
    // Questioned once the SMS support and the IMEI were seen, then the modes were asked.
    const QStringList sent = vm.commands();
    const qsizetype support = sent.indexOf(QStringLiteral("AT+CMGS=?"));
    const qsizetype imei = sent.indexOf(QStringLiteral("AT+CGSN"));
    const qsizetype maker = sent.indexOf(QStringLiteral("AT+GMI"));
    const qsizetype modes = sent.indexOf(QStringLiteral("AT+CMGF=?"));
    EXPECT_TRUE(support >= 0 && support < imei && imei < maker && maker < modes)
        << sent.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(devices.count(), 1);
    EXPECT_EQ(devices.records().first().text(QStringLiteral("IMEI")),
              QStringLiteral("356938035643809"));
}

TEST_F(ScanTest, DeviceAlreadyListedByAnEarlierScanIsSkipped) {
    DeviceRecord earlier;
    earlier.setValue(QStringLiteral("PORT_DETAL"), QStringLiteral("/dev/ttyUSB3"));
    earlier.setValue(QStringLiteral("IMEI"), QStringLiteral("356938035643809"));
    devices.Insert_port_in_List(earlier);
    add({});
    WatchingScan listener(devices);
    scan(&listener);
    EXPECT_TRUE(listener.found.isEmpty());
    EXPECT_EQ(devices.count(), 1);
}

}  // namespace
