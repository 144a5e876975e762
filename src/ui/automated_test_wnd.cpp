#include "ui/automated_test_wnd.h"
#include "devices/connection_settings.h"

#include "ui/please_wait.h"
#include "ui/record_table_model.h"
#include "ui/window_parts.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tesk::ui {
namespace {

// Hidden widgets keep their place, so the window does not jump when a test starts or ends.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

}  // namespace

AutomatedTestWnd::AutomatedTestWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Automated_GSM_Sending"));
    setWindowTitle(QStringLiteral("Automatic Settings Test"));
    setModal(true);

    QVBoxLayout* layout = makeWindowContent(this, &content_);
    layout->addWidget(makeHeading(QStringLiteral("Automatic settings test"), content_));
    layout->addWidget(new QLabel(
        QStringLiteral("The test sends one message for each combination of SMS mode and service "
                       "centre the device offers.\nHighlight a combination that worked and click "
                       "\"Use Selected Settings\"."),
        content_));
    buildDevicesRow(content_, layout);
    buildRunButtons(content_, layout);
    buildCaseTable(content_, layout);
    buildStatusRow(content_, layout);
    buildCloseRow(content_, layout);
    sheet_ = new PleaseWaitSheet(content_, this);
    connectControls();

    controller_.setView(this);
    showRunning(false);
    showFields(controller_.fields());
    resize(900, 760);
}

// The devices handed in beside the highlighted one's fields.
void AutomatedTestWnd::buildDevicesRow(QWidget* parent, QVBoxLayout* layout) {
    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    auto* devicesBox = new QGroupBox(QStringLiteral("Devices"), parent);
    auto* devicesLayout = new QVBoxLayout(devicesBox);
    deviceModel_ =
        new RecordTableModel({{QStringLiteral("COM_PORT"), QStringLiteral("Port")},
                              {QStringLiteral("Model"), QStringLiteral("Model")},
                              {QStringLiteral("PORT_DETAL"), QStringLiteral("Device Path")}},
                             this);
    devices_ = makeRowTable(deviceModel_, devicesBox);
    devices_->setObjectName(QStringLiteral("testDeviceTable"));
    devices_->setSelectionMode(QAbstractItemView::SingleSelection);
    devices_->setColumnWidth(0, 80);
    devices_->setColumnWidth(1, 100);
    devicesLayout->addWidget(devices_);
    top->addWidget(devicesBox, 2);
    top->addWidget(buildDevice(parent), 3);
    layout->addLayout(top, 1);
}

// Start and Clear Results give way to Stop while a test runs (showRunning); all three are as tall
// as Start, which has room for a title of two lines.
void AutomatedTestWnd::buildRunButtons(QWidget* parent, QVBoxLayout* layout) {
    auto* run = new QHBoxLayout;
    start_ = makeButton("startTestButton", QString(), parent);
    start_->setMinimumHeight(start_->fontMetrics().lineSpacing() * 2 + 16);
    start_->setMinimumWidth(230);
    QFont bold = start_->font();
    bold.setBold(true);
    start_->setFont(bold);
    stop_ = makeButton("stopTestButton", QStringLiteral("Stop"), parent);
    stop_->setMinimumHeight(start_->minimumHeight());
    stop_->setMinimumWidth(120);
    clear_ = makeButton("clearResultsButton", QStringLiteral("Clear Results"), parent);
    clear_->setMinimumHeight(start_->minimumHeight());
    run->addWidget(start_);
    run->addWidget(stop_);
    run->addWidget(clear_);
    run->addStretch();
    layout->addLayout(run);
}

// The combinations the highlighted device can use, with their outcomes.
void AutomatedTestWnd::buildCaseTable(QWidget* parent, QVBoxLayout* layout) {
    caseModel_ = new RecordTableModel({{QStringLiteral("Possible_Case"), QStringLiteral("Case")},
                                       {QStringLiteral("Description"), QStringLiteral("Settings")},
                                       {QStringLiteral("Status"), QStringLiteral("Result")}},
                                      this);
    cases_ = makeRowTable(caseModel_, parent);
    cases_->setObjectName(QStringLiteral("caseTable"));
    cases_->setSelectionMode(QAbstractItemView::SingleSelection);
    cases_->setColumnWidth(0, 70);
    cases_->setColumnWidth(1, 240);
    // Four cases at most: the table shows them all without scrolling.
    cases_->setMinimumHeight(cases_->horizontalHeader()->sizeHint().height() +
                             cases_->verticalHeader()->defaultSectionSize() * 4 + 4);
    layout->addWidget(cases_);
}

// The status line and progress bar of a running test.
void AutomatedTestWnd::buildStatusRow(QWidget* parent, QVBoxLayout* layout) {
    auto* statusRow = new QHBoxLayout;
    status_ = new QLabel(parent);
    status_->setObjectName(QStringLiteral("statusLine"));
    progress_ = new QProgressBar(parent);
    progress_->setObjectName(QStringLiteral("testProgress"));
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(220);
    keepPlaceWhenHidden(status_);
    keepPlaceWhenHidden(progress_);
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(progress_);
    layout->addLayout(statusRow);
}

// Use Selected Settings on the left, away from Close.
void AutomatedTestWnd::buildCloseRow(QWidget* parent, QVBoxLayout* layout) {
    auto* bottom = new QHBoxLayout;
    useSettings_ = makeButton("useSettingsButton", QStringLiteral("Use Selected Settings"), parent);
    close_ = makeButton("closeButton", QStringLiteral("Close"), parent);
    close_->setMinimumWidth(100);
    bottom->addWidget(useSettings_);
    bottom->addStretch();
    bottom->addWidget(close_);
    layout->addLayout(bottom);
}

// The tables and buttons report to the controller; a highlight the controller asked for
// (selecting_) is not reported back.
void AutomatedTestWnd::connectControls() {
    connect(devices_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selecting_) {
            const int row = Highlighted_Row(devices_);
            if (row >= 0) {
                controller_.Highlight_Device(row);
            } else {
                selectDevice(controller_.highlightedDevice());  // a highlight cannot be cleared
            }
        }
    });
    connect(cases_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selecting_) {
            controller_.Highlight_Case(Highlighted_Row(cases_));
        }
    });
    connect(start_, &QPushButton::clicked, this,
            [this] { controller_.Start_Case_Button_Presses(); });
    connect(stop_, &QPushButton::clicked, this, [this] { controller_.Stop_Button_Presses(); });
    connect(clear_, &QPushButton::clicked, this,
            [this] { controller_.Clear_Status_Button_Presses(); });
    connect(useSettings_, &QPushButton::clicked, this,
            [this] { controller_.Use_Settings_Button_Presses(); });
    connect(close_, &QPushButton::clicked, this, [this] { controller_.Close_Button_Presses(); });
}

AutomatedTestWnd::~AutomatedTestWnd() {
    controller_.setView(nullptr);
}

QWidget* AutomatedTestWnd::buildDevice(QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral("Highlighted device"), parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    portName_ = makeReadOnlyField("portNameField", box);
    portPath_ = makeReadOnlyField("portPathField", box);
    model_ = makeReadOnlyField("modelField", box);
    defaultSmsc_ = makeReadOnlyField("defaultSmscField", box);
    custom_ = new QLineEdit(box);
    custom_->setObjectName(QStringLiteral("customSmscField"));
    custom_->setMaxLength(devices::kFieldLimit);
    custom_->setPlaceholderText(QStringLiteral("e.g. +447785016005"));
    QPushButton* help = makeButton("smscHelpButton", QStringLiteral("?"), box);
    help->setToolTip(QStringLiteral("Where to find the SMSC number"));
    help->setFixedWidth(help->sizeHint().height());
    testNumber_ = new QLineEdit(box);
    testNumber_->setObjectName(QStringLiteral("testNumberField"));
    testNumber_->setMaxLength(devices::kFieldLimit);
    testNumber_->setPlaceholderText(QStringLiteral("e.g. +447700900123"));

    int row = 0;
    const auto addRow = [&](const QString& label, QWidget* field, QWidget* extra = nullptr) {
        grid->addWidget(new QLabel(label, box), row, 0);
        grid->addWidget(field, row, 1, 1, extra != nullptr ? 1 : 2);
        if (extra != nullptr) {
            grid->addWidget(extra, row, 2);
        }
        ++row;
    };
    addRow(QStringLiteral("Port:"), portName_);
    addRow(QStringLiteral("Device path:"), portPath_);
    addRow(QStringLiteral("Model:"), model_);
    addRow(QStringLiteral("Default SMSC No.:"), defaultSmsc_);
    addRow(QStringLiteral("Custom SMSC no.:"), custom_, help);
    addRow(QStringLiteral("Test phone number:"), testNumber_);
    details_ = new QPlainTextEdit(box);
    details_->setObjectName(QStringLiteral("detailsView"));
    details_->setReadOnly(true);
    details_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Fit_Details_Lines(details_);
    grid->addWidget(details_, row, 0, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);

    connect(custom_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.Set_Custom_Field(text); });
    connect(testNumber_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.Set_Test_Number_Field(text); });
    connect(help, &QPushButton::clicked, this, [this] { controller_.More_Info_SMSC_Pressed(); });
    return box;
}

QString AutomatedTestWnd::detailsText() const {
    return details_->toPlainText();
}

QString AutomatedTestWnd::statusLine() const {
    return status_->text();
}

QPushButton* AutomatedTestWnd::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

// ---- AutomatedTestView ----

void AutomatedTestWnd::redrawDevices() {
    const QList<devices::TestDeviceRow> devices = controller_.devices();
    const bool reset = devices.size() != deviceModel_->rowCount();
    deviceModel_->refresh(static_cast<int>(devices.size()), [devices](int row, const QString& key) {
        return QVariant(devices.at(row).value(key));
    });
    if (reset) {
        selectDevice(controller_.highlightedDevice());
    }
}

void AutomatedTestWnd::redrawCases() {
    const QList<devices::CaseRow> cases = controller_.cases();
    const bool reset = cases.size() != caseModel_->rowCount();
    caseModel_->refresh(static_cast<int>(cases.size()), [cases](int row, const QString& key) {
        return QVariant(cases.at(row).value(key));
    });
    if (reset) {
        selecting_ = true;
        Highlight_Table_Row(cases_, controller_.highlightedCase());
        selecting_ = false;
    }
}

void AutomatedTestWnd::selectDevice(int row) {
    selecting_ = true;
    Highlight_Table_Row(devices_, row);
    selecting_ = false;
}

void AutomatedTestWnd::showFields(const devices::AutomatedTestFields& fields) {
    portName_->setText(fields.portName);
    portPath_->setText(fields.portPath);
    details_->setPlainText(Shown_Details_Text(fields.detailsText));
    model_->setText(fields.model);
    defaultSmsc_->setText(fields.defaultSmsc);
    if (custom_->text() != fields.customSmsc) {
        custom_->setText(fields.customSmsc);
    }
    if (testNumber_->text() != fields.testNumber) {
        testNumber_->setText(fields.testNumber);
    }
    start_->setText(fields.startTitle.isEmpty() ? QStringLiteral("Start Test") : fields.startTitle);
}

void AutomatedTestWnd::showRunning(bool running) {
    start_->setVisible(!running);
    clear_->setVisible(!running);
    stop_->setVisible(running);
    progress_->setVisible(running);
    status_->setVisible(running);
    custom_->setEnabled(!running);
    testNumber_->setEnabled(!running);
    devices_->setEnabled(!running);
}

void AutomatedTestWnd::setStatusLine(const QString& text) {
    status_->setText(text);
}

void AutomatedTestWnd::setProgress(int value) {
    progress_->setValue(qBound(0, value, 100));
}

void AutomatedTestWnd::showPleaseWait(bool shown) {
    if (shown) {
        sheet_->showSheet();
    } else {
        sheet_->hideSheet();
    }
}

void AutomatedTestWnd::endModal(int code) {
    done(code);
}

}  // namespace tesk::ui
