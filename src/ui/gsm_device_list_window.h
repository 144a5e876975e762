#pragma once
// The device window over GSM_Device_List_Wnd: the devices the scan found, the facts and
// connection settings of the highlighted one, the test message, the automatic settings test and
// the choice of devices for sending. The controller outlives the window (a scan stopped by
// leaving the window may still be finishing its device when the window has gone).
#include "devices/gsm_device_list.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tesk::ui {

class PleaseWaitSheet;
class RecordTableModel;
class SettingsGroup;

class GsmDeviceListWindow : public QDialog, public devices::GsmDeviceListView {
    Q_OBJECT
  public:
    explicit GsmDeviceListWindow(devices::GSM_Device_List_Wnd& controller,
                                 QWidget* parent = nullptr);
    ~GsmDeviceListWindow() override;

    devices::GSM_Device_List_Wnd& controller() { return controller_; }
    QTableView* table() const { return table_; }
    RecordTableModel* tableModel() const { return model_; }
    SettingsGroup* settingsGroup() const { return settings_; }
    QLineEdit* portNameField() const { return portName_; }
    QLineEdit* portPathField() const { return portPath_; }
    QLineEdit* testNumberField() const { return testNumber_; }
    QString detailsText() const;
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* button(const QString& objectName) const;
    PleaseWaitSheet* pleaseWaitSheet() const { return sheet_; }

    // GsmDeviceListView
    void redrawTable() override;
    void selectRow(int row) override;
    void scrollToTop() override;
    void showControls(const devices::DeviceWindowControls& controls) override;
    void showProgress(int value, int maximum) override;
    void showDetails(const devices::DeviceDetailsFields& fields) override;
    void showSettings(const devices::SettingsFields& fields) override;
    void setTestNumberField(const QString& text) override;
    void showPleaseWait(bool shown) override;
    void endModal(int code) override;
    void runAutomatedTest(const devices::AutomatedTestHandIn& handIn) override;

    // Closing the window is leaving it without a device.
    void reject() override { controller_.ContinueOfflinePressed(); }

  private:
    QWidget* buildDetails(QWidget* parent);
    QWidget* buildButtons(QWidget* parent);

    devices::GSM_Device_List_Wnd& controller_;
    bool selecting_ = false;  // a highlight the controller asked for, not the user

    QWidget* content_ = nullptr;
    QTableView* table_ = nullptr;
    RecordTableModel* model_ = nullptr;
    QWidget* detailsBox_ = nullptr;
    QLineEdit* portName_ = nullptr;
    QLineEdit* portPath_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    SettingsGroup* settings_ = nullptr;
    QWidget* testBox_ = nullptr;
    QLineEdit* testNumber_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* automatic_ = nullptr;
    QPushButton* addPort_ = nullptr;
    QPushButton* offline_ = nullptr;
    QPushButton* select_ = nullptr;
    PleaseWaitSheet* sheet_ = nullptr;
};

}  // namespace tesk::ui
