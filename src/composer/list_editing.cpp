// Editing the messages of list rows after the list is built: the composer message into all,
// the selected or the blank rows; one new message into the selected rows; one row's number and
// message. Rows are replaced in place; the order of the list never changes.
#include "checks/number_checks.h"
#include "composer/composer_controller.h"
#include "composer/composer_internal.h"
#include "composer/message_rules.h"
#include "core/dialogs.h"
#include "core/text_helpers.h"

#include <QSet>

#include <algorithm>

namespace tesk::composer {

void ComposerController::Fill_Msg_Btn() {
    if (list_.isEmpty()) {
        Show_MessageBox(texts::kListEmpty);
        return;
    }
    const QString composer = composerText();
    if (composer.isEmpty()) {
        Show_MessageBox(texts::kEnterSomeText);
        toView([](ComposerView& view) { view.focus(Field::ComposerText); });
        return;
    }
    const QString cut = Cut_Message(composer);
    {
        std::lock_guard lock(fieldsMutex_);
        messageIS_ = cut;
        composerText_ = cut;
    }
    if (cut.size() != composer.size()) {
        toView([cut](ComposerView& view) { view.setComposerText(cut); });
    }
    ComposerView* view = view_.load();
    if (view == nullptr || view->runFillMsgDialog() != 1) {
        return;
    }
    {
        std::lock_guard lock(fieldsMutex_);
        prevComposerMsg_ = messageIS_;
    }
    view->redrawTable();
}

bool ComposerController::Fill_Msg_In_List_OK(FillTarget target) {
    QString question;
    switch (target) {
        case FillTarget::All:
            question = QStringLiteral(
                "This action will copy the message of composer box to all numbers in the "
                "list.\n\nDo you want to continue?");
            break;
        case FillTarget::Selected:
            if (selectedRows_.isEmpty()) {
                Show_MessageBox(texts::kSelectAtLeastOne);
                return false;
            }
            question = QStringLiteral(
                "This action will copy the message of composer box to the selected numbers in the "
                "list. The messages of rest of the numbers remain unchanged.\n\nDo you want to "
                "continue?");
            break;
        case FillTarget::Blank:
            if (!list_.anyMessageEmpty()) {
                Show_MessageBox(QStringLiteral(
                    "There is no blank message in the phone numbers-messages list."));
                return false;
            }
            question = QStringLiteral(
                "This action will copy the message of composer box to the blank list items. The "
                "messages of rest of the numbers remain unchanged.\n\nDo you want to continue?");
            break;
    }
    if (!Show_YES_NO_MessageBox(question)) {
        return false;
    }
    toView([](ComposerView& view) { view.setPleaseWait(true); });
    const QString message = messageIS();
    const QSet<int> selected(selectedRows_.cbegin(), selectedRows_.cend());
    const QList<ListItem> rows = list_.items();
    for (int row = 0; row < rows.size(); ++row) {
        const bool covered = target == FillTarget::All ||
                             (target == FillTarget::Selected && selected.contains(row)) ||
                             (target == FillTarget::Blank && rows.at(row).Message.isEmpty());
        if (covered) {
            list_.replaceAt(row, {rows.at(row).Number, message});
        }
    }
    toView([](ComposerView& view) {
        view.redrawTable();
        view.setPleaseWait(false);
    });
    return true;
}

bool ComposerController::Take_Message_For_Sending() {
    const bool blankRows = list_.anyMessageEmpty();
    std::lock_guard lock(fieldsMutex_);
    messageIS_ = composerText_;
    // Rows without a message would go out empty: while there are any, the composer text is
    // offered for them again, whatever was answered before.
    return !messageIS_.isEmpty() && (messageIS_ != prevComposerMsg_ || blankRows);
}

void ComposerController::Remember_Offered_Message() {
    std::lock_guard lock(fieldsMutex_);
    prevComposerMsg_ = messageIS_;
}

void ComposerController::Apply_Message_For_Sending(bool blankOnly) {
    toView([](ComposerView& view) { view.setPleaseWait(true); });
    const QString message = messageIS();
    const QList<ListItem> rows = list_.items();
    for (int row = 0; row < rows.size(); ++row) {
        if (!blankOnly || rows.at(row).Message.isEmpty()) {
            list_.replaceAt(row, {rows.at(row).Number, message});
        }
    }
    toView([](ComposerView& view) {
        view.redrawTable();
        view.setPleaseWait(false);
    });
}

void ComposerController::Update_Sel_Msgs_Btn() {
    if (list_.isEmpty()) {
        Show_MessageBox(texts::kListEmpty);
        return;
    }
    if (selectedRows_.isEmpty()) {
        Show_MessageBox(texts::kSelectAtLeastOne);
        return;
    }
    if (ComposerView* view = view_.load()) {
        view->runUpdateSelNumSmsDialog();
    }
}

QStringList ComposerController::Open_Update_Sel_Num_SMS_Dialog() const {
    QList<int> rows = selectedRows_;
    std::sort(rows.begin(), rows.end());
    QStringList numbers;
    int previous = -1;
    for (const int row : rows) {
        if (row == previous) {
            continue;
        }
        previous = row;
        const QString number = list_.at(row).Number;
        if (!Trim_Str(number).isEmpty()) {
            numbers.append(number);
        }
    }
    return numbers;
}

QString ComposerController::Selected_Numbers_Text(int count) {
    return QStringLiteral("Total Selected Numbers : %1").arg(count);
}

bool ComposerController::Update_Sel_Num_SMS_OK(const QString& text) {
    const QString message = Cut_Message(text);
    if (message.isEmpty()) {
        Show_MessageBox(texts::kEnterSomeText);
        return false;
    }
    if (!Show_YES_NO_MessageBox(QStringLiteral(
            "This action will copy the above message to the selected numbers in the list. The "
            "messages of rest of the numbers remain unchanged.\n\nDo you want to continue?"))) {
        return false;
    }
    toView([](ComposerView& view) { view.setPleaseWait(true); });
    for (const int row : selectedRows_) {
        const ListItem item = list_.at(row);
        list_.replaceAt(row, {item.Number, message});
    }
    toView([](ComposerView& view) {
        view.redrawTable();
        view.setPleaseWait(false);
    });
    return true;
}

bool ComposerController::Update_Num_SMS_OK(int row, const QString& openedNumber,
                                           const QString& numberField, const QString& messageText) {
    const QString message = Cut_Message(messageText);
    if (row < 0 || row >= list_.count()) {
        return false;
    }
    // An unchanged number is kept exactly as shown, without any check.
    if (numberField == openedNumber) {
        list_.replaceAt(row, {openedNumber, message});
        return true;
    }
    const QString number = Clean_Valid_Number(numberField);
    if (number.isEmpty()) {
        Show_MessageBox(texts::kInvalidNumber);
        return false;
    }
    // The row being edited does not count as its own duplicate: retyping its number with a
    // blank or a hyphen must not be refused.
    const int ownMatch = list_.at(row).Number == number ? 1 : 0;
    if (skipDuplicate_ && list_.occurrences(number) - ownMatch > 0) {
        Show_MessageBox(texts::kNumberExists);
        return false;
    }
    if (exclusion_ && Check_Exclusion_Number(number) == 1) {
        Show_MessageBox(texts::kNumberExcluded);
        return false;
    }
    list_.replaceAt(row, {number, message});
    recountForNumbers();
    toView([](ComposerView& view) { view.redrawTable(); });
    return true;
}

void ComposerController::Set_Composer_Selection(int start, int end) {
    std::lock_guard lock(fieldsMutex_);
    selectionStart_ = qMin(start, end);
    selectionEnd_ = qMax(start, end);
}

bool ComposerController::Put_Template(const QString& text) {
    QString current = composerText();
    int start = 0;
    int end = 0;
    {
        std::lock_guard lock(fieldsMutex_);
        start = selectionStart_;
        end = selectionEnd_;
    }
    if (start < 0 || start > current.size()) {
        start = end = static_cast<int>(current.size());
    }
    end = qBound(start, end, static_cast<int>(current.size()));
    QString result = current.left(start) + text + current.mid(end);
    if (result.size() > kMaxMessageLength) {
        if (!Show_YES_NO_MessageBox(QStringLiteral(
                "Maximum characters limit is 1600.\r\n\r\nPress 'Yes to continue to composer "
                "window and it will show first 1600 characters of your message otherwise press "
                "'No''"))) {
            return false;
        }
        result = Cut_Message(result);
    }
    {
        std::lock_guard lock(fieldsMutex_);
        composerText_ = result;
        selectionStart_ = selectionEnd_ =
            qMin(start + static_cast<int>(text.size()), static_cast<int>(result.size()));
    }
    toView([result](ComposerView& view) { view.setComposerText(result); });
    // The label goes through the plain count first, so a message that now takes several SMS
    // always brings the warning up.
    const QString plain = QStringLiteral("%1 Characters").arg(result.size());
    const QString label = Long_SMS_Calculation(result, plain, true);
    {
        std::lock_guard lock(fieldsMutex_);
        charCountLabel_ = label;
    }
    toView([label](ComposerView& view) { view.setCharCountLabel(label); });
    return true;
}

}  // namespace tesk::composer
