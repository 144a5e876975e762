#include "ui/mobile_sel_window.h"

#include "ui/window_parts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tesk::ui {
namespace {

// A large choice button: a bold title over a line that says what the choice means.
QPushButton* makeChoice(const QString& objectName, const QString& title, const QString& detail,
                        QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    auto* layout = new QVBoxLayout(button);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(6);
    auto* heading = new QLabel(title, button);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    heading->setFont(font);
    auto* text = new QLabel(detail, button);
    text->setTextFormat(Qt::PlainText);
    for (QLabel* label : {heading, text}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    button->setMinimumSize(layout->sizeHint());
    return button;
}

}  // namespace

MobileSelWindow::MobileSelWindow(ComposerHost* composers, ConnectionStepsLauncher* steps,
                                 DeviceWindowLauncher* devices, QWidget* parent)
    : QDialog(parent), controller_(this, composers, steps, devices) {
    setObjectName(QStringLiteral("Mobile_Sel_Wnd"));
    setWindowTitle(QStringLiteral("Tesk SMS - Choose Sending Mode"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(14);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(makeHeading(QStringLiteral("How do you want to send your messages?"), this));

    auto* choices = new QHBoxLayout;
    choices->setSpacing(16);
    gsm_ = makeChoice(QStringLiteral("gsmButton"), QStringLiteral("GSM Modem / Mobile Phone"),
                      QStringLiteral("USB GSM modems and phones in modem mode\n"
                                     "on this computer's serial ports;\n"
                                     "up to 32 devices send in parallel."),
                      this);
    android_ = makeChoice(QStringLiteral("androidButton"), QStringLiteral("Android Phone"),
                          QStringLiteral("One Android phone on USB with\n"
                                         "USB debugging switched on;\n"
                                         "it sends through its own SIM card."),
                          this);
    choices->addWidget(gsm_);
    choices->addWidget(android_);
    layout->addLayout(choices);

    auto* buttons = new QHBoxLayout;
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);
    cancel_->setMinimumWidth(100);
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    connect(gsm_, &QPushButton::clicked, this, [this] { controller_.GSM_Ph_Pressed(); });
    connect(android_, &QPushButton::clicked, this, [this] { controller_.Andropid_Ph_Pressed(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { controller_.CancelPressed(); });
}

void MobileSelWindow::End_Modal(int code) {
    done(code);
}

void MobileSelWindow::Bring_To_Front() {
    show();
    raise();
    activateWindow();
}

void MobileSelWindow::reject() {
    controller_.CancelPressed();
}

}  // namespace tesk::ui
