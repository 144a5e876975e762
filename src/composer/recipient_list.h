#pragma once
// The ordered recipient list of one composer and its loaded exclusion numbers.
//
// Both keep a hash index beside the ordered rows, so "is this number already in the list" and
// "is this number excluded" cost the same whatever the list length; the answers are those of a
// walk from the first row comparing exact strings.
//
// Every member locks, so the window thread may read (table drawing, counts) while the import
// worker appends. Compound steps (test, then append) are not atomic: the composer makes sure only
// one writer runs at a time (the import's please-wait sheet keeps the user out meanwhile).
#include "composer/list_item.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <mutex>

namespace tesk::composer {

class RecipientList {
  public:
    int count() const;
    bool isEmpty() const { return count() == 0; }
    // The row at index, or an empty item when out of range.
    ListItem at(int index) const;
    QList<ListItem> items() const;
    QStringList numbers() const;

    void append(const ListItem& item);
    // Replaces the record at index; false when out of range.
    bool replaceAt(int index, const ListItem& item);
    // Removes the given rows at once (indexes into the list as it is now; duplicates and
    // out-of-range indexes are ignored). Returns how many rows went.
    int removeRows(const QList<int>& rows);
    void clear();

    bool containsNumber(const QString& number) const;
    // Rows holding exactly this number.
    int occurrences(const QString& number) const;
    // True when every row's message is empty (also for an empty list).
    bool allMessagesEmpty() const;
    bool anyMessageEmpty() const;
    int emptyMessageCount() const;
    // Digits of the longest number (a leading "+" not counted); -1 for an empty list.
    int longestNumberDigits() const;

  private:
    void indexAdd(const QString& number);
    void indexRemove(const QString& number);

    mutable std::mutex mutex_;
    QList<ListItem> rows_;
    QHash<QString, int> numberCounts_;
    QMap<int, int> digitCounts_;  // rows per number length, for the longest number
    int emptyMessages_ = 0;
};

class ExclusionSet {
  public:
    int count() const;
    ExclusionEntry at(int index) const;
    QStringList numbers() const;

    // Trims the number; an empty one is ignored. No duplicate test: the rows are kept as loaded.
    // Returns true when a row was added.
    bool append(const QString& number);
    void clear();
    bool contains(const QString& number) const;

  private:
    mutable std::mutex mutex_;
    QList<ExclusionEntry> rows_;
    QSet<QString> index_;
};

}  // namespace tesk::composer
