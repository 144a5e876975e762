// What a device says on its own, over a virtual modem on a real pseudo-terminal: replies that
// waited on the SIM are kept (STOP opts out) and only then deleted, a report that comes while
// the program listens reaches its message, and one that comes after the program let go is
// stored on the device and reaches its message the next time.
#include "delivery/device_events.h"
#include "../modem/modem_test_support.h"
#include "appstate/data_paths.h"
#include "modem/mfcsms.h"
#include "stores/exclusion_store.h"
#include "support/spin.h"

#include <QTemporaryDir>

namespace {

using namespace tesk::delivery;

const QString kDevice = QStringLiteral("356938035643809");
const QString kFirst = QStringLiteral("+447700900001");
const QString kSecond = QStringLiteral("+447700900002");

class DeviceEventsOverAModem : public tesk::test::ModemChannelTest,
                               public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        ModemChannelTest::SetUp();
        tesk::Set_Data_Paths(runtime.filePath(QStringLiteral("data")));
        Check_Path_And_Create_Files();
        sinks.reportMatched = [this](const QString& id) { matched.append(id); };
    }
    bool textMode() const { return GetParam(); }
    // Sends through the channel with a report asked for, and writes the message in the book.
    QString send(const QString& number) {
        channel.Set_Status_Reports(true);
        QString outcome;
        if (textMode()) {
            channel.Send_Text_SMS(fd, number, QStringLiteral("Hello"), QString(), false, false,
                                  QString::fromUtf8(path), &outcome, QStringLiteral("Yes"));
        } else {
            channel.Send_PDU_SMS(fd, number, QStringLiteral("Hello"), QString(), false, false,
                                 &outcome, QStringLiteral("Yes"));
        }
        return book.Record_Sent(kDevice, number, channel.Last_Submission().references,
                                QStringLiteral("Hello"));
    }
    QString state(const QString& id) const { return State_Text(*book.message(id)); }

    QTemporaryDir files;
    DeliveryBook book{files.filePath(QStringLiteral("Deliveries.VORN"))};
    Inbox inbox{files.filePath(QStringLiteral("Inbox.VORN"))};
    QStringList matched;
    DeviceEvents::Sinks sinks{&book, &inbox, {}, {}};
};

TEST_P(DeviceEventsOverAModem, RepliesAndReportsReachTheirPlaceWhenTheyCome) {
    tesk::vmodem::Config config;
    config.simMessages = {{.sender = kFirst, .text = QStringLiteral("Stop"), .centreTime = {}}};
    config.reports = {{.number = kSecond, .delayMs = 600}};
    openOn(config);
    ASSERT_TRUE(textMode() ? channel.Prepare_Modem_For_Text_SMS(fd)
                           : channel.Prepare_Modem_For_PDU_SMS(fd));

    QString first;
    QString second;
    {
        DeviceEvents events(&channel, fd, kDevice, textMode(), sinks);
        ASSERT_EQ(events.Enable(), DeviceEvents::Routing::Direct);
        EXPECT_EQ(events.Read_Stored(), 1);
        ASSERT_EQ(inbox.Messages().size(), 1);
        EXPECT_EQ(tesk::stores::Applied_Exclusion_Numbers(), QStringList{kFirst});
        EXPECT_EQ(modem->commands().filter(QStringLiteral("AT+CMGD=")).size(), 1);

        first = send(kFirst);
        second = send(kSecond);
        ASSERT_TRUE(tesk::test::spinUntil([&] {
            events.Handle(channel.Take_Unsolicited());
            events.Listen(0.2);
            return matched.contains(first);
        }));
        EXPECT_EQ(state(first), QStringLiteral("Delivered"));
        EXPECT_EQ(state(second), QStringLiteral("No report yet"));

        // A reply that comes while the device is listened to is announced, read and kept.
        modem->injectIncoming(
            {.sender = kSecond, .text = QStringLiteral("Thanks"), .centreTime = {}});
        ASSERT_TRUE(tesk::test::spinUntil([&] {
            events.Listen(0.2);
            return inbox.Messages().size() == 2;
        }));
        EXPECT_EQ(inbox.Messages().last().text, QStringLiteral("Thanks"));
        EXPECT_FALSE(inbox.Messages().last().optOut);
        events.Leave();  // the second report comes after this: the device keeps it
    }
    ASSERT_TRUE(tesk::test::spinUntil([&] { return modem->reportsIssued() == 2; }));
    const int before = static_cast<int>(modem->commands().size());
    DeviceEvents later(&channel, fd, kDevice, textMode(), sinks);
    later.Enable();
    EXPECT_EQ(later.Read_Stored(), 1);
    EXPECT_EQ(matched, (QStringList{first, second}));
    EXPECT_EQ(state(second), QStringLiteral("Delivered"));
    // Reading the report memory leaves the device reading its messages again.
    const QStringList commands = modem->commands().mid(before);
    EXPECT_EQ(commands.last(), QStringLiteral("AT+CPMS=\"SM\""))
        << commands.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Delivery, DeviceEventsOverAModem, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "text" : "pdu"; });

}  // namespace
