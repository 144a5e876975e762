#pragma once
// The end of a run in numbers: how many items ended in each final status, and whether every
// item that was meant to go out did.
#include "sending/sending_table.h"

#include <QList>
#include <QPair>
#include <QString>

namespace tesk::cli {

struct RunSummary {
    int total = 0;
    int sent = 0;                         // a successful outcome
    int leftOut = 0;                      // excluded or skipped as a duplicate, on purpose
    int notSent = 0;                      // everything else: refused, failed, stopped
    QList<QPair<QString, int>> byStatus;  // in the order the statuses first occur
};

RunSummary Summarize_Run(const QList<sending::SendingItem>& items);

// "Summary: 20 items, 18 sent, 2 not sent, 0 left out" and one line per status.
QString Summary_Text(const RunSummary& summary);

}  // namespace tesk::cli
