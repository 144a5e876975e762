// The sent-items and templates windows with real widgets offscreen, over real store files.
#include "ui/store_windows.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "stores/exclusion_store.h"
#include "stores/sent_items.h"
#include "stores/templates.h"
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

TEST_F(StoreWindows, SentItemsShowTheStatusColumnOnlyInGsmModeAndGoBackIntoTheComposer) {
    tesk::ui::SentItemsWnd gsm(tesk::kGsmMode, composer_);
    ASSERT_TRUE(loaded(gsm));
    EXPECT_EQ(gsm.table()->model()->columnCount(), 4);
    selectRow(gsm.table(), 1);
    EXPECT_EQ(gsm.details(),
              QStringLiteral("Number\t: 07700900002\n\nMessage\t: Second\n\nDate\t\t: "
                             "06/12/2026\n\nStatus\t: +CMS ERROR: 500"))
        << "the pane shows the entry's details (its CR LF shown as line breaks)";
    selectRow(gsm.table(), 0);
    dialogs_.expectNotice(QStringLiteral("inserted in SMS Composer successfully."));
    gsm.button(QStringLiteral("insertButton"))->click();
    EXPECT_EQ(composerWindow_.countLabel(), QStringLiteral("Total Numbers : 1"));

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
    selectRow(window.table(), 0);
    window.button(QStringLiteral("removeSelectedButton"))->click();
    EXPECT_EQ(window.countText(), QStringLiteral("Total Items : 1"));
    window.button(QStringLiteral("closeButton"))->click();
    EXPECT_EQ(readFile(Sent_Item_Path), "# notes\n" + kForeignRest);
}

TEST_F(StoreWindows, OpenAndCloseLeaveTheFileByteForByte) {
    struct Case {
        const char* name;
        int window;  // kGsmMode or kAndroidMode for sent items, 0 for templates
        QByteArray file;
        int entries;  // what the window lists, so that it did read the file
    };
    const QList<Case> cases = {
        {"gsm_sent_items", tesk::kGsmMode, kForeignSentItems, 2},
        {"android_sent_items_with_a_status", tesk::kAndroidMode,
         "\xEF\xBB\xBF" + kForeignRecord + "\n\n\a\v\a\v\n", 1},
        {"templates_in_utf16", 0, QByteArray("\xFF\xFEH\0i\0\n\0B\0\n\0", 12), 3},
        {"templates_repeated_blank_long_and_undecodable", 0,
         "\xEF\xBB\xBF"
         "A\n\nA\n" +
             QByteArray(1700, 'x') + "\n bad \xFF\n\a\v\a\n",
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path =
            c.window == 0 ? Templates_Path : tesk::stores::Sent_Item_File(c.window);
        writeFile(path, c.file);
        const auto openAndClose = [&](auto&& window) {
            ASSERT_TRUE(loaded(window));
            EXPECT_EQ(window.countText(), QStringLiteral("Total Items : %1").arg(c.entries));
            window.button(QStringLiteral("closeButton"))->click();
        };
        if (c.window == 0) {
            openAndClose(tesk::ui::TemplatesWnd(composer_));
        } else {
            openAndClose(tesk::ui::SentItemsWnd(c.window, composer_));
        }
        EXPECT_EQ(readFile(path), c.file);
    }
}

// Use puts the highlighted template into the composer at its cursor; the editor cuts and counts
// what it is given and adds it to the list.
TEST_F(StoreWindows, TemplatesGoIntoTheComposerAndTheEditorAddsToTheList) {
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

    tesk::ui::TemplateEditorDlg editor(window.controller(), QStringLiteral("Add Templates"),
                                       QString(), -1, &window);
    editor.edit()->setPlainText(QString(1700, QLatin1Char('k')));
    EXPECT_EQ(editor.countText(), QStringLiteral("1600 Characters"));
    editor.OKPressed();
    EXPECT_EQ(window.countText(), QStringLiteral("Total Items : 3"));
}

TEST_F(StoreWindows, ExclusionWizardCreatesAppliesAndRefreshesTheComposer) {
    composerWindow_.option(1)->click();  // Exclusion List on: nothing applied yet
    int refreshed = 0;
    tesk::ui::ExclusionWizardWnd wizard([&] {
        ++refreshed;
        composer_.Fill_Exclusion_Num_List(tesk::stores::Applied_Exclusion_Numbers());
    });
    wizard.show();
    wizard.button(QStringLiteral("newListButton"))->click();
    QTest::keyClicks(wizard.nameField(), QStringLiteral("Staff"));
    wizard.button(QStringLiteral("nextButton"))->click();
    ASSERT_EQ(wizard.currentScreen(), 2);
    QTest::keyClicks(wizard.numberField(), QStringLiteral("+44 7700 900123"));
    QTest::keyClick(wizard.numberField(), Qt::Key_Return);
    dialogs_.expect(QStringLiteral("\nAre you sure you want to continue"), QStringLiteral("Yes"));
    wizard.button(QStringLiteral("finishButton"))->click();
    ASSERT_EQ(wizard.availableList()->model()->rowCount(), 1);

    wizard.availableList()->selectionModel()->select(wizard.availableList()->model()->index(0, 0),
                                                     QItemSelectionModel::ClearAndSelect);
    wizard.button(QStringLiteral("applyButton"))->click();
    dialogs_.expect(QStringLiteral("\nAre you sure you want to continue"), QStringLiteral("Yes"));
    wizard.button(QStringLiteral("saveAppliedButton"))->click();
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(composer_.exclusions().numbers(), QStringList{"00447700900123"});
}

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
