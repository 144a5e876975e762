#include "appcore/help_document.h"
#include "appcore_test_support.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "modem/mfcsms.h"
#include "support/pty_pair.h"
#include "support/scripted_dialogs.h"

#include <QFile>
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

TEST_F(StartUp, InitFillsTheChannelTableAndGivesEachControllerItsOwnChannel) {
    tesk::Tesk_SMSAppDelegate app(&view);
    tesk::Gsm_Tesk_Sms_Wnd gsm;
    app.prev_list_item = 7;
    app.prev_composer_msg = QStringLiteral("old");
    const MFCSMS* beforeApp = mfc_sms_obj_arr(0);
    app.init();
    const MFCSMS* afterApp = mfc_sms_obj_arr(0);
    gsm.init();
    EXPECT_NE(afterApp, beforeApp);
    EXPECT_NE(mfc_sms_obj_arr(31), nullptr);
    EXPECT_NE(mfc_sms_obj_arr(0), afterApp);  // the GSM composer refills the table
    ASSERT_NE(app.mfc_sms_obj(), nullptr);
    ASSERT_NE(gsm.mfc_sms_obj(), nullptr);
    EXPECT_NE(app.mfc_sms_obj(), gsm.mfc_sms_obj());
    for (int slot = 0; slot < kChannelCount; ++slot) {
        EXPECT_NE(mfc_sms_obj_arr(slot), app.mfc_sms_obj());
    }
    EXPECT_EQ(app.prev_list_item, 0);
    EXPECT_EQ(app.prev_composer_msg, QString(""));
    EXPECT_EQ(tesk::Tesk_SMSAppDelegate::defaultInstance(), &app);
    EXPECT_EQ(tesk::Gsm_Tesk_Sms_Wnd::defaultInstance(), &gsm);
}

TEST_F(StartUp, AwakeEmptiesTheHandOverSetsThePathsPublishesTheControllerThenLaunches) {
    port_val_str_array.set({QStringLiteral("/dev/ttyUSB9")});
    DeviceRecord stale;
    stale.path = QStringLiteral("/dev/ttyUSB9");
    port_det_str_array.set({stale});
    {
        tesk::Tesk_SMSAppDelegate app(&view);
        tesk::Gsm_Tesk_Sms_Wnd gsm;
        ASSERT_TRUE(tesk::Load_Main_Interface(app, gsm));
        EXPECT_TRUE(port_val_str_array.get().isEmpty());
        EXPECT_TRUE(port_det_str_array.get().isEmpty());
        EXPECT_EQ(Resource_Path, temp.path());
        EXPECT_EQ(Exclusion_Index_Path, temp.path() + "/TESK_SMS_DATA/Exclusion/ExListIndex.VORN");
        EXPECT_EQ(Main_App_wnd.load(), &app);
        EXPECT_TRUE(view.log.isEmpty());  // nothing on screen before launching has finished
        // Then the GSM composer comes to the front, and the mode window runs in GSM mode.
        gsm_and_none = 0;
        int modeWhileRunning = -1;
        view.modeWindow = [&] {
            modeWhileRunning = gsm_and_none;
            return tesk::kEndCancel;
        };
        app.applicationDidFinishLaunching();
        EXPECT_EQ(view.log, QStringList({"composer 1", "mode window"}));
        EXPECT_EQ(modeWhileRunning, tesk::kGsmMode);
    }
    EXPECT_EQ(Main_App_wnd.load(), nullptr);
}

TEST_F(StartUp, OpenMobileSelectionDialogIsYesOnlyForCodeOne) {
    tesk::Tesk_SMSAppDelegate app(&view);
    const struct {
        int code;
        bool yes;
    } rows[] = {{tesk::kEndContinue, true}, {tesk::kEndCancel, false}, {tesk::kEndBack, false}};
    for (const auto& row : rows) {
        view.modeWindow = [&] { return row.code; };
        EXPECT_EQ(app.Open_Mobile_Selection_Dialog(), row.yes) << row.code;
    }
    // The composer's three ways back all open the same window.
    view.log.clear();
    app.Search_All_Modem();
    app.Mobil_Conn_Gif_Pressed();
    app.No_Device_Ticker_Click();
    EXPECT_EQ(view.log, QStringList(3, QStringLiteral("mode window")));
}

TEST_F(StartUp, ExitAsksWithTheApplicationAndEditionNamed) {
    tesk::Tesk_SMSAppDelegate app(&view);
    ScriptedDialogs script;
    const QString question =
        QStringLiteral("\nAre you sure you want to exit 'Tesk SMS Linux Edition'?");
    script.expect(question, QStringLiteral("No"));
    script.expect(question, QStringLiteral("No"));
    script.expect(question, QStringLiteral("Yes"));
    EXPECT_FALSE(app.Exit_App());
    EXPECT_TRUE(view.log.isEmpty());  // No: the application keeps running
    EXPECT_FALSE(app.windowWillClose());
    EXPECT_TRUE(app.Exit_Btn());
    EXPECT_EQ(view.log, QStringList{QStringLiteral("terminate")});
    EXPECT_EQ(script.messages(), QStringList(3, question));
    EXPECT_EQ(script.requests().at(0).buttons,
              QStringList({QStringLiteral("Yes"), QStringLiteral("No")}));
}

TEST_F(StartUp, ShutdownClosesEveryOpenPortAndKeepsTheChannels) {
    tesk::Tesk_SMSAppDelegate app(&view);
    app.init();
    tesk::test::PtyPair first;
    tesk::test::PtyPair second;
    int fd = -1;
    mfc_sms_obj_arr(2)->initPort_with_decp(first.slavePath().toUtf8().constData(), &fd);
    mfc_sms_obj_arr(30)->initPort_with_decp(second.slavePath().toUtf8().constData(), &fd);
    ASSERT_TRUE(mfc_sms_obj_arr(2)->port && mfc_sms_obj_arr(2)->port->isOpen());
    ASSERT_TRUE(mfc_sms_obj_arr(30)->port && mfc_sms_obj_arr(30)->port->isOpen());
    const MFCSMS* channel = mfc_sms_obj_arr(2);

    app.applicationWillTerminate();
    for (int slot = 0; slot < kChannelCount; ++slot) {
        const MFCSMS* each = mfc_sms_obj_arr(slot);
        EXPECT_FALSE(each->port && each->port->isOpen()) << slot;
    }
    EXPECT_EQ(mfc_sms_obj_arr(2), channel);
}

class Help : public ::testing::Test {
  protected:
    void SetUp() override {
        tesk::Set_Data_Paths(temp.path());
        previous = tesk::Set_Document_Opener([this](const QString& path) {
            opened.append(path);
            return true;
        });
    }
    void TearDown() override { tesk::Set_Document_Opener(previous); }

    QTemporaryDir temp;
    tesk::DocumentOpener previous;
    QStringList opened;
    RecordingAppView view;
};

// Both composers' Help buttons: a missing document is reported with OK, a present one goes to
// the desktop viewer.
TEST_F(Help, MissingDocumentIsReportedAndAPresentOneOpens) {
    tesk::Tesk_SMSAppDelegate app(&view);
    tesk::Gsm_Tesk_Sms_Wnd gsm;
    {
        ScriptedDialogs script;
        script.expectNotice(QStringLiteral("Help file does not exist!"));
        script.expectNotice(QStringLiteral("Help file does not exist!"));
        app.Help_Btn();
        gsm.Help_Btn();
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_EQ(script.messages(), QStringList(2, QStringLiteral("\nHelp file does not exist!")));
        EXPECT_EQ(script.requests().at(0).buttons, QStringList{QStringLiteral("OK")});
    }
    QFile pdf(temp.filePath(QStringLiteral("Help.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    app.Help_Btn();
    gsm.Help_Btn();
    EXPECT_EQ(opened, QStringList(2, temp.path() + QStringLiteral("/Help.pdf")));
}

TEST(SelectedDevices, DetailsComeFromTheFirstRecordWithThatPath) {
    auto record = [](const char* path, const char* imei) {
        DeviceRecord r;
        r.path = QString::fromUtf8(path);
        r.imei = QString::fromUtf8(imei);
        return r;
    };
    port_det_str_array.set({record("/dev/ttyUSB0", "111"), record("/dev/ttyACM1", "222"),
                            record("/dev/ttyUSB0", "333")});
    const struct {
        const char* path;
        const char* imei;  // "" for the empty record
    } rows[] = {{"/dev/ttyUSB0", "111"},
                {"/dev/ttyACM1", "222"},
                {"/dev/ttyACM2", ""},
                {"/dev/ttyusb0", ""},
                {"", ""}};
    for (const auto& row : rows) {
        const DeviceRecord found = Get_Sel_Port_Details(QString::fromUtf8(row.path));
        EXPECT_EQ(found.imei, QString::fromUtf8(row.imei)) << row.path;
        EXPECT_EQ(found.path, *row.imei ? QString::fromUtf8(row.path) : QString()) << row.path;
    }
    port_det_str_array.set({});
    EXPECT_EQ(Get_Sel_Port_Details(QStringLiteral("/dev/ttyUSB0")), DeviceRecord{});
}

}  // namespace
