#include "core/dialogs.h"
#include "core/log.h"
#include "core/runtime_paths.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <thread>

namespace {

using tesk::test::ScriptedDialogs;

// A message box gets a line feed first and only OK; a question is asked as given, with Yes and
// No, and is true only for Yes, also when a worker thread asks it.
TEST(Dialogs, MessageBoxAndYesNoQuestionFromAnyThread) {
    ScriptedDialogs script;
    script.expectNotice(QStringLiteral("port not initialized."));
    script.expect(QStringLiteral("Stop?"), QStringLiteral("Yes"));
    script.expect(QStringLiteral("from a worker"), QStringLiteral("No"));
    Show_MessageBox(QStringLiteral("port not initialized."));
    EXPECT_TRUE(Show_YES_NO_MessageBox(QStringLiteral("Stop?")));
    bool answer = true;
    std::thread worker([&] { answer = Show_YES_NO_MessageBox(QStringLiteral("from a worker")); });
    worker.join();
    EXPECT_FALSE(answer);
    ASSERT_EQ(script.messages(),
              QStringList({"\nport not initialized.", "Stop?", "from a worker"}));
    EXPECT_EQ(script.requests().at(0).buttons + script.requests().at(1).buttons,
              QStringList({"OK", "Yes", "No"}));
}

// The folder virtual modems announce themselves in decides where messages go, so it is used
// only when it is private: created 0700 when missing (also in a shared but sticky runtime
// directory), made private again when it is ours but
// open to others, refused (and the refusal logged) when it is another user's, a planted link,
// or in a runtime directory others may write to. Changing owners needs root (the test command
// runs as root); as an ordinary user those cases are skipped.
TEST(RuntimePaths, VirtualModemFolderIsUsedOnlyWhenPrivate) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    struct Case {
        const char* name;
        std::function<bool(const QString& runtime)> prepare;  // false: cannot be set up here
        QString problem;  // what the readers say before the folder is made, "" when usable
        bool made;
    };
    const auto top = [](const QString& runtime) { return runtime + QStringLiteral("/tesk-sms"); };
    const Case cases[] = {
        {"ours but open to others",
         [&](const QString& r) {
             return QDir().mkdir(top(r)) && ::chmod(QFile::encodeName(top(r)), 0777) == 0;
         },
         QStringLiteral("other users may write to %1/tesk-sms (mode 0777)"), true},
        {"another user's",
         [&](const QString& r) {
             return QDir().mkdir(top(r)) && ::chown(QFile::encodeName(top(r)), 65534, 65534) == 0;
         },
         QStringLiteral("%1/tesk-sms belongs to another user (uid 65534)"), false},
        {"a planted link",
         [&](const QString& r) {
             return QDir().mkdir(r + QStringLiteral("/elsewhere")) &&
                    QFile::link(r + QStringLiteral("/elsewhere"), top(r));
         },
         QStringLiteral("%1/tesk-sms is a symbolic link"), false},
        {"runtime directory open to all",
         [](const QString& r) { return ::chmod(QFile::encodeName(r), 0777) == 0; },
         QStringLiteral("other users may write to %1 (mode 0777)"), false},
        {"runtime directory shared but sticky",
         [](const QString& r) { return ::chmod(QFile::encodeName(r), 01777) == 0; }, QString(),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        if (geteuid() != 0 && QByteArray(c.name) == "another user's") {
            continue;
        }
        ASSERT_TRUE(c.prepare(runtime.path()));
        const QString problem =
            c.problem.contains(QLatin1String("%1")) ? c.problem.arg(runtime.path()) : c.problem;
        EXPECT_EQ(tesk::Virtual_Modem_Dir_Problem(), problem);
        tesk::log::Capture logged;
        QString why;
        EXPECT_EQ(tesk::Make_Virtual_Modem_Dir(&why), c.made);
        if (c.made) {
            EXPECT_EQ(tesk::Virtual_Modem_Dir_Problem(), QString());
            for (const QString& folder : {top(runtime.path()), tesk::Virtual_Modem_Dir()}) {
                EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0) << folder.toStdString();
                EXPECT_TRUE(QFileInfo(folder).isDir());
            }
        } else {
            EXPECT_EQ(why, problem);
            EXPECT_TRUE(
                logged.contains(QStringLiteral("virtual modem folder refused: ") + problem));
            EXPECT_FALSE(QFileInfo::exists(tesk::Virtual_Modem_Dir()));  // nothing made there
        }
    }
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(tesk::Virtual_Modem_Dir(), QStringLiteral("/tmp/tesk-sms-%1/modems").arg(geteuid()));
    if (!saved.isNull()) {
        qputenv("XDG_RUNTIME_DIR", saved);
    }
}

}  // namespace
