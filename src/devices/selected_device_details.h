#pragma once
// The device-settings window Selected_Device_Details_GSM of the devices chosen for sending:
// review and change their connection settings, send a test message, run the automatic test,
// and confirm that every chosen device has a service centre before sending.
//
// The window edits copies of the chosen records. OK (every device passing) writes the copies
// back into the selection hand-over, so the sending run uses what the user confirmed; closing
// the window any other way leaves the hand-over as it was (the automatic test's applied
// settings excepted, which always reach it).
#include "core/gui_queue.h"
#include "core/off_window_thread.h"
#include "devices/automated_test.h"
#include "devices/connection_settings.h"
#include "modem/device_list.h"
#include "modem/mfcsms.h"

#include <QList>
#include <QString>

#include <atomic>

namespace tesk::devices {

inline const QString kSelectionNeeded = QStringLiteral(
    "No Mobile Phone Device is selected.\n\nPlease use Mobile Phone Connection Wizard for finding "
    "device or establishing connection.");

class DeviceSettingsView {
  public:
    virtual ~DeviceSettingsView() = default;
    virtual void redrawTable() = 0;
    virtual void selectRow(int row) = 0;  // highlight without calling back
    virtual void showPort(const QString& name, const QString& path) = 0;
    virtual void showSettings(const SettingsFields& fields) = 0;
    virtual void setTestNumberField(const QString& text) = 0;
    virtual void showPleaseWait(bool shown) = 0;
    virtual void endModal(int code) = 0;
    virtual void runAutomatedTest(const AutomatedTestHandIn& handIn) = 0;
};

class Selected_Device_Details_GSM final : public SettingsHost, public AutomatedTestOpener {
  public:
    Selected_Device_Details_GSM();
    ~Selected_Device_Details_GSM() override;
    Selected_Device_Details_GSM(const Selected_Device_Details_GSM&) = delete;
    Selected_Device_Details_GSM& operator=(const Selected_Device_Details_GSM&) = delete;

    void setView(DeviceSettingsView* view) { view_ = view; }

    // True when devices are chosen (the window may open); otherwise shows kSelectionNeeded.
    static bool Devices_Chosen();
    // Fills the list from the hand-over and highlights row 0. The window then runs modally.
    void Open_Gsm_Ph_Det_List_Wnd();

    const QList<DeviceRecord>& records() const { return records_; }
    const ConnectionSettings& settings() const { return settings_; }
    ConnectionSettings& settings() { return settings_; }
    QString portName() const { return portName_; }
    QString portPath() const { return portPath_; }
    QString testNumberField() const { return testNumber_; }
    qint64 Prev_Index() const { return prevIndex_; }
    bool testMessageRunning() const { return tst_sms_th_2; }

    void Highlight_Row(int row);
    void Set_Test_Number_Field(const QString& typed);
    void OK_Button_Presses();
    void Automate_Button_Presses();
    void Send_Test_SMS_Pressed();

    // SettingsHost
    QString Highlighted_Path() const override { return portPath_; }
    void Update_Column_Value(const QString& path,
                             const std::function<void(DeviceRecord&)>& change) override;
    void settingsChanged() override;

    // AutomatedTestOpener
    int Opener_Kind() const override { return 1; }
    void Apply_Test_Settings(const QString& path, bool pdu, bool custom,
                             const QString& cleanedNumber) override;

    void Wait_For_Test();  // tests and shutdown only

  private:
    DeviceSettingsView* view_ = nullptr;
    QList<DeviceRecord> records_;
    ConnectionSettings settings_{this};
    DeviceList facts_;  // what the channel looks up to give a device its own centre back
    MFCSMS channel_;
    GuiQueue gui_;
    QString portName_;
    QString portPath_;
    QString testNumber_;
    qint64 prevIndex_ = -1;
    std::atomic<int> tst_sms_th_2{0};
    Worker test_;  // last, so that it joins before anything the test message touches goes
};

}  // namespace tesk::devices
