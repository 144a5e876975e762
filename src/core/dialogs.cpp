#include "core/dialogs.h"

#include "core/log.h"

#include <atomic>
#include <exception>

namespace tesk {
namespace {

class HeadlessDialogs final : public Dialogs {
  public:
    int ask(const DialogRequest& request) override {
        Show_NSLog_Message(QStringLiteral("dialog without a screen: ") + request.message);
        return request.buttons.isEmpty() ? -1 : 0;
    }
    QStringList chooseFilesToOpen(const FileRequest&) override { return {}; }
    QString chooseFileToSave(const FileRequest&) override { return {}; }
};

HeadlessDialogs& headless() {
    static HeadlessDialogs instance;
    return instance;
}

std::atomic<Dialogs*>& installed() {
    static std::atomic<Dialogs*> current{nullptr};
    return current;
}

}  // namespace

Dialogs& dialogs() {
    Dialogs* current = installed().load();
    return current ? *current : headless();
}

Dialogs* setDialogs(Dialogs* implementation) {
    return installed().exchange(implementation);
}

}  // namespace tesk

void Show_MessageBox(const QString& text) {
    try {
        tesk::dialogs().ask({QStringLiteral("\n") + text, QString(), {QStringLiteral("OK")}});
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Show_MessageBox exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

bool Show_YES_NO_MessageBox(const QString& text) {
    return tesk::dialogs().ask({text, QString(), {QStringLiteral("Yes"), QStringLiteral("No")}}) ==
           0;
}
