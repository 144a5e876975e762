#pragma once
// Mobile_Sel_Wnd: the first window of a run. The user chooses to send through GSM devices or
// through an Android phone; the choice walks through that mode's connection steps and device
// window (see the controller). Escape and the close button count as Cancel (code 0).
#include "appcore/mode_selection.h"

#include <QDialog>

class QPushButton;

namespace tesk::ui {

class MobileSelWindow final : public QDialog, public ModeSelectionView {
    Q_OBJECT
  public:
    // None is owned; all outlive the window.
    MobileSelWindow(ComposerHost* composers, ConnectionStepsLauncher* steps,
                    DeviceWindowLauncher* devices, QWidget* parent = nullptr);

    void End_Modal(int code) override;
    void Bring_To_Front() override;
    void reject() override;

    QPushButton* gsmButton() const { return gsm_; }
    QPushButton* androidButton() const { return android_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    Mobile_Sel_Wnd controller_;
    QPushButton* gsm_ = nullptr;
    QPushButton* android_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tesk::ui
