#include "ui/device_settings_wnd.h"

#include "ui/automated_test_wnd.h"
#include "ui/please_wait.h"
#include "ui/record_table_model.h"
#include "ui/settings_group.h"
#include "ui/window_parts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tesk::ui {

DeviceSettingsWnd::DeviceSettingsWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Selected_Device_Details_GSM"));
    setWindowTitle(QStringLiteral("Device Settings"));
    setModal(true);

    QVBoxLayout* layout = makeWindowContent(this, &content_);
    layout->addWidget(makeHeading(QStringLiteral("Devices chosen for sending"), content_));
    buildDeviceTable(content_, layout);
    buildDeviceColumns(content_, layout);
    buildButtonRow(content_, layout);
    sheet_ = new PleaseWaitSheet(content_, this);

    controller_.setView(this);
    redrawTable();
    showSettings(controller_.settings().fields());
    resize(820, 520);
}

// The chosen devices; highlighting one shows its settings. A highlight the controller asked for
// (selecting_) is not reported back.
void DeviceSettingsWnd::buildDeviceTable(QWidget* parent, QVBoxLayout* layout) {
    model_ = new RecordTableModel({{QStringLiteral("COM_PORT"), QStringLiteral("Port")},
                                   {QStringLiteral("Model"), QStringLiteral("Model")},
                                   {QStringLiteral("SMSMode"), QStringLiteral("SMS Mode")},
                                   {QStringLiteral("UseCusSMSC"), QStringLiteral("Custom SMSC")},
                                   {QStringLiteral("PORT_DETAL"), QStringLiteral("Device Path")}},
                                  this);
    table_ = makeRowTable(model_, parent);
    table_->setObjectName(QStringLiteral("chosenDeviceTable"));
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    const int widths[] = {90, 120, 100, 100};
    for (int column = 0; column < 4; ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    table_->setMinimumHeight(120);
    layout->addWidget(table_, 1);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selecting_) {
            controller_.Highlight_Row(Highlighted_Row(table_));
        }
    });
}

// The highlighted device and the test message on the left, its connection settings on the
// right.
void DeviceSettingsWnd::buildDeviceColumns(QWidget* parent, QVBoxLayout* layout) {
    auto* columns = new QHBoxLayout;
    columns->setSpacing(12);
    auto* left = new QVBoxLayout;
    left->setSpacing(12);
    left->addWidget(buildPortBox(parent));
    left->addWidget(buildTestBox(parent));
    left->addStretch();
    columns->addLayout(left, 1);
    settings_ = new SettingsGroup(controller_.settings(), parent);
    columns->addWidget(settings_, 1, Qt::AlignTop);
    layout->addLayout(columns);
}

QGroupBox* DeviceSettingsWnd::buildPortBox(QWidget* parent) {
    auto* portBox = new QGroupBox(QStringLiteral("Highlighted device"), parent);
    auto* form = new QFormLayout(portBox);
    portName_ = makeReadOnlyField("portNameField", portBox);
    portPath_ = makeReadOnlyField("portPathField", portBox);
    form->addRow(QStringLiteral("Port:"), portName_);
    form->addRow(QStringLiteral("Device path:"), portPath_);
    return portBox;
}

// A test message to a number the user gives, through the highlighted device.
QGroupBox* DeviceSettingsWnd::buildTestBox(QWidget* parent) {
    auto* testBox = new QGroupBox(QStringLiteral("Test message"), parent);
    auto* testLayout = new QHBoxLayout(testBox);
    testNumber_ = new QLineEdit(testBox);
    testNumber_->setObjectName(QStringLiteral("testNumberField"));
    testNumber_->setMaxLength(devices::kFieldLimit);
    testNumber_->setPlaceholderText(QStringLiteral("e.g. +447700900123"));
    QPushButton* send = makeButton("sendTestButton", QStringLiteral("Send Test SMS"), testBox);
    testLayout->addWidget(new QLabel(QStringLiteral("Phone number:"), testBox));
    testLayout->addWidget(testNumber_, 1);
    testLayout->addWidget(send);
    connect(testNumber_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.Set_Test_Number_Field(text); });
    connect(send, &QPushButton::clicked, this, [this] { controller_.Send_Test_SMS_Pressed(); });
    return testBox;
}

// The automatic settings test on the left, away from Cancel and OK.
void DeviceSettingsWnd::buildButtonRow(QWidget* parent, QVBoxLayout* layout) {
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 4, 0, 0);
    QPushButton* automatic =
        makeButton("automaticTestButton", QStringLiteral("Automatic Settings Test"), parent);
    QPushButton* cancel = makeButton("cancelButton", QStringLiteral("Cancel"), parent);
    QPushButton* ok = makeButton("okButton", QStringLiteral("OK"), parent);
    for (QPushButton* button : {cancel, ok}) {
        button->setMinimumWidth(100);
    }
    bottom->addWidget(automatic);
    bottom->addStretch();
    bottom->addWidget(cancel);
    bottom->addWidget(ok);
    layout->addLayout(bottom);
    connect(automatic, &QPushButton::clicked, this,
            [this] { controller_.Automate_Button_Presses(); });
    connect(cancel, &QPushButton::clicked, this, &DeviceSettingsWnd::reject);
    connect(ok, &QPushButton::clicked, this, [this] { controller_.OK_Button_Presses(); });
}

DeviceSettingsWnd::~DeviceSettingsWnd() {
    controller_.setView(nullptr);
}

QPushButton* DeviceSettingsWnd::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void DeviceSettingsWnd::reject() {
    if (controller_.testMessageRunning()) {
        return;
    }
    done(0);
}

// ---- DeviceSettingsView ----

void DeviceSettingsWnd::redrawTable() {
    const QList<DeviceRecord> records = controller_.records();
    const bool reset = records.size() != model_->rowCount();
    model_->refresh(static_cast<int>(records.size()), [records](int row, const QString& key) {
        return Device_Field(records.at(row), key);
    });
    if (reset) {
        selectRow(static_cast<int>(controller_.Prev_Index()));
    }
}

void DeviceSettingsWnd::selectRow(int row) {
    selecting_ = true;
    Highlight_Table_Row(table_, row);
    selecting_ = false;
}

void DeviceSettingsWnd::showPort(const QString& name, const QString& path) {
    portName_->setText(name);
    portPath_->setText(path);
}

void DeviceSettingsWnd::showSettings(const devices::SettingsFields& fields) {
    settings_->showFields(fields);
}

void DeviceSettingsWnd::setTestNumberField(const QString& text) {
    if (testNumber_->text() != text) {
        testNumber_->setText(text);
    }
}

void DeviceSettingsWnd::showPleaseWait(bool shown) {
    if (shown) {
        sheet_->showSheet();
    } else {
        sheet_->hideSheet();
    }
}

void DeviceSettingsWnd::endModal(int code) {
    done(code);
}

void DeviceSettingsWnd::runAutomatedTest(const devices::AutomatedTestHandIn& handIn) {
    AutomatedTestWnd window(this);
    window.controller().Open_Automated_SMS_Wnd(handIn);
    window.exec();
}

}  // namespace tesk::ui
