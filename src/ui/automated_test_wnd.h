#pragma once
// The automatic settings test window over Automated_GSM_Sending: the devices handed in, the
// combinations of SMS mode and service centre the highlighted one can use, their outcomes, and
// the button that applies the chosen combination to the window that opened the test.
#include "devices/automated_test.h"

#include <QDialog>

class QLabel;
class QVBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tesk::ui {

class PleaseWaitSheet;
class RecordTableModel;

class AutomatedTestWnd : public QDialog, public devices::AutomatedTestView {
    Q_OBJECT
  public:
    explicit AutomatedTestWnd(QWidget* parent = nullptr);
    ~AutomatedTestWnd() override;

    devices::Automated_GSM_Sending& controller() { return controller_; }
    QTableView* deviceTable() const { return devices_; }
    QTableView* caseTable() const { return cases_; }
    RecordTableModel* caseModel() const { return caseModel_; }
    QLineEdit* customField() const { return custom_; }
    QLineEdit* testNumberField() const { return testNumber_; }
    QString detailsText() const;
    QString statusLine() const;
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* button(const QString& objectName) const;

    // AutomatedTestView
    void redrawDevices() override;
    void redrawCases() override;
    void selectDevice(int row) override;
    void showFields(const devices::AutomatedTestFields& fields) override;
    void showRunning(bool running) override;
    void setStatusLine(const QString& text) override;
    void setProgress(int value) override;
    void showPleaseWait(bool shown) override;
    void endModal(int code) override;

    void reject() override { controller_.Close_Button_Presses(); }

  private:
    void buildDevicesRow(QWidget* parent, QVBoxLayout* layout);
    QWidget* buildDevice(QWidget* parent);
    void buildRunButtons(QWidget* parent, QVBoxLayout* layout);
    void buildCaseTable(QWidget* parent, QVBoxLayout* layout);
    void buildStatusRow(QWidget* parent, QVBoxLayout* layout);
    void buildCloseRow(QWidget* parent, QVBoxLayout* layout);
    void connectControls();

    devices::Automated_GSM_Sending controller_;
    bool selecting_ = false;  // a highlight the controller asked for, not the user

    QWidget* content_ = nullptr;
    QTableView* devices_ = nullptr;
    RecordTableModel* deviceModel_ = nullptr;
    QTableView* cases_ = nullptr;
    RecordTableModel* caseModel_ = nullptr;
    QLineEdit* portName_ = nullptr;
    QLineEdit* portPath_ = nullptr;
    QLineEdit* model_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QLineEdit* defaultSmsc_ = nullptr;
    QLineEdit* custom_ = nullptr;
    QLineEdit* testNumber_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* useSettings_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    PleaseWaitSheet* sheet_ = nullptr;
};

}  // namespace tesk::ui
