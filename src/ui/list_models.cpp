#include "ui/list_models.h"

#include "composer/composer_controller.h"

namespace tesk::ui {

RecipientTableModel::RecipientTableModel(const composer::ComposerController& controller,
                                         bool exclusions, QObject* parent)
    : QAbstractTableModel(parent), controller_(controller), exclusions_(exclusions) {
    rows_ = currentCount();
}

int RecipientTableModel::currentCount() const {
    return exclusions_ ? controller_.exclusions().count() : controller_.list().count();
}

void RecipientTableModel::refresh() {
    beginResetModel();
    rows_ = currentCount();
    endResetModel();
}

int RecipientTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int RecipientTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (exclusions_ ? 1 : 2);
}

QVariant RecipientTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) {
        return {};
    }
    const QString column = index.column() == 0 ? composer::kNumberKey : composer::kMessageKey;
    if (role == Qt::DisplayRole) {
        QString text = exclusions_ ? controller_.Exclusion_Table_Value(index.row(), column)
                                   : controller_.Table_Value(index.row(), column);
        // One line per row: a message's line breaks show as a mark, the tooltip shows it whole.
        text.replace(QLatin1Char('\n'), QChar(0x21B5));
        return text;
    }
    if (role == Qt::ToolTipRole && !exclusions_ && index.column() == 1) {
        return controller_.Table_Value(index.row(), column);
    }
    return {};
}

QVariant RecipientTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return section == 0 ? composer::kNumberKey : composer::kMessageKey;
}

}  // namespace tesk::ui
