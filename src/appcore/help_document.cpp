#include "appcore/help_document.h"

#include "appstate/data_paths.h"
#include "core/dialogs.h"
#include "core/log.h"

#include <QFileInfo>
#include <QProcess>

#include <mutex>

namespace tesk {
namespace {

bool startDesktopOpener(const QString& path) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

std::mutex& openerMutex() {
    static std::mutex mutex;
    return mutex;
}

DocumentOpener& installedOpener() {
    static DocumentOpener opener = startDesktopOpener;
    return opener;
}

}  // namespace

DocumentOpener Set_Document_Opener(DocumentOpener opener) {
    std::lock_guard<std::mutex> lock(openerMutex());
    DocumentOpener previous = installedOpener();
    installedOpener() = opener ? std::move(opener) : DocumentOpener(startDesktopOpener);
    return previous;
}

QString Help_Document_Path() {
    return Join_Path(Resource_Path, QStringLiteral("Help.pdf"));
}

bool Open_Help_Document() {
    const QString path = Help_Document_Path();
    if (!QFileInfo::exists(path)) {
        Show_MessageBox(QStringLiteral("Help file does not exist!"));
        return false;
    }
    DocumentOpener opener;
    {
        std::lock_guard<std::mutex> lock(openerMutex());
        opener = installedOpener();
    }
    if (!opener(path)) {
        Show_NSLog_Message(QStringLiteral("no viewer could open ") + path);
        return false;
    }
    return true;
}

}  // namespace tesk
