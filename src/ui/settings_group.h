#pragma once
// The connection settings of the highlighted device, as the device window and the
// device-settings window both show them: SMS mode, the device's own service centre and a custom
// one. Every click and keystroke goes to the ConnectionSettings, which decides what the controls
// show afterwards; the group then shows exactly that.
#include "devices/connection_settings.h"

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tesk::ui {

class SettingsGroup final : public QGroupBox {
    Q_OBJECT
  public:
    explicit SettingsGroup(devices::ConnectionSettings& settings, QWidget* parent = nullptr);

    void showFields(const devices::SettingsFields& fields);

    QRadioButton* pduButton() const { return pdu_; }
    QRadioButton* textButton() const { return text_; }
    QLineEdit* defaultField() const { return default_; }
    QCheckBox* customCheck() const { return customCheck_; }
    QLineEdit* customField() const { return custom_; }
    QPushButton* helpButton() const { return help_; }

  private:
    // After an action: the settings may have left the controls as the click left them (a
    // radio button clicked off, say), so they are shown again from what the settings hold.
    void showCurrent() { showFields(settings_.fields()); }

    devices::ConnectionSettings& settings_;
    QRadioButton* pdu_ = nullptr;
    QRadioButton* text_ = nullptr;
    QLineEdit* default_ = nullptr;
    QCheckBox* customCheck_ = nullptr;
    QLineEdit* custom_ = nullptr;
    QPushButton* help_ = nullptr;
};

}  // namespace tesk::ui
