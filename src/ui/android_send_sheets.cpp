#include "ui/android_send_sheets.h"

#include "ui/window_parts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tesk::ui {

namespace {

QProgressBar* makeBar(const char* name, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QLabel* makeLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

void prepareSheet(QDialog* sheet, const char* name, const QString& title) {
    sheet->setObjectName(QLatin1String(name));
    sheet->setWindowTitle(title);
    sheet->setWindowModality(Qt::WindowModal);
    // No close button on the frame: the run ends the sheet.
    sheet->setWindowFlags((sheet->windowFlags() | Qt::CustomizeWindowHint) &
                          ~Qt::WindowCloseButtonHint);
    sheet->setMinimumWidth(440);
}

}  // namespace

// ---- SingleShotSheet

SingleShotSheet::SingleShotSheet(QWidget* parent) : QDialog(parent) {
    prepareSheet(this, "Single_Shot_Modeless", QStringLiteral("Sending through the phone"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(10);
    layout->addWidget(makeHeading(QStringLiteral("Handing the list to the phone"), this));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Total Messages:"), this));
    total_ = makeLabel("totalLabel", this);
    row->addWidget(total_);
    row->addStretch();
    layout->addLayout(row);
    status_ = makeLabel("statusLabel", this);
    layout->addWidget(status_);
    bar_ = makeBar("progressBar", this);
    layout->addWidget(bar_);
}

void SingleShotSheet::start(const QString& totalLabel) {
    total_->setText(totalLabel);
    status_->clear();
    bar_->setValue(0);
    show();
}

void SingleShotSheet::setStatus(const QString& text) {
    status_->setText(text);
}

void SingleShotSheet::setBar(int value) {
    bar_->setValue(qBound(0, value, 100));
}

QString SingleShotSheet::statusText() const {
    return status_->text();
}

QString SingleShotSheet::totalText() const {
    return total_->text();
}

// ---- SendSheet

SendSheet::SendSheet(QWidget* parent) : QDialog(parent) {
    prepareSheet(this, "Send_Modeless", QStringLiteral("Sending through the phone"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(8);
    layout->addWidget(makeHeading(QStringLiteral("Sending messages one by one"), this));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("Total Messages:"), this), 0, 0);
    total_ = makeLabel("totalLabel", this);
    grid->addWidget(total_, 0, 1);
    count_ = makeLabel("currentCountLabel", this);
    grid->addWidget(count_, 0, 2, Qt::AlignRight);
    numberTitle_ = new QLabel(QStringLiteral("Sending to:"), this);
    grid->addWidget(numberTitle_, 1, 0);
    number_ = makeLabel("currentNumberLabel", this);
    grid->addWidget(number_, 1, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    totalBar_ = makeBar("totalBar", this);
    layout->addWidget(totalBar_);
    currentBar_ = makeBar("currentBar", this);
    currentBar_->setMaximumHeight(8);
    layout->addWidget(currentBar_);
    pause_ = makeLabel("pauseLabel", this);
    layout->addWidget(pause_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    stop_->setObjectName(QStringLiteral("stopButton"));
    stop_->setAutoDefault(false);
    stop_->setMinimumWidth(100);
    buttons->addWidget(stop_);
    layout->addLayout(buttons);
    connect(stop_, &QPushButton::clicked, this, &SendSheet::stopPressed);
}

void SendSheet::start(int totalMaximum, const QString& totalLabel) {
    total_->setText(totalLabel);
    totalBar_->setRange(0, qMax(totalMaximum, 1));
    totalBar_->setValue(0);
    currentBar_->setValue(0);
    pause_->clear();
    count_->clear();
    number_->clear();
    setStopEnabled(false);
    setProgressPartsVisible(false);
    setNumberPartsVisible(false);
    show();
}

void SendSheet::setStopEnabled(bool enabled) {
    stop_->setEnabled(enabled);
}

void SendSheet::setProgressPartsVisible(bool visible) {
    totalBar_->setVisible(visible);
    setNumberPartsVisible(visible);
}

void SendSheet::setTotalBar(int value) {
    totalBar_->setValue(qBound(0, value, totalBar_->maximum()));
}

void SendSheet::setCurrentBar(int value) {
    currentBar_->setValue(qBound(0, value, 100));
}

void SendSheet::setCurrentCountLabel(const QString& text) {
    count_->setText(text);
}

void SendSheet::setCurrentNumber(const QString& text) {
    number_->setText(text);
}

void SendSheet::setNumberPartsVisible(bool visible) {
    numberTitle_->setVisible(visible);
    number_->setVisible(visible);
}

void SendSheet::setPauseLabel(const QString& text) {
    pause_->setText(text);
}

QString SendSheet::countText() const {
    return count_->text();
}

QString SendSheet::numberText() const {
    return number_->text();
}

QString SendSheet::pauseText() const {
    return pause_->text();
}

// ---- the two storage questions

namespace {

// OK / Cancel under a text, ending with 1 / 0.
QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->done(1); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->done(0); });
    return buttons;
}

}  // namespace

std::unique_ptr<QDialog> Make_File_Creation_Fail_SS(QWidget* parent) {
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("File_Creation_Fail_SS"));
    dialog->setWindowTitle(QStringLiteral("Tesk SMS"));
    auto* layout = new QVBoxLayout(dialog.get());
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(new QLabel(
        QStringLiteral("The message file could not be stored on the phone.\n\n"
                       "The phone's storage may be full or not accessible. Click OK to send\n"
                       "the messages one by one instead (the phone stays connected until\n"
                       "the last one), or Cancel to stop."),
        dialog.get()));
    layout->addWidget(okCancel(dialog.get()));
    return dialog;
}

std::unique_ptr<QDialog> Make_File_Creation_Fail(QWidget* parent) {
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("File_Creation_Fail"));
    dialog->setWindowTitle(QStringLiteral("Tesk SMS"));
    auto* layout = new QVBoxLayout(dialog.get());
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(new QLabel(
        QStringLiteral("This message could not be stored on the phone.\n\n"
                       "The phone's storage may be full or not accessible. Click OK to skip\n"
                       "this message and go on, or Cancel to stop sending."),
        dialog.get()));
    auto* all = new QCheckBox(QStringLiteral("Skip every further message that cannot be stored"),
                              dialog.get());
    all->setObjectName(QStringLiteral("skipForAllBox"));
    all->setChecked(true);
    layout->addWidget(all);
    layout->addWidget(okCancel(dialog.get()));
    return dialog;
}

int Run_File_Creation_Fail_SS(QWidget* parent) {
    return Make_File_Creation_Fail_SS(parent)->exec();
}

int Run_File_Creation_Fail(QWidget* parent, bool* skipForAll) {
    const std::unique_ptr<QDialog> dialog = Make_File_Creation_Fail(parent);
    const int code = dialog->exec();
    if (skipForAll != nullptr) {
        auto* all = dialog->findChild<QCheckBox*>(QStringLiteral("skipForAllBox"));
        *skipForAll = code == 1 && all->isChecked();
    }
    return code;
}

}  // namespace tesk::ui
