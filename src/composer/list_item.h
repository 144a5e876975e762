#pragma once
// One row of a composer's recipient list and one row of its exclusion set. Value records: the
// tables show and edit them by column identifier, and an update replaces the whole record at its
// index.
#include <QString>

namespace tesk::composer {

inline const QString kNumberKey = QStringLiteral("Number");
inline const QString kMessageKey = QStringLiteral("Message");

struct ListItem {
    QString Number;   // as accepted: trimmed, spaces and hyphens removed, a leading "+" kept
    QString Message;  // may be empty, may hold line breaks

    // "Number" or "Message"; any other key reads as "" and writes nothing.
    QString value(const QString& key) const {
        if (key == kNumberKey) {
            return Number;
        }
        if (key == kMessageKey) {
            return Message;
        }
        return QString();
    }
    void setValue(const QString& key, const QString& text) {
        if (key == kNumberKey) {
            Number = text;
        } else if (key == kMessageKey) {
            Message = text;
        }
    }
    bool operator==(const ListItem&) const = default;
};

struct ExclusionEntry {
    QString Number;

    QString value(const QString& key) const { return key == kNumberKey ? Number : QString(); }
    void setValue(const QString& key, const QString& text) {
        if (key == kNumberKey) {
            Number = text;
        }
    }
    bool operator==(const ExclusionEntry&) const = default;
};

}  // namespace tesk::composer
