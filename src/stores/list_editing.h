#pragma once
// Editing steps the sent-items and templates windows share: both list entries read from a file
// and remember, per entry, where in the file it came from.
#include "core/dialogs.h"

#include <QList>
#include <QString>

namespace tesk::stores {

// Removes the chosen rows (ascending; a row out of range is ignored) from the entries and their
// file positions together, back to front so the row numbers stay valid. Returns the selection
// to show next: the first row, or none when nothing is left.
template <typename Entry>
QList<int> Remove_Rows(const QList<int>& rows, QList<Entry>* entries, QList<int>* origins) {
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        if (*row >= 0 && *row < entries->size()) {
            entries->removeAt(*row);
            origins->removeAt(*row);
        }
    }
    return entries->isEmpty() ? QList<int>() : QList<int>{0};
}

// The question before a whole list and its file go; true on yes.
inline bool Confirm_Clear_Entire_List() {
    return Show_YES_NO_MessageBox(QStringLiteral(
        "\nThis option will clear the entire list contents. Are you sure you want to continue "
        "clearing the entire list?"));
}

}  // namespace tesk::stores
