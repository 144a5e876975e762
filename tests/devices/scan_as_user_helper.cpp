// Scans the given ports with the device window's controller and prints every notice it shows
// ("NOTICE:" and the text on one line, line breaks as "|") and the number of rows listed. The
// permission tests run it as another user, since root may open any port.
//
// With --test-message NUMBER first, it then sends the test message through the first row. Its
// SMS capability is marked unknown, so the controller asks before sending, with the port open:
// at that moment the helper opens the port a second time and prints "SECOND_OPEN:" with the
// errno of that open (0 when it succeeded) and "HOLDERS:" with the names the holder lookup gives.
#include "core/dialogs.h"
#include "devices/device_details.h"
#include "devices/gsm_device_list.h"
#include "devices/port_access.h"

#include <QCoreApplication>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <functional>

namespace {

class PrintingDialogs final : public tesk::Dialogs {
  public:
    int ask(const tesk::DialogRequest& request) override {
        if (!busyPort.isEmpty() &&
            request.message.contains(tesk::devices::kNoSmsCapabilityQuestion)) {
            secondOpen();
        }
        QString text = request.message;
        text.replace(QLatin1Char('\n'), QLatin1Char('|'));
        std::printf("NOTICE:%s\n", qPrintable(text));
        std::fflush(stdout);
        return 0;
    }
    QStringList chooseFilesToOpen(const tesk::FileRequest&) override { return {}; }
    QString chooseFileToSave(const tesk::FileRequest&) override { return {}; }

    QString busyPort;  // the port the test message goes through

  private:
    void secondOpen() {
        const int fd = ::open(busyPort.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        std::printf("SECOND_OPEN:%d\n", fd < 0 ? errno : 0);
        if (fd >= 0) {
            ::close(fd);
        }
        QStringList names;
        for (const tesk::devices::PortHolder& holder : tesk::devices::Port_Holders(busyPort)) {
            names.append(holder.name);
        }
        std::printf("HOLDERS:%s\n", qPrintable(names.join(QLatin1Char(','))));
    }
};

void waitWhile(const std::function<bool()>& busy) {
    while (busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList ports = app.arguments().mid(1);
    QString testNumber;
    if (ports.size() >= 2 && ports.first() == QLatin1String("--test-message")) {
        testNumber = ports.at(1);
        ports = ports.mid(2);
    }
    PrintingDialogs dialogs;
    tesk::setDialogs(&dialogs);
    tesk::devices::GSM_Device_List_Wnd window;
    window.Set_Modem_Paths(ports);
    window.Open_Ph_List_Wnd();
    waitWhile([&] { return window.scanRunning(); });
    window.Wait_For_Workers();
    std::printf("ROWS:%d\n", static_cast<int>(window.records().size()));
    std::fflush(stdout);
    if (!testNumber.isEmpty() && !window.records().isEmpty()) {
        window.Highlight_Row(0);
        window.Edit_Row(0, [&](DeviceRecord& r) { r.smsCapable = QStringLiteral("Not Detected"); });
        window.Set_Test_Number_Field(testNumber);
        dialogs.busyPort = window.recordAt(0).path;
        window.Send_Test_SMS_Pressed();
        waitWhile([&] { return window.testMessageRunning(); });
        std::fflush(stdout);
    }
    return 0;
}
