#include "appcore/mode_selection.h"
#include "appcore_test_support.h"
#include "appstate/selection_state.h"

#include <gtest/gtest.h>

namespace {

// What the connection steps and the device window end with, and what the device window leaves
// chosen (sel_port_name_str, then port_val_str_array).
struct Script {
    int steps;
    int device;
    QString name;
    QStringList chosen;
};

// The mode window, the connection steps and the device windows, all writing into one log.
class ScriptedFlow : public tesk::ModeSelectionView,
                     public tesk::ConnectionStepsLauncher,
                     public tesk::DeviceWindowLauncher {
  public:
    ScriptedFlow(QStringList* log, Script script) : log_(log), script_(std::move(script)) {}

    void End_Modal(int code) override { log_->append(QStringLiteral("end %1").arg(code)); }
    void Bring_To_Front() override { log_->append(QStringLiteral("front")); }
    int runGsmConnectionSteps() override { return steps("gsm"); }
    int runAndroidConnectionSteps() override { return steps("android"); }
    int runGsmDeviceWindow() override { return deviceWindow("device"); }
    int runPhoneWindow() override { return deviceWindow("phone"); }

  private:
    int steps(const char* mode) {
        log_->append(QStringLiteral("steps ") + QLatin1String(mode));
        return script_.steps;
    }
    // The window logs what was chosen before it opened, then leaves its own choice.
    int deviceWindow(const char* kind) {
        log_->append(
            QStringLiteral("%1 window (chosen so far: '%2')")
                .arg(QLatin1String(kind), sel_port_name_str.get() + sel_port_bsd_str.get()));
        sel_port_name_str.set(script_.name);
        sel_port_bsd_str.set(script_.chosen.isEmpty() ? QString("") : script_.chosen.last());
        port_val_str_array.set(script_.chosen);
        return script_.device;
    }
    QStringList* log_;
    Script script_;
};

// Each row: the mode chosen, the script, and the log ("%none" is the no-device label) and port
// list expected afterwards. Cancel then ends the window with 0.
TEST(MobileSelWindow, FollowsTheChoiceThroughItsWindows) {
    const QString gsm = QStringLiteral(
        "composer 1|steps gsm|combo 1 [] -1|label 1 %none|device window (chosen so far: '')|");
    const QString android = QStringLiteral(
        "composer 2|steps android|combo 2 [] -1|label 2 %none|notice 2 hidden|phone window "
        "(chosen so far: '')|");
    const QStringList two = {"/dev/ttyUSB0", "/dev/ttyACM0"};
    const struct {
        bool android;
        Script script;
        QString log;
        QStringList ports;
    } rows[] = {
        {false,
         {1, 1, "USB0", {two[0]}},
         gsm + "label 1 USB0|combo 1 [/dev/ttyUSB0] 0|end 1",
         {two[0]}},
        {false,
         {1, 1, "ACM0", two},
         gsm + "label 1 2 Mobile Device selected.|combo 1 [" + two.join(',') +
             ",All Device] 2|end 1",
         two + QStringList("All Device")},
        {false, {1, -1, "", {}}, gsm + "label 1 %none|notice 1 shown|front", {}},
        {false, {0, 1, "", {}}, "composer 1|steps gsm|end 0", {}},
        {false, {-1, 1, "", {}}, "composer 1|steps gsm|front", {}},
        {true,
         {1, 1, "Android Device R58M", {}},
         android + "label 2 Android Device R58M|end 1",
         {}},
        {true, {1, 0, "", {}}, android + "label 2 %none|notice 2 shown|end 1", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.log.toStdString());
        tesk::test::RecordingAppView composers;
        ScriptedFlow flow(&composers.log, row.script);
        sel_port_name_str.set(QStringLiteral("OLD"));
        sel_port_bsd_str.set(QStringLiteral("/dev/old"));
        port_val_str_array.set({});
        gsm_and_none = 0;
        tesk::Mobile_Sel_Wnd window(&flow, &composers, &flow, &flow);
        row.android ? window.Andropid_Ph_Pressed() : window.GSM_Ph_Pressed();
        window.CancelPressed();
        EXPECT_EQ(composers.log, QString(row.log + "|end 0")
                                     .replace("%none", "No Mobile Phone Device is selected.")
                                     .split('|'));
        EXPECT_EQ(gsm_and_none.load(), row.android ? tesk::kAndroidMode : tesk::kGsmMode);
        EXPECT_EQ(port_val_str_array.get(), row.ports);
    }
}

}  // namespace
