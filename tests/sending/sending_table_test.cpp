// The sending items of a run: load-time rules, exactly-once claims under contention, finishing,
// stopping, and the progress text.
#include "sending/sending_table.h"

#include <gtest/gtest.h>

#include <QSet>

#include <atomic>
#include <thread>

namespace {

using tesk::composer::ListItem;
using tesk::sending::SendingItem;
using tesk::sending::SendingRules;
using tesk::sending::SendingTable;

QList<ListItem> listOf(const QStringList& numbers) {
    QList<ListItem> list;
    for (const QString& n : numbers) {
        list.append({n, QStringLiteral("hi ") + n});
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

TEST(SendingTableLoad, RulesApplyInOrder) {
    const QStringList numbers = {"111", " 222 ", "111", "", "333", "222", "333"};
    const auto excluded = [](const QString& n) { return n == QLatin1String("333"); };
    struct Case {
        const char* name;
        bool skip;
        bool exclusions;
        QStringList expected;
    };
    const QString w = tesk::sending::kWaitToDispatch;
    const Case cases[] = {
        {"no rules", false, false, {w, w, w, w, w, w}},
        {"duplicates", true, false, {w, w, "Skipped.", w, "Skipped.", "Skipped."}},
        {"exclusions", false, true, {w, w, w, "Excluded.", w, "Excluded."}},
        {"both: excluded wins over duplicate",
         true,
         true,
         {w, w, "Skipped.", "Excluded.", "Skipped.", "Excluded."}},
    };
    for (const Case& c : cases) {
        SendingTable table;
        table.Load(listOf(numbers),
                   {c.skip, c.exclusions, excluded, QStringLiteral("/dev/ttyUSB0")});
        EXPECT_EQ(statuses(table), c.expected) << c.name;
        EXPECT_EQ(table.count(), 6) << c.name;  // the empty number is no item
        for (const SendingItem& item : table.items()) {
            EXPECT_EQ(item.Retry, QStringLiteral("0"));
            EXPECT_EQ(item.SentItem, QStringLiteral("0"));
            if (item.isFinal()) {
                EXPECT_EQ(item.UsePort, QStringLiteral("/dev/ttyUSB0"));
                EXPECT_EQ(item.CurrentStatus, QStringLiteral("Done"));
            } else {
                EXPECT_EQ(item.UsePort, QString(""));
            }
        }
    }
    SendingTable table;
    table.Load(listOf(numbers), {});
    EXPECT_EQ(table.at(1).Number, QStringLiteral("222"));  // trimmed
    EXPECT_EQ(table.at(1).Message, QStringLiteral("hi  222 "));
}

TEST(SendingTableClaim, EveryItemIsTakenByExactlyOneDevice) {
    QStringList numbers;
    for (int i = 0; i < 20000; ++i) {
        numbers.append(QString::number(447700000000LL + i));
    }
    SendingTable table;
    table.Load(listOf(numbers), {});
    constexpr int kDevices = 8;
    std::vector<QList<int>> taken(kDevices);
    std::vector<std::thread> devices;
    for (int d = 0; d < kDevices; ++d) {
        devices.emplace_back([&, d] {
            const QString name = QStringLiteral("/dev/ttyUSB%1").arg(d);
            SendingItem item;
            for (int index; (index = table.Claim_Next(name, &item)) >= 0;) {
                taken[d].append(index);
                EXPECT_EQ(item.CurrentStatus, QStringLiteral("Sending (%1)").arg(name));
                table.Finish_Sent(index, name, QStringLiteral("Message sent successfully."));
            }
        });
    }
    for (auto& t : devices) {
        t.join();
    }
    QSet<int> all;
    int total = 0;
    for (const auto& list : taken) {
        total += static_cast<int>(list.size());
        for (int index : list) {
            all.insert(index);
        }
    }
    EXPECT_EQ(total, 20000);
    EXPECT_EQ(all.size(), 20000);
    EXPECT_EQ(table.finishedCount(), 20000);
    EXPECT_FALSE(table.Work_Remains());
    for (int d = 0; d < kDevices; ++d) {
        for (int index : taken[d]) {
            ASSERT_EQ(table.at(index).CurrentStatus, QStringLiteral("Done (/dev/ttyUSB%1)").arg(d));
        }
    }
}

TEST(SendingTableClaim, SendTimeRulesFinishWhatMustNotGo) {
    bool excludeNow = false;
    SendingTable table;
    table.Load(
        listOf({"111", "222", "333"}),
        {true, true, [&](const QString& n) { return excludeNow && n == QLatin1String("222"); },
         QString()});
    SendingItem item;
    EXPECT_EQ(table.Claim_Next(QStringLiteral("A"), &item), 0);
    excludeNow = true;  // the exclusion numbers were reloaded meanwhile
    QList<int> skipped;
    EXPECT_EQ(table.Claim_Next(QStringLiteral("A"), &item, &skipped), 2);
    EXPECT_EQ(skipped, QList<int>{1});
    EXPECT_EQ(table.at(1).Status, QStringLiteral("Excluded."));
    EXPECT_EQ(table.Claim_Next(QStringLiteral("A"), &item), -1);
}

TEST(SendingTableStop, WaitingItemsStopAndFinishedOnesStay) {
    SendingTable table;
    table.Load(listOf({"1", "2", "3", "4"}), {});
    SendingItem item;
    const int first = table.Claim_Next(QStringLiteral("A"), &item);
    const int second = table.Claim_Next(QStringLiteral("A"), &item);
    table.Finish_Sent(first, QStringLiteral("A"), QStringLiteral("+CMS ERROR: 500"));
    EXPECT_TRUE(table.Work_Remains());
    EXPECT_EQ(table.Mark_Stopped(), 2);
    EXPECT_EQ(statuses(table),
              (QStringList{"+CMS ERROR: 500", "Sending...", "Stopped.", "Stopped."}));
    EXPECT_EQ(table.at(2).CurrentStatus, QStringLiteral("Stopped"));
    EXPECT_FALSE(table.Waiting_Remains());
    EXPECT_TRUE(table.Work_Remains());  // item 2 is still with its device
    EXPECT_TRUE(table.Finish_Sent(second, QStringLiteral("A"),
                                  QStringLiteral("Message sent successfully.")));
    EXPECT_FALSE(table.Finish_Sent(second, QStringLiteral("A"), QStringLiteral("again")));
    EXPECT_FALSE(
        table.Finish_Sent(3, QStringLiteral("A"), QStringLiteral("late")));  // stopped stays
    EXPECT_EQ(table.at(3).Status, QStringLiteral("Stopped."));
    EXPECT_FALSE(table.Work_Remains());
    EXPECT_EQ(table.finishedCount(), 4);
    EXPECT_EQ(table.Claim_Next(QStringLiteral("A"), &item), -1);
}

TEST(ProgressText, Table) {
    struct Case {
        int current;
        int total;
        const char* text;
    };
    const Case cases[] = {
        {1, 3, "1 / 3 Message or 33.00%"},
        {0, 3, "1 / 3 Message or 33.00%"},
        {3, 3, "3 / 3 Message or 100.00%"},
        {5, 3, "3 / 3 Message or 100.00%"},
        {2, 3, "2 / 3 Message or 66.00%"},
        {0, 0, ""},
        {999999, 1000000, "999999 / 1000000 Message or 99.00%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tesk::sending::Progress_Text(c.current, c.total), QString::fromUtf8(c.text))
            << c.current << "/" << c.total;
    }
}

}  // namespace
