#include "appcore/mode_selection.h"

#include "appstate/selection_state.h"

namespace tesk {

Mobile_Sel_Wnd::Mobile_Sel_Wnd(ModeSelectionView* view, ComposerHost* composers,
                               ConnectionStepsLauncher* steps, DeviceWindowLauncher* devices)
    : view_(view), composers_(composers), steps_(steps), devices_(devices) {}

void Mobile_Sel_Wnd::GSM_Ph_Pressed() {
    gsm_and_none = kGsmMode;
    composers_->Show_Composer(kGsmMode);
    const int stepsCode = steps_->runGsmConnectionSteps();
    if (stepsCode != kEndContinue) {
        finishAfterSteps(stepsCode);
        return;
    }
    sel_port_name_str.set(QString(""));
    sel_port_bsd_str.set(QString(""));
    composers_->Set_Device_Combo(kGsmMode, {}, -1);
    composers_->Set_Device_Label(kGsmMode, kNoDeviceSelected);
    const int deviceCode = devices_->runGsmDeviceWindow();
    showGsmChoice();
    finishAfterDeviceWindow(deviceCode);
}

void Mobile_Sel_Wnd::showGsmChoice() {
    if (sel_port_name_str.get().isEmpty()) {
        composers_->Set_Device_Label(kGsmMode, kNoDeviceSelected);
        composers_->Set_No_Device_Notice_Visible(kGsmMode, true);
        return;
    }
    QStringList entries = port_val_str_array.get();
    if (entries.size() < 2) {
        composers_->Set_Device_Label(kGsmMode, sel_port_name_str.get());
        composers_->Set_Device_Combo(kGsmMode, entries, entries.isEmpty() ? -1 : 0);
        return;
    }
    composers_->Set_Device_Label(kGsmMode,
                                 QStringLiteral("%1 Mobile Device selected.").arg(entries.size()));
    port_val_str_array.update([](QStringList& list) { list.append(kAllDevice); });
    entries.append(kAllDevice);
    composers_->Set_Device_Combo(kGsmMode, entries, static_cast<int>(entries.size()) - 1);
}

void Mobile_Sel_Wnd::Andropid_Ph_Pressed() {
    gsm_and_none = kAndroidMode;
    composers_->Show_Composer(kAndroidMode);
    const int stepsCode = steps_->runAndroidConnectionSteps();
    if (stepsCode != kEndContinue) {
        finishAfterSteps(stepsCode);
        return;
    }
    sel_port_name_str.set(QString(""));
    sel_port_bsd_str.set(QString(""));
    composers_->Set_Device_Combo(kAndroidMode, {}, -1);
    composers_->Set_Device_Label(kAndroidMode, kNoDeviceSelected);
    composers_->Set_No_Device_Notice_Visible(kAndroidMode, false);
    const int phoneCode = devices_->runPhoneWindow();
    const QString phone = sel_port_name_str.get();
    if (!phone.isEmpty()) {
        composers_->Set_Device_Label(kAndroidMode, phone);
    } else {
        composers_->Set_Device_Label(kAndroidMode, kNoDeviceSelected);
        composers_->Set_No_Device_Notice_Visible(kAndroidMode, true);
    }
    finishAfterDeviceWindow(phoneCode);
}

void Mobile_Sel_Wnd::CancelPressed() {
    view_->End_Modal(kEndCancel);
}

void Mobile_Sel_Wnd::finishAfterDeviceWindow(int deviceWindowCode) {
    if (deviceWindowCode == kEndContinue || deviceWindowCode == kEndCancel) {
        view_->End_Modal(kEndContinue);
    } else {
        view_->Bring_To_Front();
    }
}

void Mobile_Sel_Wnd::finishAfterSteps(int stepsCode) {
    if (stepsCode == kEndCancel) {
        view_->End_Modal(kEndCancel);
    } else {
        view_->Bring_To_Front();
    }
}

}  // namespace tesk
