#pragma once
// The ports added by path, as the device window lets the user keep them: a field for a serial
// device path (/dev/ttyS1, /dev/ttyAMA0, ...), the ports remembered so far and a way to forget
// one. The controller checks and stores; the window only lists what it holds.
#include "devices/gsm_device_list.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tesk::ui {

class AddedPortsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit AddedPortsDlg(devices::GSM_Device_List_Wnd& controller, QWidget* parent = nullptr);

    // Whether a port was added or forgotten (the device window then searches again).
    bool changed() const { return changed_; }
    QLineEdit* pathField() const { return path_; }
    QListWidget* portList() const { return list_; }

  private:
    void refresh();

    devices::GSM_Device_List_Wnd& controller_;
    QLineEdit* path_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* forget_ = nullptr;
    bool changed_ = false;
};

}  // namespace tesk::ui
