#include "ui/composer_window.h"

#include "appstate/selection_state.h"
#include "core/app_thread_queue.h"
#include "core/dialogs.h"
#include "core/pacing.h"
#include "sending/android_sending.h"
#include "ui/editing_dialogs.h"
#include "ui/list_models.h"
#include "ui/please_wait.h"
#include "ui/window_parts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace tesk::ui {
namespace {

using composer::ComposerKind;

// The six option switches, in the order ComposerOptions lists them.
const QStringList kOptionTitles = {QStringLiteral("Skip Duplicate Numbers"),
                                   QStringLiteral("Exclusion List"),
                                   QStringLiteral("Save Sent Items"),
                                   QStringLiteral("Save Templates"),
                                   QStringLiteral("Unicode"),
                                   QStringLiteral("Delayed Delivery")};

QLabel* makeHint(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    label->setPalette(palette);
    return label;
}

// A radio with a small "?" beside it that explains its choice.
QWidget* withHelpButton(QRadioButton* radio, const char* name, void (*help)()) {
    auto* row = new QWidget(radio->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    radio->setParent(row);
    layout->addWidget(radio);
    auto* button = new QPushButton(QStringLiteral("?"), row);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setFixedWidth(28);
    QObject::connect(button, &QPushButton::clicked, row, [help] { help(); });
    layout->addWidget(button);
    layout->addStretch();
    return row;
}

}  // namespace

ComposerWindow::ComposerWindow(composer::ComposerController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    const bool android = controller_.kind() == ComposerKind::Android;
    setObjectName(android ? QStringLiteral("Tesk_SMSAppDelegate")
                          : QStringLiteral("Gsm_Tesk_Sms_Wnd"));
    setWindowTitle(android ? QStringLiteral("Tesk SMS - Android Mode")
                           : QStringLiteral("Tesk SMS - GSM Mode"));

    content_ = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(content_);
    auto* layout = new QVBoxLayout(content_);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    layout->addWidget(buildDeviceBar(content_));
    auto* splitter = new QSplitter(Qt::Horizontal, content_);
    splitter->addWidget(buildInputs(splitter));
    splitter->addWidget(buildList(splitter));
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter, 1);
    layout->addWidget(buildActionBar(content_));
    sheet_ = new PleaseWaitSheet(content_, this);

    // Worker updates are queued to the window thread. They are tied to the controller, not to
    // this window, because the poster may still be called after the window is gone (an import
    // worker ends on its own); the controller itself checks for its view.
    controller_.setGuiPoster([alive = controller_.lifetime()](std::function<void()> task) {
        Queue_To_App_Thread(alive, std::move(task));
    });
    controller_.setView(this);

    showControls(controller_.controls());
    setNumberField(controller_.numberField());
    setComposerText(controller_.composerText());
    setCountLabel(controller_.List_Count_Text());
    setCharCountLabel(controller_.charCountLabel());
    if (controller_.kind() == composer::ComposerKind::Gsm) {
        setCharCountToolTip(composer::Count_Basis_Text(controller_.Count_Basis()));
    }
    redrawTable();
    redrawExclusionTable();
    updateSendButton();
    resize(1080, 700);
}

ComposerWindow::~ComposerWindow() {
    controller_.setView(nullptr);
}

QPushButton* ComposerWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QWidget* ComposerWindow::buildDeviceBar(QWidget* parent) {
    const bool android = controller_.kind() == ComposerKind::Android;
    auto* bar = new QGroupBox(
        android ? QStringLiteral("Android phone") : QStringLiteral("GSM devices"), parent);
    auto* row = new QHBoxLayout(bar);
    deviceLabel_ = new QLabel(QStringLiteral("No Mobile Phone Device is selected."), bar);
    deviceLabel_->setObjectName(QStringLiteral("deviceLabel"));
    deviceCombo_ = new QComboBox(bar);
    deviceCombo_->setObjectName(QStringLiteral("deviceCombo"));
    deviceCombo_->setEditable(false);
    deviceCombo_->setMinimumWidth(220);
    deviceCombo_->setVisible(!android);
    // The count follows the chosen devices' SMS mode.
    connect(deviceCombo_, &QComboBox::currentTextChanged, this, [this] { refreshSendingModes(); });
    noDeviceNotice_ = makeButton(QStringLiteral("noDeviceNotice"),
                                 android ? QStringLiteral("No phone connected - click here to "
                                                          "connect one")
                                         : QStringLiteral("No device selected - click here to "
                                                          "choose one"),
                                 bar);
    noDeviceNotice_->setFlat(true);
    noDeviceNotice_->setCursor(Qt::PointingHandCursor);
    QFont underlined = noDeviceNotice_->font();
    underlined.setUnderline(true);
    noDeviceNotice_->setFont(underlined);
    noDeviceNotice_->hide();
    QPushButton* search = makeButton(
        QStringLiteral("searchButton"),
        android ? QStringLiteral("Connect Phone") : QStringLiteral("Search Devices"), bar);
    row->addWidget(deviceLabel_);
    row->addWidget(deviceCombo_);
    row->addWidget(noDeviceNotice_);
    row->addStretch();
    row->addWidget(search);
    connect(search, &QPushButton::clicked, this, &ComposerWindow::searchDevicesRequested);
    connect(noDeviceNotice_, &QPushButton::clicked, this, &ComposerWindow::searchDevicesRequested);
    return bar;
}

QWidget* ComposerWindow::buildInputs(QWidget* parent) {
    auto* panel = new QWidget(parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 6, 0);
    buildNumberRow(panel, layout);
    buildMessageEditor(panel, layout);
    layout->addWidget(buildOptions(panel));
    if (controller_.kind() == ComposerKind::Android) {
        layout->addWidget(buildSendingModeBox(panel));
    }
    return panel;
}

void ComposerWindow::buildNumberRow(QWidget* panel, QVBoxLayout* layout) {
    auto* numberRow = new QHBoxLayout;
    number_ = new QLineEdit(panel);
    number_->setObjectName(QStringLiteral("numberField"));
    number_->setPlaceholderText(QStringLiteral("e.g. +447700900123"));
    QPushButton* add = makeButton(QStringLiteral("addButton"), QStringLiteral("Add"), panel);
    numberRow->addWidget(new QLabel(QStringLiteral("Number:"), panel));
    numberRow->addWidget(number_, 1);
    numberRow->addWidget(add);
    layout->addLayout(numberRow);
    connect(number_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.controlTextDidChange(text); });
    connect(number_, &QLineEdit::returnPressed, this,
            [this] { controller_.controlTextDidEndEditing(true); });
    connect(add, &QPushButton::clicked, this, [this] { controller_.Add_number_To_List(); });
}

void ComposerWindow::buildMessageEditor(QWidget* panel, QVBoxLayout* layout) {
    layout->addWidget(new QLabel(QStringLiteral("Message:"), panel));
    text_ = new QPlainTextEdit(panel);
    text_->setObjectName(QStringLiteral("composerText"));
    text_->setMinimumSize(360, 140);
    layout->addWidget(text_, 1);
    charCount_ = new QLabel(QStringLiteral("0 Characters"), panel);
    charCount_->setObjectName(QStringLiteral("charCountLabel"));
    layout->addWidget(charCount_);
    const auto reportSelection = [this] {
        const QTextCursor cursor = text_->textCursor();
        controller_.Set_Composer_Selection(cursor.selectionStart(), cursor.selectionEnd());
    };
    connect(text_, &QPlainTextEdit::cursorPositionChanged, this, reportSelection);
    connect(text_, &QPlainTextEdit::selectionChanged, this, reportSelection);
    connect(text_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updatingText_) {
            controller_.textDidChange(text_->toPlainText());
        }
    });
}

QGroupBox* ComposerWindow::buildOptions(QWidget* panel) {
    auto* optionsBox = new QGroupBox(QStringLiteral("Options"), panel);
    auto* grid = new QGridLayout(optionsBox);
    for (int i = 0; i < kOptionTitles.size(); ++i) {
        auto* check = new QCheckBox(kOptionTitles.at(i), optionsBox);
        check->setObjectName(QStringLiteral("option%1").arg(i));
        options_.append(check);
        grid->addWidget(check, i / 2, i % 2);
    }
    const std::function<void(bool)> handlers[] = {
        [this](bool on) { controller_.Skip_Duplicate_Chk(on); },
        [this](bool on) { controller_.Exclusion_Chk(on); },
        [this](bool on) { controller_.Save_Sent_Item_Chk(on); },
        [this](bool on) { controller_.Save_Templates_Chk(on); },
        [this](bool on) { controller_.Unicode_Chk(on); },
        [this](bool on) { controller_.Delayed_Delivry_Chk(on); }};
    for (int i = 0; i < options_.size(); ++i) {
        connect(options_.at(i), &QCheckBox::toggled, this, handlers[i]);
    }

    messageType_ = new QComboBox(optionsBox);
    messageType_->setObjectName(QStringLiteral("messageType"));
    messageType_->addItems(composer::ComposerController::Message_Types());
    grid->addWidget(new QLabel(QStringLiteral("Message type:"), optionsBox), 3, 0);
    grid->addWidget(messageType_, 3, 1);
    connect(messageType_, &QComboBox::activated, this,
            [this](int index) { controller_.Msg_Type_Selected(index); });

    delayedCount_ = new QComboBox(optionsBox);
    delayedCount_->setObjectName(QStringLiteral("delayedCount"));
    delayedCount_->addItems(composer::ComposerController::Delayed_Count_Entries());
    delayedPause_ = new QComboBox(optionsBox);
    delayedPause_->setObjectName(QStringLiteral("delayedPause"));
    delayedPause_->addItems(composer::ComposerController::Delayed_Pause_Entries());
    auto* delayedRow = new QHBoxLayout;
    delayedRow->addWidget(new QLabel(QStringLiteral("Pause after"), optionsBox));
    delayedRow->addWidget(delayedCount_);
    delayedRow->addWidget(new QLabel(QStringLiteral("messages for"), optionsBox));
    delayedRow->addWidget(delayedPause_);
    delayedRow->addStretch();
    grid->addLayout(delayedRow, 4, 0, 1, 2);
    for (QComboBox* combo : {delayedCount_, delayedPause_}) {
        connect(combo, &QComboBox::activated, this, [this] { applyDelayedChoices(); });
    }
    if (controller_.kind() == ComposerKind::Gsm) {
        buildGsmOptions(optionsBox, grid);
    }
    return optionsBox;
}

// The options only a GSM run has: pacing, the per-device limit, going on after a refusal and
// delivery reports.
void ComposerWindow::buildGsmOptions(QGroupBox* optionsBox, QGridLayout* grid) {
    pacing_ = new QComboBox(optionsBox);
    pacing_->setObjectName(QStringLiteral("pacing"));
    pacing_->addItems(composer::ComposerController::Pacing_Choices());
    pacing_->setToolTip(QStringLiteral(
        "Standard waits a few seconds around every message, as a person would; operators "
        "are less likely to block a SIM that sends at that pace.\nFast sends each message "
        "as soon as the modem has answered the last one: several times the rate, with only "
        "the pauses of Delayed Delivery between messages."));
    grid->addWidget(new QLabel(QStringLiteral("Pacing:"), optionsBox), 5, 0);
    grid->addWidget(pacing_, 5, 1);
    connect(pacing_, &QComboBox::activated, this,
            [this](int index) { controller_.Pacing_Selected(index); });

    deviceLimit_ = new QSpinBox(optionsBox);
    deviceLimit_->setObjectName(QStringLiteral("deviceLimit"));
    deviceLimit_->setRange(0, 100000);
    deviceLimit_->setSpecialValueText(QStringLiteral("No limit"));
    deviceLimit_->setToolTip(QStringLiteral(
        "Operators block SIMs that send too many messages. A device stops at this many "
        "messages and the others go on; what is left when every device has reached it is "
        "marked \"Stopped.\"."));
    limitPerDay_ = new QCheckBox(QStringLiteral("per day"), optionsBox);
    limitPerDay_->setObjectName(QStringLiteral("limitPerDay"));
    limitPerDay_->setToolTip(
        QStringLiteral("Count the device's messages of the whole day, "
                       "over every run, not only this run's."));
    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(deviceLimit_);
    limitRow->addWidget(limitPerDay_);
    limitRow->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("Messages per device:"), optionsBox), 6, 0);
    grid->addLayout(limitRow, 6, 1);
    const auto applyLimit = [this] {
        controller_.Device_Limit(deviceLimit_->value(), limitPerDay_->isChecked());
    };
    connect(deviceLimit_, &QSpinBox::valueChanged, this, applyLimit);
    connect(limitPerDay_, &QCheckBox::toggled, this, applyLimit);

    keepGoing_ = new QCheckBox(QStringLiteral("Keep going after a refused number"), optionsBox);
    keepGoing_->setObjectName(QStringLiteral("keepGoing"));
    keepGoing_->setToolTip(QStringLiteral(
        "When the network refuses one number or message, the device goes on with the "
        "others. Errors of the device itself, and three refusals in a row, still stop it."));
    grid->addWidget(keepGoing_, 7, 0, 1, 2);
    connect(keepGoing_, &QCheckBox::toggled, this,
            [this](bool on) { controller_.Keep_Going_Chk(on); });

    deliveryReports_ = new QCheckBox(QStringLiteral("Ask for delivery reports"), optionsBox);
    deliveryReports_->setObjectName(QStringLiteral("deliveryReports"));
    deliveryReports_->setToolTip(QStringLiteral(
        "The network reports whether each message reached the phone. The sending table and "
        "the Deliveries window show it; replies are kept in the Inbox, and a reply STOP "
        "puts the number on the \"Opt-outs\" exclusion list. Some operators charge for "
        "reports."));
    grid->addWidget(deliveryReports_, 8, 0, 1, 2);
    connect(deliveryReports_, &QCheckBox::toggled, this,
            [this](bool on) { controller_.Delivery_Reports_Chk(on); });
}

QGroupBox* ComposerWindow::buildSendingModeBox(QWidget* panel) {
    auto* modeBox = new QGroupBox(QStringLiteral("Sending mode"), panel);
    auto* modeLayout = new QVBoxLayout(modeBox);
    singleShot_ = new QRadioButton(QStringLiteral("Single Shot"), modeBox);
    singleShot_->setObjectName(QStringLiteral("singleShot"));
    oneByOne_ = new QRadioButton(QStringLiteral("One by One"), modeBox);
    oneByOne_->setObjectName(QStringLiteral("oneByOne"));
    auto* group = new QButtonGroup(modeBox);
    group->addButton(singleShot_);
    group->addButton(oneByOne_);
    modeLayout->addWidget(
        withHelpButton(singleShot_, "singleShotHelpButton",
                       &sending::Send_SMS_Func_Android::Sending_Mode_Help_Pressed));
    modeLayout->addWidget(
        makeHint(QStringLiteral("All messages go to the phone at once, in one file; the phone's "
                                "app sends them by itself."),
                 modeBox));
    modeLayout->addWidget(
        withHelpButton(oneByOne_, "oneByOneHelpButton",
                       &sending::Send_SMS_Func_Android::Sending_Mode_Help_Pressed_2));
    modeLayout->addWidget(
        makeHint(QStringLiteral("One message at a time, with progress, pauses and a Stop button."),
                 modeBox));
    connect(singleShot_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            controller_.Single_Shot_Mode_Radio();
        }
    });
    connect(oneByOne_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            controller_.One_By_One_Mode_Radio();
        }
    });
    return modeBox;
}

QWidget* ComposerWindow::buildList(QWidget* parent) {
    auto* panel = new QWidget(parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Phone numbers and messages:"), panel));

    model_ = new RecipientTableModel(controller_, false, this);
    table_ = makeRowTable(model_, panel);
    table_->setObjectName(QStringLiteral("recipientTable"));
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setColumnWidth(0, 150);
    layout->addWidget(table_, 3);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { syncSelectionToController(); });
    connect(table_, &QTableView::doubleClicked, this, [this] {
        syncSelectionToController();
        controller_.doubleClickInTable();
    });

    count_ = new QLabel(QStringLiteral("Total Numbers : 0"), panel);
    count_->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(count_);

    auto* listButtons = new QGridLayout;
    const struct {
        const char* name;
        const char* title;
        void (composer::ComposerController::*action)();
    } actions[] = {
        {"importButton", "Import", &composer::ComposerController::Load_Number},
        {"pasteButton", "Paste Numbers", &composer::ComposerController::Manually_Add_Btn},
        {"exportButton", "Export", &composer::ComposerController::Export_Btn},
        {"removeSelectedButton", "Remove Selected", &composer::ComposerController::Clear_Sel_Btn},
        {"clearAllButton", "Clear All", &composer::ComposerController::Clear_All_Btn},
        {"updateSelectedButton", "Update Selected\nMessages",
         &composer::ComposerController::Update_Sel_Msgs_Btn},
    };
    int column = 0;
    for (const auto& action : actions) {
        QPushButton* button =
            makeButton(QLatin1String(action.name), QString::fromUtf8(action.title), panel);
        button->setMinimumHeight(44);
        listButtons->addWidget(button, 0, column++);
        const auto member = action.action;
        connect(button, &QPushButton::clicked, this, [this, member] { (controller_.*member)(); });
    }
    // The title carries its own line breaks; a button shows "\r\n" as one break.
    QString fillTitle = QStringLiteral("Apply this\r\nmessage to\r\nlist items");
    QPushButton* fill =
        makeButton(QStringLiteral("fillButton"),
                   fillTitle.replace(QStringLiteral("\r\n"), QStringLiteral("\n")), panel);
    fill->setMinimumHeight(64);
    listButtons->addWidget(fill, 0, column);
    connect(fill, &QPushButton::clicked, this, [this] { controller_.Fill_Msg_Btn(); });
    layout->addLayout(listButtons);

    layout->addWidget(new QLabel(QStringLiteral("Exclusion numbers in use:"), panel));
    exclusionModel_ = new RecipientTableModel(controller_, true, this);
    exclusionTable_ = makeRowTable(exclusionModel_, panel);
    exclusionTable_->setObjectName(QStringLiteral("exclusionTable"));
    exclusionTable_->setSelectionMode(QAbstractItemView::NoSelection);
    exclusionTable_->setMaximumHeight(130);
    layout->addWidget(exclusionTable_, 1);
    return panel;
}

QWidget* ComposerWindow::buildActionBar(QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    QPushButton* sentItems =
        makeButton(QStringLiteral("sentItemsButton"), QStringLiteral("Sent Items"), bar);
    QPushButton* templates =
        makeButton(QStringLiteral("templatesButton"), QStringLiteral("Templates"), bar);
    QPushButton* exclusions =
        makeButton(QStringLiteral("exclusionListsButton"), QStringLiteral("Exclusion Lists"), bar);
    for (QPushButton* button : {sentItems, templates, exclusions}) {
        row->addWidget(button);
    }
    connect(sentItems, &QPushButton::clicked, this, &ComposerWindow::sentItemsRequested);
    connect(templates, &QPushButton::clicked, this, &ComposerWindow::templatesRequested);
    connect(exclusions, &QPushButton::clicked, this, &ComposerWindow::exclusionListsRequested);
    if (controller_.kind() == ComposerKind::Gsm) {
        // The Android composer sends through one phone, which has no settings of this kind.
        QPushButton* deviceSettings = makeButton(QStringLiteral("deviceSettingsButton"),
                                                 QStringLiteral("Device Settings"), bar);
        row->addWidget(deviceSettings);
        connect(deviceSettings, &QPushButton::clicked, this,
                &ComposerWindow::deviceSettingsRequested);
        QPushButton* deliveries =
            makeButton(QStringLiteral("deliveriesButton"), QStringLiteral("Deliveries"), bar);
        deliveries->setToolTip(
            QStringLiteral("What the delivery reports said, and what recipients replied."));
        row->addWidget(deliveries);
        connect(deliveries, &QPushButton::clicked, this, &ComposerWindow::deliveriesRequested);
    }
    row->addStretch();
    QPushButton* help = makeButton(QStringLiteral("helpButton"), QStringLiteral("Help"), bar);
    QPushButton* reset = makeButton(QStringLiteral("resetButton"), QStringLiteral("Reset"), bar);
    QPushButton* exit = makeButton(QStringLiteral("exitButton"), QStringLiteral("Exit"), bar);
    send_ = makeButton(QStringLiteral("sendButton"), QStringLiteral("Send"), bar);
    send_->setMinimumWidth(110);
    QFont bold = send_->font();
    bold.setBold(true);
    send_->setFont(bold);
    for (QPushButton* button : {help, reset, exit, send_}) {
        row->addWidget(button);
    }
    connect(help, &QPushButton::clicked, this, &ComposerWindow::helpRequested);
    connect(reset, &QPushButton::clicked, this, [this] { controller_.Reset_Btn(); });
    connect(exit, &QPushButton::clicked, this, &ComposerWindow::exitRequested);
    connect(send_, &QPushButton::clicked, this, [this] {
        // What the user typed last must reach the controller before the checks read it.
        applyDelayedChoices();
        emit sendRequested();
    });
    return bar;
}

// ---- device area ----

void ComposerWindow::setDeviceChoices(const QStringList& entries, int selected) {
    deviceCombo_->clear();
    deviceCombo_->addItems(entries);
    deviceCombo_->setCurrentIndex(selected);
}

void ComposerWindow::setDeviceLabel(const QString& text) {
    deviceLabel_->setText(text);
}

void ComposerWindow::setNoDeviceNoticeVisible(bool visible) {
    noDeviceNotice_->setVisible(visible);
}

QString ComposerWindow::deviceLabel() const {
    return deviceLabel_->text();
}

bool ComposerWindow::noDeviceNoticeVisible() const {
    return !noDeviceNotice_->isHidden();
}

QStringList ComposerWindow::deviceChoices() const {
    QStringList entries;
    for (int i = 0; i < deviceCombo_->count(); ++i) {
        entries.append(deviceCombo_->itemText(i));
    }
    return entries;
}

QString ComposerWindow::currentDeviceChoice() const {
    return deviceCombo_->currentText();
}

void ComposerWindow::setSendAvailable(bool available) {
    sendAvailable_ = available;
    updateSendButton();
}

bool ComposerWindow::sendEnabled() const {
    return send_->isEnabled();
}

void ComposerWindow::updateSendButton() {
    send_->setEnabled(sendAvailable_ && sendWanted_);
}

// ---- selection ----

void ComposerWindow::syncSelectionToController() {
    QList<int> rows;
    const QItemSelection selection = table_->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.append(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    controller_.Set_Selected_Rows(rows);
}

void ComposerWindow::selectRows(const QList<int>& rows) {
    // One range per run of neighbouring rows: "select all" on a long list is one range, not a
    // million.
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    const int count = model_->rowCount();
    const int lastColumn = model_->columnCount() - 1;
    for (qsizetype i = 0; i < sorted.size();) {
        const int first = sorted.at(i);
        int last = first;
        while (++i < sorted.size() && sorted.at(i) <= last + 1) {
            last = qMax(last, sorted.at(i));
        }
        if (first >= 0 && last < count) {
            selection.append(
                QItemSelectionRange(model_->index(first, 0), model_->index(last, lastColumn)));
        }
    }
    table_->selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// ---- ComposerView ----

void ComposerWindow::redrawTable() {
    const QList<int> selected = controller_.selectedRows();
    model_->refresh();
    // A reset forgets the highlighted rows; the controller still has them, so show them again.
    QSignalBlocker block(table_->selectionModel());
    selectRows(selected);
}

void ComposerWindow::redrawExclusionTable() {
    exclusionModel_->refresh();
}

void ComposerWindow::setCountLabel(const QString& text) {
    count_->setText(text);
}

void ComposerWindow::setCharCountToolTip(const QString& text) {
    charCount_->setToolTip(text);
}

void ComposerWindow::refreshSendingModes() {
    if (controller_.kind() == composer::ComposerKind::Gsm) {
        controller_.Set_Sending_Modes(Sending_Modes_For_Choice(deviceCombo_->currentText()));
    }
}

void ComposerWindow::setCharCountLabel(const QString& text) {
    charCount_->setText(text);
}

QString ComposerWindow::countLabel() const {
    return count_->text();
}

QString ComposerWindow::charCountLabel() const {
    return charCount_->text();
}

void ComposerWindow::setNumberField(const QString& text) {
    if (number_->text() != text) {
        number_->setText(text);
    }
}

void ComposerWindow::setComposerText(const QString& text) {
    if (text_->toPlainText() == text) {
        return;
    }
    updatingText_ = true;
    text_->setPlainText(text);
    text_->moveCursor(QTextCursor::End);
    updatingText_ = false;
}

void ComposerWindow::focus(composer::Field field) {
    switch (field) {
        case composer::Field::Number:
            number_->setFocus();
            break;
        case composer::Field::ComposerText:
            text_->setFocus();
            break;
        case composer::Field::Table:
            table_->setFocus();
            break;
    }
}

void ComposerWindow::showControls(const composer::ComposerControls& controls) {
    const bool values[] = {controls.options.skipDuplicate, controls.options.exclusion,
                           controls.options.saveSentItems, controls.options.saveTemplates,
                           controls.options.unicode,       controls.options.delayedDelivery};
    for (int i = 0; i < options_.size(); ++i) {
        QSignalBlocker block(options_.at(i));
        options_.at(i)->setChecked(values[i]);
    }
    options_.last()->setEnabled(controls.delayedDeliveryOffered);
    {
        QSignalBlocker block(messageType_);
        messageType_->setCurrentIndex(controls.messageTypeIndex);
    }
    for (const auto& [combo, index] : {std::pair{delayedCount_, controls.delayedCountIndex},
                                       std::pair{delayedPause_, controls.delayedPauseIndex}}) {
        QSignalBlocker block(combo);
        combo->setEnabled(controls.delayedChoicesEnabled);
        combo->setCurrentIndex(index);
    }
    if (pacing_ != nullptr) {
        QSignalBlocker block(pacing_);
        pacing_->setCurrentIndex(controls.pacingIndex);
        QSignalBlocker blockLimit(deviceLimit_);
        deviceLimit_->setValue(controls.deviceLimit);
        QSignalBlocker blockPerDay(limitPerDay_);
        limitPerDay_->setChecked(controls.deviceLimitPerDay);
        QSignalBlocker blockKeepGoing(keepGoing_);
        keepGoing_->setChecked(controls.keepGoing);
        QSignalBlocker blockReports(deliveryReports_);
        deliveryReports_->setChecked(controls.deliveryReports);
    }
    if (singleShot_ != nullptr) {
        QSignalBlocker blockSingle(singleShot_);
        QSignalBlocker blockOne(oneByOne_);
        singleShot_->setChecked(controls.androidSingleShot);
        oneByOne_->setChecked(!controls.androidSingleShot);
    }
}

void ComposerWindow::applyDelayedChoices() {
    controller_.Delayed_Choices(delayedCount_->isEnabled(), delayedCount_->currentIndex(),
                                delayedPause_->currentIndex());
}

void ComposerWindow::setPleaseWait(bool shown) {
    if (shown) {
        sheet_->showSheet();
    } else {
        sheet_->hideSheet();
    }
}

void ComposerWindow::setSendEnabled(bool enabled) {
    sendWanted_ = enabled;
    updateSendButton();
}

void ComposerWindow::setImportProgress(int numbersRead) {
    sheet_->setNumbersRead(numbersRead);
}

void ComposerWindow::runAfter(double seconds, std::function<void()> task) {
    const int ms = static_cast<int>(pacing::scaled(seconds) * 1000.0);
    QTimer::singleShot(ms, this, std::move(task));
}

int ComposerWindow::runFillMsgDialog() {
    FillMsgInListDialog dialog(controller_, this);
    return dialog.exec();
}

int ComposerWindow::runUpdateSelNumSmsDialog() {
    UpdateSelNumSmsDialog dialog(controller_, this);
    return dialog.exec();
}

int ComposerWindow::runUpdateNumSmsDialog(const composer::EditRequest& request) {
    UpdateNumSmsDialog dialog(controller_, request, this);
    return dialog.exec();
}

bool ComposerWindow::runPasteDialog() {
    ManuallyAddNumDialog dialog(controller_, this);
    return dialog.exec() == 1;
}

void ComposerWindow::offerToOpenExportedFile(const QString& path) {
    if (Show_YES_NO_MessageBox(QStringLiteral("\nDo you want to open the exported file?"))) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

void ComposerWindow::closeEvent(QCloseEvent* event) {
    if (closeHandler_ && !closeHandler_()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace tesk::ui
