#include "composer/recipient_list.h"

#include <utility>
#include <vector>

namespace tesk::composer {

int RecipientList::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(rows_.size());
}

ListItem RecipientList::at(int index) const {
    std::lock_guard lock(mutex_);
    return index >= 0 && index < rows_.size() ? rows_.at(index) : ListItem{};
}

QList<ListItem> RecipientList::items() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

QStringList RecipientList::numbers() const {
    std::lock_guard lock(mutex_);
    QStringList result;
    result.reserve(rows_.size());
    for (const ListItem& item : rows_) {
        result.append(item.Number);
    }
    return result;
}

namespace {

int digitsOf(const QString& number) {
    return static_cast<int>(number.size()) - (number.startsWith(QLatin1Char('+')) ? 1 : 0);
}

}  // namespace

void RecipientList::indexAdd(const QString& number) {
    ++numberCounts_[number];
    ++digitCounts_[digitsOf(number)];
}

void RecipientList::indexRemove(const QString& number) {
    const auto it = numberCounts_.find(number);
    if (it != numberCounts_.end() && --it.value() <= 0) {
        numberCounts_.erase(it);
    }
    const auto digits = digitCounts_.find(digitsOf(number));
    if (digits != digitCounts_.end() && --digits.value() <= 0) {
        digitCounts_.erase(digits);
    }
}

int RecipientList::longestNumberDigits() const {
    std::lock_guard lock(mutex_);
    return digitCounts_.isEmpty() ? -1 : digitCounts_.lastKey();
}

void RecipientList::append(const ListItem& item) {
    std::lock_guard lock(mutex_);
    rows_.append(item);
    indexAdd(item.Number);
    emptyMessages_ += item.Message.isEmpty() ? 1 : 0;
}

bool RecipientList::replaceAt(int index, const ListItem& item) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= rows_.size()) {
        return false;
    }
    const ListItem& old = rows_.at(index);
    indexRemove(old.Number);
    emptyMessages_ -= old.Message.isEmpty() ? 1 : 0;
    rows_[index] = item;
    indexAdd(item.Number);
    emptyMessages_ += item.Message.isEmpty() ? 1 : 0;
    return true;
}

int RecipientList::removeRows(const QList<int>& rows) {
    std::lock_guard lock(mutex_);
    std::vector<bool> drop(static_cast<size_t>(rows_.size()), false);
    for (const int row : rows) {
        if (row >= 0 && row < rows_.size()) {
            drop[static_cast<size_t>(row)] = true;
        }
    }
    // One compacting pass: removing row by row would cost a move of the tail for each row.
    QList<ListItem> kept;
    kept.reserve(rows_.size());
    int removed = 0;
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        const ListItem& item = rows_.at(i);
        if (drop[static_cast<size_t>(i)]) {
            indexRemove(item.Number);
            emptyMessages_ -= item.Message.isEmpty() ? 1 : 0;
            ++removed;
        } else {
            kept.append(item);
        }
    }
    rows_ = std::move(kept);
    return removed;
}

void RecipientList::clear() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    numberCounts_.clear();
    digitCounts_.clear();
    emptyMessages_ = 0;
}

bool RecipientList::containsNumber(const QString& number) const {
    std::lock_guard lock(mutex_);
    return numberCounts_.contains(number);
}

int RecipientList::occurrences(const QString& number) const {
    std::lock_guard lock(mutex_);
    return numberCounts_.value(number, 0);
}

bool RecipientList::allMessagesEmpty() const {
    std::lock_guard lock(mutex_);
    return emptyMessages_ == rows_.size();
}

bool RecipientList::anyMessageEmpty() const {
    std::lock_guard lock(mutex_);
    return emptyMessages_ > 0;
}

int RecipientList::emptyMessageCount() const {
    std::lock_guard lock(mutex_);
    return emptyMessages_;
}

int ExclusionSet::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(rows_.size());
}

ExclusionEntry ExclusionSet::at(int index) const {
    std::lock_guard lock(mutex_);
    return index >= 0 && index < rows_.size() ? rows_.at(index) : ExclusionEntry{};
}

QStringList ExclusionSet::numbers() const {
    std::lock_guard lock(mutex_);
    QStringList result;
    result.reserve(rows_.size());
    for (const ExclusionEntry& entry : rows_) {
        result.append(entry.Number);
    }
    return result;
}

bool ExclusionSet::append(const QString& number) {
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    rows_.append({trimmed});
    index_.insert(trimmed);
    return true;
}

void ExclusionSet::clear() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    index_.clear();
}

bool ExclusionSet::contains(const QString& number) const {
    std::lock_guard lock(mutex_);
    return index_.contains(number);
}

}  // namespace tesk::composer
