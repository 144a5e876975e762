// "scan": the devices the device window would list, as a table and as JSON, and Ctrl-C during
// a scan.
#include "cli_test_support.h"

#include <QJsonArray>

namespace tesk::cli::test {
namespace {

using CliScan = CliTest;

TEST_F(CliScan, ListsBothModemsWithTheirFacts) {
    addModem();
    vmodem::Config second;
    second.name = "VM1";
    second.imei = "353918057361927";
    second.modes = vmodem::SmsModes::Text;
    second.operatorName = "Other Network";
    addModem(second);

    const auto table = run({"scan", "--devices", devicesArgument()});
    EXPECT_EQ(table.exitCode, 0) << Describe(table);
    const QStringList lines = table.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << Describe(table);
    for (const char* heading :
         {"Port", "Manufacturer", "IMEI", "Signal", "SMS Mode", "Device Path"}) {
        EXPECT_TRUE(lines[0].contains(heading)) << heading;
    }
    EXPECT_TRUE(lines[0].startsWith("Port")) << Describe(table);
    const QStringList facts[] = {{"VM0 ", "356938035643800", "PDU Mode", modems[0]->portPath()},
                                 {"VM1 ", "353918057361927", "Text Mode", "Other Network"}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(lines[i + 1].startsWith(facts[i][0])) << Describe(table);
        for (const QString& fact : facts[i]) {
            EXPECT_TRUE(lines[i + 1].contains(fact)) << fact.toStdString() << Describe(table);
        }
    }
    EXPECT_TRUE(lines[1].endsWith(modems[0]->portPath()));

    const auto json = run({"scan", "--json", "--devices=" + devicesArgument()});
    ASSERT_EQ(json.exitCode, 0) << Describe(json);
    const QJsonArray devices = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 2) << Describe(json);
    const QStringList expected[] = {{"VM0", "356938035643800", "PDU Mode", "PDU Mode & Text Mode"},
                                    {"VM1", "353918057361927", "Text Mode", "Text Mode"}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject device = devices.at(i).toObject();
        const QStringList keys = {"port", "imei", "smsMode", "supportedModes"};
        for (int k = 0; k < keys.size(); ++k) {
            EXPECT_EQ(device.value(keys[k]).toString(), expected[i][k]) << keys[k].toStdString();
        }
        EXPECT_EQ(device.value("manufacturer").toString(), "Virtual Modems Ltd");
        EXPECT_EQ(device.value("model").toString(), "VM-1");
        EXPECT_EQ(device.value("path").toString(), modems[i]->portPath());
        EXPECT_FALSE(device.value("signal").toString().isEmpty());
    }
    // A scan only questions the devices; nothing is sent.
    EXPECT_TRUE(receivedNumbers().isEmpty());
}

TEST_F(CliScan, NoDeviceGivesAnEmptyListAndSaysSo) {
    const QString gone = dir.filePath("ttyGONE");
    const auto table = run({"scan", "--devices", gone});
    EXPECT_EQ(table.exitCode, 0) << Describe(table);
    EXPECT_TRUE(table.out.isEmpty()) << Describe(table);
    EXPECT_TRUE(table.err.contains("No GSM device found.")) << Describe(table);

    const auto json = run({"scan", "--json", "--devices", gone});
    EXPECT_EQ(json.exitCode, 0) << Describe(json);
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()), QJsonDocument(QJsonArray()))
        << Describe(json);
}

TEST_F(CliScan, InterruptDuringTheScanListsWhatWasFound) {
    timeScale = "0.2";  // the modems answer slowly: read time-outs stay far above their latency
    for (int i = 0; i < 3; ++i) {
        vmodem::Config slow;
        slow.latencyMs = 30;  // questioning one device takes a good while
        addModem(slow);
    }
    bool signalled = false;
    const auto result =
        run({"scan", "--json", "--devices", devicesArgument()}, [&](QProcess& process) {
            // The first device is being questioned.
            signalled = !modems[0]->commands().isEmpty() &&
                        ::kill(static_cast<pid_t>(process.processId()), SIGINT) == 0;
            return signalled;
        });
    ASSERT_TRUE(signalled);
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    // The device being questioned is finished and listed; the others are never opened.
    const QJsonArray devices = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 1) << Describe(result);
    EXPECT_EQ(devices.at(0).toObject().value("imei").toString(), "356938035643800");
    EXPECT_TRUE(modems[1]->commands().isEmpty());
    EXPECT_TRUE(modems[2]->commands().isEmpty());
    EXPECT_TRUE(
        result.err.contains("Terminating the current process will stop scanning connected "
                            "device. Are you sure you want to continue?\n-> Yes"))
        << Describe(result);
}

}  // namespace
}  // namespace tesk::cli::test
