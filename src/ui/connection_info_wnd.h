#pragma once
// Connection_Info: the Android connection steps. Three buttons show how to switch on USB
// debugging for the phone's Android version. Ends with kEndContinue, kEndCancel, or kEndBack
// (Back, Escape or the close button: the mode selection window comes again).
#include "appcore/connection_steps.h"

#include <QDialog>

namespace tesk::ui {

class ConnectionInfoWnd final : public QDialog {
    Q_OBJECT
  public:
    explicit ConnectionInfoWnd(QWidget* parent = nullptr);

    void reject() override;

  private:
    Connection_Info controller_;
};

}  // namespace tesk::ui
