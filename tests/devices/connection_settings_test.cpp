// The connection settings rules: custom service-centre and test-number validation, the details
// text, and the settings controls writing into the highlighted record.
#include "devices/connection_settings.h"
#include "devices/device_details.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace {

using tesk::devices::ConnectionSettings;
using tesk::test::ScriptedDialogs;

TEST(CustomSmsc, ValidationTable) {
    struct Case {
        const char* field;
        bool valid;
        const char* stored;
    };
    const Case cases[] = {
        {"+65 1234-5678", true, "+6512345678"},
        {"  0044 20 7946 0000 ", true, "00442079460000"},
        {"0044+2079", false, ""},              // a plus after the start
        {" - - ", false, ""},                  // nothing left after cleaning
        {"123456789012345678901", false, ""},  // 21 digits
        {"12345678901234567890", true, "12345678901234567890"},
        {"+44,7785", false, ""},  // the list separator is no number character here
    };
    for (const Case& c : cases) {
        QString stored = QStringLiteral("untouched");  // an invalid number stores nothing
        EXPECT_EQ(tesk::devices::Valid_Custom_Smsc(QString::fromUtf8(c.field), &stored), c.valid)
            << c.field;
        EXPECT_EQ(stored, c.valid ? QString::fromUtf8(c.stored) : QStringLiteral("untouched"));
    }
}

TEST(TestNumber, ValidationTable) {
    for (const char* valid : {"+447700900123", " 07700900123 "}) {
        EXPECT_TRUE(tesk::devices::Valid_Test_Number(QString::fromUtf8(valid))) << valid;
    }
    for (const char* invalid : {"0044+7700", "", "07700 900123", "44AB", "123456789012345678901"}) {
        EXPECT_FALSE(tesk::devices::Valid_Test_Number(QString::fromUtf8(invalid))) << invalid;
    }
}

TEST(DeviceDetails, SupportedModeLineAndLayout) {
    // Both modes show in the details below.
    const auto line = [](const char* supported) {
        return tesk::devices::Supported_Mode_Text(QString::fromUtf8(supported));
    };
    EXPECT_EQ(line(";PDU Mode;"), QStringLiteral("PDU Mode"));
    EXPECT_EQ(line(";Text Mode;"), QStringLiteral("Text Mode"));
    EXPECT_EQ(line("NONE"), QStringLiteral("None"));
    DeviceRecord record;
    record.portName = QStringLiteral("USB0");
    EXPECT_EQ(tesk::devices::Device_Details_Text(record), QString(""));  // no path: nothing
    record.path = QStringLiteral("/dev/ttyUSB0");
    record.manufacturer = QStringLiteral("Maker");
    record.model = QStringLiteral("M1");
    record.revision = QStringLiteral("R2");
    record.supportedModes = QStringLiteral(";PDU Mode;Text Mode;");
    record.battery = QStringLiteral("80%");
    record.defaultSmsc = QStringLiteral("+4477");
    record.operatorName = QStringLiteral("23410");
    record.signal = QStringLiteral("20");
    EXPECT_EQ(tesk::devices::Device_Details_Text(record),
              QStringLiteral("COM Port : USB0\r\nManufacturer : Maker\r\nModel : M1\r\nRevision : "
                             "R2\r\nSupported SMS Mode : PDU Mode & Text Mode\r\nBattery : "
                             "80%\r\nDefault SMSC No. : +4477\r\nOperator Code : 23410\r\nSignal "
                             "Quality : 20\r\n"));
}

// A window with one highlighted record.
class SettingsHostStub final : public tesk::devices::SettingsHost {
  public:
    SettingsHostStub() { record.smsMode = SmsMode::Pdu; }
    QString Highlighted_Path() const override { return QStringLiteral("/dev/ttyUSB0"); }
    void Update_Column_Value(const QString& path,
                             const std::function<void(DeviceRecord&)>& change) override {
        ASSERT_EQ(path, Highlighted_Path());
        change(record);
    }
    void settingsChanged() override {}
    DeviceRecord record;
};

class ConnectionSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { settings.Show_Row_Settings(host.record); }
    SettingsHostStub host;
    ConnectionSettings settings{&host};
    ScriptedDialogs dialogs;
};

// A row marked for its custom centre but without one shows the box off; a row without a mode
// shows neither mode, whatever the row before had.
TEST_F(ConnectionSettingsTest, ShowingARowFollowsItsRecord) {
    DeviceRecord row = host.record;
    row.useCustomSmsc = true;
    row.customSmsc = QStringLiteral("+4412");
    row.smsMode = SmsMode::Text;
    settings.Show_Row_Settings(row);
    EXPECT_TRUE(settings.fields().customChecked);
    EXPECT_EQ(settings.fields().customSmsc, QStringLiteral("+4412"));
    EXPECT_TRUE(settings.fields().textOn);
    row.customSmsc = QString("");
    row.smsMode = SmsMode::Neither;
    settings.Show_Row_Settings(row);
    EXPECT_FALSE(settings.fields().customChecked);
    EXPECT_FALSE(settings.fields().pduOn || settings.fields().textOn);
}

TEST_F(ConnectionSettingsTest, CheckBoxStoresACleanedNumberAndClearsItWhenTurnedOff) {
    settings.Set_Custom_Field(QStringLiteral("+44 7785-016 009"));
    settings.Custom_SMSC_Pressed(true);
    EXPECT_EQ(host.record.customSmsc, QStringLiteral("+447785016009"));
    EXPECT_TRUE(host.record.useCustomSmsc);

    settings.Custom_SMSC_Pressed(false);
    EXPECT_EQ(host.record.customSmsc, QString(""));
    EXPECT_FALSE(host.record.useCustomSmsc);
    EXPECT_EQ(settings.fields().customSmsc, QString(""));

    // Turning it on with an empty field asks nothing and stores nothing yet; the number typed
    // afterwards is stored as soon as it is a valid one, cleaned.
    settings.Custom_SMSC_Pressed(true);
    EXPECT_FALSE(host.record.useCustomSmsc);
    settings.Set_Custom_Field(QStringLiteral("+44 77"));
    settings.Set_Custom_Field(QStringLiteral("+44 7785-016 010"));
    EXPECT_EQ(host.record.customSmsc, QStringLiteral("+447785016010"));
    EXPECT_TRUE(host.record.useCustomSmsc);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

// Text mode is explained once when chosen, and refused while the custom number is invalid.
TEST_F(ConnectionSettingsTest, TextModeIsExplainedOnceAndRefusedWithAnInvalidCustomNumber) {
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kTextModeInformation);
    settings.Text_Mode_Radio();
    EXPECT_EQ(host.record.smsMode, SmsMode::Text);
    settings.Text_Mode_Radio();  // already chosen: nothing shown
    settings.PDU_Mode_Radio();
    EXPECT_EQ(host.record.smsMode, SmsMode::Pdu);

    settings.Set_Custom_Field(QStringLiteral("0044+1"));
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kInvalidSmsc);
    settings.Custom_SMSC_Pressed(true);
    dialogs.expectNotice(QStringLiteral("\n") + tesk::devices::kInvalidSmsc);
    settings.Text_Mode_Radio();
    EXPECT_EQ(host.record.smsMode, SmsMode::Pdu);
    EXPECT_FALSE(host.record.useCustomSmsc);
}

}  // namespace
