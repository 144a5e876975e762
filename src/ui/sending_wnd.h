#pragma once
// The sending window of the GSM mode: the live table of sending items, the status and note
// texts, the progress of the whole run and of the current message, the pause countdown, and
// the Stop / Export / Close buttons. The run itself (SMS_Sending) lives in the window and ends
// with it; every button goes to the run, which decides what happens.
#include "sending/sms_sending.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tesk::ui {

class PleaseWaitSheet;
class RecordTableModel;

class SendingWnd : public QDialog, public sending::SendingView {
    Q_OBJECT
  public:
    explicit SendingWnd(QWidget* parent = nullptr);
    ~SendingWnd() override;

    // Starts the run; exec() then shows the window until the run lets it close.
    void start(sending::SendingRequest request);
    sending::SMS_Sending& run() { return run_; }

    // SendingView
    void redrawTable() override;
    void setStatusText(const QString& text) override;
    void setProgressText(const QString& text) override;
    void setOverallBar(int value, int maximum) override;
    void setMessageBar(int value) override;
    void setPauseLabel(const QString& text) override;
    void setRate(const sending::RateInput& rate) override;
    void setStopVisible(bool visible) override;
    void setExportVisible(bool visible) override;
    void setCloseEnabled(bool enabled) override;
    void showPleaseWait(bool shown) override;
    void closeWindow() override;
    void offerToOpenExportedFile(const QString& path) override;

    // For tests and the gallery.
    QString statusText() const;
    QString noteText() const;
    QString totalText() const;
    QString progressText() const;
    QString pauseText() const;
    QTableView* table() const { return table_; }
    QPushButton* button(const QString& objectName) const;

  public slots:
    // Escape and the title bar's close button ask the run, like the Close button.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildButtons(QWidget* parent);

    sending::SMS_Sending run_;
    bool closing_ = false;  // the run asked the window to close

    QWidget* content_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* rate_ = nullptr;  // messages per minute and time left
    QLabel* pause_ = nullptr;
    QProgressBar* overallBar_ = nullptr;
    QProgressBar* messageBar_ = nullptr;
    QTableView* table_ = nullptr;
    RecordTableModel* model_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* close_ = nullptr;
    PleaseWaitSheet* sheet_ = nullptr;
};

}  // namespace tesk::ui
