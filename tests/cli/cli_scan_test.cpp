// "scan": the devices the device window would list, as a table and as JSON.
#include "cli_test_support.h"

#include <QJsonArray>

namespace {

using tesk::cli::test::CliTest;
using tesk::cli::test::Describe;

class CliScan : public CliTest {};

TEST_F(CliScan, ListsBothModemsWithTheirFacts) {
    addModem(modem(QStringLiteral("VM0"), QStringLiteral("356938035643809")));
    tesk::vmodem::Config second = modem(QStringLiteral("VM1"), QStringLiteral("353918057361927"));
    second.modes = tesk::vmodem::SmsModes::Text;
    second.operatorName = QStringLiteral("Other Network");
    addModem(second);

    const auto table =
        run({QStringLiteral("scan"), QStringLiteral("--devices"), devicesArgument()});
    ASSERT_TRUE(table.finished) << Describe(table);
    EXPECT_EQ(table.exitCode, 0) << Describe(table);
    const QStringList lines = table.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << Describe(table);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Port"))) << Describe(table);
    for (const QString& heading :
         {QStringLiteral("Manufacturer"), QStringLiteral("IMEI"), QStringLiteral("Signal"),
          QStringLiteral("SMS Mode"), QStringLiteral("Device Path")}) {
        EXPECT_TRUE(lines[0].contains(heading)) << heading.toStdString();
    }
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("VM0 ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("356938035643809")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("PDU Mode")));
    EXPECT_TRUE(lines[1].endsWith(modems[0]->portPath()));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("VM1 ")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("353918057361927")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("Other Network")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("Text Mode")));

    const auto json = run({QStringLiteral("scan"), QStringLiteral("--json"),
                           QStringLiteral("--devices=") + devicesArgument()});
    ASSERT_EQ(json.exitCode, 0) << Describe(json);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << Describe(json);
    const QJsonArray devices = document.array();
    ASSERT_EQ(devices.size(), 2) << Describe(json);
    struct Expected {
        const char* port;
        const char* imei;
        const char* mode;
        const char* supported;
    };
    const Expected expected[] = {{"VM0", "356938035643809", "PDU Mode", "PDU Mode & Text Mode"},
                                 {"VM1", "353918057361927", "Text Mode", "Text Mode"}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject device = devices.at(i).toObject();
        EXPECT_EQ(device.value(QStringLiteral("port")).toString(), QLatin1String(expected[i].port));
        EXPECT_EQ(device.value(QStringLiteral("imei")).toString(), QLatin1String(expected[i].imei));
        EXPECT_EQ(device.value(QStringLiteral("smsMode")).toString(),
                  QLatin1String(expected[i].mode));
        EXPECT_EQ(device.value(QStringLiteral("supportedModes")).toString(),
                  QLatin1String(expected[i].supported));
        EXPECT_EQ(device.value(QStringLiteral("manufacturer")).toString(),
                  QStringLiteral("Virtual Modems Ltd"));
        EXPECT_EQ(device.value(QStringLiteral("model")).toString(), QStringLiteral("VM-1"));
        EXPECT_EQ(device.value(QStringLiteral("path")).toString(), modems[i]->portPath());
        EXPECT_FALSE(device.value(QStringLiteral("signal")).toString().isEmpty());
    }
    // A scan only questions the devices; nothing is sent.
    EXPECT_TRUE(receivedNumbers().isEmpty());
}

TEST_F(CliScan, NoDeviceGivesAnEmptyListAndSaysSo) {
    const QString gone = dir.filePath(QStringLiteral("ttyGONE"));
    const auto table = run({QStringLiteral("scan"), QStringLiteral("--devices"), gone});
    EXPECT_EQ(table.exitCode, 0) << Describe(table);
    EXPECT_TRUE(table.out.isEmpty()) << Describe(table);
    EXPECT_TRUE(table.err.contains(QStringLiteral("No GSM device found."))) << Describe(table);

    const auto json =
        run({QStringLiteral("scan"), QStringLiteral("--json"), QStringLiteral("--devices"), gone});
    EXPECT_EQ(json.exitCode, 0) << Describe(json);
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8());
    EXPECT_TRUE(document.isArray()) << Describe(json);
    EXPECT_TRUE(document.array().isEmpty());
}

}  // namespace
