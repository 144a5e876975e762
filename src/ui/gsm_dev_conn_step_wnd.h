#pragma once
// GSM_DEV_Conn_Step_Wnd: how to connect a GSM modem or a phone in modem mode before the device
// scan. Ends with kEndContinue, kEndCancel, or kEndBack (Back, Escape or the close button: the
// mode selection window comes again).
#include <QDialog>

namespace tesk::ui {

class GsmDevConnStepWnd final : public QDialog {
    Q_OBJECT
  public:
    explicit GsmDevConnStepWnd(QWidget* parent = nullptr);

    void reject() override;
};

}  // namespace tesk::ui
