#include "ui/android_send_launcher.h"

#include "ui/android_send_sheets.h"
#include "ui/composer_window.h"
#include "ui/editing_dialogs.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

namespace tesk::ui {

AndroidSendLauncher::AndroidSendLauncher(ComposerWindow& window)
    : window_(window),
      singleShot_(new SingleShotSheet(&window)),
      sendSheet_(new SendSheet(&window)),
      run_(std::make_unique<sending::Send_SMS_Func_Android>(window.controller(), this)) {
    QObject::connect(sendSheet_, &SendSheet::stopPressed, sendSheet_,
                     [this] { run_->Stop_Sending_Pressed(); });
}

// The run goes first: its destructor stops a send and waits for the worker, which may still
// queue updates to this view until then.
AndroidSendLauncher::~AndroidSendLauncher() {
    run_.reset();
}

void AndroidSendLauncher::send(const QString& deviceLabel) {
    run_->Send_SMS_Btn(deviceLabel);
}

sending::ListMessageChoice AndroidSendLauncher::runListMessageDialog() {
    FillMsgInListDialog dialog(window_.controller(), &window_);
    const int code = dialog.exec();
    return code == 1   ? sending::ListMessageChoice::Applied
           : code == 0 ? sending::ListMessageChoice::Continue
                       : sending::ListMessageChoice::Cancel;
}

void AndroidSendLauncher::focusNumberField() {
    window_.focus(composer::Field::Number);
}

void AndroidSendLauncher::focusDelayedChoice(bool countChoice) {
    (countChoice ? window_.delayedCountCombo() : window_.delayedPauseCombo())->setFocus();
}

void AndroidSendLauncher::setNumberFieldEnabled(bool enabled) {
    window_.numberField()->setEnabled(enabled);
}

void AndroidSendLauncher::redrawList() {
    window_.redrawTable();
}

void AndroidSendLauncher::selectListRow(int row) {
    QTableView* table = window_.table();
    const QModelIndex index = table->model()->index(row, 0);
    if (!index.isValid()) {
        return;
    }
    table->selectionModel()->select(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table->scrollTo(index);
}

void AndroidSendLauncher::showOneByOneMode() {
    window_.showControls(window_.controller().controls());
}

void AndroidSendLauncher::showSingleShotSheet(const QString& totalLabel) {
    singleShot_->start(totalLabel);
}

void AndroidSendLauncher::setSingleShotStatus(const QString& text) {
    singleShot_->setStatus(text);
}

void AndroidSendLauncher::setSingleShotBar(int value) {
    singleShot_->setBar(value);
}

void AndroidSendLauncher::closeSingleShotSheet() {
    singleShot_->hide();
}

int AndroidSendLauncher::runFileCreationFailSS() {
    return Run_File_Creation_Fail_SS(&window_);
}

void AndroidSendLauncher::showSendSheet(int totalMaximum, const QString& totalLabel) {
    sendSheet_->start(totalMaximum, totalLabel);
}

void AndroidSendLauncher::setStopEnabled(bool enabled) {
    sendSheet_->setStopEnabled(enabled);
}

void AndroidSendLauncher::setProgressPartsVisible(bool visible) {
    sendSheet_->setProgressPartsVisible(visible);
}

void AndroidSendLauncher::setTotalBar(int value) {
    sendSheet_->setTotalBar(value);
}

void AndroidSendLauncher::setCurrentBar(int value) {
    sendSheet_->setCurrentBar(value);
}

void AndroidSendLauncher::setCurrentCountLabel(const QString& text) {
    sendSheet_->setCurrentCountLabel(text);
}

void AndroidSendLauncher::setCurrentNumber(const QString& text) {
    sendSheet_->setCurrentNumber(text);
}

void AndroidSendLauncher::setNumberPartsVisible(bool visible) {
    sendSheet_->setNumberPartsVisible(visible);
}

void AndroidSendLauncher::setPauseLabel(const QString& text) {
    sendSheet_->setPauseLabel(text);
}

void AndroidSendLauncher::closeSendSheet() {
    sendSheet_->hide();
}

int AndroidSendLauncher::runFileCreationFail(bool* skipForAll) {
    return Run_File_Creation_Fail(
        sendSheet_->isVisible() ? static_cast<QWidget*>(sendSheet_) : &window_, skipForAll);
}

}  // namespace tesk::ui
