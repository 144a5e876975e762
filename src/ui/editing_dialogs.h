#pragma once
// The three dialogs that change list messages after the list is built, and the pasting dialog.
// Each is a thin window over the composer controller: its OK button hands the fields to the
// controller, which checks, asks and changes the list; the dialog closes with 1 only when the
// controller accepted.
#include "composer/composer_controller.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QRadioButton;

namespace tesk::ui {

// A message text that never holds more than 1600 characters, with its count text below.
class MessageEditor final : public QWidget {
    Q_OBJECT
  public:
    MessageEditor(const composer::ComposerController& controller, QWidget* parent);

    QString text() const;
    void setText(const QString& text);
    // Empties the text, its counter and its undo history.
    void clear();
    QString countText() const;
    QPlainTextEdit* edit() const { return edit_; }

  private:
    void onChanged();

    const composer::ComposerController& controller_;
    QPlainTextEdit* edit_ = nullptr;
    QLabel* count_ = nullptr;
    bool cutting_ = false;
};

// Fill_Msg_In_List: the composer message into all, the selected or the blank rows.
class FillMsgInListDialog : public QDialog {
    Q_OBJECT
  public:
    FillMsgInListDialog(composer::ComposerController& controller, QWidget* parent = nullptr);

    void OKPressed();
    void CancelPressed();
    void choose(composer::FillTarget target);
    composer::FillTarget choice() const;
    void reject() override { CancelPressed(); }

  private:
    composer::ComposerController& controller_;
    QRadioButton* all_ = nullptr;
    QRadioButton* selected_ = nullptr;
    QRadioButton* blank_ = nullptr;
};

// Update_Sel_Num_SMS: one new message into the selected rows.
class UpdateSelNumSmsDialog : public QDialog {
    Q_OBJECT
  public:
    UpdateSelNumSmsDialog(composer::ComposerController& controller, QWidget* parent = nullptr);

    void OKPressed();
    void CancelPressed();
    void reject() override { CancelPressed(); }
    MessageEditor* editor() const { return editor_; }
    QString totalText() const;
    QStringList numbers() const;

  private:
    composer::ComposerController& controller_;
    QListView* numbers_ = nullptr;
    QLabel* total_ = nullptr;
    MessageEditor* editor_ = nullptr;
};

// Update_Num_SMS: one row's number and message.
class UpdateNumSmsDialog : public QDialog {
    Q_OBJECT
  public:
    UpdateNumSmsDialog(composer::ComposerController& controller,
                       const composer::EditRequest& request, QWidget* parent = nullptr);

    void OKPressed();
    void CancelPressed();
    void reject() override { CancelPressed(); }
    QLineEdit* numberField() const { return number_; }
    MessageEditor* editor() const { return editor_; }

  private:
    composer::ComposerController& controller_;
    composer::EditRequest request_;
    QLineEdit* number_ = nullptr;
    MessageEditor* editor_ = nullptr;
};

// Manually_Add_Num: a pasted block of numbers, with the count of lines as they are displayed.
class ManuallyAddNumDialog : public QDialog {
    Q_OBJECT
  public:
    ManuallyAddNumDialog(composer::ComposerController& controller, QWidget* parent = nullptr);

    void OKPressed();
    void CancelPressed();
    void reject() override { CancelPressed(); }
    QPlainTextEdit* numberEdit() const { return numberEdit_; }
    QString lineCountText() const;

  private:
    void textDidChange();
    void emptyText();

    composer::ComposerController& controller_;
    QPlainTextEdit* numberEdit_ = nullptr;  // _numberEdit
    QLabel* lineCount_ = nullptr;           // m_st_cnt
};

}  // namespace tesk::ui
