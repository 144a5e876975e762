// The sending window offscreen over a real run with virtual modems: what it shows while it runs
// and once the run has ended, its buttons, and closing in the middle of a run.
#include "ui/sending_wnd.h"

#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "core/pacing.h"
#include "modem/mfcsms.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/deliveries_wnd.h"
#include "virtual-modem/virtual_modem.h"

#include <QAbstractItemModel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using tesk::sending::SendingItem;
using tesk::sending::SendingRequest;
using tesk::test::ScriptedDialogs;
using tesk::test::spinUntil;
using tesk::ui::SendingWnd;

class SendingWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
        Fill_Channel_Table();
    }
    void TearDown() override { close_all_ports(); }

    void addModem(const QString& name, tesk::vmodem::Config config = {}) {
        config.name = name;
        config.announce = false;
        modems.push_back(std::make_unique<tesk::vmodem::VirtualModem>(config));
        ASSERT_TRUE(modems.back()->start());
        DeviceRecord record;
        record.portName = name;
        record.path = modems.back()->portPath();
        record.smsMode = SmsMode::Pdu;
        record.smsCapable = QStringLiteral("Yes");
        request.devices.append(record);
        request.entries.append(modems.back()->portPath());
    }
    void recipients(const QStringList& numbers) {
        for (const QString& number : numbers) {
            request.list.append({number, QStringLiteral("Hi ") + number.right(3)});
        }
    }
    void start() {
        if (request.entries.size() > 1) {
            request.entries.append(QStringLiteral("All Device"));
            request.selected = QStringLiteral("All Device");
        } else {
            request.selected = request.entries.value(0);
        }
        request.chosenDevicePath = request.entries.value(0);
        request.rules.chosenDevicePath = request.chosenDevicePath;
        window.show();
        window.start(request);
    }
    QString cell(int row, const QString& key) const {
        QAbstractItemModel* model = window.table()->model();
        for (int column = 0; column < model->columnCount(); ++column) {
            if (model->headerData(column, Qt::Horizontal).toString() == key) {
                return model->index(row, column).data().toString();
            }
        }
        return QStringLiteral("<no column %1>").arg(key);
    }
    QStringList received() const {
        QStringList numbers;
        for (const auto& modem : modems) {
            for (const auto& sms : modem->received()) {
                numbers.append(sms.number);
            }
        }
        return numbers;
    }

    QTemporaryDir runtime;
    tesk::pacing::ScopedScale fast{0.02};
    ScriptedDialogs dialogs;
    std::vector<std::unique_ptr<tesk::vmodem::VirtualModem>> modems;
    SendingRequest request;
    SendingWnd window;
};

TEST_F(SendingWindow, AFinishedRunShowsItsOutcome) {
    addModem(QStringLiteral("VM0"));
    addModem(QStringLiteral("VM1"));
    recipients(
        {"+447700900001", "+447700900002", "+447700900003", "+447700900001", "+447700900004"});
    request.rules.skipDuplicates = true;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Sending Messages, Please wait..."));
    EXPECT_TRUE(window.noteText().contains(QStringLiteral("Please do not operate your mobile")));
    dialogs.expectNotice(QStringLiteral("\nSMS Sending process is finished."));
    start();
    EXPECT_EQ(window.totalText(), QStringLiteral("5"));
    ASSERT_TRUE(spinUntil([&] { return !window.run().running(); }));

    EXPECT_EQ(window.statusText(), QStringLiteral("Finish."));
    // The warning not to touch the device goes with the run.
    EXPECT_EQ(window.noteText(), QStringLiteral("Sending Process, Finished."));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Sending Process, Finished."));
    EXPECT_EQ(window.progressText(), QStringLiteral("5 / 5 Message or 100.00%"));
    EXPECT_TRUE(window.button(QStringLiteral("stopButton"))->isHidden());
    EXPECT_FALSE(window.button(QStringLiteral("exportButton"))->isHidden());
    EXPECT_TRUE(window.button(QStringLiteral("closeButton"))->isEnabled());
    ASSERT_EQ(window.table()->model()->rowCount(), 5);
    EXPECT_EQ(cell(3, QStringLiteral("Status")), QStringLiteral("Skipped."));
    for (int row : {0, 1, 2, 4}) {
        EXPECT_EQ(cell(row, QStringLiteral("Status")), QStringLiteral("Message sent successfully."))
            << row;
        EXPECT_TRUE(
            cell(row, QStringLiteral("Current Status")).startsWith(QStringLiteral("Done (")))
            << row;
    }
    // Closing a finished run asks nothing.
    window.button(QStringLiteral("closeButton"))->click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SendingWindow, ClosingMidRunAsksThenStopsTheRestAndCloses) {
    tesk::vmodem::Config slow;
    slow.latencyMs = 40;
    addModem(QStringLiteral("VM0"), slow);
    QStringList numbers;
    for (int i = 0; i < 12; ++i) {
        numbers.append(QStringLiteral("+4477009002%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    recipients(numbers);
    start();
    ASSERT_TRUE(spinUntil([&] { return window.run().table().finishedCount() >= 2; }));

    // No first: nothing changes.
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("No"));
    window.button(QStringLiteral("closeButton"))->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.run().running());

    // Escape is the same as Close.
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    dialogs.expectNotice(QStringLiteral("\nSMS Sending process is stopped."));
    window.reject();
    ASSERT_TRUE(spinUntil([&] { return !window.run().running(); }));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(dialogs.pending(), 0);

    // The rest of the list was stopped, not sent.
    EXPECT_EQ(window.run().table().at(11).Status, QStringLiteral("Stopped."));
    EXPECT_LT(received().size(), 12);
}

}  // namespace

namespace {

// A run that asks for reports shows them in its Delivery column; a report that comes after the
// run is kept on the device and reaches its message when the Deliveries window reads it.
TEST_F(SendingWindow, ReportsDuringAndAfterTheRunReachTheirMessages) {
    Check_Path_And_Create_Files();
    tesk::vmodem::Config config;
    tesk::vmodem::ReportPlan late;
    late.number = QStringLiteral("+447700900002");
    late.delayMs = 3000;  // long after the run and its short wait at its end, at this clock
    config.reports = {late};
    addModem(QStringLiteral("VM0"), config);
    recipients({"+447700900001", "+447700900002"});
    request.deliveryReports = true;
    dialogs.expectNotice(QStringLiteral("\nSMS Sending process is finished."));
    start();
    ASSERT_TRUE(spinUntil([&] { return !window.run().running(); }));
    EXPECT_EQ(cell(0, QStringLiteral("Delivery")), QStringLiteral("Delivered"));
    EXPECT_EQ(cell(1, QStringLiteral("Delivery")), QStringLiteral("No report yet"));
    EXPECT_FALSE(window.table()->isColumnHidden(
        static_cast<int>(SendingItem::Keys().indexOf(QStringLiteral("Delivery")))));

    ASSERT_TRUE(spinUntil([&] { return modems[0]->reportsIssued() == 2; }));
    port_det_str_array.set(request.devices);
    tesk::ui::DeliveriesWnd deliveries;
    dialogs.expectNotice(QStringLiteral("1 reports and 0 replies read."));
    deliveries.readDevices();
    const auto* table = deliveries.findChild<QTableView*>(QStringLiteral("deliveryTable"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->model()->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(table->model()->index(row, 3).data().toString(), QStringLiteral("Delivered"))
            << row;
    }
}

}  // namespace
