#include "appcore/help_document.h"
#include "ui/app_icon.h"
#include "ui/app_shell.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tesk SMS"));
    QApplication::setOrganizationName(QStringLiteral("tesk-sms"));
    // The desktop matches the windows to the installed entry (and its icon) by this name.
    QApplication::setDesktopFileName(QStringLiteral("tesk-sms"));
    QApplication::setWindowIcon(tesk::ui::App_Icon());
    // The composers stay hidden while the mode window is the only one on screen.
    QApplication::setQuitOnLastWindowClosed(false);

    tesk::ui::QtDialogs dialogs;
    dialogs.setTitle(QStringLiteral("Tesk SMS"));
    tesk::setDialogs(&dialogs);
    tesk::Set_Document_Opener(
        [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });

    int code = 1;
    {
        tesk::ui::AppShell shell;
        if (shell.start()) {
            code = QApplication::exec();
        }
        shell.shutdown();
    }
    tesk::Set_Document_Opener({});
    tesk::setDialogs(nullptr);
    return code;
}
