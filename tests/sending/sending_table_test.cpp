// The sending items of a run: load-time rules, exactly-once claims under contention, rules
// applied again at claim time, finishing, stopping, and the progress text.
#include "sending/sending_table.h"

#include <gtest/gtest.h>

#include <QSet>

#include <thread>

namespace tesk::sending {
namespace {

QList<composer::ListItem> listOf(const QStringList& numbers) {
    QList<composer::ListItem> list;
    for (const QString& n : numbers) {
        list.append({n, "hi " + n});
    }
    return list;
}

QStringList statuses(const SendingTable& table) {
    QStringList s;
    for (const SendingItem& item : table.items()) {
        s.append(item.Status.isEmpty() ? item.UseStatus : item.Status);
    }
    return s;
}

TEST(SendingTable, LoadRulesApplyInOrder) {
    const QStringList numbers = {"111", " 222 ", "111", "", "333", "222", "333"};
    const auto excluded = [](const QString& n) { return n == "333"; };
    struct Case {
        bool skip;
        bool exclusions;
        QStringList expected;
    };
    const QString w = kWaitToDispatch;
    const Case cases[] = {
        {true, false, {w, w, "Skipped.", w, "Skipped.", "Skipped."}},
        {false, true, {w, w, w, "Excluded.", w, "Excluded."}},
        // excluded wins over duplicate
        {true, true, {w, w, "Skipped.", "Excluded.", "Skipped.", "Excluded."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.join('|').toStdString());
        SendingTable table;
        table.Load(listOf(numbers), {c.skip, c.exclusions, excluded, "/dev/ttyUSB0"});
        EXPECT_EQ(statuses(table), c.expected);  // the empty number is no item
        EXPECT_EQ(table.at(1).Number, "222");    // trimmed
        EXPECT_EQ(table.at(1).Message, "hi  222 ");
    }
}

// Devices that do nothing but claim and finish: the tightest race there is for a claim.
TEST(SendingTable, EveryItemIsClaimedByExactlyOneDevice) {
    QStringList numbers;
    for (int i = 0; i < 20000; ++i) {
        numbers.append(QString::number(447700000000LL + i));
    }
    SendingTable table;
    table.Load(listOf(numbers), {});
    std::vector<QList<int>> taken(8);
    std::vector<std::thread> devices;
    for (int d = 0; d < 8; ++d) {
        devices.emplace_back([&, d] {
            const QString name = QString("/dev/ttyUSB%1").arg(d);
            SendingItem item;
            for (int index; (index = table.Claim_Next(name, &item)) >= 0;) {
                taken[d].append(index);
                table.Finish_Sent(index, name, "Message sent successfully.");
            }
        });
    }
    QSet<int> all;
    int claims = 0;
    for (int d = 0; d < 8; ++d) {
        devices[d].join();
        for (int index : taken[d]) {
            all.insert(index);
            ASSERT_EQ(table.at(index).CurrentStatus, QString("Done (/dev/ttyUSB%1)").arg(d));
        }
        claims += int(taken[d].size());
    }
    EXPECT_EQ(all.size(), 20000);
    EXPECT_EQ(claims, 20000);
    EXPECT_FALSE(table.Work_Remains());
}

// Claims in list order, the exclusion rule applied again at claim time (its numbers were
// reloaded meanwhile), a verdict recorded once, and a stop that leaves an item in flight to its
// device.
TEST(SendingTable, ClaimFinishAndStop) {
    bool excludeNow = false;
    SendingTable table;
    table.Load(listOf({"1", "2", "3", "4", "5"}),
               {true, true, [&](const QString& n) { return excludeNow && n == "2"; }, QString()});
    SendingItem item;
    const int first = table.Claim_Next("A", &item);
    EXPECT_EQ(item.CurrentStatus, "Sending (A)");
    excludeNow = true;
    QList<int> skipped;
    const int second = table.Claim_Next("B", &item, &skipped);
    EXPECT_EQ(std::pair(first, second), std::pair(0, 2));
    EXPECT_EQ(skipped, QList<int>{1});
    EXPECT_TRUE(table.Finish_Sent(first, "A", "+CMS ERROR: 500"));
    EXPECT_EQ(table.Mark_Stopped(), 2);
    EXPECT_EQ(statuses(table),
              (QStringList{"+CMS ERROR: 500", "Excluded.", "Sending...", "Stopped.", "Stopped."}));
    EXPECT_EQ(table.at(3).CurrentStatus, "Stopped");
    EXPECT_FALSE(table.Waiting_Remains());
    EXPECT_TRUE(table.Work_Remains());  // item 2 is still with its device
    EXPECT_TRUE(table.Finish_Sent(second, "B", "Message sent successfully."));
    EXPECT_FALSE(table.Finish_Sent(second, "B", "again"));
    EXPECT_FALSE(table.Finish_Sent(4, "A", "late"));  // stopped stays
    EXPECT_EQ(table.at(4).Status, "Stopped.");
    EXPECT_FALSE(table.Work_Remains());
    EXPECT_EQ(table.finishedCount(), 5);
    EXPECT_EQ(table.Claim_Next("A", &item), -1);
}

TEST(SendingTable, ProgressText) {
    struct Case {
        int current;
        int total;
        const char* text;
    };
    const Case cases[] = {
        {0, 3, "1 / 3 Message or 33.00%"},
        {2, 3, "2 / 3 Message or 66.00%"},  // cut, not rounded
        {0, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Progress_Text(c.current, c.total), QString(c.text))
            << c.current << "/" << c.total;
    }
}

}  // namespace
}  // namespace tesk::sending
