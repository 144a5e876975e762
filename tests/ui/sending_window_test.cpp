// The sending window offscreen over a real run with a virtual modem: closing in the middle of a
// run, and the delivery reports of a run. (The shell's GSM walk shows a finished run.)
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

namespace {

using tesk::sending::SendingItem;
using tesk::sending::SendingRequest;
using tesk::test::ScriptedDialogs;
using tesk::test::spinUntil;
using tesk::ui::SendingWnd;

// One virtual modem in PDU mode and the window over a run to the given numbers.
class SendingWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("resources")));
        Fill_Channel_Table();
    }
    void TearDown() override { close_all_ports(); }

    void start(tesk::vmodem::Config config, const QStringList& numbers) {
        config.name = QStringLiteral("VM0");
        config.announce = false;
        modem = std::make_unique<tesk::vmodem::VirtualModem>(config);
        ASSERT_TRUE(modem->start());
        DeviceRecord record;
        record.portName = config.name;
        record.path = modem->portPath();
        record.smsMode = SmsMode::Pdu;
        record.smsCapable = QStringLiteral("Yes");
        request.devices = {record};
        request.entries = {record.path};
        request.selected = request.chosenDevicePath = request.rules.chosenDevicePath = record.path;
        for (const QString& number : numbers) {
            request.list.append({number, QStringLiteral("Hi ") + number.right(3)});
        }
        window.show();
        window.start(request);
    }
    QString delivery(int row) const {
        const auto column = SendingItem::Keys().indexOf(QStringLiteral("Delivery"));
        return window.table()->model()->index(row, static_cast<int>(column)).data().toString();
    }

    QTemporaryDir runtime;
    tesk::pacing::ScopedScale fast{0.02};
    ScriptedDialogs dialogs;
    std::unique_ptr<tesk::vmodem::VirtualModem> modem;
    SendingRequest request;
    SendingWnd window;
};

TEST_F(SendingWindow, ClosingMidRunAsksThenStopsTheRestAndCloses) {
    tesk::vmodem::Config slow;
    slow.latencyMs = 40;
    QStringList numbers;
    for (int i = 0; i < 12; ++i) {
        numbers.append(QStringLiteral("+4477009002%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    start(slow, numbers);
    ASSERT_TRUE(spinUntil([&] { return window.run().table().finishedCount() >= 2; }));

    // No first: nothing changes.
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("No"));
    window.button(QStringLiteral("closeButton"))->click();
    EXPECT_TRUE(window.isVisible());

    // Escape is the same as Close.
    dialogs.expect(QStringLiteral("Terminating the current process"), QStringLiteral("Yes"));
    dialogs.expectNotice(QStringLiteral("\nSMS Sending process is stopped."));
    window.reject();
    ASSERT_TRUE(spinUntil([&] { return !window.run().running(); }));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(dialogs.pending(), 0);

    // The rest of the list was stopped, not sent.
    EXPECT_EQ(window.run().table().at(11).Status, QStringLiteral("Stopped."));
    EXPECT_LT(modem->received().size(), 12);
}

// A run that asks for reports shows them in its Delivery column; a report that comes after the
// run is kept on the device and reaches its message when the Deliveries window reads it.
TEST_F(SendingWindow, ReportsDuringAndAfterTheRunReachTheirMessages) {
    Check_Path_And_Create_Files();
    tesk::vmodem::Config config;
    tesk::vmodem::ReportPlan late;
    late.number = QStringLiteral("+447700900002");
    late.delayMs = 3000;  // long after the run and its short wait at its end, at this clock
    config.reports = {late};
    request.deliveryReports = true;
    dialogs.expectNotice(QStringLiteral("\nSMS Sending process is finished."));
    start(config, {"+447700900001", "+447700900002"});
    ASSERT_TRUE(spinUntil([&] { return !window.run().running(); }));
    EXPECT_EQ(delivery(0), QStringLiteral("Delivered"));
    EXPECT_EQ(delivery(1), QStringLiteral("No report yet"));

    ASSERT_TRUE(spinUntil([&] { return modem->reportsIssued() == 2; }));
    port_det_str_array.set(request.devices);
    tesk::ui::DeliveriesWnd deliveries;
    dialogs.expectNotice(QStringLiteral("1 reports and 0 replies read."));
    deliveries.readDevices();
    const QAbstractItemModel* table =
        deliveries.findChild<QTableView*>(QStringLiteral("deliveryTable"))->model();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->index(0, 3).data().toString(), QStringLiteral("Delivered"));
    EXPECT_EQ(table->index(1, 3).data().toString(), QStringLiteral("Delivered"));
}

}  // namespace
