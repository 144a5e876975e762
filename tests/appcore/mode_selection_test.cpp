#include "appcore/mode_selection.h"
#include "appcore/connection_steps.h"
#include "appcore_test_support.h"
#include "appstate/selection_state.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using tesk::test::RecordingAppView;
using tesk::test::ScriptedDialogs;

// The mode window, the connection steps and the device windows, all writing into one log.
class ScriptedFlow : public tesk::ModeSelectionView,
                     public tesk::ConnectionStepsLauncher,
                     public tesk::DeviceWindowLauncher {
  public:
    explicit ScriptedFlow(QStringList* log) : log_(log) {}

    void End_Modal(int code) override { log_->append(QStringLiteral("end %1").arg(code)); }
    void Bring_To_Front() override { log_->append(QStringLiteral("front")); }
    int runGsmConnectionSteps() override { return steps("gsm"); }
    int runAndroidConnectionSteps() override { return steps("android"); }
    int runGsmDeviceWindow() override { return deviceWindow("device"); }
    int runPhoneWindow() override { return deviceWindow("phone"); }

    int stepsCode = tesk::kEndContinue;
    int deviceCode = tesk::kEndContinue;
    QString chosenName;  // what the device window leaves in sel_port_name_str
    QStringList chosen;  // and in port_val_str_array

  private:
    int steps(const char* mode) {
        log_->append(QStringLiteral("steps ") + QLatin1String(mode));
        return stepsCode;
    }
    // The window logs what was chosen before it opened, then leaves its own choice.
    int deviceWindow(const char* kind) {
        log_->append(
            QStringLiteral("%1 window (chosen so far: '%2')")
                .arg(QLatin1String(kind), sel_port_name_str.get() + sel_port_bsd_str.get()));
        sel_port_name_str.set(chosenName);
        sel_port_bsd_str.set(chosen.isEmpty() ? QString("") : chosen.last());
        port_val_str_array.set(chosen);
        return deviceCode;
    }
    QStringList* log_;
};

const QString kNone = QStringLiteral("No Mobile Phone Device is selected.");

// A log written as one line: entries split at '|', "%none" is the no-device label.
QStringList logOf(const QString& text) {
    return QString(text).replace(QStringLiteral("%none"), kNone).split(QLatin1Char('|'));
}

// Each row: the mode chosen, what the connection steps and the device window end with, what
// the device window leaves chosen, and the log and port list expected afterwards.
TEST(MobileSelWindow, FollowsTheChoiceThroughItsWindows) {
    const QString usb0 = QStringLiteral("/dev/ttyUSB0");
    const QString acm0 = QStringLiteral("/dev/ttyACM0");
    const QString gsm = QStringLiteral(
        "composer 1|steps gsm|combo 1 [] -1|label 1 %none|"
        "device window (chosen so far: '')|");
    const QString android = QStringLiteral(
        "composer 2|steps android|combo 2 [] -1|label 2 %none|"
        "notice 2 hidden|phone window (chosen so far: '')|");
    const struct {
        bool android;
        int stepsCode;
        int deviceCode;
        QString chosenName;
        QStringList chosen;
        QString log;
        QStringList ports;  // port_val_str_array afterwards
    } rows[] = {
        {false, 1, 1, "USB0", {usb0}, gsm + "label 1 USB0|combo 1 [/dev/ttyUSB0] 0|end 1", {usb0}},
        {false,
         1,
         1,
         "ACM0",
         {usb0, acm0},
         gsm + "label 1 2 Mobile Device selected.|combo 1 [/dev/ttyUSB0,/dev/ttyACM0,All Device] "
               "2|end 1",
         {usb0, acm0, QStringLiteral("All Device")}},
        {false, 1, 0, "", {}, gsm + "label 1 %none|notice 1 shown|end 1", {}},
        {false, 1, -1, "", {}, gsm + "label 1 %none|notice 1 shown|front", {}},
        {false, 0, 1, "", {}, "composer 1|steps gsm|end 0", {}},
        {false, -1, 1, "", {}, "composer 1|steps gsm|front", {}},
        {true, 1, 1, "Android Device R58M", {}, android + "label 2 Android Device R58M|end 1", {}},
        {true, 1, 0, "", {}, android + "label 2 %none|notice 2 shown|end 1", {}},
        {true, 1, -1, "", {}, android + "label 2 %none|notice 2 shown|front", {}},
        {true, 0, 1, "", {}, "composer 2|steps android|end 0", {}},
        {true, 7, 1, "", {}, "composer 2|steps android|front", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.log.toStdString());
        RecordingAppView composers;
        ScriptedFlow flow(&composers.log);
        flow.stepsCode = row.stepsCode;
        flow.deviceCode = row.deviceCode;
        flow.chosenName = row.chosenName;
        flow.chosen = row.chosen;
        sel_port_name_str.set(QStringLiteral("OLD"));
        sel_port_bsd_str.set(QStringLiteral("/dev/old"));
        port_val_str_array.set({});
        gsm_and_none = 0;
        tesk::Mobile_Sel_Wnd window(&flow, &composers, &flow, &flow);
        if (row.android) {
            window.Andropid_Ph_Pressed();
        } else {
            window.GSM_Ph_Pressed();
        }
        EXPECT_EQ(composers.log, logOf(row.log));
        EXPECT_EQ(gsm_and_none.load(), row.android ? tesk::kAndroidMode : tesk::kGsmMode);
        EXPECT_EQ(port_val_str_array.get(), row.ports);
    }
}

TEST(MobileSelWindow, PendingDeviceWindowsGoBackWithoutChoosingAndCancelEnds) {
    RecordingAppView composers;
    ScriptedFlow flow(&composers.log);
    tesk::PendingDeviceWindows pending;
    sel_port_name_str.set(QStringLiteral("OLD"));
    tesk::Mobile_Sel_Wnd window(&flow, &composers, &flow, &pending);
    window.GSM_Ph_Pressed();
    window.Andropid_Ph_Pressed();
    EXPECT_EQ(composers.log,
              logOf("composer 1|steps gsm|combo 1 [] -1|label 1 %none|label 1 %none|notice 1 "
                    "shown|front|composer 2|steps android|combo 2 [] -1|label 2 %none|notice 2 "
                    "hidden|label 2 %none|notice 2 shown|front"));
    EXPECT_EQ(sel_port_name_str.get(), QString(""));
    composers.log.clear();
    window.CancelPressed();  // Cancel ends the window with 0
    EXPECT_EQ(composers.log, QStringList{QStringLiteral("end 0")});
}

TEST(ConnectionInfo, HelpButtonsShowTheUsbDebuggingInstructions) {
    const struct {
        std::function<void(tesk::Connection_Info&)> press;
        QString text;
    } rows[] = {
        {&tesk::Connection_Info::Android_4_2_Help_Pressed, tesk::kUsbDebuggingAndroid42},
        {&tesk::Connection_Info::Android_4_0_Help_Pressed, tesk::kUsbDebuggingAndroid40},
        {&tesk::Connection_Info::Android_3_2_Help_Pressed, tesk::kUsbDebuggingAndroid32},
    };
    tesk::Connection_Info window;
    for (const auto& row : rows) {
        ScriptedDialogs script;
        script.expectNotice(row.text.left(40));
        row.press(window);
        ASSERT_EQ(script.requests().size(), 1);
        EXPECT_EQ(script.requests().first().message, QStringLiteral("\n") + row.text);
        EXPECT_EQ(script.requests().first().buttons, QStringList{QStringLiteral("OK")});
    }
}

}  // namespace
