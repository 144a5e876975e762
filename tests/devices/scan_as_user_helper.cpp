// Scans the given ports with the device window's controller and prints every notice it shows
// ("NOTICE:" and the text on one line, line breaks as "|") and the number of rows listed. The
// permission tests run it as another user, since root may open any port.
#include "core/dialogs.h"
#include "devices/gsm_device_list.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

class PrintingDialogs final : public tesk::Dialogs {
  public:
    int ask(const tesk::DialogRequest& request) override {
        QString text = request.message;
        text.replace(QLatin1Char('\n'), QLatin1Char('|'));
        std::printf("NOTICE:%s\n", qPrintable(text));
        return 0;
    }
    QStringList chooseFilesToOpen(const tesk::FileRequest&) override { return {}; }
    QString chooseFileToSave(const tesk::FileRequest&) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    PrintingDialogs dialogs;
    tesk::setDialogs(&dialogs);
    tesk::devices::GSM_Device_List_Wnd window;
    window.Set_Modem_Paths(app.arguments().mid(1));
    window.Open_Ph_List_Wnd();
    while (window.scanRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    window.Wait_For_Workers();
    std::printf("ROWS:%d\n", static_cast<int>(window.records().size()));
    return 0;
}
