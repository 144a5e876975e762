#include "ui/gsm_dev_conn_step_wnd.h"

#include "appcore/mode_selection.h"
#include "ui/window_parts.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tesk::ui {

GsmDevConnStepWnd::GsmDevConnStepWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GSM_DEV_Conn_Step_Wnd"));
    setWindowTitle(QStringLiteral("GSM Device Connection Steps"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(14);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(makeHeading(QStringLiteral("Connect your GSM devices"), this));
    auto* intro = new QLabel(QStringLiteral("Tesk SMS sends through USB GSM modems and through "
                                            "mobile phones in modem mode.\n"
                                            "Before the device scan, please check each device:"),
                             this);
    layout->addWidget(intro);
    layout->addWidget(makeStepList(
        {QStringLiteral("Insert a SIM card that can send SMS and has no PIN request\n"
                        "(or unlock it once in the phone), and check the network coverage."),
         QStringLiteral("Connect the modem or the phone to this computer with its USB cable.\n"
                        "Up to 32 devices can be connected and send in parallel."),
         QStringLiteral("Wait until the system has set the device up: it then appears as a\n"
                        "serial port such as /dev/ttyUSB0 or /dev/ttyACM0."),
         QStringLiteral("Close every other program that uses the device's serial port.\n"
                        "Your account needs access to serial ports (usually the 'dialout' "
                        "group)."),
         QStringLiteral("Press Continue: Tesk SMS scans the serial ports and lists every\n"
                        "device that can send SMS, so you can choose the ones to send with.")},
        this));
    layout->addStretch();
    layout->addLayout(makeStepButtons(this));
}

void GsmDevConnStepWnd::reject() {
    done(kEndBack);
}

}  // namespace tesk::ui
