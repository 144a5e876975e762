// The composer window with real widgets offscreen: what typing, pasting, clicking and importing
// do to the fields, the labels and the table.
#include "ui/composer_window.h"
#include "core/pacing.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/editing_dialogs.h"
#include "ui/list_models.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::test::ScriptedDialogs;
using tesk::ui::ComposerWindow;

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

// The controls of the window reach its controller and what it did shows: the number field
// (Return adds), the message (its count), the delayed delivery lists, Reset.
TEST_F(Composer, TheFieldsReachTheControllerAndTheLabelsFollow) {
    QLineEdit* number = window_.numberField();
    QTest::keyClicks(number, QStringLiteral("+44 7700-900 123 4567 89"));  // 24 characters
    EXPECT_EQ(number->text(), QStringLiteral("+44 7700-900 123 456"));
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(window_.tableModel()->index(0, 0).data().toString(),
              QStringLiteral("+447700900123456"));
    EXPECT_EQ(window_.countLabel(), QStringLiteral("Total Numbers : 1"));

    dialogs_.expectNotice(QStringLiteral("typical SMS Length of 160 Characters"));
    QTest::keyClicks(window_.composerTextEdit(), QString(160, QLatin1Char('a')));
    EXPECT_EQ(window_.charCountLabel(),
              QStringLiteral("160 Characters (Each Message will now consume 2 SMS)"));
    ASSERT_TRUE(spinUntil([&] { return dialogs_.pending() == 0; }));  // after its scaled wait

    window_.option(5)->click();  // delayed delivery, its lists at their presets
    QTest::keyClick(window_.delayedCountCombo(), Qt::Key_Down);
    QTest::keyClick(window_.delayedPauseCombo(), Qt::Key_Up);
    EXPECT_EQ(controller_.Delayed_Count_Text(), QStringLiteral("20"));
    EXPECT_EQ(controller_.Delayed_Pause_Text(), QStringLiteral(" 1  Minute"));

    window_.option(0)->click();
    QTest::keyClicks(number, QStringLiteral("0777"));
    dialogs_.expect(QStringLiteral("\nAre you sure you want to continue to reset?"),
                    QStringLiteral("Yes"));
    window_.button(QStringLiteral("resetButton"))->click();
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(window_.option(i)->isChecked()) << i;
    }
    EXPECT_EQ(number->text(), QString());
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
    dialog.CancelPressed();
    EXPECT_EQ(edit->toPlainText(), QString());
    EXPECT_FALSE(edit->document()->isUndoAvailable());
    EXPECT_EQ(controller_.list().count(), 0);

    // One line far wider than the text: the label counts the lines the user sees.
    edit->setPlainText(
        QString(400, QLatin1Char('9')).replace(QStringLiteral("99999"), QStringLiteral("9999 ")));
    EXPECT_GT(dialog.lineCountText().toInt(), 2);

    edit->setPlainText(QStringLiteral("Ann\t+44 7700 900123\tLondon\n07700-900456\nnot a number"));
    dialog.OKPressed();
    EXPECT_EQ(controller_.list().numbers(),
              (QStringList{QStringLiteral("+447700900123"), QStringLiteral("07700900456")}));
    EXPECT_EQ(edit->toPlainText(), QString());
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
    EXPECT_EQ(window_.tableModel()->index(49, 0).data().toString(),
              QStringLiteral("+447700900049"));
    EXPECT_TRUE(window_.sendEnabled());
}

TEST_F(Composer, HighlightedRowsReachTheControllerAndSurviveARedraw) {
    for (int i = 0; i < 12; ++i) {
        controller_.Create_Num_Msg_List(QString::number(5550 + i), QString());
    }
    window_.redrawTable();
    window_.selectRows({5, 0, 2, 1});
    window_.redrawTable();
    const QModelIndexList shown = window_.table()->selectionModel()->selectedRows();
    QList<int> rows;
    for (const QModelIndex& index : shown) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (QList<int>{0, 1, 2, 5}));

    // Removing them goes through the controller.
    window_.button(QStringLiteral("removeSelectedButton"))->click();
    EXPECT_EQ(window_.tableModel()->rowCount(), 8);
    EXPECT_EQ(window_.tableModel()->index(0, 0).data().toString(), QStringLiteral("5553"));
}

}  // namespace
