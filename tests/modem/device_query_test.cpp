// Device questioning and the small device-side commands, against virtual modems answering in
// the shapes real devices use.
#include "modem_test_support.h"

namespace {

using tesk::test::ModemChannelTest;
using tesk::vmodem::Config;
using tesk::vmodem::ServiceCentreAnswer;
using tesk::vmodem::SmsModes;

const QString kImei = QStringLiteral("356938035643809");
const QString kNoBattery = QStringLiteral("Device does not have a battery connected.");

using DeviceQueryTest = ModemChannelTest;

// ---- One fact per answer shape

using ScA = ServiceCentreAnswer;
const QString kSca = QStringLiteral("+447785016005");

// Each row a modem answering one question in its own shape, and the fact read from it.
TEST_F(DeviceQueryTest, FactShapesBecomeTheExpectedFact) {
    const struct {
        const char* name;
        Config config;
        QString MFCSMS::*fact;
        QString expected;
    } rows[] = {
        {"without_echo", {.echo = false}, &MFCSMS::Manuf, "Virtual Modems Ltd"},
        {"imei_word_dropped", {.imeiPrefix = "IMEI: "}, &MFCSMS::Port_IMEI, kImei},
        {"imei_word_without_colon", {.imeiPrefix = "IMEI "}, &MFCSMS::Port_IMEI, kImei},
        {"model_after_its_label", {.model = "MODEL: VX-200 Pro"}, &MFCSMS::Model, "VX-200 Pro"},
        {"maker_without_control_characters",
         {.manufacturer = "Virtual\r Modems\x01 Ltd\x1a"},
         &MFCSMS::Manuf,
         "Virtual Modems Ltd"},
        {"maker_without_line_ends_spelled_out",
         {.manufacturer = "Virtual\\r\\nModems\\n Ltd\\r"},
         &MFCSMS::Manuf,
         "VirtualModems Ltd"},
        {"maker_keeps_ok_inside_its_name",
         {.manufacturer = "NOKIA TOKYO"},
         &MFCSMS::Manuf,
         "NOKIA TOKYO"},
        {"battery_on_battery", {.batteryState = 0, .batteryPercent = 64}, &MFCSMS::battery, "64%"},
        {"battery_charging",
         {.batteryState = 1, .batteryPercent = 75},
         &MFCSMS::battery,
         "75% ( Charging )"},
        {"battery_none", {.batteryState = 2}, &MFCSMS::battery, kNoBattery},
        {"battery_power_fault", {.batteryState = 3}, &MFCSMS::battery, "Recognized power fault."},
        {"battery_other_state_gives_the_level", {.batteryState = 5}, &MFCSMS::battery, "80"},
        {"battery_unanswered", {.errorCommands = {"+CBC"}}, &MFCSMS::battery, kNoBattery},
        {"signal_8", {.signal = 8}, &MFCSMS::signal_str, "Low (8)"},
        {"signal_9", {.signal = 9}, &MFCSMS::signal_str, "Medium (9)"},
        {"signal_15", {.signal = 15}, &MFCSMS::signal_str, "Good (15)"},
        {"signal_19", {.signal = 19}, &MFCSMS::signal_str, "High (19)"},
        {"signal_99", {.signal = 99}, &MFCSMS::signal_str, "Unknown"},
        {"signal_37_is_no_level", {.signal = 37}, &MFCSMS::signal_str, "Unknown (37)"},
        {"operator_quoted", {.operatorName = "Nord Tel"}, &MFCSMS::oprator, "Nord Tel"},
        {"operator_numeric_without_quotes",
         {.operatorName = "23415", .operatorQuoted = false},
         &MFCSMS::oprator,
         "0,2,23415"},
        {"sca_plain", {}, &MFCSMS::def_smsc, kSca},
        {"sca_ucs2_hex", {.serviceCentreAnswer = ScA::Ucs2Hex}, &MFCSMS::def_smsc, kSca},
        {"sca_packed_septets", {.serviceCentreAnswer = ScA::Packed7Bit}, &MFCSMS::def_smsc, kSca},
        {"sca_145_without_blank_stays_without_plus",
         {.serviceCentreAnswer = ScA::Unsigned},
         &MFCSMS::def_smsc,
         "447785016005"},
        {"sca_145_with_blank_gets_plus",
         {.serviceCentreAnswer = ScA::Unsigned, .serviceCentreTypeBlank = true},
         &MFCSMS::def_smsc,
         kSca},
        {"sca_without_the_cr_inside_it",
         {.serviceCentre = "+4477\r85016005"},
         &MFCSMS::def_smsc,
         kSca},
        {"sca_national_number", {.serviceCentre = "0170123"}, &MFCSMS::def_smsc, "0170123"},
        {"sca_not_supported_then_ok",
         {.serviceCentreAnswer = ScA::NotSupportedOk},
         &MFCSMS::def_smsc,
         "COMMAND NOT SUPPORT"},
        {"sca_not_supported_alone_is_no_answer",
         {.serviceCentreAnswer = ScA::NotSupported},
         &MFCSMS::def_smsc,
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        openOn(row.config);
        channel.Reset_Device_Facts();
        ASSERT_TRUE(channel.Read_Ph_Values_NEW(fd));
        EXPECT_EQ(channel.*row.fact, row.expected);
    }
}

// ---- Whole questioning

TEST_F(DeviceQueryTest, UndefinedAnswersAreAskedAgainWithTheOlderCommand) {
    const struct {
        QString refused;
        QString fallback;
        QString MFCSMS::*fact;
        QString expected;
    } cases[] = {
        {"+GMI", "AT+CGMI", &MFCSMS::Manuf, QStringLiteral("Virtual Modems Ltd")},
        {"+GMM", "AT+CGMM", &MFCSMS::Model, QStringLiteral("VM-1")},
        {"+CGSN", "AT+GSN", &MFCSMS::Port_IMEI, kImei},
        {"+GMR", "AT+CGMR", &MFCSMS::revision, QStringLiteral("VM-1.0.0")},
    };
    for (const auto& c : cases) {
        openOn({.undefinedCommands = {c.refused}});
        channel.Reset_Device_Facts();
        ASSERT_TRUE(channel.Read_Ph_Values_NEW(fd));
        EXPECT_EQ(channel.*c.fact, c.expected) << c.refused.toStdString();
        EXPECT_TRUE(modem->commands().contains(c.fallback)) << c.fallback.toStdString();
        channel.Close_Port();
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
    const struct {
        Config config;
        QString expected;
        const char* lastCommand;
    } cases[] = {
        {{}, kImei, "AT+CGSN"},
        {{.imeiPrefix = "IMEI: "}, kImei, "AT+CGSN"},
        {{.undefinedCommands = {"+CGSN"}}, kImei, "AT+GSN"},
        {{.errorCommands = {"+CGSN"}}, "", "AT+CGSN"},
        {{.imei = ""}, "", "AT+CGSN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastCommand);
        openOn(c.config);
        EXPECT_EQ(channel.Get_IMEI_Number(fd), c.expected);
        EXPECT_EQ(modem->commands().value(0), QStringLiteral("AT"));
        EXPECT_EQ(modem->commands().last(), QString::fromLatin1(c.lastCommand));
    }
}

TEST_F(DeviceQueryTest, SmsSupportNeedsBothSmsCommands) {
    for (const auto& [config, supported] : {std::pair{Config{}, true},
                                            {Config{.smsSupported = false}, false},
                                            {Config{.errorCommands = {"+CMGS"}}, false}}) {
        openOn(config);
        EXPECT_EQ(channel.Check_Msg_Sending_Supported(fd), supported);
    }
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT+CSMS=?", "AT+CMGS=?"}));
}

TEST_F(DeviceQueryTest, ListedImeiIsFoundInsideALongerOne) {
    for (const QString& listed : {QStringLiteral("356938035643809"), QString("")}) {
        DeviceRecord record;
        record.imei = listed;
        devices.Insert_port_in_List(record);
    }
    const struct {
        QString imei;
        bool listed;
    } cases[] = {
        {kImei, true},
        {QStringLiteral("IMEI 356938035643809 01"), true},
        {QStringLiteral("356938035643808"), false},
        {QString(""), false},  // the empty listed IMEI matches nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(channel.Find_IMEI_already_listed(c.imei, QStringLiteral("/dev/ttyX")), c.listed)
            << c.imei.toStdString();
    }
}

TEST_F(DeviceQueryTest, MessageFormatAndCharacterSetQuestions) {
    openOn({.modes = SmsModes::Text});  // starts in text mode
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("1"));
    channel.SET_CMGF_PDU_MODE(fd);  // refused by a text-only device
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("1"));
    EXPECT_TRUE(channel.GET_CSCS_Response(fd).contains(QStringLiteral("+CSCS: \"GSM\"")));
    EXPECT_TRUE(channel.GET_CSCS_SUPPORTEDResponse(fd).contains(QStringLiteral("\"UCS2\"")));
    channel.Close_Port();

    openOn({});
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("0"));
    channel.SET_CMGF_TEXT_MODE(fd);
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QStringLiteral("1"));
    EXPECT_TRUE(modem->commands().contains(QStringLiteral("AT+CMGF=1")));
    channel.Close_Port();

    openOn({.errorCommands = {"+CMGF", "+CSCS"}});
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QString(""));
    EXPECT_EQ(channel.GET_CSCS_Response(fd), QString(""));
    EXPECT_EQ(channel.GET_CSCS_SUPPORTEDResponse(fd), QString(""));
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
    channel.Close_Port();

    openOn({.errorCommands = {"+CMMS"}});
    EXPECT_FALSE(channel.More_SMS_Comnd(fd));
}

// ---- Records

// The keyed form the tables and the command line read: every key, its text, the modes' texts.
TEST(DeviceRecordTest, KeyedFieldsReadAsTheTablesShowThem) {
    DeviceRecord record;
    record.ticked = true;
    record.portName = QStringLiteral("VM0");
    record.path = QStringLiteral("/dev/ttyVM0");
    record.portStatus = QStringLiteral("status");
    record.imei = QStringLiteral("356938035643809");
    record.manufacturer = QStringLiteral("Maker");
    record.model = QStringLiteral("M-1");
    record.battery = QStringLiteral("80%");
    record.signal = QStringLiteral("Good (16)");
    record.operatorName = QStringLiteral("Net");
    record.revision = QStringLiteral("1.0");
    record.defaultSmsc = QStringLiteral("+111");
    record.customSmsc = QStringLiteral("+222");
    record.useCustomSmsc = true;
    record.smsMode = SmsMode::Pdu;
    record.supportedModes = QStringLiteral(";PDU Mode;Text Mode;");
    record.smsCapable = QStringLiteral("Yes");
    const QList<std::pair<QString, QVariant>> expected = {
        {"State", true},
        {"COM_PORT", "VM0"},
        {"PORT_DETAL", "/dev/ttyVM0"},
        {"PORT_STATUS", "status"},
        {"IMEI", "356938035643809"},
        {"Manufacture", "Maker"},
        {"Model", "M-1"},
        {"Battery", "80%"},
        {"Signal", "Good (16)"},
        {"Operator", "Net"},
        {"Revision", "1.0"},
        {"DefSMSC", "+111"},
        {"CusSMSC", "+222"},
        {"UseCusSMSC", "Y"},
        {"SMSMode", "PDU Mode"},
        {"SUPSMSMode", ";PDU Mode;Text Mode;"},
        {"SMS_CAPABLE", "Yes"},
    };
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(Device_Field(record, key), value);
    }
    EXPECT_EQ(Device_Field(record, QStringLiteral("Extra")), QVariant(QString("")));

    const DeviceRecord empty;
    EXPECT_EQ(Device_Field(empty, QStringLiteral("State")), QVariant(false));
    EXPECT_EQ(Device_Field(empty, QStringLiteral("UseCusSMSC")), QVariant(QStringLiteral("N")));
    EXPECT_EQ(Device_Field(empty, QStringLiteral("SMSMode")), QVariant(QString("")));

    const struct {
        SmsMode mode;
        const char* text;
    } modes[] = {{SmsMode::NotAsked, ""},
                 {SmsMode::Neither, "NONE"},
                 {SmsMode::Pdu, "PDU Mode"},
                 {SmsMode::Text, "Text Mode"}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.text);
        EXPECT_EQ(Sms_Mode_Text(m.mode), QString::fromLatin1(m.text));
        EXPECT_EQ(Sms_Mode_From_Text(QString::fromLatin1(m.text)), m.mode);
    }
    EXPECT_EQ(Sms_Mode_From_Text(QStringLiteral("pdu mode")), SmsMode::NotAsked);
}

TEST(DeviceListTest, RowsAreReplacedAndFoundByPortDetail) {
    DeviceList list;
    auto row = [](const char* path, const char* model) {
        DeviceRecord record;
        record.path = QString::fromLatin1(path);
        record.model = QString::fromLatin1(model);
        return record;
    };
    list.Insert_port_in_List(row("/dev/a", "first"));
    list.Insert_port_in_List(row("/dev/b", "second"));
    list.Insert_port_in_List(row("/dev/a", "duplicate"));
    EXPECT_TRUE(list.Replace_By_Port_Detail(row("/dev/a", "new")));
    EXPECT_FALSE(list.Replace_By_Port_Detail(row("/dev/c", "none")));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.records().at(0).model, QStringLiteral("new"));
    EXPECT_EQ(list.records().at(2).model, QStringLiteral("duplicate"));
    EXPECT_EQ(list.Find_By_Port_Detail(QStringLiteral("/dev/b")).model, QStringLiteral("second"));
    EXPECT_EQ(list.Find_By_Port_Detail(QStringLiteral("/dev/c")), DeviceRecord());
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

}  // namespace
