// Device questioning and the small device-side commands, against virtual modems answering in
// the shapes real devices use.
#include "modem_test_support.h"

namespace {

using tesk::test::ModemChannelTest;
using tesk::test::recordLine;
using tesk::vmodem::Config;
using tesk::vmodem::SmsModes;

const QString kImei = QStringLiteral("356938035643809");
const QString kNoBattery = QStringLiteral("Device does not have a battery connected.");

using DeviceQueryTest = ModemChannelTest;

const QString kSca = QStringLiteral("+447785016005");

// Each row a modem answering one question in its own shape, or answering its newer form
// "Undefined" so that the older one must be asked, and the fact read from it.
TEST_F(DeviceQueryTest, FactShapesBecomeTheExpectedFact) {
    using ScA = tesk::vmodem::ServiceCentreAnswer;
    const struct {
        Config config;
        QString MFCSMS::*fact;
        QString expected;
    } rows[] = {
        {{.echo = false}, &MFCSMS::Manuf, "Virtual Modems Ltd"},
        {{.imeiPrefix = "IMEI: "}, &MFCSMS::Port_IMEI, kImei},
        {{.imeiPrefix = "IMEI "}, &MFCSMS::Port_IMEI, kImei},
        {{.model = "MODEL: VX-200 Pro"}, &MFCSMS::Model, "VX-200 Pro"},
        {{.manufacturer = "Virtual\r Modems\x01 Ltd\x1a"}, &MFCSMS::Manuf, "Virtual Modems Ltd"},
        {{.manufacturer = "Virtual\\r\\nModems\\n Ltd\\r"}, &MFCSMS::Manuf, "VirtualModems Ltd"},
        {{.manufacturer = "NOKIA TOKYO"}, &MFCSMS::Manuf, "NOKIA TOKYO"},  // OK inside a name
        {{.batteryState = 0, .batteryPercent = 64}, &MFCSMS::battery, "64%"},
        {{.batteryState = 1, .batteryPercent = 75}, &MFCSMS::battery, "75% ( Charging )"},
        {{.batteryState = 2}, &MFCSMS::battery, kNoBattery},
        {{.batteryState = 3}, &MFCSMS::battery, "Recognized power fault."},
        {{.batteryState = 5}, &MFCSMS::battery, "80"},  // another state gives the level
        {{.errorCommands = {"+CBC"}}, &MFCSMS::battery, kNoBattery},
        {{.signal = 8}, &MFCSMS::signal_str, "Low (8)"},
        {{.signal = 9}, &MFCSMS::signal_str, "Medium (9)"},
        {{.signal = 15}, &MFCSMS::signal_str, "Good (15)"},
        {{.signal = 19}, &MFCSMS::signal_str, "High (19)"},
        {{.signal = 99}, &MFCSMS::signal_str, "Unknown"},
        {{.signal = 37}, &MFCSMS::signal_str, "Unknown (37)"},
        {{.operatorName = "Nord Tel"}, &MFCSMS::oprator, "Nord Tel"},
        {{.operatorName = "23415", .operatorQuoted = false}, &MFCSMS::oprator, "0,2,23415"},
        {{}, &MFCSMS::def_smsc, kSca},
        {{.serviceCentreAnswer = ScA::Ucs2Hex}, &MFCSMS::def_smsc, kSca},
        {{.serviceCentreAnswer = ScA::Packed7Bit}, &MFCSMS::def_smsc, kSca},
        // type 145 without a blank after the comma stays without "+"; with one it gets it
        {{.serviceCentreAnswer = ScA::Unsigned}, &MFCSMS::def_smsc, "447785016005"},
        {{.serviceCentreAnswer = ScA::Unsigned, .serviceCentreTypeBlank = true},
         &MFCSMS::def_smsc,
         kSca},
        {{.serviceCentre = "0170123"}, &MFCSMS::def_smsc, "0170123"},
        {{.serviceCentreAnswer = ScA::NotSupportedOk}, &MFCSMS::def_smsc, "COMMAND NOT SUPPORT"},
        {{.serviceCentreAnswer = ScA::NotSupported}, &MFCSMS::def_smsc, ""},  // no answer
        {{.undefinedCommands = {"+GMI"}}, &MFCSMS::Manuf, "Virtual Modems Ltd"},
        {{.undefinedCommands = {"+GMM"}}, &MFCSMS::Model, "VM-1"},
        {{.undefinedCommands = {"+CGSN"}}, &MFCSMS::Port_IMEI, kImei},
        {{.undefinedCommands = {"+GMR"}}, &MFCSMS::revision, "VM-1.0.0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        openOn(row.config);
        channel.Reset_Device_Facts();
        ASSERT_TRUE(channel.Read_Ph_Values_NEW(fd));
        EXPECT_EQ(channel.*row.fact, row.expected);
    }
}

TEST_F(DeviceQueryTest, RefusedQuestionsKeepEarlierFactsButTheBatteryIsReported) {
    openOn({.errorCommands = {"+GMI", "+GMM", "+CGSN", "+CBC", "+CSQ", "+COPS", "+GMR", "+CSCA"}});
    QString MFCSMS::*const kept[] = {&MFCSMS::Manuf,      &MFCSMS::Model,   &MFCSMS::Port_IMEI,
                                     &MFCSMS::signal_str, &MFCSMS::oprator, &MFCSMS::revision,
                                     &MFCSMS::def_smsc};
    for (QString MFCSMS::*fact : kept) {
        channel.*fact = QStringLiteral("earlier");
    }
    EXPECT_TRUE(channel.Read_Ph_Values_NEW(fd));
    for (QString MFCSMS::*fact : kept) {
        EXPECT_EQ(channel.*fact, QStringLiteral("earlier"));
    }
    EXPECT_EQ(channel.battery, kNoBattery);
    // A refused question is not asked again in its older form.
    EXPECT_FALSE(modem->commands().contains(QStringLiteral("AT+CGMI")));
}

TEST_F(DeviceQueryTest, WithoutAPortNothingCanBeAsked) {
    openOn({});
    channel.Close_Port();
    channel.Manuf = QStringLiteral("earlier");
    EXPECT_FALSE(channel.Read_Ph_Values_NEW(fd));
    EXPECT_EQ(channel.Manuf, QStringLiteral("earlier"));
    EXPECT_EQ(channel.Get_IMEI_Number(fd), QString(""));
    EXPECT_FALSE(channel.Check_Msg_Sending_Supported(fd));
    EXPECT_FALSE(channel.More_SMS_Comnd(fd));
}

// ---- The small commands

TEST_F(DeviceQueryTest, ImeiAloneInEveryShape) {
    for (const auto& [config, expected] : {std::pair{Config{.imeiPrefix = "IMEI: "}, kImei},
                                           {Config{.undefinedCommands = {"+CGSN"}}, kImei},
                                           {Config{.errorCommands = {"+CGSN"}}, QString()},
                                           {Config{.imei = ""}, QString()}}) {
        openOn(config);
        EXPECT_EQ(channel.Get_IMEI_Number(fd), expected);
    }
}

TEST_F(DeviceQueryTest, SmsSupportNeedsBothSmsCommands) {
    openOn({.errorCommands = {"+CMGS"}});
    EXPECT_FALSE(channel.Check_Msg_Sending_Supported(fd));
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT+CSMS=?", "AT+CMGS=?"}));
}

TEST_F(DeviceQueryTest, ListedImeiIsFoundInsideALongerOne) {
    DeviceRecord listed;
    listed.imei = kImei;
    devices.Insert_port_in_List(listed);
    devices.Insert_port_in_List(DeviceRecord());  // an empty listed IMEI matches nothing
    EXPECT_TRUE(channel.Find_IMEI_already_listed(QStringLiteral("IMEI 356938035643809 01"), ""));
    EXPECT_FALSE(channel.Find_IMEI_already_listed(QStringLiteral("356938035643808"), ""));
    EXPECT_FALSE(channel.Find_IMEI_already_listed(QString(""), ""));
}

TEST_F(DeviceQueryTest, MessageFormatAndCharacterSetQuestions) {
    openOn({.modes = SmsModes::Text});  // starts in text mode
    channel.SET_CMGF_PDU_MODE(fd);      // refused by a text-only device
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("1"));
    EXPECT_TRUE(channel.GET_CSCS_Response(fd).contains(QStringLiteral("+CSCS: \"GSM\"")));
    EXPECT_TRUE(channel.GET_CSCS_SUPPORTEDResponse(fd).contains(QStringLiteral("\"UCS2\"")));
    openOn({});
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("0"));
    channel.SET_CMGF_TEXT_MODE(fd);
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("1"));
    openOn({.errorCommands = {"+CMGF", "+CSCS"}});
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd) + channel.GET_CSCS_Response(fd) +
                  channel.GET_CSCS_SUPPORTEDResponse(fd),
              QString(""));
}

TEST_F(DeviceQueryTest, ServiceCentreIsSetWithItsNumberTypeAndRestoredFromTheDeviceRecord) {
    openOn({});
    DeviceRecord other;
    other.path = QStringLiteral("/dev/ttyOther");
    other.defaultSmsc = QStringLiteral("+111");
    DeviceRecord mine;
    mine.path = QString::fromUtf8(path);
    mine.defaultSmsc = QStringLiteral("+4917012345");
    devices.Insert_port_in_List(other);
    devices.Insert_port_in_List(mine);

    channel.GET_And_SET_Cus_SMSC(-1, QStringLiteral("+999"), QString::fromUtf8(path));
    channel.GET_And_SET_Cus_SMSC(fd, QString(""), QString::fromUtf8(path));
    channel.GET_And_SET_Cus_SMSC(fd, QStringLiteral("+999"), QStringLiteral("/dev/ttyUnknown"));
    EXPECT_TRUE(modem->commands().isEmpty());

    channel.GET_And_SET_Cus_SMSC(fd, QStringLiteral("+999"), QString::fromUtf8(path));
    EXPECT_EQ(modem->commands(), QStringList({"AT+CMEE=1", "AT+CSCA=\"+4917012345\",145"}));

    // A national number goes with its own type; an empty one is not set at all.
    channel.SET_Custom_SMSC_Number(fd, QStringLiteral("079123456"));
    channel.SET_Custom_SMSC_Number(fd, QString(""));
    EXPECT_EQ(modem->commands().mid(2), QStringList({"AT+CMEE=1", "AT+CSCA=\"079123456\",129"}));
}

TEST_F(DeviceQueryTest, LinkKeepingCommand) {
    openOn({});
    EXPECT_TRUE(channel.More_SMS_Comnd(fd));
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT+CMMS=2"}));

    openOn({.errorCommands = {"+CMMS"}});
    EXPECT_FALSE(channel.More_SMS_Comnd(fd));
}

// ---- Records

// The keyed form the tables and the command line read: every key, its text, the modes' texts.
TEST(DeviceRecordTest, KeyedFieldsReadAsTheTablesShowThem) {
    DeviceRecord record;
    QString DeviceRecord::*const texts[] = {
        &DeviceRecord::portName,       &DeviceRecord::path,         &DeviceRecord::portStatus,
        &DeviceRecord::imei,           &DeviceRecord::manufacturer, &DeviceRecord::model,
        &DeviceRecord::battery,        &DeviceRecord::signal,       &DeviceRecord::operatorName,
        &DeviceRecord::revision,       &DeviceRecord::defaultSmsc,  &DeviceRecord::customSmsc,
        &DeviceRecord::supportedModes, &DeviceRecord::smsCapable};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        record.*texts[i] = QString::number(i);
    }
    record.ticked = record.useCustomSmsc = true;
    record.smsMode = SmsMode::Pdu;
    EXPECT_EQ(recordLine(record),
              QStringLiteral("true|0|1|2|3|4|5|6|7|8|9|10|11|Y|PDU Mode|12|13"));
    EXPECT_EQ(Device_Field(record, QStringLiteral("State")), QVariant(true));
    EXPECT_EQ(Device_Field(record, QStringLiteral("Extra")), QVariant(QString("")));
    EXPECT_EQ(recordLine(DeviceRecord()), QStringLiteral("false|||||||||||||N|||"));

    // The texts themselves are in the scan's rows; what is written is read back.
    for (const SmsMode mode : {SmsMode::NotAsked, SmsMode::Neither, SmsMode::Pdu, SmsMode::Text}) {
        EXPECT_EQ(Sms_Mode_From_Text(Sms_Mode_Text(mode)), mode)
            << Sms_Mode_Text(mode).toStdString();
    }
    EXPECT_EQ(Sms_Mode_From_Text(QStringLiteral("pdu mode")), SmsMode::NotAsked);
}

}  // namespace
