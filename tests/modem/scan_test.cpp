// The device scan over several virtual modems: which devices are listed, under which port,
// and the records they get.
#include "modem_test_support.h"

namespace {

using tesk::test::ModemChannelTest;
using tesk::test::RecordingScan;
using tesk::test::recordLine;
using tesk::vmodem::SmsModes;

class ScanTest : public ModemChannelTest {
  protected:
    void scan(RecordingScan* listener) {
        ModemIterator iterator(modems.paths());
        char buffer[512];
        ASSERT_EQ(channel.GetModemPath(iterator, buffer, sizeof buffer, listener), 0);
    }
};

TEST_F(ScanTest, ListsEachUsableDeviceOnceWithItsModes) {
    const struct {
        const char* name;
        const char* imei;
        SmsModes modes;
        bool sms;
        const char* modeColumns;  // SMSMode|SUPSMSMode of its row; nullptr: not listed
    } table[] = {
        {"VM0", "356938035643809", SmsModes::Both, true, "PDU Mode|;PDU Mode;Text Mode;"},
        {"VM1", "356938035643809", SmsModes::Both, true, nullptr},   // IMEI listed already
        {"VM2", "490154203237518", SmsModes::Both, false, nullptr},  // no SMS
        {"VM3", "353918057361927", SmsModes::Text, true, "Text Mode|;Text Mode;"},
        {"VM4", "352099001761481", SmsModes::Pdu, true, "PDU Mode|;PDU Mode;"},
        {"VM5", "013440001737488", SmsModes::None, true, "NONE|NONE"},
        {"VM6", "", SmsModes::Both, true, nullptr},  // no IMEI
    };
    for (const auto& d : table) {
        modems.add({.name = d.name,
                    .imei = d.imei,
                    .model = QStringLiteral("Model of ") + d.name,
                    .signal = 16,
                    .modes = d.modes,
                    .smsSupported = d.sms});
    }
    RecordingScan listener;
    scan(&listener);

    QStringList listedPaths;
    QStringList expected;
    for (size_t i = 0; i < std::size(table); ++i) {
        if (table[i].modeColumns) {
            const QString port = modems[i].portPath();
            listedPaths.append(port);
            expected.append(
                QStringLiteral("false|%1|%2||%3|Virtual Modems Ltd|Model of %1|80%|"
                               "Good (16)|Test Network|VM-1.0.0|+447785016005||N|%4|Yes")
                    .arg(QLatin1String(table[i].name), port, QLatin1String(table[i].imei),
                         QLatin1String(table[i].modeColumns)));
        }
    }
    EXPECT_EQ(listener.found, listedPaths);
    EXPECT_EQ(listener.questioned, listedPaths);
    QStringList rows;
    for (const DeviceRecord& record : devices.records()) {
        rows.append(recordLine(record));
    }
    EXPECT_EQ(rows, expected);
    // The skipped devices were never questioned beyond the IMEI.
    for (const int skipped : {1, 2, 6}) {
        EXPECT_FALSE(modems[skipped].commands().contains(QStringLiteral("AT+CSCA?"))) << skipped;
    }
    EXPECT_EQ(channel.port, nullptr);
}

// Asked to stop once a device is found, the scan finishes that device and speaks to no other.
TEST_F(ScanTest, StopsAfterTheCurrentDeviceWhenAsked) {
    struct StopAfterFirst : RecordingScan {
        bool stopRequested() const override { return !found.isEmpty(); }
    } listener;
    modems.add();
    modems.add({.name = "VM1", .imei = "490154203237518"});
    scan(&listener);
    EXPECT_EQ(listener.found, QStringList{modems[0].portPath()});
    EXPECT_TRUE(modems[1].commands().isEmpty());
}

}  // namespace
