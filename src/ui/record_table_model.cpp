#include "ui/record_table_model.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace tesk::ui {

RecordTableModel::RecordTableModel(QList<RecordColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void RecordTableModel::setCheckColumn(const QString& key,
                                      std::function<void(int row, bool ticked)> toggled) {
    checkKey_ = key;
    toggled_ = std::move(toggled);
}

int RecordTableModel::columnOf(const QString& key) const {
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_.at(i).key == key) {
            return i;
        }
    }
    return -1;
}

void RecordTableModel::refresh(int count, Reader read) {
    if (count == count_) {
        read_ = std::move(read);
        if (count_ > 0) {
            emit dataChanged(index(0, 0), index(count_ - 1, columnCount() - 1));
        }
        return;
    }
    beginResetModel();
    count_ = count;
    read_ = std::move(read);
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_ || !read_) {
        return {};
    }
    const QString& key = columns_.at(index.column()).key;
    const bool check = !checkKey_.isEmpty() && key == checkKey_;
    if (check) {
        if (role == Qt::CheckStateRole) {
            return read_(index.row(), key).toBool() ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        QString text = read_(index.row(), key).toString();
        if (role == Qt::DisplayRole) {
            // One line per row; the tooltip shows the text whole.
            text.replace(QLatin1String("\r\n"), QString(QChar(0x21B5)));
            text.replace(QLatin1Char('\n'), QChar(0x21B5));
        }
        return text;
    }
    return {};
}

bool RecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || !toggled_ ||
        columns_.at(index.column()).key != checkKey_) {
        return false;
    }
    // The controller stores the tick and redraws; the snapshot is not touched here.
    toggled_(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && !checkKey_.isEmpty() && columns_.at(index.column()).key == checkKey_) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    return orientation == Qt::Horizontal ? QVariant(columns_.value(section).title)
                                         : QVariant(section + 1);
}

QString Shown_Text(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

int Highlighted_Row(const QTableView* table) {
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void Highlight_Table_Row(QTableView* table, int row) {
    QItemSelectionModel* selection = table->selectionModel();
    QAbstractItemModel* model = table->model();
    if (row < 0 || row >= model->rowCount()) {
        selection->clear();
        return;
    }
    const QModelIndex first = model->index(row, 0);
    selection->setCurrentIndex(first,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table->scrollTo(first);
}

}  // namespace tesk::ui
