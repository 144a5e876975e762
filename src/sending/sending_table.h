#pragma once
// The sending items of one GSM sending run and the rules every device thread shares: which
// items are built from the recipient list, how a device takes the next waiting item (exactly one
// device per item), how an item is finished, stopped, and when work remains.
//
// Thread-safe: every operation takes the table's lock; readers get copies.
#include "composer/list_item.h"

#include <QList>
#include <QString>

#include <functional>
#include <mutex>
#include <vector>

namespace tesk::sending {

inline const QString kWaitToDispatch = QStringLiteral("Wait to dispatch...");
inline const QString kSendingState = QStringLiteral("Sending...");
inline const QString kDoneState = QStringLiteral("Done");
inline const QString kStoppedState = QStringLiteral("Stopped");
inline const QString kExcludedStatus = QStringLiteral("Excluded.");
inline const QString kSkippedStatus = QStringLiteral("Skipped.");
inline const QString kStoppedStatus = QStringLiteral("Stopped.");

// One recipient of the run. Keys: "Number", "Message", "Use Port", "Use Status",
// "Current Status", "Status", "Retry", "Sent item", and "Delivery" (what the status reports
// said, when the run asked for them).
struct SendingItem {
    QString Number;
    QString Message;
    QString UsePort;
    QString UseStatus;
    QString CurrentStatus;
    QString Status;  // the outcome, "" until the item is finished
    QString Retry = QStringLiteral("0");
    QString SentItem = QStringLiteral("0");
    QString Delivery;

    bool isFinal() const { return !Status.isEmpty(); }
    QString value(const QString& key) const;
    static const QStringList& Keys();
    bool operator==(const SendingItem&) const = default;
};

// The rules the loader and the send-time check apply.
struct SendingRules {
    bool skipDuplicates = false;
    bool useExclusions = false;
    std::function<bool(const QString&)> isExcluded;  // asked only when useExclusions is on
    QString chosenDevicePath;                        // Use Port of items finished at load
};

class SendingTable {
  public:
    // Builds one item per list item with a non-empty (trimmed) number, in list order: excluded
    // numbers finish as "Excluded.", later occurrences of a number (with skipDuplicates) as
    // "Skipped.", the rest wait to be dispatched.
    void Load(const QList<composer::ListItem>& list, const SendingRules& rules);

    int count() const;
    SendingItem at(int index) const;
    QList<SendingItem> items() const;
    int finishedCount() const;  // items with an outcome

    // The send-time rules and the claim in one step: finishes items that must not be sent
    // (Excluded./Skipped., reported through `skippedAtSendTime`), then takes the first waiting
    // item for `device` ("Sending...", "Sending (<device>)"). Returns its index, or -1 when
    // nothing is left to take. Items never return to waiting, so a shared cursor replaces the
    // walk from index 0 with the same result.
    int Claim_Next(const QString& device, SendingItem* claimed,
                   QList<int>* skippedAtSendTime = nullptr);

    // Finishes an item that has no outcome yet: Status, Use Status "Done", Current Status
    // "Done (<device>)". Items already final (stopped meanwhile, for one) are left as they are.
    // True when the item changed.
    bool Finish_Sent(int index, const QString& device, const QString& outcome);
    bool Mark_Sent_Item_Written(int index);
    // What the status reports say of the item's message ("No report yet", "Delivered", ...).
    bool Set_Delivery(int index, const QString& text);
    // Every waiting item becomes "Stopped." / "Stopped" (its Use Port kept). Returns how many.
    int Mark_Stopped();

    // Some item waits or is being sent.
    bool Work_Remains() const;
    // Some item waits to be dispatched.
    bool Waiting_Remains() const;

  private:
    bool finishLocked(int index, const QString& status, const QString& useStatus,
                      const QString& currentStatus);

    mutable std::mutex mutex_;
    std::vector<SendingItem> items_;
    std::vector<int> firstOccurrence_;  // index of the first item with the same number
    SendingRules rules_;
    int cursor_ = 0;
    int finished_ = 0;
    int waiting_ = 0;
    int sending_ = 0;
};

// "%d / %d Message or %.2f%": current 0 counts as 1, capped at total; "" when total is 0.
QString Progress_Text(int current, int total);

}  // namespace tesk::sending
