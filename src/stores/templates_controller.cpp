#include "stores/templates_controller.h"

#include "appstate/data_paths.h"
#include "composer/message_rules.h"
#include "core/dialogs.h"
#include "core/text_helpers.h"
#include "stores/list_editing.h"
#include "stores/reports.h"
#include "stores/sent_items_controller.h"
#include "stores/store_file.h"
#include "stores/templates.h"

#include <algorithm>
#include <numeric>

namespace tesk::stores {
namespace {

const QString kListEmpty = QStringLiteral("Templates list is empty.");
const QString kSelectOne =
    QStringLiteral("Please select at least one record from the templates list to continue.");
const QString kExists = QStringLiteral("Entered template already exists.");

}  // namespace

Templates::Templates(composer::ComposerController& composer, TemplatesView* view)
    : composer_(composer), view_(view) {}

QString Templates::Table_Value(int row) const {
    return templates_.value(row);
}

QString Templates::Count_Text() const {
    return QStringLiteral("Total Items : %1").arg(templates_.size());
}

QString Templates::Editor_Count_Text(const QString& text) {
    return QStringLiteral("%1 Characters").arg(composer::Cut_Message(text).size());
}

void Templates::showCount() {
    view_->setCountLabel(Count_Text());
}

void Templates::Load() {
    Set_File(Load_Templates_File(Templates_Path));
}

void Templates::Set_File(TemplatesFile file) {
    file_ = std::move(file);
    templates_ = file_.templates;
    origins_.resize(templates_.size());
    std::iota(origins_.begin(), origins_.end(), 0);
    selected_.clear();
    view_->redrawTable();
    view_->selectRows({});
    showCount();
}

void Templates::Set_Selected_Rows(const QList<int>& rows) {
    selected_ = rows;
    std::sort(selected_.begin(), selected_.end());
    selected_.erase(std::unique(selected_.begin(), selected_.end()), selected_.end());
}

void Templates::AddNew_Btn() {
    view_->runEditor(QStringLiteral("Add Templates"), QString(), -1);
}

void Templates::Update_Btn() {
    if (templates_.isEmpty()) {
        Show_MessageBox(QStringLiteral("Templates number list is empty."));
        return;
    }
    // A row whose text is blank counts as no selection.
    QList<int> rows;
    for (const int row : selected_) {
        if (!Trim_Str(templates_.value(row)).isEmpty()) {
            rows.append(row);
        }
    }
    if (rows.isEmpty()) {
        Show_MessageBox(kSelectOne);
        return;
    }
    if (rows.size() > 1) {
        Show_MessageBox(QStringLiteral("Please select only one record to update."));
        return;
    }
    view_->runEditor(QStringLiteral("Update Templates"), templates_.at(rows.first()), rows.first());
}

bool Templates::Editor_OK(const QString& text, int row) {
    const QString cut = composer::Cut_Message(text);
    if (cut.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please type template message."));
        return false;
    }
    const bool updating = row >= 0 && row < templates_.size();
    if (updating) {
        // Keeping a template's own text is no duplicate of itself.
        if (cut != templates_.at(row) && Check_Duplicate_Template(templates_, cut)) {
            Show_MessageBox(kExists);
            return false;
        }
        templates_[row] = cut;
    } else {
        if (Check_Duplicate_Template(templates_, cut)) {
            Show_MessageBox(kExists);
            return false;
        }
        templates_.append(cut);
        origins_.append(-1);
    }
    view_->redrawTable();
    showCount();
    return true;
}

void Templates::Clear_Sel_Btn() {
    if (templates_.isEmpty()) {
        Show_MessageBox(kListEmpty);
        return;
    }
    if (selected_.isEmpty()) {
        Show_MessageBox(kSelectOne);
        return;
    }
    selected_ = Remove_Rows(selected_, &templates_, &origins_);
    view_->redrawTable();
    view_->selectRows(selected_);
    showCount();
}

void Templates::Clear_All_Btn() {
    if (templates_.isEmpty()) {
        Show_MessageBox(QStringLiteral("Templates items list is empty."));
        return;
    }
    if (!Confirm_Clear_Entire_List()) {
        return;
    }
    Delete_File(Templates_Path);
    Check_Path_And_Create_Files();
    file_ = {};
    templates_.clear();
    origins_.clear();
    selected_.clear();
    view_->redrawTable();
    showCount();
}

void Templates::Use_template_Btn() {
    if (templates_.isEmpty()) {
        Show_MessageBox(kListEmpty);
        return;
    }
    if (selected_.isEmpty()) {
        Show_MessageBox(kSelectOne);
        return;
    }
    if (selected_.size() > 1) {
        Show_MessageBox(QStringLiteral("Please select only one record."));
        return;
    }
    if (composer_.Put_Template(templates_.value(selected_.first()))) {
        Show_MessageBox(QStringLiteral(
            "Selected template message has been moved to Message Composer window of Software."));
    }
}

void Templates::Export_Btn() {
    if (templates_.isEmpty()) {
        Show_MessageBox(kListEmpty);
        return;
    }
    ReportFormat format = ReportFormat::Text;
    if (!Ask_Export_Format(&format)) {
        return;
    }
    const bool html = format == ReportFormat::Html;
    const QString chosen = tesk::dialogs().chooseFileToSave(
        {QStringLiteral("Export Templates"),
         QString(),
         html ? QStringLiteral("Templates.html") : QStringLiteral("Templates.txt"),
         {html ? QStringLiteral("HTML files (*.html)") : QStringLiteral("Text files (*.txt)")}});
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = Report_File_Name(chosen, format);
    if (!Write_Report(path, Templates_Report(templates_, format))) {
        Show_MessageBox(QStringLiteral("Error in file accessing."));
        return;
    }
    view_->offerToOpenExportedFile(path);
}

void Templates::Cancel_Btn() {
    const QByteArray contents = Templates_File_After(file_, templates_, origins_);
    if (contents != file_.bytes) {
        Check_Path_And_Create_Files();
        if (!Rewrite_Store_File_Keeping_Appends(Templates_Path, file_.bytes, contents)) {
            Show_MessageBox(QStringLiteral("Error in file accessing."));
        }
    }
    view_->endModal(0);
}

}  // namespace tesk::stores
