#include "sms-cli/cli_summary.h"

#include "stores/reports.h"

namespace tesk::cli {

RunSummary Summarize_Run(const QList<sending::SendingItem>& items) {
    RunSummary summary;
    summary.total = static_cast<int>(items.size());
    for (const sending::SendingItem& item : items) {
        const QString status = item.Status.isEmpty() ? QStringLiteral("(no outcome)") : item.Status;
        if (stores::Is_Successful_Status(item.Status)) {
            ++summary.sent;
        } else if (item.Status == sending::kExcludedStatus ||
                   item.Status == sending::kSkippedStatus) {
            ++summary.leftOut;
        } else {
            ++summary.notSent;
        }
        auto counted = std::find_if(summary.byStatus.begin(), summary.byStatus.end(),
                                    [&](const auto& entry) { return entry.first == status; });
        if (counted == summary.byStatus.end()) {
            summary.byStatus.append({status, 1});
        } else {
            ++counted->second;
        }
    }
    return summary;
}

QString Summary_Text(const RunSummary& summary) {
    QString text = QStringLiteral("Summary: %1 items, %2 sent, %3 not sent, %4 left out\n")
                       .arg(summary.total)
                       .arg(summary.sent)
                       .arg(summary.notSent)
                       .arg(summary.leftOut);
    for (const auto& [status, count] : summary.byStatus) {
        text += QStringLiteral("%1  %2\n").arg(count, 6).arg(status);
    }
    return text;
}

}  // namespace tesk::cli
