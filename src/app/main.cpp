#include "modem/mfcsms.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tesk SMS"));
    QApplication::setOrganizationName(QStringLiteral("tesk-sms"));

    tesk::ui::QtDialogs dialogs;
    tesk::setDialogs(&dialogs);
    Fill_Channel_Table();

    tesk::ui::MainWindow window;
    window.show();
    const int code = QApplication::exec();

    close_all_ports();
    tesk::setDialogs(nullptr);
    return code;
}
