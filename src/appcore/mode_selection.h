#pragma once
// The mode selection window Mobile_Sel_Wnd: the user picks GSM devices or an Android phone,
// walks through the connection steps of that mode and then chooses the device. The windows it
// opens are reached through the interfaces below, so the flow runs the same with real windows
// and with scripted ones.
#include "appstate/selection_state.h"

#include <QString>
#include <QStringList>

namespace tesk {

// The two composers as far as the mode choice touches them. `mode` is kGsmMode or kAndroidMode.
class ComposerHost {
  public:
    virtual ~ComposerHost() = default;
    // Brings that mode's composer to the front; hides the other one and the device selection
    // panel.
    virtual void Show_Composer(int mode) = 0;
    // The device choice of that composer: its entries and the selected one (-1 for none).
    virtual void Set_Device_Combo(int mode, const QStringList& entries, int selected) = 0;
    virtual void Set_Device_Label(int mode, const QString& text) = 0;
    // The notice that offers to look for a device again.
    virtual void Set_No_Device_Notice_Visible(int mode, bool visible) = 0;
};

// The connection steps windows, run modally; each returns its end code.
class ConnectionStepsLauncher {
  public:
    virtual ~ConnectionStepsLauncher() = default;
    virtual int runGsmConnectionSteps() = 0;      // GSM_DEV_Conn_Step_Wnd
    virtual int runAndroidConnectionSteps() = 0;  // Connection_Info
};

// The device windows, run modally; each returns its end code: 1 devices chosen, 0 left without
// a device (both close the mode window), anything else goes back to the mode window. They
// leave their choice in the selection hand-over (sel_port_name_str and the port lists).
class DeviceWindowLauncher {
  public:
    virtual ~DeviceWindowLauncher() = default;
    virtual int runGsmDeviceWindow() = 0;  // GSM_Device_List_Wnd
    virtual int runPhoneWindow() = 0;      // Phone_List_Wnd
};

// Stands in for the GSM device window and the phone connection window until they are built:
// shows nothing, chooses nothing and ends with kEndBack, so the user lands on the mode window
// again and can pick the other mode or cancel.
class PendingDeviceWindows final : public DeviceWindowLauncher {
  public:
    int runGsmDeviceWindow() override { return kEndBack; }
    int runPhoneWindow() override { return kEndBack; }
};

// What the mode window itself does on the screen.
class ModeSelectionView {
  public:
    virtual ~ModeSelectionView() = default;
    virtual void End_Modal(int code) = 0;
    virtual void Bring_To_Front() = 0;
};

class Mobile_Sel_Wnd {
  public:
    // None is owned; all outlive the controller.
    Mobile_Sel_Wnd(ModeSelectionView* view, ComposerHost* composers, ConnectionStepsLauncher* steps,
                   DeviceWindowLauncher* devices);

    void GSM_Ph_Pressed();
    void Andropid_Ph_Pressed();
    void CancelPressed();

  private:
    // After a device window: 1 or 0 closes the mode window, anything else brings it back.
    void finishAfterDeviceWindow(int deviceWindowCode);
    // After a connection steps window that did not continue.
    void finishAfterSteps(int stepsCode);
    void showGsmChoice();

    ModeSelectionView* view_;
    ComposerHost* composers_;
    ConnectionStepsLauncher* steps_;
    DeviceWindowLauncher* devices_;
};

}  // namespace tesk
