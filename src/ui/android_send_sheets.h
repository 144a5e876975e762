#pragma once
// The progress sheets of an Android send over the Android composer: Single_Shot_Modeless while
// the list is handed to the phone in one file, Send_Modeless while messages go one by one. Both
// are window-modal, so the composer cannot change under a run, and neither blocks the event
// loop the run reports through.
#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tesk::ui {

class SingleShotSheet final : public QDialog {
    Q_OBJECT
  public:
    explicit SingleShotSheet(QWidget* parent);
    void start(const QString& totalLabel);
    void setStatus(const QString& text);
    void setBar(int value);
    QString statusText() const;
    QString totalText() const;
    // The run closes the sheet; the user cannot.
    void reject() override {}

  private:
    QLabel* total_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

class SendSheet final : public QDialog {
    Q_OBJECT
  public:
    explicit SendSheet(QWidget* parent);
    void start(int totalMaximum, const QString& totalLabel);
    void setStopEnabled(bool enabled);
    void setProgressPartsVisible(bool visible);
    void setTotalBar(int value);
    void setCurrentBar(int value);
    void setCurrentCountLabel(const QString& text);
    void setCurrentNumber(const QString& text);
    void setNumberPartsVisible(bool visible);
    void setPauseLabel(const QString& text);
    QPushButton* stopButton() const { return stop_; }
    QString countText() const;
    QString numberText() const;
    QString pauseText() const;
    // Escape does not end a run; Stop asks first.
    void reject() override {}

  signals:
    void stopPressed();

  private:
    QLabel* total_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* numberTitle_ = nullptr;
    QLabel* number_ = nullptr;
    QLabel* pause_ = nullptr;
    QProgressBar* totalBar_ = nullptr;
    QProgressBar* currentBar_ = nullptr;
    QPushButton* stop_ = nullptr;
};

// The two storage questions, built but not run (the gallery shows them as they are).
std::unique_ptr<QDialog> Make_File_Creation_Fail_SS(QWidget* parent);
std::unique_ptr<QDialog> Make_File_Creation_Fail(QWidget* parent);

// File_Creation_Fail_SS: the message file could not be stored; 1 sends one by one instead,
// 0 gives up.
int Run_File_Creation_Fail_SS(QWidget* parent);
// File_Creation_Fail: one message could not be stored; 1 skips it (and, with the box ticked,
// every further one), 0 stops sending.
int Run_File_Creation_Fail(QWidget* parent, bool* skipForAll);

}  // namespace tesk::ui
