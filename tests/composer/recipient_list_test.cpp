#include "composer/recipient_list.h"

#include <QRandomGenerator>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using namespace tesk::composer;

// The hash index must give the answers of a walk over the rows after any mix of edits.
TEST(RecipientList, indexAgreesWithALinearWalk) {
    QRandomGenerator random(20240611);
    RecipientList list;
    const auto number = [&] { return QString::number(random.bounded(40)); };
    for (int step = 0; step < 3000; ++step) {
        switch (random.bounded(5)) {
            case 0:
            case 1:
                list.append({number(), random.bounded(2) ? "m" : QString()});
                break;
            case 2:
                list.replaceAt(random.bounded(qMax(1, list.count())), {number(), QString()});
                break;
            case 3:
                list.removeRows({random.bounded(qMax(1, list.count())),
                                 random.bounded(qMax(1, list.count())), -1, 1 << 20});
                break;
            default:
                if (random.bounded(50) == 0) {
                    list.clear();
                }
        }
        const QList<ListItem> rows = list.items();
        for (int n = 0; n < 40; ++n) {
            const auto walked = std::count_if(rows.cbegin(), rows.cend(), [&](const ListItem& i) {
                return i.Number == QString::number(n);
            });
            ASSERT_EQ(list.occurrences(QString::number(n)), walked) << step;
            ASSERT_EQ(list.containsNumber(QString::number(n)), walked > 0) << step;
        }
        const auto blank = std::count_if(rows.cbegin(), rows.cend(),
                                         [](const ListItem& i) { return i.Message.isEmpty(); });
        ASSERT_EQ(list.allMessagesEmpty(), blank == rows.size()) << step;
        ASSERT_EQ(list.anyMessageEmpty(), blank > 0) << step;
    }
}

TEST(ListItem, readsAndWritesByColumnKey) {
    ListItem item{"+1", "hello"};
    EXPECT_EQ(item.value("Number"), "+1");
    EXPECT_EQ(item.value("Message"), "hello");
    EXPECT_EQ(item.value("Use Port"), QString());
    item.setValue("Message", "bye");
    item.setValue("Other", "ignored");
    EXPECT_EQ(item, (ListItem{"+1", "bye"}));
}

}  // namespace
