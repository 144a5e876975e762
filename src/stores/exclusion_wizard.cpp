#include "stores/exclusion_wizard.h"

#include "appstate/data_paths.h"
#include "core/dialogs.h"
#include "core/off_window_thread.h"
#include "core/text_helpers.h"
#include "stores/exclusion_store.h"
#include "stores/reports.h"
#include "stores/store_file.h"

#include <QFile>

#include <algorithm>

namespace tesk::stores {
namespace {

const QString kFileError = QStringLiteral("Error in file accessing.");
const QString kAvailableEmpty = QStringLiteral("Available list is empty.");
const QString kSelectAvailable =
    QStringLiteral("Please select a record from the available list to continue.");
const QString kAppliedEmpty = QStringLiteral("Exclude when sending SMS list is empty.");
const QString kSelectApplied =
    QStringLiteral("Please select a record from Exclude when sending SMS list to continue.");
const QString kNumbersEmpty = QStringLiteral("Exclusion number list is empty.");
const QString kSelectNumber =
    QStringLiteral("Please select at least one record from the exclusion number list to continue.");
const QString kOnlyOne = QStringLiteral("Please select only one record to update.");
const QString kContinue = QStringLiteral("\nAre you sure you want to continue");
const QString kUnsavedNumbers = QStringLiteral(
    "\nYou have made changes in exclusion number list that have not been saved yet.\n\nDo you "
    "want to save the changes?");
const QString kUnsavedApplied = QStringLiteral(
    "\nYou have made changes in 'Exclude when sending SMS' list that have not been saved "
    "yet.\n\nDo you want to save the changes?");

// The rows in range, in order, once each.
QList<int> validRows(QList<int> rows, qsizetype size) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [size](int row) { return row < 0 || row >= size; }),
               rows.end());
    return rows;
}

void removeRows(QStringList& list, const QList<int>& rows) {
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        list.removeAt(*row);
    }
}

}  // namespace

Exclusion_Wizard::Exclusion_Wizard(ExclusionWizardView* view, std::function<void()> refreshComposer)
    : view_(view), refreshComposer_(std::move(refreshComposer)) {}

QString Exclusion_Wizard::Number_Count_Text() const {
    return QStringLiteral("Total Numbers : %1").arg(numbers_.size());
}

void Exclusion_Wizard::toLists() {
    addCount_ = updateCount_ = 0;
    screen_ = WizardScreen::Lists;
    view_->showScreen(screen_);
}

void Exclusion_Wizard::showNumbers() {
    view_->redrawNumbers();
    view_->setNumberCount(Number_Count_Text());
}

void Exclusion_Wizard::Open_Exclusion_Wnd() {
    Check_Path_And_Create_Files();
    available_ = Read_Entry_File(Exclusion_Index_Path);
    applied_ = Read_Entry_File(Applied_Exclusion_Path);
    backFlag_ = updateAppEx_ = false;
    toLists();
    view_->redrawLists();
}

void Exclusion_Wizard::AddNew_Btn() {
    addCount_ = 1;
    updateCount_ = 0;
    listName_.clear();
    screen_ = WizardScreen::Name;
    view_->showScreen(screen_);
}

void Exclusion_Wizard::Next_Btn(const QString& name) {
    const QString trimmed = Trim_Str(name.left(kMaxListNameLength));
    const QString refusal = Check_Exclusion_List_Name(trimmed, available_);
    if (!refusal.isEmpty()) {
        Show_MessageBox(refusal);
        return;
    }
    listName_ = trimmed;
    numbers_.clear();
    selNumbers_.clear();
    addCount_ = 2;
    screen_ = WizardScreen::Numbers;
    view_->showScreen(screen_);
    showNumbers();
}

bool Exclusion_Wizard::openList(const QString& name) {
    const QString path = Exclusion_List_File(name);
    if (!QFile::exists(path)) {
        Show_MessageBox(kFileError);
        return false;
    }
    listName_ = name;
    numbers_ = Read_Entry_File(path);
    selNumbers_.clear();
    backFlag_ = false;
    addCount_ = 0;
    updateCount_ = 3;
    screen_ = WizardScreen::Numbers;
    view_->showScreen(screen_);
    showNumbers();
    return true;
}

bool Exclusion_Wizard::editRow(const QList<int>& selection, const QStringList& names,
                               const QString& emptyText, const QString& noneText) {
    if (names.isEmpty()) {
        Show_MessageBox(emptyText);
        return false;
    }
    const QList<int> rows = validRows(selection, names.size());
    if (rows.isEmpty()) {
        Show_MessageBox(noneText);
        return false;
    }
    if (rows.size() > 1) {
        Show_MessageBox(kOnlyOne);
        return false;
    }
    return openList(names.at(rows.first()));
}

void Exclusion_Wizard::Update_Btn() {
    editRow(selAvailable_, available_, kAvailableEmpty, kSelectAvailable);
}

void Exclusion_Wizard::Update_By_Applied_List() {
    editRow(selApplied_, applied_, kAppliedEmpty, kSelectApplied);
}

void Exclusion_Wizard::Delete_Btn() {
    if (available_.isEmpty()) {
        Show_MessageBox(kAvailableEmpty);
        return;
    }
    const QList<int> rows = validRows(selAvailable_, available_.size());
    if (rows.isEmpty()) {
        Show_MessageBox(kSelectAvailable);
        return;
    }
    if (!Show_YES_NO_MessageBox(
            QStringLiteral("\nAre you sure you want delete the selected available list?"))) {
        return;
    }
    QStringList gone;
    for (const int row : rows) {
        gone.append(available_.at(row));
    }
    removeRows(available_, rows);
    for (const QString& name : gone) {
        applied_.removeAll(name);
        Delete_File(Exclusion_List_File(name));
    }
    selAvailable_.clear();
    selApplied_.clear();
    const bool written = Write_Entry_File(Exclusion_Index_Path, available_) &&
                         Write_Entry_File(Applied_Exclusion_Path, applied_);
    view_->redrawLists();
    if (!written) {
        Show_MessageBox(kFileError);
    }
    refreshComposer_();
}

void Exclusion_Wizard::Add_List_Btn() {
    if (available_.isEmpty()) {
        Show_MessageBox(kAvailableEmpty);
        return;
    }
    const QList<int> rows = validRows(selAvailable_, available_.size());
    if (rows.isEmpty()) {
        Show_MessageBox(kSelectAvailable);
        return;
    }
    QStringList names;
    for (const int row : rows) {
        names.append(available_.at(row));
    }
    if (!applyLists(names)) {
        Show_MessageBox(QStringLiteral("Selected list is already in use."));
    }
}

void Exclusion_Wizard::Add_All_List_Btn() {
    if (available_.isEmpty()) {
        Show_MessageBox(kAvailableEmpty);
        return;
    }
    if (!applyLists(available_)) {
        Show_MessageBox(QStringLiteral("All available lists are already in use."));
    }
}

void Exclusion_Wizard::Remove_List_Btn() {
    if (applied_.isEmpty()) {
        Show_MessageBox(kAppliedEmpty);
        return;
    }
    const QList<int> rows = validRows(selApplied_, applied_.size());
    if (rows.isEmpty()) {
        Show_MessageBox(kSelectApplied);
        return;
    }
    removeRows(applied_, rows);
    selApplied_.clear();
    appliedListChanged();
}

void Exclusion_Wizard::Remove_All_List_Btn() {
    if (applied_.isEmpty()) {
        Show_MessageBox(kAppliedEmpty);
        return;
    }
    applied_.clear();
    selApplied_.clear();
    appliedListChanged();
}

bool Exclusion_Wizard::applyLists(const QStringList& names) {
    const qsizetype before = applied_.size();
    for (const QString& name : names) {
        if (!applied_.contains(name)) {
            applied_.append(name);
        }
    }
    if (applied_.size() == before) {
        return false;
    }
    appliedListChanged();
    return true;
}

// The applied list now differs from its file until it is saved.
void Exclusion_Wizard::appliedListChanged() {
    updateAppEx_ = true;
    view_->redrawLists();
}

bool Exclusion_Wizard::Save_Applied_List() {
    if (!Write_Entry_File(Applied_Exclusion_Path, applied_)) {
        Show_MessageBox(kFileError);
        return false;
    }
    updateAppEx_ = false;
    refreshComposer_();
    return true;
}

void Exclusion_Wizard::Save_Applied_Btn() {
    if (Show_YES_NO_MessageBox(kContinue)) {
        Save_Applied_List();
    }
}

void Exclusion_Wizard::Add_number_To_List(const QString& numberField) {
    const QString number = Exclusion_Number(numberField, true);
    if (number.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please enter a valid phone number."));
        return;
    }
    if (numbers_.contains(number)) {
        Show_MessageBox(QStringLiteral("Entered number already exists."));
        return;
    }
    numbers_.append(number);
    backFlag_ = true;
    view_->setNumberField(QString());
    showNumbers();
}

void Exclusion_Wizard::Update_Number_Btn() {
    if (numbers_.isEmpty()) {
        Show_MessageBox(kNumbersEmpty);
        return;
    }
    const QList<int> rows = validRows(selNumbers_, numbers_.size());
    if (rows.isEmpty()) {
        Show_MessageBox(kSelectNumber);
        return;
    }
    if (rows.size() > 1) {
        Show_MessageBox(kOnlyOne);
        return;
    }
    view_->runUpdateNumberDialog(rows.first(), numbers_.at(rows.first()));
}

bool Exclusion_Wizard::Update_Ex_Num_OK(int row, const QString& text) {
    if (row < 0 || row >= numbers_.size() || text == numbers_.at(row)) {
        return true;
    }
    const QString number = Exclusion_Number(text, false);
    if (number.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please enter a valid phone number."));
        return false;
    }
    if (numbers_.contains(number)) {
        Show_MessageBox(QStringLiteral("Entered number already exists."));
        return false;
    }
    numbers_[row] = number;
    backFlag_ = true;
    showNumbers();
    return true;
}

void Exclusion_Wizard::Remove_Number_Btn() {
    if (numbers_.isEmpty()) {
        Show_MessageBox(kNumbersEmpty);
        return;
    }
    const QList<int> rows = validRows(selNumbers_, numbers_.size());
    if (rows.isEmpty()) {
        Show_MessageBox(kSelectNumber);
        return;
    }
    removeRows(numbers_, rows);
    selNumbers_.clear();
    backFlag_ = true;
    showNumbers();
}

void Exclusion_Wizard::Browse_Btn() {
    const QStringList files = tesk::dialogs().chooseFilesToOpen(
        {QStringLiteral("Import Exclusion Numbers"),
         QString(),
         QString(),
         {QStringLiteral("Number files (*.txt *.csv *.rtf)"), QStringLiteral("All files (*)")}});
    if (!files.isEmpty() && !files.first().isEmpty()) {
        Load_File_Btn(files.first());
    }
}

void Exclusion_Wizard::Load_File_Btn(const QString& path) {
    bool readable = false;
    QStringList added;
    QString phoneColumn;
    // A large file (or a slow disk) takes a while; the window keeps painting meanwhile.
    tesk::Run_Off_Window_Thread(
        [&] { added = Exclusion_Numbers_From_File(path, numbers_, &readable, &phoneColumn); });
    if (!readable && !QFile::exists(path)) {
        Show_MessageBox(QStringLiteral("Please select a valid file."));
        return;
    }
    if (added.isEmpty()) {
        Show_MessageBox(QStringLiteral(
            "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\n"
            "Numbers are skipped because of duplicate number already exists in exclusion list."));
        return;
    }
    numbers_ += added;
    backFlag_ = true;
    showNumbers();
    if (!phoneColumn.isEmpty()) {
        Show_MessageBox(QStringLiteral("Only the column \"%1\" was imported: the first line of "
                                       "the file names it as the column of phone numbers.")
                            .arg(phoneColumn));
    }
}

void Exclusion_Wizard::Export_Number_Btn() {
    if (numbers_.isEmpty()) {
        Show_MessageBox(kNumbersEmpty);
        return;
    }
    const QString chosen =
        tesk::dialogs().chooseFileToSave({QStringLiteral("Export Exclusion Numbers"),
                                          QString(),
                                          listName_ + QStringLiteral(".txt"),
                                          {QStringLiteral("Text files (*.txt)")}});
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = Report_File_Name(chosen, ReportFormat::Text);
    QString text = kReportRule +
                   QStringLiteral("\n\n\t\t\t[ Tesk SMS - Exclusion Number List ]\t\t\t\n\n") +
                   kReportRule + QLatin1Char('\n');
    for (const QString& number : numbers_) {
        text += number + QLatin1Char('\n');
    }
    if (!Rewrite_Store_File(path, text.toUtf8())) {
        Show_MessageBox(kFileError);
        return;
    }
    view_->offerToOpenExportedFile(path);
}

bool Exclusion_Wizard::Finish_Btn() {
    if (numbers_.isEmpty()) {
        Show_MessageBox(kNumbersEmpty);
        return false;
    }
    if (!Show_YES_NO_MessageBox(kContinue)) {
        return false;
    }
    Check_Path_And_Create_Files();
    bool written = Write_Entry_File(Exclusion_List_File(listName_), numbers_);
    if (written && addCount_ == 2) {
        // The list file first: an index entry never names a list that has no file.
        written =
            Append_Store_Record(Exclusion_Index_Path, (listName_ + QLatin1Char('\n')).toUtf8());
        if (written) {
            available_.append(listName_);
        }
    }
    if (!written) {
        Show_MessageBox(kFileError);
        return false;
    }
    numbers_.clear();
    selNumbers_.clear();
    backFlag_ = false;
    toLists();
    view_->redrawLists();
    refreshComposer_();
    return true;
}

void Exclusion_Wizard::Update_ex_list_Name_Btn(const QString& newName) {
    const QString name = Trim_Str(newName.left(kMaxListNameLength));
    if (updateCount_ == 3 && name == listName_) {
        return;  // the same name changes nothing
    }
    const QString refusal = Check_Exclusion_List_Name(name, available_);
    if (!refusal.isEmpty()) {
        Show_MessageBox(refusal);
        return;
    }
    if (addCount_ == 2) {
        if (Show_YES_NO_MessageBox(QStringLiteral("Are you sure you want to continue?"))) {
            listName_ = name;
        }
        return;
    }
    if (updateCount_ != 3 || !Show_YES_NO_MessageBox(kContinue)) {
        return;
    }
    const QString oldFile = Exclusion_List_File(listName_);
    if (!QFile::exists(oldFile) || !QFile::rename(oldFile, Exclusion_List_File(name))) {
        Show_MessageBox(kFileError);
        return;
    }
    for (QStringList* names : {&available_, &applied_}) {
        for (QString& entry : *names) {
            if (entry == listName_) {
                entry = name;
            }
        }
    }
    listName_ = name;
    const bool written = Write_Entry_File(Exclusion_Index_Path, available_) &&
                         Write_Entry_File(Applied_Exclusion_Path, applied_);
    view_->redrawLists();
    if (!written) {
        Show_MessageBox(kFileError);
    }
    refreshComposer_();
}

void Exclusion_Wizard::Back_Btn() {
    if (screen_ == WizardScreen::Numbers && backFlag_) {
        if (!Show_YES_NO_MessageBox(kUnsavedNumbers)) {
            return;
        }
        if (Finish_Btn()) {
            return;  // saved: the wizard is back on its first screen
        }
    }
    if (screen_ == WizardScreen::Numbers && addCount_ == 2) {
        addCount_ = 1;
        backFlag_ = false;
        screen_ = WizardScreen::Name;
        view_->showScreen(screen_);
        return;
    }
    backFlag_ = false;
    toLists();
}

void Exclusion_Wizard::Cancel_Btn() {
    if (backFlag_) {
        if (!Show_YES_NO_MessageBox(kUnsavedNumbers)) {
            view_->endModal(0);
            return;
        }
        Finish_Btn();
    }
    if (updateAppEx_) {
        if (Show_YES_NO_MessageBox(kUnsavedApplied)) {
            Save_Applied_List();
        }
    }
    view_->endModal(0);
}

}  // namespace tesk::stores
