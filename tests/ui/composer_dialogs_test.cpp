// The composer's list editing dialogs, the please-wait sheet and the Android composer, driven
// through the real window offscreen: the window's buttons and double clicks open the dialogs
// modally, the test plays the user inside them, and the list shows what the controller did.
#include "composer/message_rules.h"
#include "core/pacing.h"
#include "support/scripted_dialogs.h"
#include "support/spin.h"
#include "ui/composer_window.h"
#include "ui/editing_dialogs.h"
#include "ui/list_models.h"
#include "ui/please_wait.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
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

    tesk::pacing::ScopedScale fast_{0.01};
    ScriptedDialogs dialogs_;
    ComposerController controller_{ComposerKind::Gsm};
    ComposerWindow window_{controller_};
};

TEST_F(ComposerDialogs, FillButtonCopiesTheComposerMessageIntoTheChosenRows) {
    controller_.textDidChange(QStringLiteral("Hello"));
    QPushButton* fill = window_.button(QStringLiteral("fillButton"));
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->text(), QStringLiteral("Apply this\nmessage to\nlist items"));

    // Cancel forgets the choice: the next opening starts at "All numbers in the list".
    ASSERT_TRUE(
        playModal<tesk::ui::FillMsgInListDialog>([&] { fill->click(); },
                                                 [](tesk::ui::FillMsgInListDialog& dialog) {
                                                     EXPECT_EQ(dialog.choice(), FillTarget::All);
                                                     dialog.choose(FillTarget::Selected);
                                                     dialog.CancelPressed();
                                                     EXPECT_EQ(dialog.choice(), FillTarget::All);
                                                     EXPECT_EQ(dialog.result(), 0);
                                                 }));
    EXPECT_EQ(message(1), QString());

    // Only the blank row gets the message; the question is answered with Yes.
    dialogs_.expect(QStringLiteral("blank list items"), QStringLiteral("Yes"));
    ASSERT_TRUE(playModal<tesk::ui::FillMsgInListDialog>([&] { fill->click(); },
                                                         [](tesk::ui::FillMsgInListDialog& dialog) {
                                                             dialog.choose(FillTarget::Blank);
                                                             dialog.OKPressed();
                                                             EXPECT_EQ(dialog.result(), 1);
                                                         }));
    EXPECT_EQ(message(0), QStringLiteral("one"));
    EXPECT_EQ(message(1), QStringLiteral("Hello"));
    EXPECT_EQ(message(2), QStringLiteral("three"));
    EXPECT_FALSE(window_.pleaseWaitSheet()->isVisible());
    EXPECT_TRUE(window_.numberField()->isEnabled());

    // "Selected numbers" with nothing highlighted: the controller refuses, the dialog stays.
    window_.selectRows({});
    dialogs_.expectNotice(QStringLiteral("select at least one record"));
    ASSERT_TRUE(playModal<tesk::ui::FillMsgInListDialog>([&] { fill->click(); },
                                                         [](tesk::ui::FillMsgInListDialog& dialog) {
                                                             dialog.choose(FillTarget::Selected);
                                                             dialog.OKPressed();
                                                             EXPECT_TRUE(dialog.isVisible());
                                                             dialog.CancelPressed();
                                                         }));
    EXPECT_EQ(message(0), QStringLiteral("one"));
}

TEST_F(ComposerDialogs, UpdateSelectedMessagesListsTheHighlightedNumbersAndCutsTheText) {
    window_.selectRows({0, 2});
    ASSERT_EQ(controller_.selectedRows(), (QList<int>{0, 2}));
    dialogs_.expect(QStringLiteral("copy the above message"), QStringLiteral("Yes"));
    ASSERT_TRUE(playModal<tesk::ui::UpdateSelNumSmsDialog>(
        [&] { window_.button(QStringLiteral("updateSelectedButton"))->click(); },
        [](tesk::ui::UpdateSelNumSmsDialog& dialog) {
            EXPECT_EQ(dialog.numbers(), (QStringList{QStringLiteral("+447700900001"),
                                                     QStringLiteral("+447700900003")}));
            EXPECT_EQ(dialog.totalText(), QStringLiteral("Total Selected Numbers : 2"));
            QPlainTextEdit* edit = dialog.editor()->edit();
            edit->setPlainText(QString(1700, QLatin1Char('x')));
            EXPECT_EQ(edit->toPlainText().size(), tesk::composer::kMaxMessageLength);
            EXPECT_TRUE(dialog.editor()->countText().startsWith(QStringLiteral("1600 Characters")))
                << dialog.editor()->countText().toStdString();
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("Moved to 10:30"));
            EXPECT_EQ(dialog.editor()->countText(), QStringLiteral("14 Characters"));
            dialog.OKPressed();
            EXPECT_EQ(dialog.result(), 1);
            EXPECT_EQ(dialog.editor()->text(), QString());
        }));
    EXPECT_EQ(message(0), QStringLiteral("Moved to 10:30"));
    EXPECT_EQ(message(1), QString());
    EXPECT_EQ(message(2), QStringLiteral("Moved to 10:30"));
}

TEST_F(ComposerDialogs, DoubleClickOpensTheRowEditorWhichReplacesNumberAndMessage) {
    const QRect cell = window_.table()->visualRect(window_.tableModel()->index(1, 0));
    ASSERT_TRUE(cell.isValid());
    ASSERT_TRUE(playModal<tesk::ui::UpdateNumSmsDialog>(
        [&] {
            QTest::mouseClick(window_.table()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(window_.table()->viewport(), Qt::LeftButton, {}, cell.center());
        },
        [](tesk::ui::UpdateNumSmsDialog& dialog) {
            QLineEdit* number = dialog.numberField();
            EXPECT_EQ(number->text(), QStringLiteral("+447700900002"));
            number->clear();
            QTest::keyClicks(number, QStringLiteral("0044 7700 900 999 123456"));  // 24
            EXPECT_EQ(number->text().size(), tesk::composer::kMaxNumberLength);
            number->setText(QStringLiteral("07700-900999"));
            // Typed text is ASCII only in QTest; insert the Cyrillic as an input method would.
            dialog.editor()->edit()->insertPlainText(QStringLiteral("Привет"));
            EXPECT_EQ(dialog.editor()->countText().left(12), QStringLiteral("6 Characters"));
            dialog.OKPressed();
            EXPECT_EQ(dialog.result(), 1);
        }));
    EXPECT_EQ(window_.tableModel()->index(1, 0).data().toString(), QStringLiteral("07700900999"));
    EXPECT_EQ(message(1), QStringLiteral("Привет"));
    EXPECT_EQ(window_.tableModel()->rowCount(), 3);
}

TEST_F(ComposerDialogs, PleaseWaitSheetKeepsTheUserOutUntilItGoes) {
    window_.setSendAvailable(true);
    window_.setPleaseWait(true);
    window_.setImportProgress(12345);
    EXPECT_TRUE(window_.pleaseWaitSheet()->isVisible());
    EXPECT_TRUE(
        window_.pleaseWaitSheet()->progressText().endsWith(QStringLiteral(" numbers read")));
    EXPECT_TRUE(window_.pleaseWaitSheet()->progressText().contains(QStringLiteral("345")));
    EXPECT_FALSE(window_.numberField()->isEnabled());
    EXPECT_FALSE(window_.button(QStringLiteral("importButton"))->isEnabled());
    EXPECT_FALSE(window_.button(QStringLiteral("sendButton"))->isEnabled());
    QTest::keyClicks(window_.numberField(), QStringLiteral("123"));
    EXPECT_EQ(window_.numberField()->text(), QString());
    // The sheet does not hold up the event loop: queued work still arrives.
    bool ran = false;
    window_.runAfter(0.5, [&] { ran = true; });
    EXPECT_TRUE(tesk::test::spinUntil([&] { return ran; }));

    window_.setPleaseWait(false);
    EXPECT_FALSE(window_.pleaseWaitSheet()->isVisible());
    EXPECT_TRUE(window_.numberField()->isEnabled());
    EXPECT_TRUE(window_.button(QStringLiteral("sendButton"))->isEnabled());
    EXPECT_EQ(window_.pleaseWaitSheet()->progressText(), QString());
}

TEST(AndroidComposer, SendingModeRadiosAndTheDeviceAreaSpeakForThePhone) {
    ScriptedDialogs dialogs;
    ComposerController controller(ComposerKind::Android);
    ComposerWindow window(controller);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tesk SMS - Android Mode"));
    EXPECT_EQ(window.button(QStringLiteral("searchButton"))->text(),
              QStringLiteral("Connect Phone"));

    // Single shot is the default; the shell's one-by-one send walk clicks the other radio.
    auto* single = window.findChild<QRadioButton*>(QStringLiteral("singleShot"));
    ASSERT_NE(single, nullptr);
    EXPECT_TRUE(single->isChecked());
    EXPECT_TRUE(controller.controls().androidSingleShot);

    QSignalSpy search(&window, &ComposerWindow::searchDevicesRequested);
    window.setNoDeviceNoticeVisible(true);
    ASSERT_TRUE(window.noDeviceNoticeVisible());
    window.button(QStringLiteral("noDeviceNotice"))->click();
    window.button(QStringLiteral("searchButton"))->click();
    EXPECT_EQ(search.count(), 2);
}

TEST(GsmComposer, HasNoSendingModeAndSearchesDevices) {
    ScriptedDialogs dialogs;
    ComposerController controller(ComposerKind::Gsm);
    ComposerWindow window(controller);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tesk SMS - GSM Mode"));
    EXPECT_EQ(window.findChild<QRadioButton*>(QStringLiteral("singleShot")), nullptr);
    EXPECT_EQ(window.button(QStringLiteral("searchButton"))->text(),
              QStringLiteral("Search Devices"));
    window.setDeviceChoices({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("All Device")}, 1);
    EXPECT_EQ(window.deviceChoices(),
              (QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("All Device")}));
    // The stores open from here.
    QSignalSpy sentItems(&window, &ComposerWindow::sentItemsRequested);
    QSignalSpy templates(&window, &ComposerWindow::templatesRequested);
    QSignalSpy exclusions(&window, &ComposerWindow::exclusionListsRequested);
    window.button(QStringLiteral("sentItemsButton"))->click();
    window.button(QStringLiteral("templatesButton"))->click();
    window.button(QStringLiteral("exclusionListsButton"))->click();
    EXPECT_EQ(sentItems.count(), 1);
    EXPECT_EQ(templates.count(), 1);
    EXPECT_EQ(exclusions.count(), 1);
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
