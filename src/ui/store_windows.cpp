#include "ui/store_windows.h"

#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "composer/message_rules.h"
#include "core/dialogs.h"
#include "stores/sent_items.h"
#include "stores/templates.h"
#include "ui/window_parts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tesk::ui {
namespace {

QTableView* makeStoreTable(QAbstractItemModel* model, QWidget* parent) {
    QTableView* table = makeRowTable(model, parent);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return table;
}

QList<int> selectedRowsOf(const QTableView* table) {
    QList<int> rows;
    for (const QItemSelectionRange& range : table->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.append(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void selectRowsIn(QTableView* table, const QList<int>& rows) {
    QItemSelection selection;
    QAbstractItemModel* model = table->model();
    for (const int row : rows) {
        if (row >= 0 && row < model->rowCount()) {
            selection.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
        }
    }
    table->selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QPushButton* addButton(QBoxLayout* row, const char* name, const QString& title, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

// ---- StoreLoader ----

StoreLoader::~StoreLoader() = default;

template <typename Result>
void StoreLoader::start(std::function<Result()> read, std::function<void(Result)> deliver) {
    loading_ = true;
    auto result = std::make_shared<Result>();
    worker_.start([read = std::move(read), result] { *result = read(); },
                  [this, deliver = std::move(deliver), result] {
                      loading_ = false;
                      deliver(std::move(*result));
                  });
}

// ---- StoreTableModel ----

StoreTableModel::StoreTableModel(QStringList headers, std::function<int()> rows, Cell cell,
                                 QObject* parent)
    : QAbstractTableModel(parent),
      headers_(std::move(headers)),
      rows_(std::move(rows)),
      cell_(std::move(cell)) {}

void StoreTableModel::refresh() {
    beginResetModel();
    count_ = rows_();
    endResetModel();
}

int StoreTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int StoreTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant StoreTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        QString text = cell_(index.row(), index.column());
        text.replace(QLatin1Char('\n'), QChar(0x21B5));  // one line per row
        return text;
    }
    if (role == Qt::ToolTipRole) {
        return cell_(index.row(), index.column());
    }
    return {};
}

QVariant StoreTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    return orientation == Qt::Horizontal ? QVariant(headers_.value(section))
                                         : QVariant(section + 1);
}

// ---- SentItemsWnd ----

SentItemsWnd::SentItemsWnd(int mode, composer::ComposerController& composer, QWidget* parent)
    : QDialog(parent), controller_(mode, composer, this) {
    setObjectName(QStringLiteral("Sent_Items"));
    setWindowTitle(mode == kAndroidMode ? QStringLiteral("Sent Items - Android Mode")
                                        : QStringLiteral("Sent Items - GSM Mode"));
    QStringList headers{composer::kNumberKey, composer::kMessageKey, stores::kDateKey};
    if (controller_.Status_Column_Shown()) {
        headers.append(stores::kStatusKey);
    }
    model_ = new StoreTableModel(
        headers, [this] { return static_cast<int>(controller_.items().size()); },
        [this, headers](int row, int column) {
            return controller_.Table_Value(row, headers.value(column));
        },
        this);

    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    table_ = makeStoreTable(model_, splitter);
    table_->setObjectName(QStringLiteral("sentItemsTable"));
    table_->setColumnWidth(0, 140);
    table_->setColumnWidth(1, 360);
    table_->setColumnWidth(2, 90);
    details_ = new QPlainTextEdit(splitter);
    details_->setObjectName(QStringLiteral("details"));
    details_->setReadOnly(true);
    details_->setTabStopDistance(details_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 8);
    splitter->addWidget(table_);
    splitter->addWidget(details_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(count_);

    auto* row = new QHBoxLayout;
    QPushButton* insert =
        addButton(row, "insertButton", QStringLiteral("Insert into Composer"), this);
    QPushButton* remove =
        addButton(row, "removeSelectedButton", QStringLiteral("Delete Selected"), this);
    QPushButton* clear = addButton(row, "clearAllButton", QStringLiteral("Delete All"), this);
    QPushButton* exportButton = addButton(row, "exportButton", QStringLiteral("Export"), this);
    row->addStretch();
    QPushButton* close = addButton(row, "closeButton", QStringLiteral("Close"), this);
    layout->addLayout(row);

    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { syncSelection(); });
    connect(insert, &QPushButton::clicked, this, [this] { controller_.Send_To_Main_Wnd_Btn(); });
    connect(remove, &QPushButton::clicked, this, [this] { controller_.Clear_Sel_Btn(); });
    connect(clear, &QPushButton::clicked, this, [this] { controller_.Clear_All_Btn(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { controller_.Export_Btn(); });
    connect(close, &QPushButton::clicked, this, &SentItemsWnd::reject);

    resize(860, 560);
    count_->setText(QStringLiteral("Loading..."));
    const QString path = stores::Sent_Item_File(mode);
    loader_.start<stores::SentItemsFile>(
        [path] { return stores::Load_Sent_Items_File(path); },
        [this](stores::SentItemsFile file) { controller_.Set_File(std::move(file)); });
}

QString SentItemsWnd::details() const {
    return details_->toPlainText();
}

QString SentItemsWnd::countText() const {
    return count_->text();
}

QPushButton* SentItemsWnd::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void SentItemsWnd::syncSelection() {
    controller_.Set_Selected_Rows(selectedRowsOf(table_));
}

void SentItemsWnd::redrawTable() {
    model_->refresh();
}

void SentItemsWnd::selectRows(const QList<int>& rows) {
    selectRowsIn(table_, rows);
}

void SentItemsWnd::setCountLabel(const QString& text) {
    count_->setText(text);
}

void SentItemsWnd::setDetails(const QString& text) {
    details_->setPlainText(text);
}

void SentItemsWnd::reject() {
    if (loader_.loading()) {
        done(0);
        return;
    }
    controller_.Cancel_Btn();
}

void SentItemsWnd::endModal(int code) {
    done(code);
}

void SentItemsWnd::offerToOpenExportedFile(const QString& path) {
    Offer_To_Open_Exported(path);
}

// ---- TemplatesWnd ----

TemplatesWnd::TemplatesWnd(composer::ComposerController& composer, QWidget* parent)
    : QDialog(parent), controller_(composer, this) {
    setObjectName(QStringLiteral("Templates"));
    setWindowTitle(QStringLiteral("Templates"));
    model_ = new StoreTableModel(
        {composer::kMessageKey},
        [this] { return static_cast<int>(controller_.templates().size()); },
        [this](int row, int) { return controller_.Table_Value(row); }, this);

    auto* layout = new QVBoxLayout(this);
    table_ = makeStoreTable(model_, this);
    table_->setObjectName(QStringLiteral("templatesTable"));
    layout->addWidget(table_, 1);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(count_);

    auto* row = new QHBoxLayout;
    QPushButton* add = addButton(row, "addButton", QStringLiteral("Add"), this);
    QPushButton* update = addButton(row, "updateButton", QStringLiteral("Update"), this);
    QPushButton* remove =
        addButton(row, "removeSelectedButton", QStringLiteral("Delete Selected"), this);
    QPushButton* clear = addButton(row, "clearAllButton", QStringLiteral("Delete All"), this);
    QPushButton* use = addButton(row, "useButton", QStringLiteral("Use Template"), this);
    QPushButton* exportButton = addButton(row, "exportButton", QStringLiteral("Export"), this);
    row->addStretch();
    QPushButton* close = addButton(row, "closeButton", QStringLiteral("Close"), this);
    layout->addLayout(row);

    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { syncSelection(); });
    connect(table_, &QTableView::doubleClicked, this, [this] {
        syncSelection();
        controller_.Update_Btn();
    });
    connect(add, &QPushButton::clicked, this, [this] { controller_.AddNew_Btn(); });
    connect(update, &QPushButton::clicked, this, [this] { controller_.Update_Btn(); });
    connect(remove, &QPushButton::clicked, this, [this] { controller_.Clear_Sel_Btn(); });
    connect(clear, &QPushButton::clicked, this, [this] { controller_.Clear_All_Btn(); });
    connect(use, &QPushButton::clicked, this, [this] { controller_.Use_template_Btn(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { controller_.Export_Btn(); });
    connect(close, &QPushButton::clicked, this, &TemplatesWnd::reject);

    resize(760, 480);
    count_->setText(QStringLiteral("Loading..."));
    const QString path = Templates_Path;
    loader_.start<stores::TemplatesFile>(
        [path] { return stores::Load_Templates_File(path); },
        [this](stores::TemplatesFile file) { controller_.Set_File(std::move(file)); });
}

QString TemplatesWnd::countText() const {
    return count_->text();
}

QPushButton* TemplatesWnd::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void TemplatesWnd::syncSelection() {
    controller_.Set_Selected_Rows(selectedRowsOf(table_));
}

void TemplatesWnd::redrawTable() {
    model_->refresh();
}

void TemplatesWnd::selectRows(const QList<int>& rows) {
    selectRowsIn(table_, rows);
}

void TemplatesWnd::setCountLabel(const QString& text) {
    count_->setText(text);
}

void TemplatesWnd::reject() {
    if (loader_.loading()) {
        done(0);
        return;
    }
    controller_.Cancel_Btn();
}

void TemplatesWnd::endModal(int code) {
    done(code);
}

int TemplatesWnd::runEditor(const QString& title, const QString& text, int row) {
    TemplateEditorDlg editor(controller_, title, text, row, this);
    return editor.exec();
}

void TemplatesWnd::offerToOpenExportedFile(const QString& path) {
    Offer_To_Open_Exported(path);
}

// ---- TemplateEditorDlg ----

TemplateEditorDlg::TemplateEditorDlg(stores::Templates& controller, const QString& title,
                                     const QString& text, int row, QWidget* parent)
    : QDialog(parent), controller_(controller), row_(row) {
    setObjectName(QStringLiteral("Template_Editor"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QStringLiteral("templateText"));
    edit_->setMinimumSize(420, 180);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(edit_);
    layout->addWidget(count_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TemplateEditorDlg::OKPressed);
    connect(buttons, &QDialogButtonBox::rejected, this, &TemplateEditorDlg::reject);
    connect(edit_, &QPlainTextEdit::textChanged, this, &TemplateEditorDlg::onChanged);
    edit_->setPlainText(text);
    onChanged();
}

QString TemplateEditorDlg::countText() const {
    return count_->text();
}

void TemplateEditorDlg::onChanged() {
    if (!cutting_) {
        count_->setText(stores::Templates::Editor_Count_Text(Keep_Message_Limit(edit_, cutting_)));
    }
}

void TemplateEditorDlg::OKPressed() {
    if (!controller_.Editor_OK(edit_->toPlainText(), row_)) {
        edit_->setFocus();
        return;
    }
    edit_->clear();
    count_->setText(QStringLiteral("0 Characters"));
    done(1);
}

void TemplateEditorDlg::reject() {
    edit_->clear();
    count_->setText(QStringLiteral("0 Characters"));
    done(0);
}

}  // namespace tesk::ui
