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

class DeviceQueryTest : public ModemChannelTest {
  protected:
    void SetUp() override {
        ModemChannelTest::SetUp();
        channel.Set_Device_List(&devices);
    }
    DeviceList devices;
};

// ---- One fact per answer shape

struct FactCase {
    const char* name;
    void (*configure)(Config&);
    QString MFCSMS::*fact;
    QString expected;
};

void PrintTo(const FactCase& c, std::ostream* os) {
    *os << c.name;
}

class FactShapes : public DeviceQueryTest, public ::testing::WithParamInterface<FactCase> {};

TEST_P(FactShapes, becomeTheExpectedFact) {
    Config config;
    GetParam().configure(config);
    openOn(config);
    ASSERT_TRUE(channel.Read_Ph_Values_NEW(fd));
    EXPECT_EQ(channel.*GetParam().fact, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FactShapes,
    ::testing::Values(
        FactCase{"without_echo", [](Config& c) { c.echo = false; }, &MFCSMS::Manuf,
                 QStringLiteral("Virtual Modems Ltd")},
        FactCase{"imei_word_dropped", [](Config& c) { c.imeiPrefix = QStringLiteral("IMEI: "); },
                 &MFCSMS::Port_IMEI, kImei},
        FactCase{"imei_word_without_colon",
                 [](Config& c) { c.imeiPrefix = QStringLiteral("IMEI "); }, &MFCSMS::Port_IMEI,
                 kImei},
        FactCase{"model_after_its_label",
                 [](Config& c) { c.model = QStringLiteral("MODEL: VX-200 Pro"); },
                 &MFCSMS::Model, QStringLiteral("VX-200 Pro")},
        FactCase{"maker_without_control_characters",
                 [](Config& c) { c.manufacturer = QStringLiteral("Virtual\r Modems\x01 Ltd\x1a"); },
                 &MFCSMS::Manuf, QStringLiteral("Virtual Modems Ltd")},
        FactCase{"maker_keeps_ok_inside_its_name",
                 [](Config& c) { c.manufacturer = QStringLiteral("NOKIA TOKYO"); },
                 &MFCSMS::Manuf, QStringLiteral("NOKIA TOKYO")},
        FactCase{"battery_on_battery",
                 [](Config& c) {
                     c.batteryState = 0;
                     c.batteryPercent = 64;
                 },
                 &MFCSMS::battery, QStringLiteral("64%")},
        FactCase{"battery_charging",
                 [](Config& c) {
                     c.batteryState = 1;
                     c.batteryPercent = 75;
                 },
                 &MFCSMS::battery, QStringLiteral("75% ( Charging )")},
        FactCase{"battery_none", [](Config& c) { c.batteryState = 2; }, &MFCSMS::battery,
                 kNoBattery},
        FactCase{"battery_power_fault", [](Config& c) { c.batteryState = 3; }, &MFCSMS::battery,
                 QStringLiteral("Recognized power fault.")},
        FactCase{"battery_other_state_gives_the_level", [](Config& c) { c.batteryState = 5; },
                 &MFCSMS::battery, QStringLiteral("80")},
        FactCase{"battery_unanswered",
                 [](Config& c) { c.errorCommands = {QStringLiteral("+CBC")}; }, &MFCSMS::battery,
                 kNoBattery},
        FactCase{"signal_8", [](Config& c) { c.signal = 8; }, &MFCSMS::signal_str,
                 QStringLiteral("Low (8)")},
        FactCase{"signal_9", [](Config& c) { c.signal = 9; }, &MFCSMS::signal_str,
                 QStringLiteral("Medium (9)")},
        FactCase{"signal_15", [](Config& c) { c.signal = 15; }, &MFCSMS::signal_str,
                 QStringLiteral("Good (15)")},
        FactCase{"signal_19", [](Config& c) { c.signal = 19; }, &MFCSMS::signal_str,
                 QStringLiteral("High (19)")},
        FactCase{"signal_99", [](Config& c) { c.signal = 99; }, &MFCSMS::signal_str,
                 QStringLiteral("Unknown")},
        FactCase{"signal_37_is_no_level", [](Config& c) { c.signal = 37; }, &MFCSMS::signal_str,
                 QStringLiteral("Unknown (37)")},
        FactCase{"operator_quoted", [](Config& c) { c.operatorName = QStringLiteral("Nord Tel"); },
                 &MFCSMS::oprator, QStringLiteral("Nord Tel")},
        FactCase{"operator_numeric_without_quotes",
                 [](Config& c) {
                     c.operatorQuoted = false;
                     c.operatorName = QStringLiteral("23415");
                 },
                 &MFCSMS::oprator, QStringLiteral("0,2,23415")},
        FactCase{"sca_plain", [](Config&) {}, &MFCSMS::def_smsc, QStringLiteral("+447785016005")},
        FactCase{"sca_ucs2_hex",
                 [](Config& c) { c.serviceCentreAnswer = ServiceCentreAnswer::Ucs2Hex; },
                 &MFCSMS::def_smsc, QStringLiteral("+447785016005")},
        FactCase{"sca_packed_septets",
                 [](Config& c) { c.serviceCentreAnswer = ServiceCentreAnswer::Packed7Bit; },
                 &MFCSMS::def_smsc, QStringLiteral("+447785016005")},
        FactCase{"sca_145_without_blank_stays_without_plus",
                 [](Config& c) { c.serviceCentreAnswer = ServiceCentreAnswer::Unsigned; },
                 &MFCSMS::def_smsc, QStringLiteral("447785016005")},
        FactCase{"sca_145_with_blank_gets_plus",
                 [](Config& c) {
                     c.serviceCentreAnswer = ServiceCentreAnswer::Unsigned;
                     c.serviceCentreTypeBlank = true;
                 },
                 &MFCSMS::def_smsc, QStringLiteral("+447785016005")},
        FactCase{"sca_without_the_cr_inside_it",
                 [](Config& c) { c.serviceCentre = QStringLiteral("+4477\r85016005"); },
                 &MFCSMS::def_smsc, QStringLiteral("+447785016005")},
        FactCase{"sca_national_number",
                 [](Config& c) { c.serviceCentre = QStringLiteral("0170123"); },
                 &MFCSMS::def_smsc, QStringLiteral("0170123")},
        FactCase{"sca_not_supported_then_ok",
                 [](Config& c) { c.serviceCentreAnswer = ServiceCentreAnswer::NotSupportedOk; },
                 &MFCSMS::def_smsc, QStringLiteral("COMMAND NOT SUPPORT")},
        FactCase{"sca_not_supported_alone_is_no_answer",
                 [](Config& c) { c.serviceCentreAnswer = ServiceCentreAnswer::NotSupported; },
                 &MFCSMS::def_smsc, QString("")}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Whole questioning

TEST_F(DeviceQueryTest, EchoingDeviceYieldsCleanFacts) {
    Config config;  // echoes every command
    config.batteryPercent = 55;
    config.signal = 21;
    openOn(config);
    ASSERT_TRUE(channel.Read_Ph_Values_NEW(fd));
    EXPECT_EQ(channel.Manuf, QStringLiteral("Virtual Modems Ltd"));
    EXPECT_EQ(channel.Model, QStringLiteral("VM-1"));
    EXPECT_EQ(channel.Port_IMEI, kImei);
    EXPECT_EQ(channel.battery, QStringLiteral("55%"));
    EXPECT_EQ(channel.signal_str, QStringLiteral("High (21)"));
    EXPECT_EQ(channel.oprator, QStringLiteral("Test Network"));
    EXPECT_EQ(channel.revision, QStringLiteral("VM-1.0.0"));
    EXPECT_EQ(channel.def_smsc, QStringLiteral("+447785016005"));
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT+GMI", "AT+GMM", "AT+CGSN", "AT+CBC",
                                              "AT+CSQ", "AT+COPS?", "AT+GMR", "AT+CSCA?"}));
}

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
        Config config;
        config.undefinedCommands = {c.refused};
        openOn(config);
        channel.Reset_Device_Facts();
        ASSERT_TRUE(channel.Read_Ph_Values_NEW(fd));
        EXPECT_EQ(channel.*c.fact, c.expected) << c.refused.toStdString();
        EXPECT_TRUE(modem->commands().contains(c.fallback)) << c.fallback.toStdString();
        channel.Close_Port();
    }
}

TEST_F(DeviceQueryTest, RefusedQuestionsKeepEarlierFactsButTheBatteryIsReported) {
    Config config;
    config.errorCommands = {"+GMI", "+GMM", "+CGSN", "+CBC", "+CSQ", "+COPS", "+GMR", "+CSCA"};
    openOn(config);
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
        const char* name;
        void (*configure)(Config&);
        QString expected;
        const char* lastCommand;
    } cases[] = {
        {"plain", [](Config&) {}, kImei, "AT+CGSN"},
        {"word", [](Config& c) { c.imeiPrefix = QStringLiteral("IMEI: "); }, kImei, "AT+CGSN"},
        {"undefined", [](Config& c) { c.undefinedCommands = {QStringLiteral("+CGSN")}; }, kImei,
         "AT+GSN"},
        {"refused", [](Config& c) { c.errorCommands = {QStringLiteral("+CGSN")}; }, QString(""),
         "AT+CGSN"},
        {"empty", [](Config& c) { c.imei = QString(""); }, QString(""), "AT+CGSN"},
    };
    for (const auto& c : cases) {
        Config config;
        c.configure(config);
        openOn(config);
        EXPECT_EQ(channel.Get_IMEI_Number(fd), c.expected) << c.name;
        EXPECT_EQ(modem->commands().value(0), QStringLiteral("AT")) << c.name;
        EXPECT_EQ(modem->commands().last(), QString::fromLatin1(c.lastCommand)) << c.name;
        channel.Close_Port();
    }
}

TEST_F(DeviceQueryTest, SmsSupportNeedsBothSmsCommands) {
    const struct {
        const char* name;
        void (*configure)(Config&);
        bool supported;
    } cases[] = {
        {"supported", [](Config&) {}, true},
        {"no_sms", [](Config& c) { c.smsSupported = false; }, false},
        {"cmgs_refused", [](Config& c) { c.errorCommands = {QStringLiteral("+CMGS")}; }, false},
    };
    for (const auto& c : cases) {
        Config config;
        c.configure(config);
        openOn(config);
        EXPECT_EQ(channel.Check_Msg_Sending_Supported(fd), c.supported) << c.name;
        channel.Close_Port();
    }
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT+CSMS=?", "AT+CMGS=?"}));
}

TEST_F(DeviceQueryTest, ListedImeiIsFoundInsideALongerOne) {
    for (const QString& listed : {QStringLiteral("356938035643809"), QString("")}) {
        DeviceRecord record;
        record.setValue(QStringLiteral("IMEI"), listed);
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
    Config config;
    config.modes = SmsModes::Text;  // starts in text mode
    openOn(config);
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

    config = Config{};
    config.errorCommands = {QStringLiteral("+CMGF"), QStringLiteral("+CSCS")};
    openOn(config);
    EXPECT_EQ(channel.Get_Selected_CMGF_Mode(fd), QString(""));
    EXPECT_EQ(channel.GET_CSCS_Response(fd), QString(""));
    EXPECT_EQ(channel.GET_CSCS_SUPPORTEDResponse(fd), QString(""));
}

TEST_F(DeviceQueryTest, ServiceCentreIsSetWithItsNumberType) {
    const struct {
        QString number;
        QStringList sent;
    } cases[] = {
        {QStringLiteral("+4479123456"), {"AT+CMEE=1", "AT+CSCA=\"+4479123456\",145"}},
        {QStringLiteral("079123456"), {"AT+CMEE=1", "AT+CSCA=\"079123456\",129"}},
        {QString(""), {}},
    };
    for (const auto& c : cases) {
        openOn({});
        channel.SET_Custom_SMSC_Number(fd, c.number);
        EXPECT_EQ(modem->commands(), c.sent) << c.number.toStdString();
        channel.Close_Port();
    }
}

TEST_F(DeviceQueryTest, DefaultServiceCentreIsRestoredFromTheDeviceRecord) {
    openOn({});
    DeviceRecord other;
    other.setValue(QStringLiteral("PORT_DETAL"), QStringLiteral("/dev/ttyOther"));
    other.setValue(QStringLiteral("DefSMSC"), QStringLiteral("+111"));
    DeviceRecord mine;
    mine.setValue(QStringLiteral("PORT_DETAL"), QString::fromUtf8(path));
    mine.setValue(QStringLiteral("DefSMSC"), QStringLiteral("+4917012345"));
    devices.Insert_port_in_List(other);
    devices.Insert_port_in_List(mine);

    channel.GET_And_SET_Cus_SMSC(-1, QStringLiteral("+999"), QString::fromUtf8(path));
    channel.GET_And_SET_Cus_SMSC(fd, QString(""), QString::fromUtf8(path));
    channel.GET_And_SET_Cus_SMSC(fd, QStringLiteral("+999"), QStringLiteral("/dev/ttyUnknown"));
    EXPECT_TRUE(modem->commands().isEmpty());

    channel.GET_And_SET_Cus_SMSC(fd, QStringLiteral("+999"), QString::fromUtf8(path));
    EXPECT_EQ(modem->commands(), QStringList({"AT+CMEE=1", "AT+CSCA=\"+4917012345\",145"}));
}

TEST_F(DeviceQueryTest, LinkKeepingCommand) {
    openOn({});
    EXPECT_TRUE(channel.More_SMS_Comnd(fd));
    EXPECT_EQ(modem->commands(), QStringList({"AT", "AT+CMMS=2"}));
    channel.Close_Port();

    Config config;
    config.errorCommands = {QStringLiteral("+CMMS")};
    openOn(config);
    EXPECT_FALSE(channel.More_SMS_Comnd(fd));
}

// ---- Records

TEST_F(DeviceQueryTest, RecordFromFactsHasEveryKeyInScanOrder) {
    // (The scan tests check every value; here each fact must land under its own key.)
    channel.Reset_Device_Facts();
    channel.Port_Det = QStringLiteral("/dev/ttyUSB0");
    channel.sup_sms_mode = QStringLiteral(";PDU Mode;");
    const DeviceRecord record = channel.Device_Record_From_Facts();
    EXPECT_EQ(record.keys(), DeviceRecord::Keys());
    EXPECT_EQ(record.value(QStringLiteral("State")), QVariant(false));
    EXPECT_EQ(record.text(QStringLiteral("PORT_DETAL")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(record.text(QStringLiteral("UseCusSMSC")), QStringLiteral("N"));
    EXPECT_EQ(record.text(QStringLiteral("SUPSMSMode")), QStringLiteral(";PDU Mode;"));
    EXPECT_EQ(record.text(QStringLiteral("SMSMode")), QString(""));
}

TEST(DeviceRecordTest, KeysStayInScanOrderAndMissingKeysReadEmpty) {
    DeviceRecord record;
    record.setValue(QStringLiteral("Extra"), QStringLiteral("x"));
    record.setValue(QStringLiteral("IMEI"), QStringLiteral("1"));
    record.setValue(QStringLiteral("COM_PORT"), QStringLiteral("VM0"));
    record.setValue(QStringLiteral("State"), true);
    record.setValue(QStringLiteral("IMEI"), QStringLiteral("2"));
    EXPECT_EQ(record.keys(), QStringList({"State", "COM_PORT", "IMEI", "Extra"}));
    EXPECT_EQ(record.text(QStringLiteral("IMEI")), QStringLiteral("2"));
    EXPECT_TRUE(record.contains(QStringLiteral("Extra")));
    EXPECT_FALSE(record.contains(QStringLiteral("Model")));
    EXPECT_EQ(record.text(QStringLiteral("Model")), QString(""));
    EXPECT_EQ(DeviceRecord().value(QStringLiteral("State")), QVariant(false));
}

TEST(DeviceListTest, RowsAreReplacedAndFoundByPortDetail) {
    DeviceList list;
    auto row = [](const char* path, const char* model) {
        DeviceRecord record;
        record.setValue(QStringLiteral("PORT_DETAL"), QString::fromLatin1(path));
        record.setValue(QStringLiteral("Model"), QString::fromLatin1(model));
        return record;
    };
    list.Insert_port_in_List(row("/dev/a", "first"));
    list.Insert_port_in_List(row("/dev/b", "second"));
    list.Insert_port_in_List(row("/dev/a", "duplicate"));
    EXPECT_TRUE(list.Replace_By_Port_Detail(row("/dev/a", "new")));
    EXPECT_FALSE(list.Replace_By_Port_Detail(row("/dev/c", "none")));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.records().at(0).text(QStringLiteral("Model")), QStringLiteral("new"));
    EXPECT_EQ(list.records().at(2).text(QStringLiteral("Model")), QStringLiteral("duplicate"));
    EXPECT_EQ(list.Find_By_Port_Detail(QStringLiteral("/dev/b")).text(QStringLiteral("Model")),
              QStringLiteral("second"));
    EXPECT_TRUE(list.Find_By_Port_Detail(QStringLiteral("/dev/c")).keys().isEmpty());
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

}  // namespace
