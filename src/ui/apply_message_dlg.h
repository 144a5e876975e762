#pragma once
// The apply-message dialog of the Send button (Send_Msg_Info): before a run it offers to put
// the composer text into every list item or only into those without a message. OK applies
// the choice, Continue sends the list as it is, Cancel ends the send.
#include "sending/send_job.h"

#include <QDialog>

class QRadioButton;

namespace tesk::ui {

class ApplyMessageDlg final : public QDialog {
    Q_OBJECT
  public:
    // The dialog's results: OK 1, Continue 0, Cancel 2 (the caller ends the send).
    static constexpr int kOk = 1;
    static constexpr int kContinue = 0;
    static constexpr int kCancel = 2;

    explicit ApplyMessageDlg(QWidget* parent = nullptr);

    // Runs the dialog modally and says what the user chose.
    sending::ApplyChoice choose();
    bool fillBlankChosen() const;

    void OKPressed();
    void ContinuePressed();
    void CancelPressed();
    void reject() override { CancelPressed(); }

  private:
    // Every button puts the choice back to "all", so the next opening starts from it.
    void endWith(int result);

    QRadioButton* all_ = nullptr;
    QRadioButton* blank_ = nullptr;
    bool blankChosen_ = false;
};

}  // namespace tesk::ui
