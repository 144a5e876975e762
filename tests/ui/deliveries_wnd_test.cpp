// The Deliveries window over real files: it shows what the book and the inbox hold, picks up a
// report another process wrote while it is open, and exports the inbox.
#include "ui/deliveries_wnd.h"
#include "appstate/data_paths.h"
#include "delivery/delivery_book.h"
#include "delivery/inbox.h"
#include "ui/record_table_model.h"

#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tesk::delivery::DeliveryBook;
using tesk::delivery::Inbox;

QStringList column(const QTableView* table, int column) {
    QStringList values;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        values.append(table->model()->index(row, column).data().toString());
    }
    return values;
}

TEST(DeliveriesWindow, ShowsTheFilesAndFollowsThemWhileOpen) {
    QTemporaryDir dir;
    tesk::Set_Data_Paths(dir.path());
    Check_Path_And_Create_Files();
    const QString device = QStringLiteral("356938035643809");
    DeliveryBook writer(DeliveryBook::Default_File());
    writer.Record_Sent(device, QStringLiteral("+447700900001"), {5}, QStringLiteral("First"));
    writer.Record_Sent(device, QStringLiteral("+447700900002"), {6}, QStringLiteral("Second"));
    writer.Apply_Report(device, {5, QStringLiteral("+447700900001"), 0x00, {}});
    Inbox(Inbox::Default_File())
        .Store({QDateTime::currentDateTimeUtc(),
                device,
                QStringLiteral("+447700900002"),
                {},
                QStringLiteral("STOP"),
                true});

    tesk::ui::DeliveriesWnd window;
    const auto* deliveries = window.findChild<QTableView*>(QStringLiteral("deliveryTable"));
    const auto* inbox = window.findChild<QTableView*>(QStringLiteral("inboxTable"));
    const auto* summary = window.findChild<QLabel*>(QStringLiteral("summaryLabel"));
    ASSERT_TRUE(deliveries && inbox && summary);
    EXPECT_EQ(column(deliveries, 2), (QStringList{"Second", "First"}));
    EXPECT_EQ(column(deliveries, 3), (QStringList{"No report yet", "Delivered"}));
    EXPECT_EQ(column(inbox, 2), QStringList{"STOP"});
    EXPECT_EQ(column(inbox, 3), QStringList{"Added to \"Opt-outs\""});
    EXPECT_EQ(summary->text(), QStringLiteral("1 of 2 messages delivered; 1 replies."));

    // Another writer (a sending run, the command line) adds a report meanwhile.
    DeliveryBook(DeliveryBook::Default_File())
        .Apply_Report(device, {6, QStringLiteral("+447700900002"), 0x41, {}});
    window.refresh();
    EXPECT_EQ(column(deliveries, 3),
              (QStringList{"Failed: incompatible destination", "Delivered"}));

    const QString exported = dir.filePath(QStringLiteral("inbox.txt"));
    ASSERT_TRUE(window.exportInbox(exported));
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll().mid(2);
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    EXPECT_TRUE(text.contains(QStringLiteral("From\t\t: +447700900002\n"))) << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("Message\t\t: STOP\nOpt-out\t\t: added to \"Opt-outs\"")))
        << text.toStdString();
}

}  // namespace
