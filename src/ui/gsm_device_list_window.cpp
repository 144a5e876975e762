#include "ui/gsm_device_list_window.h"

#include "devices/device_columns.h"
#include "ui/added_ports_dlg.h"
#include "ui/automated_test_wnd.h"
#include "ui/please_wait.h"
#include "ui/record_table_model.h"
#include "ui/settings_group.h"
#include "ui/window_parts.h"

#include <QFormLayout>
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

// The tick column, then the facts in the order every device list shows them.
QList<RecordColumn> deviceColumns() {
    QList<RecordColumn> columns = {{QStringLiteral("State"), QStringLiteral("Use")}};
    for (const devices::DeviceColumn& column : devices::Device_List_Columns()) {
        columns.append({column.key, column.heading});
    }
    return columns;
}

QPlainTextEdit* makeTextView(const char* name, QWidget* parent) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QLatin1String(name));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    return view;
}

}  // namespace

GsmDeviceListWindow::GsmDeviceListWindow(devices::GSM_Device_List_Wnd& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("GSM_Device_List_Wnd"));
    setWindowTitle(QStringLiteral("GSM Devices"));
    setModal(true);

    QVBoxLayout* layout = makeWindowContent(this, &content_);
    layout->addWidget(
        makeHeading(QStringLiteral("Mobile devices connected to this computer"), content_));
    layout->addWidget(new QLabel(QStringLiteral("Tick the devices that should send your "
                                                "messages, then click \"Select Device\"."),
                                 content_));

    model_ = new RecordTableModel(deviceColumns(), this);
    model_->setCheckColumn(QStringLiteral("State"),
                           [this](int row, bool ticked) { controller_.Set_State(row, ticked); });
    table_ = makeRowTable(model_, content_);
    table_->setObjectName(QStringLiteral("deviceTable"));
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    const int widths[] = {0, 70, 140, 100, 140, 110, 90, 90};
    for (int column = 1; column < 8; ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    table_->setMinimumHeight(150);
    layout->addWidget(table_, 1);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selecting_) {
            controller_.Highlight_Row(Highlighted_Row(table_));
        }
    });

    progress_ = new QProgressBar(content_);
    progress_->setObjectName(QStringLiteral("scanProgress"));
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(10);
    layout->addWidget(progress_);

    layout->addWidget(buildDetails(content_));
    layout->addWidget(buildButtons(content_));
    sheet_ = new PleaseWaitSheet(content_, this);

    // What the controller holds now (a scan may still be finishing from the last opening).
    controller_.setView(this);
    redrawTable();
    showControls(controller_.controls());
    showProgress(controller_.progressValue(), controller_.progressMaximum());
    showDetails(controller_.details());
    showSettings(controller_.settings().fields());
    setTestNumberField(controller_.testNumberField());
    resize(980, 680);
}

GsmDeviceListWindow::~GsmDeviceListWindow() {
    controller_.setView(nullptr);
}

QWidget* GsmDeviceListWindow::buildDetails(QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* columns = new QHBoxLayout(row);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(12);

    auto* detailsBox = new QGroupBox(QStringLiteral("Highlighted device"), row);
    detailsBox_ = detailsBox;
    auto* detailsLayout = new QVBoxLayout(detailsBox);
    auto* form = new QFormLayout;
    portName_ = makeReadOnlyField("portNameField", detailsBox);
    portPath_ = makeReadOnlyField("portPathField", detailsBox);
    form->addRow(QStringLiteral("Port:"), portName_);
    form->addRow(QStringLiteral("Device path:"), portPath_);
    detailsLayout->addLayout(form);
    details_ = makeTextView("detailsView", detailsBox);
    Fit_Details_Lines(details_);
    detailsLayout->addWidget(details_, 1);
    columns->addWidget(detailsBox, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(12);
    settings_ = new SettingsGroup(controller_.settings(), row);
    right->addWidget(settings_);
    auto* testBox = new QGroupBox(QStringLiteral("Test message"), row);
    testBox_ = testBox;
    auto* testLayout = new QHBoxLayout(testBox);
    testNumber_ = new QLineEdit(testBox);
    testNumber_->setObjectName(QStringLiteral("testNumberField"));
    testNumber_->setMaxLength(devices::kFieldLimit);
    testNumber_->setPlaceholderText(QStringLiteral("e.g. +447700900123"));
    QPushButton* send = makeButton("sendTestButton", QStringLiteral("Send Test SMS"), testBox);
    testLayout->addWidget(new QLabel(QStringLiteral("Phone number:"), testBox));
    testLayout->addWidget(testNumber_, 1);
    testLayout->addWidget(send);
    right->addWidget(testBox);
    right->addStretch();
    columns->addLayout(right, 1);

    connect(testNumber_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.Set_Test_Number_Field(text); });
    connect(send, &QPushButton::clicked, this, [this] { controller_.Send_Test_SMS_Pressed(); });
    return row;
}

QWidget* GsmDeviceListWindow::buildButtons(QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    search_ = makeButton("searchAgainButton", QStringLiteral("Search Mobile Device Again"), bar);
    stop_ = makeButton("stopButton", QStringLiteral("Stop"), bar);
    automatic_ = makeButton("automaticTestButton", QStringLiteral("Automatic Settings Test"), bar);
    addPort_ = makeButton("addPortButton", QStringLiteral("Add Port..."), bar);
    offline_ = makeButton("continueOfflineButton", QStringLiteral("Continue Offline"), bar);
    select_ = makeButton("selectDeviceButton", QStringLiteral("Select Device"), bar);
    QFont bold = select_->font();
    bold.setBold(true);
    select_->setFont(bold);
    select_->setMinimumWidth(120);
    row->addWidget(search_);
    row->addWidget(stop_);
    row->addWidget(automatic_);
    row->addWidget(addPort_);
    row->addStretch();
    row->addWidget(offline_);
    row->addWidget(select_);

    connect(search_, &QPushButton::clicked, this, [this] { controller_.Search_dev_Pressed(); });
    connect(stop_, &QPushButton::clicked, this,
            [this] { controller_.Stopmodem_Searching_pressed(); });
    connect(automatic_, &QPushButton::clicked, this,
            [this] { controller_.Automate_Button_Presses(); });
    connect(addPort_, &QPushButton::clicked, this, [this] {
        AddedPortsDlg dialog(controller_, this);
        dialog.exec();
        if (dialog.changed()) {
            controller_.Search_dev_Pressed();
        }
    });
    connect(offline_, &QPushButton::clicked, this,
            [this] { controller_.ContinueOfflinePressed(); });
    connect(select_, &QPushButton::clicked, this, [this] { controller_.Sel_Device_Pressed(); });
    return bar;
}

QString GsmDeviceListWindow::detailsText() const {
    return details_->toPlainText();
}

QPushButton* GsmDeviceListWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

// ---- GsmDeviceListView ----

void GsmDeviceListWindow::redrawTable() {
    const QList<DeviceRecord> records = controller_.records();
    const bool reset = records.size() != model_->rowCount();
    model_->refresh(static_cast<int>(records.size()), [records](int row, const QString& key) {
        return Device_Field(records.at(row), key);
    });
    if (reset) {
        // A new row count forgets the highlight; the controller still has it.
        selectRow(static_cast<int>(controller_.Prev_Index()));
    }
}

void GsmDeviceListWindow::selectRow(int row) {
    selecting_ = true;
    Highlight_Table_Row(table_, row);
    selecting_ = false;
}

void GsmDeviceListWindow::scrollToTop() {
    table_->scrollToTop();
}

void GsmDeviceListWindow::showControls(const devices::DeviceWindowControls& controls) {
    table_->setEnabled(controls.table);
    detailsBox_->setEnabled(controls.details);
    details_->setEnabled(controls.mobileDevice);
    search_->setEnabled(controls.search);
    addPort_->setEnabled(controls.search);
    select_->setEnabled(controls.select);
    offline_->setEnabled(controls.cancel);
    testBox_->setEnabled(controls.testMessage);
    settings_->setEnabled(controls.settings);
    stop_->setEnabled(controls.stop);
}

void GsmDeviceListWindow::showProgress(int value, int maximum) {
    // A range of 0..0 would make the bar a busy indicator; before and after a scan it is empty.
    const int top = qMax(maximum, 1);
    progress_->setRange(0, top);
    progress_->setValue(maximum > 0 ? qBound(0, value, top) : 0);
}

void GsmDeviceListWindow::showDetails(const devices::DeviceDetailsFields& fields) {
    portName_->setText(fields.portName);
    portPath_->setText(fields.portPath);
    details_->setPlainText(Shown_Details_Text(fields.detailsText));
}

void GsmDeviceListWindow::showSettings(const devices::SettingsFields& fields) {
    settings_->showFields(fields);
}

void GsmDeviceListWindow::setTestNumberField(const QString& text) {
    if (testNumber_->text() != text) {
        testNumber_->setText(text);
    }
}

void GsmDeviceListWindow::showPleaseWait(bool shown) {
    if (shown) {
        sheet_->showSheet();
    } else {
        sheet_->hideSheet();
    }
}

void GsmDeviceListWindow::endModal(int code) {
    done(code);
}

void GsmDeviceListWindow::runAutomatedTest(const devices::AutomatedTestHandIn& handIn) {
    AutomatedTestWnd window(this);
    window.controller().Open_Automated_SMS_Wnd(handIn);
    window.exec();
}

}  // namespace tesk::ui
