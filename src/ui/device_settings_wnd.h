#pragma once
// The device-settings window over Selected_Device_Details_GSM: the devices chosen for sending,
// the connection settings of the highlighted one, a test message and the automatic settings
// test. OK confirms the settings (the controller keeps the window open while a device lacks a
// service centre); Cancel and closing leave the chosen devices as they were.
#include "devices/selected_device_details.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QVBoxLayout;

namespace tesk::ui {

class PleaseWaitSheet;
class RecordTableModel;
class SettingsGroup;

class DeviceSettingsWnd : public QDialog, public devices::DeviceSettingsView {
    Q_OBJECT
  public:
    explicit DeviceSettingsWnd(QWidget* parent = nullptr);
    ~DeviceSettingsWnd() override;

    devices::Selected_Device_Details_GSM& controller() { return controller_; }
    QTableView* table() const { return table_; }
    SettingsGroup* settingsGroup() const { return settings_; }
    QLineEdit* portNameField() const { return portName_; }
    QLineEdit* portPathField() const { return portPath_; }
    QLineEdit* testNumberField() const { return testNumber_; }
    QPushButton* button(const QString& objectName) const;

    // DeviceSettingsView
    void redrawTable() override;
    void selectRow(int row) override;
    void showPort(const QString& name, const QString& path) override;
    void showSettings(const devices::SettingsFields& fields) override;
    void setTestNumberField(const QString& text) override;
    void showPleaseWait(bool shown) override;
    void endModal(int code) override;
    void runAutomatedTest(const devices::AutomatedTestHandIn& handIn) override;

    // Cancel: nothing confirmed. Not while a test message is on its way (its worker may be
    // waiting for an answer from the user).
    void reject() override;

  private:
    void buildDeviceTable(QWidget* parent, QVBoxLayout* layout);
    void buildDeviceColumns(QWidget* parent, QVBoxLayout* layout);
    QGroupBox* buildPortBox(QWidget* parent);
    QGroupBox* buildTestBox(QWidget* parent);
    void buildButtonRow(QWidget* parent, QVBoxLayout* layout);

    devices::Selected_Device_Details_GSM controller_;
    bool selecting_ = false;  // a highlight the controller asked for, not the user

    QWidget* content_ = nullptr;
    QTableView* table_ = nullptr;
    RecordTableModel* model_ = nullptr;
    QLineEdit* portName_ = nullptr;
    QLineEdit* portPath_ = nullptr;
    SettingsGroup* settings_ = nullptr;
    QLineEdit* testNumber_ = nullptr;
    PleaseWaitSheet* sheet_ = nullptr;
};

}  // namespace tesk::ui
