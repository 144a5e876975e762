#include "sending/sending_table.h"

#include "core/text_helpers.h"

#include <QHash>

namespace tesk::sending {

const QStringList& SendingItem::Keys() {
    static const QStringList keys = {
        QStringLiteral("Number"),     QStringLiteral("Message"),        QStringLiteral("Use Port"),
        QStringLiteral("Use Status"), QStringLiteral("Current Status"), QStringLiteral("Status"),
        QStringLiteral("Retry"),      QStringLiteral("Sent item"),      QStringLiteral("Delivery"),
    };
    return keys;
}

QString SendingItem::value(const QString& key) const {
    const QString* fields[] = {&Number, &Message, &UsePort,  &UseStatus, &CurrentStatus,
                               &Status, &Retry,   &SentItem, &Delivery};
    const qsizetype at = Keys().indexOf(key);
    return at < 0 ? QString("") : *fields[at];
}

void SendingTable::Load(const QList<composer::ListItem>& list, const SendingRules& rules) {
    std::lock_guard lock(mutex_);
    items_.clear();
    firstOccurrence_.clear();
    items_.reserve(list.size());
    firstOccurrence_.reserve(list.size());
    rules_ = rules;
    cursor_ = finished_ = waiting_ = sending_ = 0;
    QHash<QString, int> first;
    first.reserve(list.size());
    for (const composer::ListItem& entry : list) {
        SendingItem item;
        item.Number = Trim_Str(entry.Number);
        if (item.Number.isEmpty()) {
            continue;
        }
        item.Message = entry.Message;
        const int index = static_cast<int>(items_.size());
        const auto known = first.constFind(item.Number);
        const int firstIndex = known == first.constEnd() ? index : known.value();
        if (known == first.constEnd()) {
            first.insert(item.Number, index);
        }
        const bool excluded =
            rules.useExclusions && rules.isExcluded && rules.isExcluded(item.Number);
        if (excluded || (rules.skipDuplicates && firstIndex != index)) {
            item.UsePort = rules.chosenDevicePath;
            item.Status = excluded ? kExcludedStatus : kSkippedStatus;
            item.UseStatus = kDoneState;
            item.CurrentStatus = kDoneState;
            ++finished_;
        } else {
            item.UseStatus = kWaitToDispatch;
            item.CurrentStatus = kWaitToDispatch;
            ++waiting_;
        }
        items_.push_back(std::move(item));
        firstOccurrence_.push_back(firstIndex);
    }
}

int SendingTable::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(items_.size());
}

SendingItem SendingTable::at(int index) const {
    std::lock_guard lock(mutex_);
    return index >= 0 && index < static_cast<int>(items_.size()) ? items_[index] : SendingItem{};
}

QList<SendingItem> SendingTable::items() const {
    std::lock_guard lock(mutex_);
    return QList<SendingItem>(items_.begin(), items_.end());
}

int SendingTable::finishedCount() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

bool SendingTable::finishLocked(int index, const QString& status, const QString& useStatus,
                                const QString& currentStatus) {
    SendingItem& item = items_[index];
    if (item.isFinal()) {
        return false;
    }
    if (item.UseStatus == kWaitToDispatch) {
        --waiting_;
    } else if (item.UseStatus == kSendingState) {
        --sending_;
    }
    item.Status = status;
    item.UseStatus = useStatus;
    item.CurrentStatus = currentStatus;
    ++finished_;
    return true;
}

int SendingTable::Claim_Next(const QString& device, SendingItem* claimed,
                             QList<int>* skippedAtSendTime) {
    std::lock_guard lock(mutex_);
    const int total = static_cast<int>(items_.size());
    while (cursor_ < total) {
        const int index = cursor_++;
        SendingItem& item = items_[index];
        if (item.isFinal() || !item.UsePort.isEmpty()) {
            continue;
        }
        const bool excluded =
            rules_.useExclusions && rules_.isExcluded && rules_.isExcluded(item.Number);
        const bool duplicate = rules_.skipDuplicates && firstOccurrence_[index] != index;
        if (excluded || duplicate) {
            finishLocked(index, excluded ? kExcludedStatus : kSkippedStatus, kDoneState,
                         kDoneState);
            if (skippedAtSendTime) {
                skippedAtSendTime->append(index);
            }
            continue;
        }
        item.UsePort = device;
        item.UseStatus = kSendingState;
        item.CurrentStatus = QStringLiteral("Sending (%1)").arg(device);
        --waiting_;
        ++sending_;
        if (claimed) {
            *claimed = item;
        }
        return index;
    }
    return -1;
}

bool SendingTable::Finish_Sent(int index, const QString& device, const QString& outcome) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(items_.size()) ||
        items_[index].UseStatus.contains(kDoneState)) {
        return false;
    }
    return finishLocked(index, outcome, kDoneState, QStringLiteral("Done (%1)").arg(device));
}

bool SendingTable::Mark_Sent_Item_Written(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        return false;
    }
    items_[index].SentItem = QStringLiteral("1");
    return true;
}

bool SendingTable::Set_Delivery(int index, const QString& text) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        return false;
    }
    items_[index].Delivery = text;
    return true;
}

int SendingTable::Mark_Stopped() {
    std::lock_guard lock(mutex_);
    int marked = 0;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        if (items_[i].UseStatus.contains(kWaitToDispatch) &&
            finishLocked(i, kStoppedStatus, kStoppedState, kStoppedState)) {
            ++marked;
        }
    }
    return marked;
}

bool SendingTable::Work_Remains() const {
    std::lock_guard lock(mutex_);
    return waiting_ > 0 || sending_ > 0;
}

bool SendingTable::Waiting_Remains() const {
    std::lock_guard lock(mutex_);
    return waiting_ > 0;
}

QString Progress_Text(int current, int total) {
    if (total <= 0) {
        return QString("");
    }
    const int shown = std::min(std::max(current, 1), total);
    const int percent = static_cast<int>(static_cast<qint64>(shown) * 100 / total);
    return QStringLiteral("%1 / %2 Message or %3%")
        .arg(shown)
        .arg(total)
        .arg(static_cast<double>(percent), 0, 'f', 2);
}

}  // namespace tesk::sending
