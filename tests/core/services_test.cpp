#include "core/dialogs.h"
#include "core/pacing.h"
#include "core/runtime_paths.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using tesk::test::ScriptedDialogs;

TEST(Dialogs, MessageBoxPutsALineFeedFirstAndOffersOnlyOk) {
    ScriptedDialogs script;
    script.expectNotice(QStringLiteral("port not initialized."));
    Show_MessageBox(QStringLiteral("port not initialized."));
    ASSERT_EQ(script.requests().size(), 1);
    const tesk::DialogRequest shown = script.requests().first();
    EXPECT_EQ(shown.message, QStringLiteral("\nport not initialized."));
    EXPECT_EQ(shown.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_TRUE(shown.informativeText.isEmpty());
}

TEST(Dialogs, YesNoIsTrueOnlyForYes) {
    ScriptedDialogs script;
    script.expect(QStringLiteral("Stop?"), QStringLiteral("Yes"));
    script.expect(QStringLiteral("Stop?"), QStringLiteral("No"));
    EXPECT_TRUE(Show_YES_NO_MessageBox(QStringLiteral("Stop?")));
    EXPECT_FALSE(Show_YES_NO_MessageBox(QStringLiteral("Stop?")));
    EXPECT_EQ(script.requests().at(0).buttons,
              QStringList({QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(script.requests().at(0).message, QStringLiteral("Stop?"));  // no line feed added
}

TEST(Dialogs, WorkerThreadsReachTheSameImplementation) {
    ScriptedDialogs script;
    script.expect(QStringLiteral("from a worker"), QStringLiteral("No"));
    bool answer = true;
    std::thread worker([&] { answer = Show_YES_NO_MessageBox(QStringLiteral("from a worker")); });
    worker.join();
    EXPECT_FALSE(answer);
    EXPECT_EQ(script.pending(), 0);
}

TEST(Dialogs, ScriptRestoresThePreviousImplementation) {
    tesk::Dialogs* outer = &tesk::dialogs();
    {
        ScriptedDialogs inner;
        EXPECT_EQ(&tesk::dialogs(), &inner);
    }
    EXPECT_EQ(&tesk::dialogs(), outer);
}

TEST(Pacing, ScalesEveryWait) {
    tesk::pacing::ScopedScale fast(0.02);
    EXPECT_DOUBLE_EQ(tesk::pacing::scaled(5.0), 0.1);
    {
        tesk::pacing::ScopedScale nonsense(-3);  // refused: back to real time
        EXPECT_DOUBLE_EQ(tesk::pacing::scaled(2.0), 2.0);
    }
    EXPECT_DOUBLE_EQ(tesk::pacing::scale(), 0.02);
}

TEST(Pacing, TodayCanBeFixed) {
    tesk::pacing::setToday(QDate(2031, 2, 28));
    EXPECT_EQ(tesk::pacing::today(), QDate(2031, 2, 28));
    tesk::pacing::setToday(QDate());
    EXPECT_EQ(tesk::pacing::today(), QDate::currentDate());
}

TEST(RuntimePaths, VirtualModemFolderFollowsTheRuntimeDirectory) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", "/run/user/4321");
    EXPECT_EQ(tesk::Virtual_Modem_Dir(), QStringLiteral("/run/user/4321/tesk-sms/modems"));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(tesk::Virtual_Modem_Dir().startsWith(QStringLiteral("/tmp/tesk-sms-")));
    EXPECT_TRUE(tesk::Virtual_Modem_Dir().endsWith(QStringLiteral("/modems")));
    if (!saved.isNull()) {
        qputenv("XDG_RUNTIME_DIR", saved);
    }
}

}  // namespace
