#include "appcore/help_document.h"
#include "appcore_test_support.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "modem/mfcsms.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tesk::test::RecordingAppView;
using tesk::test::ScopedEnv;
using tesk::test::ScriptedDialogs;

class StartUp : public ::testing::Test {
  protected:
    QTemporaryDir temp;
    ScopedEnv resource{"TESK_SMS_RESOURCE_DIR", temp.path()};
    RecordingAppView view;
};

// Init gives each controller its own channel apart from the refilled table, and Load runs the
// start up to the point where launching shows the GSM composer and then the mode window.
TEST_F(StartUp, InitGivesEachControllerItsOwnChannelAndLaunchingOpensTheModeWindow) {
    port_val_str_array.set({QStringLiteral("/dev/ttyUSB9")});
    port_det_str_array.set({DeviceRecord{}});
    {
        tesk::Tesk_SMSAppDelegate app(&view);
        tesk::Gsm_Tesk_Sms_Wnd gsm;
        ASSERT_TRUE(tesk::Load_Main_Interface(app, gsm));
        ASSERT_NE(app.mfc_sms_obj(), nullptr);
        ASSERT_NE(gsm.mfc_sms_obj(), nullptr);
        EXPECT_NE(app.mfc_sms_obj(), gsm.mfc_sms_obj());
        for (int slot = 0; slot < kChannelCount; ++slot) {
            EXPECT_NE(mfc_sms_obj_arr(slot), nullptr);
            EXPECT_NE(mfc_sms_obj_arr(slot), app.mfc_sms_obj());
        }
        EXPECT_EQ(tesk::Tesk_SMSAppDelegate::defaultInstance(), &app);
        EXPECT_EQ(tesk::Gsm_Tesk_Sms_Wnd::defaultInstance(), &gsm);
        EXPECT_TRUE(port_val_str_array.get().isEmpty() && port_det_str_array.get().isEmpty());
        EXPECT_EQ(Exclusion_Index_Path, temp.path() + "/TESK_SMS_DATA/Exclusion/ExListIndex.VORN");
        EXPECT_EQ(Main_App_wnd.load(), &app);
        // Launching shows the GSM composer, then the mode window; the composer's three ways back
        // open the same window.
        gsm_and_none = 0;
        view.modeWindow = [&] { return gsm_and_none == tesk::kGsmMode ? tesk::kEndContinue : 99; };
        app.applicationDidFinishLaunching();
        EXPECT_TRUE(app.Open_Mobile_Selection_Dialog());
        view.modeWindow = [] { return tesk::kEndBack; };
        EXPECT_FALSE(app.Open_Mobile_Selection_Dialog());
        app.Search_All_Modem();
        app.Mobil_Conn_Gif_Pressed();
        app.No_Device_Ticker_Click();
        EXPECT_EQ(view.log,
                  QStringList("composer 1") + QStringList(6, QStringLiteral("mode window")));
    }
    EXPECT_EQ(Main_App_wnd.load(), nullptr);
}

TEST_F(StartUp, ExitAsksWithTheApplicationAndEditionNamed) {
    tesk::Tesk_SMSAppDelegate app(&view);
    ScriptedDialogs script;
    const QString question =
        QStringLiteral("\nAre you sure you want to exit 'Tesk SMS Linux Edition'?");
    script.expect(question, QStringLiteral("No"));
    script.expect(question, QStringLiteral("Yes"));
    EXPECT_FALSE(app.Exit_App());
    EXPECT_TRUE(app.Exit_Btn());
    EXPECT_EQ(view.log, QStringList{QStringLiteral("terminate")});  // once: No keeps it running
}

// A missing help document is reported; a present one goes to the viewer from either window.
TEST_F(StartUp, HelpReportsAMissingDocumentAndOpensAPresentOne) {
    tesk::Set_Data_Paths(temp.path());
    QStringList opened;
    const tesk::DocumentOpener previous = tesk::Set_Document_Opener([&](const QString& path) {
        opened.append(path);
        return true;
    });
    tesk::Tesk_SMSAppDelegate app(&view);
    tesk::Gsm_Tesk_Sms_Wnd gsm;
    {
        ScriptedDialogs script;
        script.expectNotice(QStringLiteral("\nHelp file does not exist!"));
        app.Help_Btn();
    }
    tesk::test::Write_Test_File(temp, QStringLiteral("Help.pdf"), {});
    app.Help_Btn();
    gsm.Help_Btn();
    EXPECT_EQ(opened, QStringList(2, temp.path() + QStringLiteral("/Help.pdf")));
    tesk::Set_Document_Opener(previous);
}

TEST(SelectedDevices, DetailsComeFromTheFirstRecordWithThatPath) {
    DeviceRecord first, second;
    first.path = second.path = QStringLiteral("/dev/ttyUSB0");
    first.imei = QStringLiteral("111");
    second.imei = QStringLiteral("333");
    port_det_str_array.set({first, second});
    EXPECT_EQ(Get_Sel_Port_Details("/dev/ttyUSB0"), first);
    EXPECT_EQ(Get_Sel_Port_Details("/dev/ttyusb0"), DeviceRecord{});
}

}  // namespace
