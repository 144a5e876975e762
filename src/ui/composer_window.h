#pragma once
// A composer window: the GSM composer or the Android composer, by the kind of its controller.
// The window shows the controller's state and forwards every user action to it; it holds no
// list logic of its own. Worker threads reach it only through the controller's GUI poster,
// which queues to the window thread.
#include "composer/composer_controller.h"
#include "composer/composer_view.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QVBoxLayout;

namespace tesk::ui {

class PleaseWaitSheet;
class RecipientTableModel;

class ComposerWindow : public QWidget, public composer::ComposerView {
    Q_OBJECT
  public:
    explicit ComposerWindow(composer::ComposerController& controller, QWidget* parent = nullptr);
    ~ComposerWindow() override;

    composer::ComposerController& controller() { return controller_; }

    // The device area, set by the mode selection flow.
    void setDeviceChoices(const QStringList& entries, int selected);
    // Tells the GSM count how the devices of the current choice send (after their settings
    // changed; a change of choice does it by itself).
    void refreshSendingModes();
    void setDeviceLabel(const QString& text);
    void setNoDeviceNoticeVisible(bool visible);
    QString deviceLabel() const;
    bool noDeviceNoticeVisible() const;
    QStringList deviceChoices() const;
    // The chosen device entry ("All Device" for every chosen device), "" when none.
    QString currentDeviceChoice() const;

    // Whether sending is possible at all (false until the sending run exists). The Send button
    // works only when this holds and no import runs.
    void setSendAvailable(bool available);
    bool sendEnabled() const;

    // Asked when the window is about to close; false keeps it open.
    void setCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }

    // ComposerView
    void redrawTable() override;
    void redrawExclusionTable() override;
    void setCountLabel(const QString& text) override;
    void setCharCountLabel(const QString& text) override;
    void setCharCountToolTip(const QString& text) override;
    void setNumberField(const QString& text) override;
    void setComposerText(const QString& text) override;
    void selectRows(const QList<int>& rows) override;
    void focus(composer::Field field) override;
    void showControls(const composer::ComposerControls& controls) override;
    void setPleaseWait(bool shown) override;
    void setSendEnabled(bool enabled) override;
    void setImportProgress(int numbersRead) override;
    void runAfter(double seconds, std::function<void()> task) override;
    int runFillMsgDialog() override;
    int runUpdateSelNumSmsDialog() override;
    int runUpdateNumSmsDialog(const composer::EditRequest& request) override;
    bool runPasteDialog() override;
    void offerToOpenExportedFile(const QString& path) override;

    // For tests and the gallery.
    QLineEdit* numberField() const { return number_; }
    QPlainTextEdit* composerTextEdit() const { return text_; }
    QTableView* table() const { return table_; }
    RecipientTableModel* tableModel() const { return model_; }
    QString countLabel() const;
    QString charCountLabel() const;
    QCheckBox* option(int index) const { return options_.value(index); }  // switch order
    QComboBox* delayedCountCombo() const { return delayedCount_; }
    QComboBox* delayedPauseCombo() const { return delayedPause_; }
    QComboBox* messageTypeCombo() const { return messageType_; }
    QPushButton* button(const QString& objectName) const;
    PleaseWaitSheet* pleaseWaitSheet() const { return sheet_; }

  signals:
    // The user wants to choose devices again (search button or the no-device notice).
    void searchDevicesRequested();
    void helpRequested();
    void exitRequested();
    void sentItemsRequested();
    void templatesRequested();
    void exclusionListsRequested();
    // GSM only: review the connection settings of the chosen devices.
    void deviceSettingsRequested();
    void deliveriesRequested();
    // The Send button (only while sending is available and no import runs).
    void sendRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildInputs(QWidget* parent);
    void buildNumberRow(QWidget* panel, QVBoxLayout* layout);
    void buildMessageEditor(QWidget* panel, QVBoxLayout* layout);
    QGroupBox* buildOptions(QWidget* panel);
    void buildGsmOptions(QGroupBox* optionsBox, QGridLayout* grid);
    QGroupBox* buildSendingModeBox(QWidget* panel);
    QWidget* buildList(QWidget* parent);
    QWidget* buildDeviceBar(QWidget* parent);
    QWidget* buildActionBar(QWidget* parent);
    void syncSelectionToController();
    void applyDelayedChoices();
    void updateSendButton();

    composer::ComposerController& controller_;
    std::function<bool()> closeHandler_;
    bool sendAvailable_ = false;
    bool sendWanted_ = true;
    bool updatingText_ = false;

    QWidget* content_ = nullptr;
    QLineEdit* number_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QLabel* charCount_ = nullptr;
    QList<QCheckBox*> options_;
    QComboBox* messageType_ = nullptr;
    QComboBox* delayedCount_ = nullptr;
    QComboBox* delayedPause_ = nullptr;
    QComboBox* pacing_ = nullptr;  // GSM composer only, as are the three below
    QSpinBox* deviceLimit_ = nullptr;
    QCheckBox* limitPerDay_ = nullptr;
    QCheckBox* keepGoing_ = nullptr;
    QCheckBox* deliveryReports_ = nullptr;
    QRadioButton* singleShot_ = nullptr;
    QRadioButton* oneByOne_ = nullptr;
    QTableView* table_ = nullptr;
    RecipientTableModel* model_ = nullptr;
    QTableView* exclusionTable_ = nullptr;
    RecipientTableModel* exclusionModel_ = nullptr;
    QLabel* count_ = nullptr;
    QComboBox* deviceCombo_ = nullptr;
    QLabel* deviceLabel_ = nullptr;
    QPushButton* noDeviceNotice_ = nullptr;
    QPushButton* send_ = nullptr;
    PleaseWaitSheet* sheet_ = nullptr;
};

}  // namespace tesk::ui
