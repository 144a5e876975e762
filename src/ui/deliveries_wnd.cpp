#include "ui/deliveries_wnd.h"

#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "core/off_window_thread.h"
#include "delivery/delivery_book.h"
#include "delivery/device_listener.h"
#include "delivery/inbox.h"
#include "stores/reports.h"
#include "ui/record_table_model.h"
#include "ui/window_parts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tesk::ui {
namespace {

// How often an open window looks for new reports and replies.
constexpr int kRefreshMs = 2000;

QString shownTime(const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                          : QString();
}

QString inboxText(const QList<delivery::InboxMessage>& messages) {
    QString text;
    for (const delivery::InboxMessage& message : messages) {
        text +=
            QStringLiteral("From\t\t: ") + message.sender + QStringLiteral("\nReceived\t: ") +
            shownTime(message.receivedAt) + QStringLiteral("\nDevice\t\t: ") + message.device +
            QStringLiteral("\nMessage\t\t: ") + message.text +
            (message.optOut ? QStringLiteral("\nOpt-out\t\t: added to \"Opt-outs\"") : QString()) +
            QLatin1Char('\n') + QString(76, QLatin1Char('=')) + QLatin1Char('\n');
    }
    return text;
}

}  // namespace

DeliveriesWnd::DeliveriesWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Deliveries"));
    setWindowTitle(QStringLiteral("Deliveries and Replies"));
    QWidget* content = nullptr;
    QVBoxLayout* layout = makeWindowContent(this, &content, 8);
    summary_ = new QLabel(content);
    summary_->setObjectName(QStringLiteral("summaryLabel"));
    layout->addWidget(summary_);

    tabs_ = new QTabWidget(content);
    deliveries_ = new RecordTableModel({{QStringLiteral("Sent"), QStringLiteral("Sent")},
                                        {QStringLiteral("Number"), QStringLiteral("Number")},
                                        {QStringLiteral("Message"), QStringLiteral("Message")},
                                        {QStringLiteral("Delivery"), QStringLiteral("Delivery")},
                                        {QStringLiteral("Device"), QStringLiteral("Device")}},
                                       this);
    QTableView* deliveryTable = makeRowTable(deliveries_, tabs_);
    deliveryTable->setObjectName(QStringLiteral("deliveryTable"));
    tabs_->addTab(deliveryTable, QStringLiteral("Deliveries"));
    inbox_ = new RecordTableModel({{QStringLiteral("Received"), QStringLiteral("Received")},
                                   {QStringLiteral("From"), QStringLiteral("From")},
                                   {QStringLiteral("Message"), QStringLiteral("Message")},
                                   {QStringLiteral("Opt-out"), QStringLiteral("Opt-out")},
                                   {QStringLiteral("Device"), QStringLiteral("Device")}},
                                  this);
    QTableView* inboxTable = makeRowTable(inbox_, tabs_);
    inboxTable->setObjectName(QStringLiteral("inboxTable"));
    tabs_->addTab(inboxTable, QStringLiteral("Inbox"));
    for (QTableView* table : {deliveryTable, inboxTable}) {
        table->setColumnWidth(0, 135);
        table->setColumnWidth(1, 120);
        table->setColumnWidth(2, 250);
        table->setColumnWidth(3, 260);
        table->setMinimumSize(940, 260);
    }
    layout->addWidget(tabs_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, content);
    QPushButton* readButton =
        buttons->addButton(QStringLiteral("Read From Devices"), QDialogButtonBox::ActionRole);
    readButton->setObjectName(QStringLiteral("readDevicesButton"));
    readButton->setToolTip(QStringLiteral(
        "Reads the reports and replies the chosen devices kept since the last run."));
    connect(readButton, &QPushButton::clicked, this, &DeliveriesWnd::readDevices);
    QPushButton* exportButton =
        buttons->addButton(QStringLiteral("Export Inbox..."), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("exportInboxButton"));
    connect(exportButton, &QPushButton::clicked, this, &DeliveriesWnd::exportInboxAsked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &DeliveriesWnd::refresh);
    timer_->start(kRefreshMs);
    refresh();
}

void DeliveriesWnd::refresh() {
    // A fresh read: the sending runs and the command line write the files meanwhile.
    const delivery::DeliveryBook book(delivery::DeliveryBook::Default_File());
    const QList<delivery::MessageDelivery> sent = book.messages();
    deliveries_->refresh(static_cast<int>(sent.size()),
                         [sent](int row, const QString& key) -> QVariant {
                             const delivery::MessageDelivery& message = sent.at(row);
                             if (key == QLatin1String("Sent")) {
                                 return shownTime(message.sentAt);
                             }
                             if (key == QLatin1String("Number")) {
                                 return message.recipient;
                             }
                             if (key == QLatin1String("Message")) {
                                 return message.excerpt;
                             }
                             if (key == QLatin1String("Delivery")) {
                                 return delivery::State_Text(message);
                             }
                             return message.device;
                         });
    QList<delivery::InboxMessage> received = delivery::Inbox::Shared()->Messages();
    std::reverse(received.begin(), received.end());  // newest first, like the deliveries
    inbox_->refresh(
        static_cast<int>(received.size()), [received](int row, const QString& key) -> QVariant {
            const delivery::InboxMessage& message = received.at(row);
            if (key == QLatin1String("Received")) {
                return shownTime(message.receivedAt);
            }
            if (key == QLatin1String("From")) {
                return message.sender;
            }
            if (key == QLatin1String("Message")) {
                return message.text;
            }
            if (key == QLatin1String("Opt-out")) {
                return message.optOut ? QStringLiteral("Added to \"Opt-outs\"") : QString();
            }
            return message.device;
        });
    int delivered = 0;
    for (const delivery::MessageDelivery& message : sent) {
        delivered += message.state == delivery::State::Delivered ? 1 : 0;
    }
    summary_->setText(QStringLiteral("%1 of %2 messages delivered; %3 replies.")
                          .arg(delivered)
                          .arg(sent.size())
                          .arg(received.size()));
}

void DeliveriesWnd::readDevices() {
    const QList<DeviceRecord> devices = port_det_str_array.get();
    if (devices.isEmpty()) {
        Show_MessageBox(QStringLiteral(
            "No device is chosen. Choose the devices in the device window (Search Mobile "
            "Device), then read them here."));
        return;
    }
    int reports = 0;
    int messages = 0;
    QStringList problems;
    Run_Off_Window_Thread([&] {
        delivery::DeviceEvents::Sinks sinks;
        const std::shared_ptr<delivery::DeliveryBook> book = delivery::DeliveryBook::Shared();
        const std::shared_ptr<delivery::Inbox> inbox = delivery::Inbox::Shared();
        sinks.book = book.get();
        sinks.inbox = inbox.get();
        problems = delivery::Read_Devices(devices, sinks, &reports, &messages);
    });
    refresh();
    QString text = QStringLiteral("%1 reports and %2 replies read.").arg(reports).arg(messages);
    if (!problems.isEmpty()) {
        text += QStringLiteral("\n\n") + problems.join(QLatin1Char('\n'));
    }
    Show_MessageBox(text);
}

bool DeliveriesWnd::exportInbox(const QString& path) const {
    return stores::Write_Report(path, inboxText(delivery::Inbox::Shared()->Messages()));
}

void DeliveriesWnd::exportInboxAsked() {
    const QString path = tesk::dialogs().chooseFileToSave({QStringLiteral("Export Inbox"),
                                                           QString(),
                                                           QStringLiteral("Inbox.txt"),
                                                           {QStringLiteral("Text files (*.txt)")}});
    if (path.isEmpty()) {
        return;
    }
    if (!exportInbox(path)) {
        Show_MessageBox(QStringLiteral("The inbox could not be written to %1.").arg(path));
    }
}

}  // namespace tesk::ui
