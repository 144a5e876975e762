#pragma once
// The sent-items window, the templates window and the template editor: thin windows over the
// store controllers, which hold the lists and do every check, question and file operation.
#include "core/off_window_thread.h"
#include "stores/sent_items_controller.h"
#include "stores/templates_controller.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace tesk::ui {

// Rows read on demand from a controller's list.
class StoreTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    using Cell = std::function<QString(int row, int column)>;
    StoreTableModel(QStringList headers, std::function<int()> rows, Cell cell,
                    QObject* parent = nullptr);
    void refresh();
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QStringList headers_;
    std::function<int()> rows_;
    Cell cell_;
    int count_ = 0;
};

// Reads a store file on a worker thread and hands the result to the window thread. The window
// that owns it joins the worker when it goes away (a read never waits for anything else).
class StoreLoader {
  public:
    StoreLoader() = default;
    ~StoreLoader();
    StoreLoader(const StoreLoader&) = delete;
    StoreLoader& operator=(const StoreLoader&) = delete;
    // Runs `read` on the worker and `deliver` on the window thread with its result, unless the
    // loader is gone by then.
    template <typename Result>
    void start(std::function<Result()> read, std::function<void(Result)> deliver);
    bool loading() const { return loading_; }

  private:
    bool loading_ = false;
    Worker worker_;
};

class SentItemsWnd : public QDialog, public stores::SentItemsView {
    Q_OBJECT
  public:
    // Starts reading the mode's file (the count says so meanwhile); `composer` receives
    // inserted entries.
    SentItemsWnd(int mode, composer::ComposerController& composer, QWidget* parent = nullptr);
    bool loading() const { return loader_.loading(); }

    stores::Sent_Items& controller() { return controller_; }
    QTableView* table() const { return table_; }
    QString details() const;
    QString countText() const;
    QPushButton* button(const QString& objectName) const;

    void redrawTable() override;
    void selectRows(const QList<int>& rows) override;
    void setCountLabel(const QString& text) override;
    void setDetails(const QString& text) override;
    void endModal(int code) override;
    void offerToOpenExportedFile(const QString& path) override;
    // Closing rewrites the file from the list, except while the list is still being read: the
    // file then stays exactly as it is.
    void reject() override;

  private:
    void syncSelection();

    stores::Sent_Items controller_;
    StoreTableModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QLabel* count_ = nullptr;
    StoreLoader loader_;  // last: joined before the rest goes away
};

class TemplatesWnd : public QDialog, public stores::TemplatesView {
    Q_OBJECT
  public:
    TemplatesWnd(composer::ComposerController& composer, QWidget* parent = nullptr);
    bool loading() const { return loader_.loading(); }

    stores::Templates& controller() { return controller_; }
    QTableView* table() const { return table_; }
    QString countText() const;
    QPushButton* button(const QString& objectName) const;

    void redrawTable() override;
    void selectRows(const QList<int>& rows) override;
    void setCountLabel(const QString& text) override;
    void endModal(int code) override;
    int runEditor(const QString& title, const QString& text, int row) override;
    void offerToOpenExportedFile(const QString& path) override;
    void reject() override;  // as the sent-items window: no rewrite before the list is read

  private:
    void syncSelection();

    stores::Templates controller_;
    StoreTableModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* count_ = nullptr;
    StoreLoader loader_;
};

// The add/update editor of a template, with its live count.
class TemplateEditorDlg : public QDialog {
    Q_OBJECT
  public:
    TemplateEditorDlg(stores::Templates& controller, const QString& title, const QString& text,
                      int row, QWidget* parent = nullptr);
    QPlainTextEdit* edit() const { return edit_; }
    QString countText() const;
    void OKPressed();
    void reject() override;

  private:
    void onChanged();

    stores::Templates& controller_;
    int row_;
    QPlainTextEdit* edit_ = nullptr;
    QLabel* count_ = nullptr;
    bool cutting_ = false;
};

}  // namespace tesk::ui
