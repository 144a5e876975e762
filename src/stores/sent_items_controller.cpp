#include "stores/sent_items_controller.h"

#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "core/text_helpers.h"

#include "stores/list_editing.h"
#include "stores/store_file.h"

#include <algorithm>
#include <numeric>

namespace tesk::stores {
namespace {

const QString kImportFailure = QStringLiteral(
    "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient "
    "number is skipped because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");

}  // namespace

StatusChoice Ask_Status_Export_Mode() {
    const int pressed =
        tesk::dialogs().ask({QStringLiteral("\nWhich sent items do you want to export?"),
                             QString(),
                             {QStringLiteral("All Items"), QStringLiteral("Sent Successfully"),
                              QStringLiteral("Not Sent"), QStringLiteral("Cancel")}});
    return pressed >= 0 && pressed <= 2 ? static_cast<StatusChoice>(pressed) : StatusChoice::Cancel;
}

bool Ask_Export_Format(ReportFormat* format) {
    const int pressed = tesk::dialogs().ask(
        {QStringLiteral("\nIn which format do you want to export?"),
         QString(),
         {QStringLiteral("Text"), QStringLiteral("HTML"), QStringLiteral("Cancel")}});
    if (pressed != 0 && pressed != 1) {
        return false;
    }
    *format = pressed == 0 ? ReportFormat::Text : ReportFormat::Html;
    return true;
}

Sent_Items::Sent_Items(int mode, composer::ComposerController& composer, SentItemsView* view)
    : mode_(mode), composer_(composer), view_(view) {}

bool Sent_Items::Status_Column_Shown() const {
    return mode_ == kGsmMode;
}

QString Sent_Items::Table_Value(int row, const QString& column) const {
    return row >= 0 && row < items_.size() ? items_.at(row).value(column) : QString();
}

QString Sent_Items::Count_Text() const {
    return QStringLiteral("Total Items : %1").arg(items_.size());
}

void Sent_Items::Load() {
    Set_File(Load_Sent_Items_File(Sent_Item_File(mode_)));
}

void Sent_Items::Set_File(SentItemsFile file) {
    items_ = std::move(file.items);
    file_ = std::move(file);
    origins_.resize(items_.size());
    std::iota(origins_.begin(), origins_.end(), 0);
    selected_.clear();
    view_->redrawTable();
    view_->selectRows({});
    showCountAndDetails();
}

void Sent_Items::showCountAndDetails() {
    view_->setCountLabel(Count_Text());
    view_->setDetails(selected_.isEmpty() ? QString() : Details_Text(selected_.first()));
}

void Sent_Items::Set_Selected_Rows(const QList<int>& rows) {
    selected_ = rows;
    std::sort(selected_.begin(), selected_.end());
    selected_.erase(std::unique(selected_.begin(), selected_.end()), selected_.end());
    view_->setDetails(selected_.isEmpty() ? QString() : Details_Text(selected_.first()));
}

QString Sent_Items::Details_Text(int row) const {
    if (row < 0 || row >= items_.size()) {
        return QString();
    }
    const SentItem& item = items_.at(row);
    QString text = QStringLiteral("Number\t: ") + item.Number +
                   QStringLiteral("\r\n\r\nMessage\t: ") + item.Message +
                   QStringLiteral("\r\n\r\nDate\t\t: ") + item.Date;
    if (Status_Column_Shown()) {
        text += QStringLiteral("\r\n\r\nStatus\t: ") + item.Status;
    }
    return text;
}

void Sent_Items::Clear_Sel_Btn() {
    if (items_.isEmpty()) {
        Show_MessageBox(kSentItemsEmpty);
        return;
    }
    if (selected_.isEmpty()) {
        Show_MessageBox(kSelectSentItem);
        return;
    }
    selected_ = Remove_Rows(selected_, &items_, &origins_);
    view_->redrawTable();
    view_->selectRows(selected_);
    showCountAndDetails();
}

void Sent_Items::Clear_All_Btn() {
    if (items_.isEmpty()) {
        Show_MessageBox(kSentItemsEmpty);
        return;
    }
    if (!Confirm_Clear_Entire_List()) {
        return;
    }
    Delete_File(Sent_Item_File(mode_));
    Check_Path_And_Create_Files();
    file_ = {};
    items_.clear();
    origins_.clear();
    selected_.clear();
    view_->redrawTable();
    showCountAndDetails();
}

void Sent_Items::Send_To_Main_Wnd_Btn() {
    if (items_.isEmpty()) {
        Show_MessageBox(kSentItemsEmpty);
        return;
    }
    if (selected_.isEmpty()) {
        Show_MessageBox(kSelectSentItem);
        return;
    }
    QList<composer::ListItem> rows;
    for (const int row : selected_) {
        if (row >= 0 && row < items_.size()) {
            rows.append({items_.at(row).Number, items_.at(row).Message});
        }
    }
    const int added = composer_.Insert_From_Store(rows);
    if (added < 0) {
        return;
    }
    Show_MessageBox(
        added > 0 ? QStringLiteral("Selected sent items inserted in SMS Composer successfully.")
                  : kImportFailure);
}

void Sent_Items::Export_Btn() {
    if (items_.isEmpty()) {
        Show_MessageBox(kSentItemsEmpty);
        return;
    }
    StatusChoice which = StatusChoice::All;
    if (Status_Column_Shown()) {
        which = Ask_Status_Export_Mode();
        if (which == StatusChoice::Cancel) {
            return;
        }
    }
    QList<SentItem> chosenItems;
    for (const SentItem& item : items_) {
        const bool ok = Is_Successful_Status(item.Status);
        if (which == StatusChoice::All || (which == StatusChoice::Successful && ok) ||
            (which == StatusChoice::Failed && !ok)) {
            chosenItems.append(item);
        }
    }
    // An empty report helps nobody; the sending-status export says the same.
    if (chosenItems.isEmpty()) {
        Show_MessageBox(kNoItemForExportOption);
        return;
    }
    ReportFormat format = ReportFormat::Text;
    if (!Ask_Export_Format(&format)) {
        return;
    }
    const bool html = format == ReportFormat::Html;
    const QString chosen = tesk::dialogs().chooseFileToSave(
        {QStringLiteral("Export Sent Items"),
         QString(),
         html ? QStringLiteral("Sent Items.html") : QStringLiteral("Sent Items.txt"),
         {html ? QStringLiteral("HTML files (*.html)") : QStringLiteral("Text files (*.txt)")}});
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = Report_File_Name(chosen, format);
    if (!Write_Report(path, Sent_Items_Report(chosenItems, format, Status_Column_Shown()))) {
        Show_MessageBox(QStringLiteral("Error in file accessing."));
        return;
    }
    view_->offerToOpenExportedFile(path);
}

void Sent_Items::Cancel_Btn() {
    // Entries are only ever deleted here, so the same count means nothing changed, and an
    // unchanged file is left alone.
    if (origins_.size() != file_.records.size()) {
        Check_Path_And_Create_Files();
        if (!Rewrite_Store_File_Keeping_Appends(Sent_Item_File(mode_), file_.bytes,
                                                Sent_Items_Keeping(file_, origins_))) {
            Show_MessageBox(QStringLiteral("Error in file accessing."));
        }
    }
    view_->endModal(0);
}

}  // namespace tesk::stores
