// The composer's list editing dialogs, the please-wait sheet and both kinds of composer, driven
// through the real window offscreen: the window's buttons and double clicks open the dialogs
// modally, the test plays the user inside them, and the list shows what the controller did.
#include "core/pacing.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/composer_window.h"
#include "ui/editing_dialogs.h"
#include "ui/list_models.h"
#include "ui/please_wait.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::composer::FillTarget;
using tesk::test::ScriptedDialogs;
using tesk::ui::ComposerWindow;

// Runs `play` on the modal dialog of type Dialog as soon as `open` has brought it up. The
// dialog runs its own event loop, so the test can only reach it from a timer.
template <typename Dialog>
bool playModal(const std::function<void()>& open, const std::function<void(Dialog&)>& play) {
    bool played = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || played) {
            return;
        }
        played = true;
        play(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog->done(0);
        }
    });
    poll.start();
    open();
    return played;
}

class ComposerDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        controller_.Create_Num_Msg_List(QStringLiteral("+447700900001"), QStringLiteral("one"));
        controller_.Create_Num_Msg_List(QStringLiteral("+447700900002"), QString());
        controller_.Create_Num_Msg_List(QStringLiteral("+447700900003"), QStringLiteral("three"));
        window_.redrawTable();
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    QString message(int row) const { return window_.tableModel()->index(row, 1).data().toString(); }
    QStringList messages() const { return {message(0), message(1), message(2)}; }

    tesk::pacing::ScopedScale fast_{0.01};
    ScriptedDialogs dialogs_;
    ComposerController controller_{ComposerKind::Gsm};
    ComposerWindow window_{controller_};
};

TEST_F(ComposerDialogs, FillButtonCopiesTheComposerMessageIntoTheChosenRows) {
    using tesk::ui::FillMsgInListDialog;
    controller_.textDidChange(QStringLiteral("Hello"));
    QPushButton* fill = window_.button(QStringLiteral("fillButton"));
    // Cancel forgets the choice: the next opening starts at "All numbers in the list".
    ASSERT_TRUE(playModal<FillMsgInListDialog>([&] { fill->click(); },
                                               [](FillMsgInListDialog& dialog) {
                                                   dialog.choose(FillTarget::Selected);
                                                   dialog.CancelPressed();
                                               }));
    EXPECT_EQ(message(1), QString());
    dialogs_.expect(QStringLiteral("blank list items"), QStringLiteral("Yes"));
    ASSERT_TRUE(playModal<FillMsgInListDialog>([&] { fill->click(); },
                                               [](FillMsgInListDialog& dialog) {
                                                   EXPECT_EQ(dialog.choice(), FillTarget::All);
                                                   dialog.choose(FillTarget::Blank);
                                                   dialog.OKPressed();
                                               }));
    EXPECT_EQ(messages(), (QStringList{"one", "Hello", "three"}));
}

TEST_F(ComposerDialogs, UpdateSelectedMessagesListsTheHighlightedNumbers) {
    window_.selectRows({0, 2});
    dialogs_.expect(QStringLiteral("copy the above message"), QStringLiteral("Yes"));
    ASSERT_TRUE(playModal<tesk::ui::UpdateSelNumSmsDialog>(
        [&] { window_.button(QStringLiteral("updateSelectedButton"))->click(); },
        [](tesk::ui::UpdateSelNumSmsDialog& dialog) {
            EXPECT_EQ(dialog.numbers(), (QStringList{QStringLiteral("+447700900001"),
                                                     QStringLiteral("+447700900003")}));
            EXPECT_EQ(dialog.totalText(), QStringLiteral("Total Selected Numbers : 2"));
            QTest::keyClicks(dialog.editor()->edit(), QStringLiteral("Moved to 10:30"));
            EXPECT_EQ(dialog.editor()->countText(), QStringLiteral("14 Characters"));
            dialog.OKPressed();
        }));
    EXPECT_EQ(messages(), (QStringList{"Moved to 10:30", "", "Moved to 10:30"}));
}

TEST_F(ComposerDialogs, DoubleClickOpensTheRowEditorWhichReplacesNumberAndMessage) {
    const QRect cell = window_.table()->visualRect(window_.tableModel()->index(1, 0));
    ASSERT_TRUE(playModal<tesk::ui::UpdateNumSmsDialog>(
        [&] {
            QTest::mouseClick(window_.table()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(window_.table()->viewport(), Qt::LeftButton, {}, cell.center());
        },
        [](tesk::ui::UpdateNumSmsDialog& dialog) {
            EXPECT_EQ(dialog.numberField()->text(), QStringLiteral("+447700900002"));
            dialog.numberField()->setText(QStringLiteral("07700-900999"));
            // Typed text is ASCII only in QTest; insert the Cyrillic as an input method would.
            dialog.editor()->edit()->insertPlainText(QStringLiteral("Привет"));
            dialog.OKPressed();
        }));
    EXPECT_EQ(window_.tableModel()->index(1, 0).data().toString(), QStringLiteral("07700900999"));
    EXPECT_EQ(message(1), QStringLiteral("Привет"));
    EXPECT_EQ(window_.tableModel()->rowCount(), 3);
}

TEST_F(ComposerDialogs, PleaseWaitSheetKeepsTheUserOutUntilItGoes) {
    window_.setSendAvailable(true);
    window_.setPleaseWait(true);
    EXPECT_TRUE(window_.pleaseWaitSheet()->isVisible());
    EXPECT_FALSE(window_.button(QStringLiteral("sendButton"))->isEnabled());
    QTest::keyClicks(window_.numberField(), QStringLiteral("123"));
    EXPECT_EQ(window_.numberField()->text(), QString());
    // The sheet does not hold up the event loop: queued work still arrives.
    bool ran = false;
    window_.runAfter(0.5, [&] { ran = true; });
    EXPECT_TRUE(tesk::test::spinUntil([&] { return ran; }));
    window_.setPleaseWait(false);
    EXPECT_FALSE(window_.pleaseWaitSheet()->isVisible());
    EXPECT_TRUE(window_.button(QStringLiteral("sendButton"))->isEnabled());
}

// Only the Android composer has the sending mode; both ask for devices from the notice and the
// search button.
TEST(ComposerKinds, TheAndroidComposerHasTheSendingModeAndBothSearchDevices) {
    ScriptedDialogs dialogs;
    for (ComposerKind kind : {ComposerKind::Android, ComposerKind::Gsm}) {
        ComposerController controller(kind);
        ComposerWindow window(controller);
        auto* single = window.findChild<QRadioButton*>(QStringLiteral("singleShot"));
        EXPECT_EQ(single != nullptr && single->isChecked(), kind == ComposerKind::Android);
        QSignalSpy search(&window, &ComposerWindow::searchDevicesRequested);
        window.setNoDeviceNoticeVisible(true);
        window.button(QStringLiteral("noDeviceNotice"))->click();
        window.button(QStringLiteral("searchButton"))->click();
        EXPECT_EQ(search.count(), 2);
    }
}

}  // namespace

// Widgets want a QApplication, not the shared main's QCoreApplication; this main wins over the
// support library's at link time.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    tesk::test::ScriptedDialogs noDialogsExpected;
    return RUN_ALL_TESTS();
}
