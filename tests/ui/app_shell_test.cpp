// The application as a user starts it: real windows offscreen, modal windows driven by clicking
// their buttons, message boxes answered by a script.
#include "ui/app_shell.h"
#include "appcore/data_paths.h"
#include "appcore/selection_state.h"
#include "support/scripted_dialogs.h"
#include "ui/composer_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using tesk::test::ScriptedDialogs;
using tesk::ui::AppShell;

// One step of a walk through modal windows: when the window named `window` is the active modal
// one, press its button named `button`.
struct Click {
    QString window;
    QString button;
};

// Presses the buttons of the modal windows in order as each window comes up. Everything runs
// inside the nested event loops of those windows; the walk ends when every step was taken.
class ModalWalk {
  public:
    explicit ModalWalk(QList<Click> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    bool finished() const { return next_ == steps_.size(); }
    // The windows seen, in order, each time a step was taken.
    QStringList seen() const { return seen_; }

  private:
    void poll() {
        if (finished()) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() != steps_.at(next_).window) {
            return;
        }
        auto* button = modal->findChild<QAbstractButton*>(steps_.at(next_).button);
        if (button == nullptr) {
            return;
        }
        seen_.append(modal->objectName());
        ++next_;
        // Clicked from a fresh event so the window's own exec() is the loop that handles it.
        QTimer::singleShot(0, button, &QAbstractButton::click);
    }

    QList<Click> steps_;
    qsizetype next_ = 0;
    QStringList seen_;
    QTimer timer_;
};

// Spins the event loop until `done` holds or the step budget runs out (no clock involved).
template <typename Done>
bool spinUntil(Done done, int rounds = 20000) {
    for (int i = 0; i < rounds && !done(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

class Shell : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(resources_.isValid());
        qputenv("TESK_SMS_RESOURCE_DIR", resources_.filePath("res").toLocal8Bit());
    }
    void TearDown() override { qunsetenv("TESK_SMS_RESOURCE_DIR"); }

    QTemporaryDir resources_;
    ScriptedDialogs dialogs_;
};

TEST_F(Shell, FirstStartCreatesTheDataAndOffersTheModesOverTheGsmComposer) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    EXPECT_TRUE(QFile::exists(Sent_Item_Path));
    EXPECT_TRUE(QFile::exists(Exclusion_Index_Path));

    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(gsm_and_none.load(), tesk::kGsmMode);
    EXPECT_TRUE(shell.composerWindow(tesk::kGsmMode)->isVisible());
    EXPECT_FALSE(shell.composerWindow(tesk::kAndroidMode)->isVisible());
    EXPECT_FALSE(shell.terminating());
    shell.shutdown();
}

TEST_F(Shell, BackFromTheAndroidStepsBringsTheModeWindowAgain) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "androidButton"},
                                {"Connection_Info", "backButton"},
                                {"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
    // The Android composer came to the front when Android was chosen and stays there.
    EXPECT_EQ(gsm_and_none.load(), tesk::kAndroidMode);
    EXPECT_TRUE(shell.composerWindow(tesk::kAndroidMode)->isVisible());
    EXPECT_FALSE(shell.composerWindow(tesk::kGsmMode)->isVisible());
    shell.shutdown();
}

TEST_F(Shell, ContinuingToTheDeviceWindowSaysItIsNotThereAndComesBack) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    dialogs_.expectNotice(tesk::ui::kDeviceWindowPending);
    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "gsmButton"},
                                {"GSM_DEV_Conn_Step_Wnd", "continueButton"},
                                {"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    EXPECT_EQ(gsm->deviceLabel(), tesk::kNoDeviceSelected);
    EXPECT_TRUE(gsm->noDeviceNoticeVisible());
    shell.shutdown();
}

TEST_F(Shell, ClosingAsksAndNoKeepsTheApplicationRunning) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ModalWalk walk(QList<Click>{{"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }));
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);

    dialogs_.expect(QStringLiteral("\nAre you sure you want to exit 'Tesk SMS Linux Edition'?"),
                    QStringLiteral("No"));
    EXPECT_FALSE(gsm->close());
    EXPECT_TRUE(gsm->isVisible());
    EXPECT_FALSE(shell.terminating());

    dialogs_.expect(QStringLiteral("exit 'Tesk SMS Linux Edition'"), QStringLiteral("Yes"));
    EXPECT_TRUE(gsm->close());
    EXPECT_TRUE(shell.terminating());
    shell.shutdown();
}

TEST_F(Shell, UnreachableResourceDirectoryEndsBeforeAnyWindow) {
    // A regular file where the resource directory should be: nothing can be created inside.
    const QString blocked = resources_.filePath("blocked");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("TESK_SMS_RESOURCE_DIR", blocked.toLocal8Bit());
    dialogs_.expectNotice(QStringLiteral("\nCan not access Tesk sms Data file."));
    AppShell shell;
    EXPECT_FALSE(shell.start());
    EXPECT_TRUE(shell.terminating());
    EXPECT_EQ(shell.composerWindow(tesk::kGsmMode), nullptr);
    EXPECT_FALSE(QDir(blocked + QStringLiteral("/TESK_SMS_DATA")).exists());
}

}  // namespace

namespace {

TEST_F(Shell, TheComposerOpensTheSentItemsAndTemplatesOfItsMode) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ModalWalk cancel(QList<Click>{{"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return cancel.finished() && !QApplication::activeModalWidget(); }));
    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);

    ModalWalk walk(QList<Click>{{"Sent_Items", "closeButton"}, {"Templates", "closeButton"}});
    QTimer::singleShot(0, gsm->button(QStringLiteral("sentItemsButton")), &QPushButton::click);
    ASSERT_TRUE(
        spinUntil([&] { return walk.seen().size() == 1 && !QApplication::activeModalWidget(); }));
    QTimer::singleShot(0, gsm->button(QStringLiteral("templatesButton")), &QPushButton::click);
    ASSERT_TRUE(spinUntil([&] { return walk.finished() && !QApplication::activeModalWidget(); }))
        << walk.seen().join(", ").toStdString();
    EXPECT_EQ(walk.seen(), (QStringList{"Sent_Items", "Templates"}));
    shell.shutdown();
}

}  // namespace

namespace {

TEST_F(Shell, ExclusionListSwitchLoadsTheAppliedLists) {
    AppShell shell;
    ASSERT_TRUE(shell.start());
    ModalWalk cancel(QList<Click>{{"Mobile_Sel_Wnd", "cancelButton"}});
    ASSERT_TRUE(spinUntil([&] { return cancel.finished() && !QApplication::activeModalWidget(); }));
    QFile list(Exclusion_Folder_Path + QStringLiteral("/Staff.VORN"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("0711\n0722\n");
    list.close();
    QFile applied(Applied_Exclusion_Path);
    ASSERT_TRUE(applied.open(QIODevice::WriteOnly));
    applied.write("Staff\n");
    applied.close();

    tesk::ui::ComposerWindow* gsm = shell.composerWindow(tesk::kGsmMode);
    gsm->option(1)->click();  // Exclusion List
    EXPECT_EQ(shell.gsm().composer().exclusions().numbers(), (QStringList{"0711", "0722"}));
    EXPECT_EQ(shell.app().composer().exclusions().count(), 0) << "the other composer is untouched";
    shell.shutdown();
}

}  // namespace
