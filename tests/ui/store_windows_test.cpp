// The sent-items and templates windows with real widgets offscreen, over real store files.
#include "ui/store_windows.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "stores/exclusion_store.h"
#include "stores/sent_items.h"
#include "stores/templates.h"
#include "support/param_names.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/composer_window.h"
#include "ui/exclusion_wizard_wnd.h"
#include "ui/list_models.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
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
using tesk::stores::SentItem;
using tesk::test::ScriptedDialogs;

// The windows read their files on a worker thread.
template <typename Window>
bool loaded(Window& window) {
    return tesk::test::spinUntil([&] { return !window.loading(); });
}

class StoreWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        tesk::Set_Data_Paths(dir_.path());
        Check_Path_And_Create_Files();
        ASSERT_TRUE(tesk::stores::Rewrite_Sent_Items(
            Sent_Item_Path,
            {{"+447700900001", "Hello\nthere", "05/12/2026", "Message sent successfully."},
             {"07700900002", "Second", "06/12/2026", "+CMS ERROR: 500"}},
            false));
        ASSERT_TRUE(
            tesk::stores::Write_Template_file(Templates_Path, {"Welcome!", "See you at 9"}));
    }
    void selectRow(QTableView* table, int row) {
        table->selectionModel()->select(
            table->model()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;
    ComposerController composer_{ComposerKind::Gsm};
    tesk::ui::ComposerWindow composerWindow_{composer_};
};

TEST_F(StoreWindows, SentItemsShowTheStatusColumnOnlyInGsmMode) {
    tesk::ui::SentItemsWnd gsm(tesk::kGsmMode, composer_);
    ASSERT_TRUE(loaded(gsm));
    EXPECT_EQ(gsm.table()->model()->columnCount(), 4);
    EXPECT_EQ(gsm.table()->model()->headerData(3, Qt::Horizontal).toString(),
              QStringLiteral("Status"));
    EXPECT_EQ(gsm.countText(), QStringLiteral("Total Items : 2"));
    selectRow(gsm.table(), 1);
    EXPECT_EQ(gsm.details(),
              QStringLiteral("Number\t: 07700900002\n\nMessage\t: Second\n\nDate\t\t: "
                             "06/12/2026\n\nStatus\t: +CMS ERROR: 500"))
        << "the pane shows the entry's details (its CR LF shown as line breaks)";

    tesk::ui::SentItemsWnd android(tesk::kAndroidMode, composer_);
    ASSERT_TRUE(loaded(android));
    EXPECT_EQ(android.table()->model()->columnCount(), 3);
}

// Lines this program did not write, bytes that are not UTF-8, BELs and VTs inside a message.
const QByteArray kForeignRecord(
    "\a+447700900001\vring\a\vbell\a05/12/2026\vMessage sent successfully.\n");
const QByteArray kForeignRest(
    "\xC3\x28 not UTF-8, no record\n\a07700900002\vbad \xFF byte\a06/12/2026\v"
    "+CMS ERROR: 500");
const QByteArray kForeignSentItems = "# notes\n" + kForeignRecord + kForeignRest;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(StoreWindows, SentItemsDeleteThenCloseCutsOnlyThatRecord) {
    writeFile(Sent_Item_Path, kForeignSentItems);
    tesk::ui::SentItemsWnd window(tesk::kGsmMode, composer_);
    ASSERT_TRUE(loaded(window));
    window.show();
    EXPECT_EQ(window.table()->model()->index(0, 1).data(Qt::ToolTipRole).toString(),
              QStringLiteral("ring\a\vbell"));
    selectRow(window.table(), 0);
    window.button(QStringLiteral("removeSelectedButton"))->click();
    EXPECT_EQ(window.table()->model()->rowCount(), 1);
    EXPECT_EQ(window.countText(), QStringLiteral("Total Items : 1"));
    window.button(QStringLiteral("closeButton"))->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(readFile(Sent_Item_Path), "# notes\n" + kForeignRest);
}

struct UntouchedCase {
    const char* name;
    int window;  // kGsmMode or kAndroidMode for sent items, 0 for templates
    QByteArray file;
    int entries;  // what the window lists, so that it did read the file
};

class StoreWindowsUntouched : public StoreWindows,
                              public ::testing::WithParamInterface<UntouchedCase> {};

TEST_P(StoreWindowsUntouched, OpenAndCloseLeaveTheFileByteForByte) {
    const UntouchedCase& c = GetParam();
    const QString path = c.window == 0 ? Templates_Path : tesk::stores::Sent_Item_File(c.window);
    writeFile(path, c.file);
    if (c.window == 0) {
        tesk::ui::TemplatesWnd window(composer_);
        ASSERT_TRUE(loaded(window));
        EXPECT_EQ(window.countText(), QStringLiteral("Total Items : %1").arg(c.entries));
        window.button(QStringLiteral("closeButton"))->click();
    } else {
        tesk::ui::SentItemsWnd window(c.window, composer_);
        ASSERT_TRUE(loaded(window));
        EXPECT_EQ(window.countText(), QStringLiteral("Total Items : %1").arg(c.entries));
        window.button(QStringLiteral("closeButton"))->click();
    }
    EXPECT_EQ(readFile(path), c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoreWindowsUntouched,
    ::testing::Values(UntouchedCase{"gsm_sent_items", tesk::kGsmMode, kForeignSentItems, 2},
                      UntouchedCase{"android_sent_items_with_a_status", tesk::kAndroidMode,
                                    "\xEF\xBB\xBF" + kForeignRecord + "\n\n\a\v\a\v\n", 1},
                      UntouchedCase{"templates_in_utf16", 0,
                                    QByteArray("\xFF\xFEH\0i\0\n\0B\0\n\0", 12), 3},
                      UntouchedCase{"templates_repeated_blank_long_and_undecodable", 0,
                                    "\xEF\xBB\xBF"
                                    "A\n\nA\n" +
                                        QByteArray(1700, 'x') + "\n bad \xFF\n\a\v\a\n",
                                    4}),
    tesk::test::ByCaseName());

TEST_F(StoreWindows, SentItemsGoBackIntoTheComposer) {
    tesk::ui::SentItemsWnd window(tesk::kGsmMode, composer_);
    ASSERT_TRUE(loaded(window));
    selectRow(window.table(), 0);
    dialogs_.expectNotice(QStringLiteral("inserted in SMS Composer successfully."));
    window.button(QStringLiteral("insertButton"))->click();
    EXPECT_EQ(composerWindow_.tableModel()->rowCount(), 1);
    EXPECT_EQ(composerWindow_.countLabel(), QStringLiteral("Total Numbers : 1"));
}

TEST_F(StoreWindows, TemplateEditorCutsAndCountsAndAddsToTheList) {
    tesk::ui::TemplatesWnd window(composer_);
    ASSERT_TRUE(loaded(window));
    EXPECT_EQ(window.countText(), QStringLiteral("Total Items : 2"));
    tesk::ui::TemplateEditorDlg editor(window.controller(), QStringLiteral("Add Templates"),
                                       QString(), -1, &window);
    editor.edit()->setPlainText(QString(1700, QLatin1Char('k')));
    EXPECT_EQ(editor.edit()->toPlainText().size(), 1600);
    EXPECT_EQ(editor.countText(), QStringLiteral("1600 Characters"));
    editor.OKPressed();
    EXPECT_EQ(editor.result(), 1);
    EXPECT_EQ(editor.countText(), QStringLiteral("0 Characters"));
    EXPECT_EQ(window.table()->model()->rowCount(), 3);
    EXPECT_EQ(window.countText(), QStringLiteral("Total Items : 3"));
}

TEST_F(StoreWindows, UseTemplatePutsItIntoTheComposerWindowAtItsCursor) {
    composerWindow_.composerTextEdit()->setPlainText(QStringLiteral("Hi  bye"));
    QTextCursor cursor = composerWindow_.composerTextEdit()->textCursor();
    cursor.setPosition(3);
    composerWindow_.composerTextEdit()->setTextCursor(cursor);
    tesk::ui::TemplatesWnd window(composer_);
    ASSERT_TRUE(loaded(window));
    selectRow(window.table(), 0);
    dialogs_.expectNotice(QStringLiteral("has been moved to Message Composer window"));
    window.button(QStringLiteral("useButton"))->click();
    EXPECT_EQ(composerWindow_.composerTextEdit()->toPlainText(), QStringLiteral("Hi Welcome! bye"));
    EXPECT_EQ(composerWindow_.charCountLabel(), QStringLiteral("15 Characters"));
}

}  // namespace

namespace {

TEST_F(StoreWindows, ExclusionWizardCreatesAppliesAndRefreshesTheComposer) {
    composerWindow_.option(1)->click();  // Exclusion List on: nothing applied yet
    int refreshed = 0;
    tesk::ui::ExclusionWizardWnd wizard([&] {
        ++refreshed;
        composer_.Fill_Exclusion_Num_List(tesk::stores::Applied_Exclusion_Numbers());
    });
    wizard.show();
    wizard.button(QStringLiteral("newListButton"))->click();
    EXPECT_EQ(wizard.currentScreen(), 1);
    QTest::keyClicks(wizard.nameField(), QString(60, QLatin1Char('x')));
    EXPECT_EQ(wizard.nameField()->text().size(), 50);  // the field holds fifty characters
    wizard.nameField()->clear();
    QTest::keyClicks(wizard.nameField(), QStringLiteral("Staff"));
    wizard.button(QStringLiteral("nextButton"))->click();
    ASSERT_EQ(wizard.currentScreen(), 2);
    QTest::keyClicks(wizard.numberField(), QStringLiteral("+44 7700 900123"));
    QTest::keyClick(wizard.numberField(), Qt::Key_Return);
    EXPECT_EQ(wizard.numberList()->model()->index(0, 0).data().toString(),
              QStringLiteral("00447700900123"));
    EXPECT_EQ(wizard.countText(), QStringLiteral("Total Numbers : 1"));
    EXPECT_EQ(wizard.numberField()->text(), QString());
    dialogs_.expect(QStringLiteral("\nAre you sure you want to continue"), QStringLiteral("Yes"));
    wizard.button(QStringLiteral("finishButton"))->click();
    EXPECT_EQ(wizard.currentScreen(), 0);
    ASSERT_EQ(wizard.availableList()->model()->rowCount(), 1);

    wizard.availableList()->selectionModel()->select(wizard.availableList()->model()->index(0, 0),
                                                     QItemSelectionModel::ClearAndSelect);
    wizard.button(QStringLiteral("applyButton"))->click();
    EXPECT_EQ(wizard.appliedList()->model()->rowCount(), 1);
    dialogs_.expect(QStringLiteral("\nAre you sure you want to continue"), QStringLiteral("Yes"));
    wizard.button(QStringLiteral("saveAppliedButton"))->click();
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(composer_.exclusions().numbers(), QStringList{"00447700900123"});
    wizard.button(QStringLiteral("closeButton"))->click();
    EXPECT_FALSE(wizard.isVisible());
}

}  // namespace

namespace {

// The lists arrive from a worker through the event loop, so a window closed before any event
// ran is closed while its list is still being read.
TEST_F(StoreWindows, ClosingBeforeTheListIsReadKeepsTheFiles) {
    const QList<SentItem> before = tesk::stores::LoadItems_Sent_Items(Sent_Item_Path);
    {
        tesk::ui::SentItemsWnd window(tesk::kGsmMode, composer_);
        ASSERT_TRUE(window.loading());
        window.button(QStringLiteral("closeButton"))->click();
    }
    {
        tesk::ui::TemplatesWnd window(composer_);
        ASSERT_TRUE(window.loading());
        window.button(QStringLiteral("closeButton"))->click();
    }
    QApplication::processEvents();
    EXPECT_EQ(tesk::stores::LoadItems_Sent_Items(Sent_Item_Path), before);
    EXPECT_EQ(tesk::stores::LoadItems_templates(Templates_Path),
              (QStringList{"Welcome!", "See you at 9"}));
}

}  // namespace
