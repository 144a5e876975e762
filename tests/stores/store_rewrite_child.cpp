// Rewrites a sent-items file over and over, alternating between two complete lists, until it
// is killed. The store tests kill it at arbitrary moments and check what is left.
#include "stores/sent_items.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using tesk::stores::SentItem;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: store_rewrite_child FILE RECORDS\n");
        return 2;
    }
    const QString path = args.at(1);
    const int records = args.at(2).toInt();
    QList<SentItem> lists[2];
    for (int which = 0; which < 2; ++which) {
        const QString tag = which == 0 ? QStringLiteral("A") : QStringLiteral("B");
        for (int i = 0; i < records; ++i) {
            lists[which].append({QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')),
                                 tag + QStringLiteral(" message\nsecond line"),
                                 QStringLiteral("07/12/2026"), tag});
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (unsigned round = 0;; ++round) {
        if (!tesk::stores::Rewrite_Sent_Items(path, lists[round % 2], false)) {
            return 1;
        }
        std::printf("%u\n", round);
        std::fflush(stdout);
    }
}
