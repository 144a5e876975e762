#pragma once
// The GSM send job: what the Send button of the GSM composer does before a sending run. It
// checks the composer in a fixed order, offers to apply the composer text to the list, reloads
// the exclusion numbers, checks that the chosen devices answer, and hands the working ones to
// the sending run.
#include "composer/composer_controller.h"
#include "modem/mfcsms.h"
#include "sending/sms_sending.h"

#include <QString>
#include <QStringList>

namespace tesk::sending {

inline const QString kNoDeviceForSending = QStringLiteral(
    "Either Mobile Device is not connected properly or No Mobile Phone Device is selected.\n\n"
    "Please use Mobile Phone Connection Wizard for finding device or establishing connection.");

// The question before a run in which some, not all, of the rows have no message.
QString Blank_Rows_Question(int blank, int total);

// The apply-message dialog Send_Msg_Info.
enum class ApplyChoice { FillAll, FillBlank, Continue, Cancel };

class SendJobView {
  public:
    virtual ~SendJobView() = default;
    virtual ApplyChoice runApplyMessageDialog() = 0;
    virtual void focusNumberField() = 0;
    virtual void focusDelayedChoice(bool countChoice) = 0;
    virtual void showPleaseWait(bool shown) = 0;
    // Opens the sending window with the run prepared here.
    virtual void openSendingWindow(const SendingRequest& request) = 0;
};

class GSM_Send_Job {
  public:
    // Neither is owned; both outlive the job.
    GSM_Send_Job(composer::ComposerController& composer, SendJobView* view)
        : composer_(composer), view_(view) {}

    // `deviceChoice` is the composer's device choice text (an entry or "All Device").
    void Send_SMS_Btn(const QString& deviceChoice);

    // The sending device choice the last device check produced.
    QStringList sendingEntries() const { return sendingEntries_; }
    QString sendingSelected() const { return sendingSelected_; }

  private:
    bool Send_SMS_BY_Multi_Port(const QString& deviceChoice);
    void GSM_Chk_Port_And_Send_Msg(const QString& deviceChoice);
    // Opens the entry, asks whether the device answers and closes it again (any thread).
    bool probeDevice(const QString& entry);
    SendingRequest buildRequest() const;

    composer::ComposerController& composer_;
    SendJobView* view_;
    MFCSMS channel_;  // the window's own channel, for the device check only
    QStringList sendingEntries_;
    QString sendingSelected_;
};

}  // namespace tesk::sending
