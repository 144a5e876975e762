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
    EXPECT_EQ(
        table.out,
        "Port  Manufacturer        Model  IMEI             Operator       Signal     SMS "
        "Mode   Device Path\n"
        "VM0   Virtual Modems Ltd  VM-1   356938035643800  Test Network   High (20)  PDU "
        "Mode   " +
            modems[0].portPath() +
            "\n"
            "VM1   Virtual Modems Ltd  VM-1   353918057361927  Other Network  High (20)  Text "
            "Mode  " +
            modems[1].portPath() + "\n");

    // The JSON carries the same facts and the rest of the record (the second device differs only
    // where the table shows it).
    const auto json = run({"scan", "--json", "--devices=" + devicesArgument()});
    EXPECT_EQ(json.exitCode, 0) << Describe(json);
    const QJsonArray devices = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 2) << Describe(json);
    EXPECT_EQ(devices.at(0).toObject(), (QJsonObject{{"battery", "80%"},
                                                     {"defaultSmsc", "+447785016005"},
                                                     {"imei", "356938035643800"},
                                                     {"manufacturer", "Virtual Modems Ltd"},
                                                     {"model", "VM-1"},
                                                     {"operator", "Test Network"},
                                                     {"path", modems[0].portPath()},
                                                     {"port", "VM0"},
                                                     {"revision", "VM-1.0.0"},
                                                     {"signal", "High (20)"},
                                                     {"smsMode", "PDU Mode"},
                                                     {"supportedModes", "PDU Mode & Text Mode"}}));
    EXPECT_EQ(devices.at(1).toObject().value("supportedModes"), "Text Mode");
}

TEST_F(CliScan, NoDeviceGivesAnEmptyListAndSaysSo) {
    const QString gone = modems.filePath("ttyGONE");
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
            signalled = !modems[0].commands().isEmpty() &&
                        ::kill(static_cast<pid_t>(process.processId()), SIGINT) == 0;
            return signalled;
        });
    ASSERT_TRUE(signalled);
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    // The device being questioned is finished and listed; the others are never opened.
    const QJsonArray devices = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 1) << Describe(result);
    EXPECT_EQ(devices.at(0).toObject().value("imei").toString(), "356938035643800");
    EXPECT_TRUE(modems[1].commands().isEmpty() && modems[2].commands().isEmpty());
    EXPECT_TRUE(
        result.err.contains("Terminating the current process will stop scanning connected "
                            "device. Are you sure you want to continue?\n-> Yes"))
        << Describe(result);
}

}  // namespace
}  // namespace tesk::cli::test
