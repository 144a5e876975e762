#include "ui/connection_info_wnd.h"

#include "appcore/mode_selection.h"
#include "ui/window_parts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tesk::ui {

ConnectionInfoWnd::ConnectionInfoWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Connection_Info"));
    setWindowTitle(QStringLiteral("Android Phone Connection Steps"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(14);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(makeHeading(QStringLiteral("Connect your Android phone"), this));
    layout->addWidget(new QLabel(QStringLiteral("Tesk SMS sends through one Android phone on "
                                                "USB, with the help of its companion app.\n"
                                                "Before looking for the phone, please:"),
                                 this));
    layout->addWidget(makeStepList(
        {QStringLiteral("Switch on 'USB Debugging' on the phone. The buttons below show\n"
                        "how, for the Android version of your phone."),
         QStringLiteral("Connect the phone to this computer with its USB cable. Use only\n"
                        "one Android phone at a time."),
         QStringLiteral("Unlock the phone. When it asks whether to allow USB debugging\n"
                        "from this computer, allow it."),
         QStringLiteral("Press Continue: Tesk SMS looks for the phone, shows its details\n"
                        "and installs its companion app when you send.")},
        this));

    auto* help = new QGroupBox(QStringLiteral("How to enable 'USB Debugging'"), this);
    auto* helpRow = new QHBoxLayout(help);
    const struct {
        const char* name;
        const char* title;
        void (Connection_Info::*press)();
    } buttons[] = {
        {"help42Button", "Android 4.2 or higher", &Connection_Info::Android_4_2_Help_Pressed},
        {"help40Button", "Android 4.0 or higher", &Connection_Info::Android_4_0_Help_Pressed},
        {"help32Button", "Android 3.2 or older", &Connection_Info::Android_3_2_Help_Pressed},
    };
    for (const auto& each : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(each.title), help);
        button->setObjectName(QString::fromLatin1(each.name));
        button->setAutoDefault(false);
        const auto press = each.press;
        connect(button, &QPushButton::clicked, this, [this, press] { (controller_.*press)(); });
        helpRow->addWidget(button);
    }
    layout->addWidget(help);
    layout->addStretch();
    layout->addLayout(makeStepButtons(this));
}

void ConnectionInfoWnd::reject() {
    done(kEndBack);
}

}  // namespace tesk::ui
