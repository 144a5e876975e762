#pragma once
// Table models over a composer's recipient list and exclusion numbers. No widget and no copy per
// row: the view asks for the rows it draws and the model reads them from the controller, so a
// list of a million numbers costs nothing extra on screen.
//
// The row count is taken at refresh() and kept until the next one: the import worker appends
// while the table is up, and a model must not change its row count behind the view's back.
#include <QAbstractTableModel>

namespace tesk::composer {
class ComposerController;
}

namespace tesk::ui {

class RecipientTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    // `exclusions` false: columns "Number" and "Message" of the recipient list; true: the one
    // column "Number" of the exclusion numbers.
    RecipientTableModel(const composer::ComposerController& controller, bool exclusions,
                        QObject* parent = nullptr);

    // Takes the list's current length and redraws every row.
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    int currentCount() const;

    const composer::ComposerController& controller_;
    const bool exclusions_;
    int rows_ = 0;
};

}  // namespace tesk::ui
