#include "ui/editing_dialogs.h"

#include "composer/message_rules.h"
#include "ui/window_parts.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTextBlock>
#include <QVBoxLayout>

namespace tesk::ui {
namespace {

// OK and Cancel, wired to the dialog's own handlers rather than to accept/reject: the
// controller decides whether OK closes the dialog.
template <typename Dialog>
QDialogButtonBox* makeOkCancel(Dialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog,
                     [dialog] { dialog->OKPressed(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog,
                     [dialog] { dialog->CancelPressed(); });
    return buttons;
}

}  // namespace

// ---- MessageEditor ----

MessageEditor::MessageEditor(const composer::ComposerController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QStringLiteral("messageEdit"));
    edit_->setMinimumSize(360, 110);
    count_ = new QLabel(QStringLiteral("0 Characters"), this);
    count_->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(edit_);
    layout->addWidget(count_);
    connect(edit_, &QPlainTextEdit::textChanged, this, &MessageEditor::onChanged);
}

QString MessageEditor::text() const {
    return edit_->toPlainText();
}

void MessageEditor::setText(const QString& text) {
    edit_->setPlainText(composer::Cut_Message(text));
    edit_->moveCursor(QTextCursor::End);
}

void MessageEditor::clear() {
    edit_->clear();
    edit_->document()->clearUndoRedoStacks();
    count_->setText(QStringLiteral("0 Characters"));
}

QString MessageEditor::countText() const {
    return count_->text();
}

void MessageEditor::onChanged() {
    if (!cutting_) {
        count_->setText(controller_.Message_Count_Text(Keep_Message_Limit(edit_, cutting_)));
    }
}

// ---- FillMsgInListDialog ----

FillMsgInListDialog::FillMsgInListDialog(composer::ComposerController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("Fill_Msg_In_List"));
    setWindowTitle(QStringLiteral("Apply Message to List Items"));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(new QLabel(QStringLiteral("Copy the message of the composer box to:"), this));
    all_ = new QRadioButton(QStringLiteral("All numbers in the list"), this);
    selected_ = new QRadioButton(QStringLiteral("Selected numbers"), this);
    blank_ = new QRadioButton(QStringLiteral("Numbers with a blank message"), this);
    all_->setObjectName(QStringLiteral("allButton"));
    selected_->setObjectName(QStringLiteral("selectedButton"));
    blank_->setObjectName(QStringLiteral("blankButton"));
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {all_, selected_, blank_}) {
        group->addButton(button);
        layout->addWidget(button);
    }
    all_->setChecked(true);
    layout->addWidget(makeOkCancel(this));
}

composer::FillTarget FillMsgInListDialog::choice() const {
    if (selected_->isChecked()) {
        return composer::FillTarget::Selected;
    }
    return blank_->isChecked() ? composer::FillTarget::Blank : composer::FillTarget::All;
}

void FillMsgInListDialog::choose(composer::FillTarget target) {
    switch (target) {
        case composer::FillTarget::All:
            all_->setChecked(true);
            break;
        case composer::FillTarget::Selected:
            selected_->setChecked(true);
            break;
        case composer::FillTarget::Blank:
            blank_->setChecked(true);
            break;
    }
}

void FillMsgInListDialog::OKPressed() {
    if (controller_.Fill_Msg_In_List_OK(choice())) {
        all_->setChecked(true);
        done(1);
    }
}

void FillMsgInListDialog::CancelPressed() {
    all_->setChecked(true);
    done(0);
}

// ---- UpdateSelNumSmsDialog ----

UpdateSelNumSmsDialog::UpdateSelNumSmsDialog(composer::ComposerController& controller,
                                             QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("Update_Sel_Num_SMS"));
    setWindowTitle(QStringLiteral("Update Selected Messages"));
    auto* layout = new QVBoxLayout(this);
    const QStringList selected = controller_.Open_Update_Sel_Num_SMS_Dialog();
    numbers_ = new QListView(this);
    numbers_->setObjectName(QStringLiteral("selectedNumbers"));
    numbers_->setModel(new QStringListModel(selected, numbers_));
    numbers_->setUniformItemSizes(true);
    numbers_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    numbers_->setMaximumHeight(140);
    total_ = new QLabel(
        composer::ComposerController::Selected_Numbers_Text(static_cast<int>(selected.size())),
        this);
    total_->setObjectName(QStringLiteral("totalSelected"));
    editor_ = new MessageEditor(controller_, this);
    layout->addWidget(new QLabel(QStringLiteral("Selected numbers:"), this));
    layout->addWidget(numbers_);
    layout->addWidget(total_);
    layout->addWidget(new QLabel(QStringLiteral("New message for the selected numbers:"), this));
    layout->addWidget(editor_);
    layout->addWidget(makeOkCancel(this));
}

QString UpdateSelNumSmsDialog::totalText() const {
    return total_->text();
}

QStringList UpdateSelNumSmsDialog::numbers() const {
    return static_cast<QStringListModel*>(numbers_->model())->stringList();
}

void UpdateSelNumSmsDialog::OKPressed() {
    if (editor_->text().isEmpty()) {
        // The controller says so; the focus goes back to the text.
        controller_.Update_Sel_Num_SMS_OK(QString());
        editor_->edit()->setFocus();
        return;
    }
    if (controller_.Update_Sel_Num_SMS_OK(editor_->text())) {
        editor_->clear();
        done(1);
    }
}

void UpdateSelNumSmsDialog::CancelPressed() {
    editor_->clear();
    done(0);
}

// ---- UpdateNumSmsDialog ----

UpdateNumSmsDialog::UpdateNumSmsDialog(composer::ComposerController& controller,
                                       const composer::EditRequest& request, QWidget* parent)
    : QDialog(parent), controller_(controller), request_(request) {
    setObjectName(QStringLiteral("Update_Num_SMS"));
    setWindowTitle(QStringLiteral("Update Number and Message"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    number_ = new QLineEdit(request.number, this);
    number_->setObjectName(QStringLiteral("numberField"));
    number_->setMaxLength(composer::kMaxNumberLength);
    form->addRow(QStringLiteral("Number:"), number_);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Message:"), this));
    editor_ = new MessageEditor(controller_, this);
    editor_->setText(request.message);
    layout->addWidget(editor_);
    layout->addWidget(makeOkCancel(this));
}

void UpdateNumSmsDialog::OKPressed() {
    if (controller_.Update_Num_SMS_OK(request_.row, request_.number, number_->text(),
                                      editor_->text())) {
        number_->clear();
        editor_->clear();
        done(1);
        return;
    }
    number_->setFocus();
}

void UpdateNumSmsDialog::CancelPressed() {
    number_->clear();
    editor_->clear();
    done(0);
}

// ---- ManuallyAddNumDialog ----

ManuallyAddNumDialog::ManuallyAddNumDialog(composer::ComposerController& controller,
                                           QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("Manually_Add_Num"));
    setWindowTitle(QStringLiteral("Paste Numbers"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Paste or type the numbers, one per line. Columns "
                                                "copied from a spreadsheet\n(separated by tabs) "
                                                "are fine: every column that holds a number "
                                                "counts."),
                                 this));
    numberEdit_ = new QPlainTextEdit(this);
    numberEdit_->setObjectName(QStringLiteral("numberEdit"));
    numberEdit_->setMinimumSize(420, 220);
    layout->addWidget(numberEdit_);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Lines:"), this));
    lineCount_ = new QLabel(QStringLiteral("1"), this);
    lineCount_->setObjectName(QStringLiteral("lineCount"));
    row->addWidget(lineCount_);
    row->addStretch();
    layout->addLayout(row);
    layout->addWidget(makeOkCancel(this));
    connect(numberEdit_, &QPlainTextEdit::textChanged, this, &ManuallyAddNumDialog::textDidChange);
}

QString ManuallyAddNumDialog::lineCountText() const {
    return lineCount_->text();
}

void ManuallyAddNumDialog::textDidChange() {
    // The lines as displayed: a wrapped line counts once per screen line.
    int lines = 0;
    for (QTextBlock block = numberEdit_->document()->begin(); block.isValid();
         block = block.next()) {
        lines += qMax(1, block.lineCount());
    }
    lineCount_->setText(QString::number(qMax(1, lines)));
}

void ManuallyAddNumDialog::emptyText() {
    numberEdit_->clear();
    numberEdit_->document()->clearUndoRedoStacks();
    lineCount_->setText(QStringLiteral("1"));
}

void ManuallyAddNumDialog::OKPressed() {
    if (!controller_.Manually_Add_OK(numberEdit_->toPlainText())) {
        numberEdit_->setFocus();
        return;
    }
    emptyText();
    done(1);
}

void ManuallyAddNumDialog::CancelPressed() {
    emptyText();
    done(0);
}

}  // namespace tesk::ui
