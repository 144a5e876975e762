// The composer window with real widgets offscreen: what typing, pasting, clicking and importing
// do to the fields, the labels and the table.
#include "ui/composer_window.h"
#include "appstate/selection_state.h"
#include "core/pacing.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/editing_dialogs.h"
#include "ui/list_models.h"
#include "ui/please_wait.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::test::ScriptedDialogs;
using tesk::ui::ComposerWindow;

const QString kLongNotice = QStringLiteral("typical SMS Length of 160 Characters");

using tesk::test::spinUntil;

class Composer : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    tesk::pacing::ScopedScale fast_{0.01};
    ScriptedDialogs dialogs_;
    ComposerController controller_{ComposerKind::Gsm};
    ComposerWindow window_{controller_};
};

TEST_F(Composer, NumberFieldHoldsTwentyCharactersAndReturnAddsTheNumber) {
    QLineEdit* number = window_.numberField();
    QTest::keyClicks(number, QStringLiteral("+44 7700-900 123 4567 89"));  // 24 characters
    EXPECT_EQ(number->text(), QStringLiteral("+44 7700-900 123 456"));
    QTest::keyClick(number, Qt::Key_Return);
    ASSERT_EQ(window_.tableModel()->rowCount(), 1);
    EXPECT_EQ(window_.tableModel()->index(0, 0).data().toString(),
              QStringLiteral("+447700900123456"));
    EXPECT_EQ(window_.countLabel(), QStringLiteral("Total Numbers : 1"));
    EXPECT_EQ(number->text(), QString());

    // Return in an empty field adds nothing and says nothing.
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(window_.tableModel()->rowCount(), 1);

    QTest::keyClicks(number, QStringLiteral("12a"));
    dialogs_.expectNotice(QStringLiteral("\nPlease enter a valid phone number."));
    window_.button(QStringLiteral("addButton"))->click();
    EXPECT_EQ(dialogs_.messages().size(), 1);
    EXPECT_EQ(window_.tableModel()->rowCount(), 1);
}

TEST_F(Composer, TypingPastOneSmsRecountsAndWarns) {
    QPlainTextEdit* text = window_.composerTextEdit();
    text->setFocus();
    // Before numbers and devices are known the count is the worst case, and says so.
    dialogs_.expectNotice(kLongNotice);
    QTest::keyClicks(text, QString(160, QLatin1Char('a')));
    EXPECT_EQ(window_.charCountLabel(),
              QStringLiteral("160 Characters (Each Message will now consume 2 SMS)"));
    EXPECT_TRUE(window_.findChild<QLabel*>(QStringLiteral("charCountLabel"))
                    ->toolTip()
                    .startsWith(QStringLiteral("No device is chosen yet")));
    ASSERT_TRUE(spinUntil([&] { return dialogs_.pending() == 0; }));
    // A 12-digit number and a device in PDU mode: 160 septets are one SMS.
    DeviceRecord record;
    record.path = QStringLiteral("/dev/ttyVM0");
    record.smsMode = SmsMode::Pdu;
    port_det_str_array.set({record});
    window_.setDeviceChoices({QStringLiteral("/dev/ttyVM0")}, 0);
    port_det_str_array.set({});
    QTest::keyClicks(window_.numberField(), QStringLiteral("+447700900123"));
    QTest::keyClick(window_.numberField(), Qt::Key_Return);
    EXPECT_EQ(window_.charCountLabel(), QStringLiteral("160 Characters"));
    EXPECT_TRUE(window_.findChild<QLabel*>(QStringLiteral("charCountLabel"))
                    ->toolTip()
                    .startsWith(QStringLiteral("Counted for PDU mode")));
    text->setFocus();

    dialogs_.expectNotice(kLongNotice);
    QTest::keyClicks(text, QStringLiteral("bb"));
    EXPECT_EQ(window_.charCountLabel(),
              QStringLiteral("162 Characters (Each Message will now consume 2 SMS)"));
    // The warning comes after its (scaled) wait.
    ASSERT_TRUE(spinUntil([&] { return dialogs_.pending() == 0; }));
    EXPECT_EQ(dialogs_.messages().size(), 2);
}

TEST_F(Composer, DelayedDeliverySwitchEnablesBothListsWithTheirPresets) {
    QComboBox* count = window_.delayedCountCombo();
    QComboBox* pause = window_.delayedPauseCombo();
    EXPECT_FALSE(count->isEnabled());
    EXPECT_EQ(window_.messageTypeCombo()->currentIndex(), 1);
    window_.option(5)->click();
    EXPECT_TRUE(count->isEnabled());
    EXPECT_TRUE(pause->isEnabled());
    EXPECT_EQ(pause->currentText(), QStringLiteral(" 2  Minutes"));
    EXPECT_EQ(count->currentText(), QStringLiteral("15"));
    // Entries picked with the keys reach the controller.
    QTest::keyClick(count, Qt::Key_Down);
    QTest::keyClick(pause, Qt::Key_Up);
    EXPECT_EQ(controller_.Delayed_Count_Text(), QStringLiteral("20"));
    EXPECT_EQ(controller_.Delayed_Pause_Text(), QStringLiteral(" 1  Minute"));
    window_.option(5)->click();
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_EQ(pause->currentIndex(), -1);
    EXPECT_EQ(controller_.Delayed_Pause_Text(), QString());
    EXPECT_EQ(controller_.Delayed_Count_Text(), QString());
}

TEST_F(Composer, ResetPutsEveryControlBack) {
    window_.option(0)->click();
    window_.option(4)->click();
    QTest::keyClicks(window_.numberField(), QStringLiteral("0777"));
    dialogs_.expect(QStringLiteral("\nAre you sure you want to continue to reset?"),
                    QStringLiteral("Yes"));
    window_.button(QStringLiteral("resetButton"))->click();
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(window_.option(i)->isChecked()) << i;
    }
    EXPECT_EQ(window_.numberField()->text(), QString());
    EXPECT_EQ(window_.charCountLabel(), QStringLiteral("0 Characters"));
}

TEST_F(Composer, PasteDialogAddsTabSeparatedNumbersAndCountsWrappedLines) {
    tesk::ui::ManuallyAddNumDialog dialog(controller_, &window_);
    dialog.resize(300, 300);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QPlainTextEdit* edit = dialog.numberEdit();
    // Cancel empties the dialog, its undo history too, and adds nothing.
    QTest::keyClicks(edit, QStringLiteral("+447700900777"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("+447700900778"));
    EXPECT_EQ(dialog.lineCountText(), QStringLiteral("2"));
    ASSERT_TRUE(edit->document()->isUndoAvailable());
    dialog.CancelPressed();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(edit->toPlainText(), QString());
    EXPECT_EQ(dialog.lineCountText(), QStringLiteral("1"));
    EXPECT_FALSE(edit->document()->isUndoAvailable());
    EXPECT_EQ(controller_.list().count(), 0);

    edit->setPlainText(QStringLiteral("Ann\t+44 7700 900123\tLondon\n07700-900456"));
    EXPECT_EQ(dialog.lineCountText(), QStringLiteral("2"));
    // One line far wider than the text: the label counts the lines the user sees.
    edit->setPlainText(
        QString(400, QLatin1Char('9')).replace(QStringLiteral("99999"), QStringLiteral("9999 ")));
    EXPECT_GT(dialog.lineCountText().toInt(), 2);

    edit->setPlainText(QStringLiteral("Ann\t+44 7700 900123\tLondon\n07700-900456\nnot a number"));
    dialog.OKPressed();
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(controller_.list().numbers(),
              (QStringList{QStringLiteral("+447700900123"), QStringLiteral("07700900456")}));
    EXPECT_EQ(edit->toPlainText(), QString());
    EXPECT_EQ(dialog.lineCountText(), QStringLiteral("1"));
}

TEST_F(Composer, FileImportFillsTheTableAndGivesSendBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("numbers.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 50; ++i) {
        file.write(QStringLiteral("+44 7700 9%1\r\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8());
    }
    file.close();
    window_.setSendAvailable(true);
    ASSERT_TRUE(window_.sendEnabled());
    dialogs_.expectFilesToOpen({path});
    dialogs_.expectNotice(QStringLiteral("Imported 50 numbers."));
    window_.button(QStringLiteral("importButton"))->click();
    ASSERT_TRUE(spinUntil([&] { return !controller_.Import_Running(); }));
    controller_.Wait_For_Import();
    // The worker's last updates are queued to the window thread.
    ASSERT_TRUE(spinUntil([&] { return window_.tableModel()->rowCount() == 50; }));
    EXPECT_EQ(window_.countLabel(), QStringLiteral("Total Numbers : 50"));
    EXPECT_TRUE(window_.sendEnabled());
    EXPECT_FALSE(window_.pleaseWaitSheet()->isVisible());
    EXPECT_EQ(window_.tableModel()->index(49, 0).data().toString(),
              QStringLiteral("+447700900049"));
}

TEST_F(Composer, SendStaysOffWhileAnImportRuns) {
    window_.setSendAvailable(true);
    window_.setSendEnabled(false);  // what the import does as it starts
    EXPECT_FALSE(window_.sendEnabled());
    window_.setSendEnabled(true);
    EXPECT_TRUE(window_.sendEnabled());
    window_.setSendAvailable(false);
    EXPECT_FALSE(window_.sendEnabled());
}

TEST_F(Composer, TheModelServesALargeListByRow) {
    for (int i = 0; i < 200000; ++i) {
        controller_.Create_Num_Msg_List(QString::number(100000000 + i),
                                        QStringLiteral("m%1").arg(i));
    }
    // Until the view is told, the model keeps the length it last showed: the list redraws
    // itself once, at its 10th row, and not for every row after.
    EXPECT_EQ(window_.tableModel()->rowCount(), 10);
    window_.redrawTable();
    ASSERT_EQ(window_.tableModel()->rowCount(), 200000);
    EXPECT_EQ(window_.tableModel()->index(199999, 0).data().toString(),
              QStringLiteral("100199999"));
    EXPECT_EQ(window_.tableModel()->index(123456, 1).data().toString(), QStringLiteral("m123456"));
    window_.table()->scrollToBottom();
    QApplication::processEvents();
}

}  // namespace

namespace {

TEST_F(Composer, HighlightedRowsReachTheControllerAndSurviveARedraw) {
    for (int i = 0; i < 12; ++i) {
        controller_.Create_Num_Msg_List(QString::number(5550 + i), QString());
    }
    window_.redrawTable();
    window_.selectRows({5, 0, 2, 1});
    EXPECT_EQ(controller_.selectedRows(), (QList<int>{0, 1, 2, 5}));
    window_.redrawTable();
    const QModelIndexList shown = window_.table()->selectionModel()->selectedRows();
    QList<int> rows;
    for (const QModelIndex& index : shown) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (QList<int>{0, 1, 2, 5}));

    // Removing them goes through the controller and leaves the first row highlighted.
    window_.button(QStringLiteral("removeSelectedButton"))->click();
    EXPECT_EQ(window_.tableModel()->rowCount(), 8);
    EXPECT_EQ(controller_.selectedRows(), QList<int>{0});
    EXPECT_EQ(window_.tableModel()->index(0, 0).data().toString(), QStringLiteral("5553"));
}

}  // namespace
