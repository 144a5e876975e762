#include "ui/phone_list_window.h"

#include "core/dialogs.h"
#include "devices/connection_settings.h"
#include "ui/please_wait.h"
#include "ui/record_table_model.h"
#include "ui/window_parts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tesk::ui {

namespace {

// Each row is a label and its value.
const QList<RecordColumn> kPhoneColumns = {
    {QStringLiteral("COM_PORT"), QStringLiteral("Detail")},
    {QStringLiteral("PORT_DETAL"), QStringLiteral("Value")},
};

}  // namespace

PhoneListWindow::PhoneListWindow(android::Phone_List_Wnd& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("Phone_List_Wnd"));
    setWindowTitle(QStringLiteral("Android Phone"));
    setModal(true);

    QVBoxLayout* layout = makeWindowContent(this, &content_);
    layout->addWidget(
        makeHeading(QStringLiteral("Android phone connected to this computer"), content_));
    layout->addWidget(new QLabel(QStringLiteral("Connect one phone with USB debugging on and "
                                                "allow this computer on the phone's screen.\n"
                                                "Then click \"Select Device\" to send through "
                                                "it."),
                                 content_));

    model_ = new RecordTableModel(kPhoneColumns, this);
    table_ = makeRowTable(model_, content_);
    table_->setObjectName(QStringLiteral("phoneTable"));
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setColumnWidth(0, 170);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(220);
    layout->addWidget(table_, 1);

    progress_ = new QProgressBar(content_);
    progress_->setObjectName(QStringLiteral("detectionProgress"));
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(10);
    layout->addWidget(progress_);
    layout->addWidget(buildTestMessage(content_));
    layout->addWidget(buildButtons(content_));
    sheet_ = new PleaseWaitSheet(content_, this);

    controller_.setView(this);
    redrawRows();
    showControls(controller_.controls());
    showProgress(controller_.progressValue());
    setTestNumberField(controller_.testNumberField());
    resize(720, 560);
}

PhoneListWindow::~PhoneListWindow() {
    controller_.setView(nullptr);
}

QWidget* PhoneListWindow::buildTestMessage(QWidget* parent) {
    testBox_ = new QGroupBox(QStringLiteral("Test message"), parent);
    auto* row = new QHBoxLayout(testBox_);
    testNumber_ = new QLineEdit(testBox_);
    testNumber_->setObjectName(QStringLiteral("testNumberField"));
    testNumber_->setMaxLength(devices::kFieldLimit);
    testNumber_->setPlaceholderText(QStringLiteral("e.g. +447700900123"));
    QPushButton* send = makeButton("sendTestButton", QStringLiteral("Send Test SMS"), testBox_);
    row->addWidget(new QLabel(QStringLiteral("Phone number:"), testBox_));
    row->addWidget(testNumber_, 1);
    row->addWidget(send);
    connect(testNumber_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.Set_Test_Number_Field(text); });
    connect(send, &QPushButton::clicked, this, [this] { controller_.Send_Test_SMS_Pressed(); });
    return testBox_;
}

QWidget* PhoneListWindow::buildButtons(QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 4, 0, 0);
    search_ = makeButton("searchAgainButton", QStringLiteral("Search Mobile Device Again"), bar);
    stop_ = makeButton("stopButton", QStringLiteral("Stop"), bar);
    status_ = makeButton("deviceStatusButton", QStringLiteral("Device Status"), bar);
    back_ = makeButton("backButton", QStringLiteral("Back"), bar);
    offline_ = makeButton("continueOfflineButton", QStringLiteral("Continue Offline"), bar);
    select_ = makeButton("selectDeviceButton", QStringLiteral("Select Device"), bar);
    QFont bold = select_->font();
    bold.setBold(true);
    select_->setFont(bold);
    select_->setMinimumWidth(120);
    for (QPushButton* button : {search_, stop_, status_}) {
        row->addWidget(button);
    }
    row->addStretch();
    for (QPushButton* button : {back_, offline_, select_}) {
        row->addWidget(button);
    }
    connect(search_, &QPushButton::clicked, this, [this] { controller_.Search_dev_Pressed(); });
    connect(stop_, &QPushButton::clicked, this,
            [this] { controller_.Stopmodem_Searching_pressed(); });
    connect(status_, &QPushButton::clicked, this,
            [this] { controller_.Chk_And_Dev_Status_Pressed(); });
    connect(back_, &QPushButton::clicked, this, [this] { controller_.Mobile_Dev_Pressed(); });
    connect(offline_, &QPushButton::clicked, this,
            [this] { controller_.ContinueOfflinePressed(); });
    connect(select_, &QPushButton::clicked, this, [this] { controller_.Sel_Device_Pressed(); });
    return bar;
}

QPushButton* PhoneListWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

// ---- PhoneListView

void PhoneListWindow::redrawRows() {
    const QList<DeviceRecord> rows = controller_.rows();
    model_->refresh(static_cast<int>(rows.size()), [rows](int row, const QString& key) {
        return Device_Field(rows.at(row), key);
    });
}

void PhoneListWindow::selectRow(int row) {
    Highlight_Table_Row(table_, row);
}

void PhoneListWindow::scrollToTop() {
    table_->scrollToTop();
}

void PhoneListWindow::showControls(const android::PhoneWindowControls& controls) {
    table_->setEnabled(controls.rows);
    search_->setEnabled(controls.search);
    select_->setEnabled(controls.select);
    offline_->setEnabled(controls.continueOffline);
    back_->setEnabled(controls.mobileDevice);
    status_->setEnabled(controls.status);
    testBox_->setEnabled(controls.testMessage);
    stop_->setEnabled(controls.stop);
}

void PhoneListWindow::showProgress(int value) {
    progress_->setValue(qBound(0, value, 100));
}

void PhoneListWindow::showPleaseWait(bool shown) {
    if (shown) {
        sheet_->showSheet();
    } else {
        sheet_->hideSheet();
    }
}

void PhoneListWindow::setTestNumberField(const QString& text) {
    if (testNumber_->text() != text) {
        testNumber_->setText(text);
    }
}

void PhoneListWindow::focusRows() {
    table_->setFocus();
}

void PhoneListWindow::focusTestNumber() {
    testNumber_->setFocus();
}

void PhoneListWindow::endModal(int code) {
    done(code);
}

bool PhoneListWindow::askAboutPhone(const QString& question) {
    return Show_YES_NO_MessageBox(question);
}

}  // namespace tesk::ui
