#include "ui/exclusion_wizard_wnd.h"

#include "core/dialogs.h"
#include "stores/exclusion_store.h"
#include "ui/window_parts.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QUrl>
#include <QVBoxLayout>

namespace tesk::ui {
namespace {

QListView* makeList(QStringListModel* model, const char* name, QWidget* parent) {
    auto* list = new QListView(parent);
    list->setObjectName(QLatin1String(name));
    list->setModel(model);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    return list;
}

QList<int> rowsOf(const QListView* list) {
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
        rows.append(index.row());
    }
    return rows;
}

}  // namespace

ExclusionWizardWnd::ExclusionWizardWnd(std::function<void()> refreshComposer, QWidget* parent)
    : QDialog(parent), controller_(this, std::move(refreshComposer)) {
    setObjectName(QStringLiteral("Exclusion_Wizard"));
    setWindowTitle(QStringLiteral("Exclusion Lists"));
    availableModel_ = new QStringListModel(this);
    appliedModel_ = new QStringListModel(this);
    numbersModel_ = new QStringListModel(this);
    auto* layout = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(buildListsScreen());
    pages_->addWidget(buildNameScreen());
    pages_->addWidget(buildNumbersScreen());
    layout->addWidget(pages_);
    resize(720, 460);
    controller_.Open_Exclusion_Wnd();
}

QWidget* ExclusionWizardWnd::buildListsScreen() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeHeading(QStringLiteral("Exclusion lists"), page));
    layout->addWidget(new QLabel(QStringLiteral("Numbers in the lists on the right never receive "
                                                "a message from either composer."),
                                 page));
    auto* columns = new QHBoxLayout;
    auto* availableBox = new QGroupBox(QStringLiteral("Available lists"), page);
    auto* availableLayout = new QVBoxLayout(availableBox);
    available_ = makeList(availableModel_, "availableList", availableBox);
    availableLayout->addWidget(available_);
    auto* availableButtons = new QHBoxLayout;
    QPushButton* add = makeButton("newListButton", QStringLiteral("New List"), availableBox);
    QPushButton* edit = makeButton("editListButton", QStringLiteral("Edit"), availableBox);
    QPushButton* remove = makeButton("deleteListButton", QStringLiteral("Delete"), availableBox);
    for (QPushButton* button : {add, edit, remove}) {
        availableButtons->addWidget(button);
    }
    availableLayout->addLayout(availableButtons);

    auto* moves = new QVBoxLayout;
    QPushButton* apply = makeButton("applyButton", QStringLiteral(">"), page);
    QPushButton* applyAll = makeButton("applyAllButton", QStringLiteral(">>"), page);
    QPushButton* unapply = makeButton("removeButton", QStringLiteral("<"), page);
    QPushButton* unapplyAll = makeButton("removeAllButton", QStringLiteral("<<"), page);
    moves->addStretch();
    for (QPushButton* button : {apply, applyAll, unapply, unapplyAll}) {
        button->setFixedWidth(48);
        moves->addWidget(button);
    }
    moves->addStretch();

    auto* appliedBox = new QGroupBox(QStringLiteral("Exclude when sending SMS"), page);
    auto* appliedLayout = new QVBoxLayout(appliedBox);
    applied_ = makeList(appliedModel_, "appliedList", appliedBox);
    appliedLayout->addWidget(applied_);
    QPushButton* save = makeButton("saveAppliedButton", QStringLiteral("Save"), appliedBox);
    appliedLayout->addWidget(save, 0, Qt::AlignRight);

    columns->addWidget(availableBox, 1);
    columns->addLayout(moves);
    columns->addWidget(appliedBox, 1);
    layout->addLayout(columns, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    QPushButton* close = makeButton("closeButton", QStringLiteral("Close"), page);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(available_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { controller_.Set_Selected_Available(rowsOf(available_)); });
    connect(applied_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { controller_.Set_Selected_Applied(rowsOf(applied_)); });
    connect(available_, &QListView::doubleClicked, this, [this] {
        if (rowsOf(available_).size() > 1) {
            Show_MessageBox(QStringLiteral("Please select only one record to update."));
            return;
        }
        controller_.Update_Btn();
    });
    connect(applied_, &QListView::doubleClicked, this, [this] {
        if (rowsOf(applied_).size() > 1) {
            Show_MessageBox(QStringLiteral("Please select only one record to update."));
            return;
        }
        controller_.Update_By_Applied_List();
    });
    connect(add, &QPushButton::clicked, this, [this] { controller_.AddNew_Btn(); });
    connect(edit, &QPushButton::clicked, this, [this] { controller_.Update_Btn(); });
    connect(remove, &QPushButton::clicked, this, [this] { controller_.Delete_Btn(); });
    connect(apply, &QPushButton::clicked, this, [this] { controller_.Add_List_Btn(); });
    connect(applyAll, &QPushButton::clicked, this, [this] { controller_.Add_All_List_Btn(); });
    connect(unapply, &QPushButton::clicked, this, [this] { controller_.Remove_List_Btn(); });
    connect(unapplyAll, &QPushButton::clicked, this, [this] { controller_.Remove_All_List_Btn(); });
    connect(save, &QPushButton::clicked, this, [this] { controller_.Save_Applied_Btn(); });
    connect(close, &QPushButton::clicked, this, [this] { controller_.Cancel_Btn(); });
    return page;
}

QWidget* ExclusionWizardWnd::buildNameScreen() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeHeading(QStringLiteral("New exclusion list"), page));
    layout->addWidget(new QLabel(QStringLiteral("Name of the list (at most 50 characters; not "
                                                "/ \\ ? % * | \" < > :):"),
                                 page));
    name_ = new QLineEdit(page);
    name_->setObjectName(QStringLiteral("nameField"));
    name_->setMaxLength(stores::kMaxListNameLength);
    layout->addWidget(name_);
    layout->addStretch();
    auto* bottom = new QHBoxLayout;
    QPushButton* back = makeButton("backButton", QStringLiteral("< Back"), page);
    QPushButton* cancel = makeButton("cancelButton", QStringLiteral("Cancel"), page);
    QPushButton* next = makeButton("nextButton", QStringLiteral("Next >"), page);
    bottom->addWidget(back);
    bottom->addStretch();
    bottom->addWidget(cancel);
    bottom->addWidget(next);
    layout->addLayout(bottom);
    connect(name_, &QLineEdit::returnPressed, this,
            [this] { controller_.Next_Btn(name_->text()); });
    connect(next, &QPushButton::clicked, this, [this] { controller_.Next_Btn(name_->text()); });
    connect(back, &QPushButton::clicked, this, [this] { controller_.Back_Btn(); });
    connect(cancel, &QPushButton::clicked, this, [this] { controller_.Cancel_Btn(); });
    return page;
}

QWidget* ExclusionWizardWnd::buildNumbersScreen() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    listTitle_ = makeHeading(QString(), page);
    listTitle_->setObjectName(QStringLiteral("listTitle"));
    layout->addWidget(listTitle_);
    auto* renameRow = new QHBoxLayout;
    rename_ = new QLineEdit(page);
    rename_->setObjectName(QStringLiteral("renameField"));
    rename_->setMaxLength(stores::kMaxListNameLength);
    QPushButton* rename = makeButton("renameButton", QStringLiteral("Rename"), page);
    renameRow->addWidget(new QLabel(QStringLiteral("Name:"), page));
    renameRow->addWidget(rename_, 1);
    renameRow->addWidget(rename);
    layout->addLayout(renameRow);

    auto* numberRow = new QHBoxLayout;
    number_ = new QLineEdit(page);
    number_->setObjectName(QStringLiteral("numberField"));
    number_->setMaxLength(20);
    number_->setPlaceholderText(QStringLiteral("e.g. +447700900123"));
    QPushButton* addNumber = makeButton("addNumberButton", QStringLiteral("Add"), page);
    numberRow->addWidget(new QLabel(QStringLiteral("Number:"), page));
    numberRow->addWidget(number_, 1);
    numberRow->addWidget(addNumber);
    layout->addLayout(numberRow);

    auto* middle = new QHBoxLayout;
    numbers_ = makeList(numbersModel_, "numberList", page);
    middle->addWidget(numbers_, 1);
    auto* side = new QVBoxLayout;
    QPushButton* update = makeButton("updateNumberButton", QStringLiteral("Update"), page);
    QPushButton* removeNumber = makeButton("removeNumberButton", QStringLiteral("Remove"), page);
    QPushButton* import = makeButton("importButton", QStringLiteral("Import..."), page);
    QPushButton* exportButton = makeButton("exportButton", QStringLiteral("Export..."), page);
    for (QPushButton* button : {update, removeNumber, import, exportButton}) {
        side->addWidget(button);
    }
    side->addStretch();
    middle->addLayout(side);
    layout->addLayout(middle, 1);
    count_ = new QLabel(QStringLiteral("Total Numbers : 0"), page);
    count_->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(count_);

    auto* bottom = new QHBoxLayout;
    QPushButton* back = makeButton("numbersBackButton", QStringLiteral("< Back"), page);
    QPushButton* cancel = makeButton("numbersCancelButton", QStringLiteral("Cancel"), page);
    QPushButton* finish = makeButton("finishButton", QStringLiteral("Finish"), page);
    bottom->addWidget(back);
    bottom->addStretch();
    bottom->addWidget(cancel);
    bottom->addWidget(finish);
    layout->addLayout(bottom);

    connect(numbers_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { controller_.Set_Selected_Numbers(rowsOf(numbers_)); });
    connect(numbers_, &QListView::doubleClicked, this, [this] { controller_.Update_Number_Btn(); });
    const auto addTyped = [this] { controller_.Add_number_To_List(number_->text()); };
    connect(number_, &QLineEdit::returnPressed, this, addTyped);
    connect(addNumber, &QPushButton::clicked, this, addTyped);
    connect(rename, &QPushButton::clicked, this,
            [this] { controller_.Update_ex_list_Name_Btn(rename_->text()); });
    connect(update, &QPushButton::clicked, this, [this] { controller_.Update_Number_Btn(); });
    connect(removeNumber, &QPushButton::clicked, this, [this] { controller_.Remove_Number_Btn(); });
    connect(import, &QPushButton::clicked, this, [this] { controller_.Browse_Btn(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { controller_.Export_Number_Btn(); });
    connect(back, &QPushButton::clicked, this, [this] { controller_.Back_Btn(); });
    connect(cancel, &QPushButton::clicked, this, [this] { controller_.Cancel_Btn(); });
    connect(finish, &QPushButton::clicked, this, [this] { controller_.Finish_Btn(); });
    return page;
}

QString ExclusionWizardWnd::countText() const {
    return count_->text();
}

int ExclusionWizardWnd::currentScreen() const {
    return pages_->currentIndex();
}

QPushButton* ExclusionWizardWnd::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void ExclusionWizardWnd::showScreen(stores::WizardScreen screen) {
    pages_->setCurrentIndex(static_cast<int>(screen));
    if (screen == stores::WizardScreen::Name) {
        name_->clear();
        name_->setFocus();
    } else if (screen == stores::WizardScreen::Numbers) {
        listTitle_->setText(controller_.listName());
        rename_->setText(controller_.listName());
        number_->setFocus();
    }
}

void ExclusionWizardWnd::redrawLists() {
    availableModel_->setStringList(controller_.available());
    appliedModel_->setStringList(controller_.applied());
}

void ExclusionWizardWnd::redrawNumbers() {
    numbersModel_->setStringList(controller_.numbers());
    listTitle_->setText(controller_.listName());
}

void ExclusionWizardWnd::setNumberCount(const QString& text) {
    count_->setText(text);
}

void ExclusionWizardWnd::setNumberField(const QString& text) {
    number_->setText(text);
}

int ExclusionWizardWnd::runUpdateNumberDialog(int row, const QString& number) {
    // A small dialog of its own: the number field keeps at most 20 characters, OK asks the
    // controller and stays open when it refuses.
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("Update_Ex_Num"));
    dialog.setWindowTitle(QStringLiteral("Update Number"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* field = new QLineEdit(number, &dialog);
    field->setObjectName(QStringLiteral("numberField"));
    field->setMaxLength(20);
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (controller_.Update_Ex_Num_OK(row, field->text())) {
            dialog.done(1);
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, [&] { dialog.done(0); });
    return dialog.exec();
}

void ExclusionWizardWnd::endModal(int code) {
    done(code);
}

void ExclusionWizardWnd::offerToOpenExportedFile(const QString& path) {
    if (Show_YES_NO_MessageBox(QStringLiteral("\nDo you want to open the exported file?"))) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

}  // namespace tesk::ui
