#pragma once
// A table over string-keyed rows (device records, test cases): one column per key, the rows a
// snapshot the window takes from its controller at each redraw. Redrawing the same number of
// rows only repaints them, so the highlighted row, the current cell and the scroll position
// stay where the user left them; a redraw that changes the count starts the table afresh.
//
// One column may show a check box; the user's ticks go to a handler (the controller), never
// into the snapshot, so the table only ever shows what the controller holds.
#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <functional>

class QTableView;

namespace tesk::ui {

struct RecordColumn {
    QString key;
    QString title;
};

class RecordTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    using Reader = std::function<QVariant(int row, const QString& key)>;

    explicit RecordTableModel(QList<RecordColumn> columns, QObject* parent = nullptr);

    // The column of `key` shows a check box (the value read as bool); ticking calls `toggled`.
    void setCheckColumn(const QString& key, std::function<void(int row, bool ticked)> toggled);
    // Shows `count` rows read through `read` (which holds its own copy of the rows).
    void refresh(int count, Reader read);

    QString key(int column) const { return columns_.value(column).key; }
    int columnOf(const QString& key) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QList<RecordColumn> columns_;
    QString checkKey_;
    std::function<void(int, bool)> toggled_;
    int count_ = 0;
    Reader read_;
};

// A multi-line text of a device as a text view shows it (the controllers end lines with "\r\n").
QString Shown_Text(const QString& text);

// The row highlighted in a single-selection table, -1 when none.
int Highlighted_Row(const QTableView* table);
// Highlights `row` (or clears the highlight for -1) and makes it the current row.
void Highlight_Table_Row(QTableView* table, int row);

}  // namespace tesk::ui
