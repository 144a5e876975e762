#include "ui/apply_message_dlg.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tesk::ui {

ApplyMessageDlg::ApplyMessageDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Send_Msg_Info"));
    setWindowTitle(QStringLiteral("Apply Message Before Sending"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(new QLabel(QStringLiteral("The composer box holds a new message.\n"
                                                "Copy it into the list before sending to:"),
                                 this));
    all_ = new QRadioButton(QStringLiteral("All numbers in the list"), this);
    blank_ = new QRadioButton(QStringLiteral("Numbers with a blank message"), this);
    all_->setObjectName(QStringLiteral("fillAllButton"));
    blank_->setObjectName(QStringLiteral("fillBlankButton"));
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {all_, blank_}) {
        group->addButton(button);
        layout->addWidget(button);
    }
    all_->setChecked(true);
    layout->addWidget(new QLabel(QStringLiteral("\"Continue\" sends the list as it is."), this));

    auto* row = new QHBoxLayout;
    row->addStretch();
    const struct {
        const char* name;
        const char* title;
        void (ApplyMessageDlg::*pressed)();
    } buttons[] = {{"okButton", "OK", &ApplyMessageDlg::OKPressed},
                   {"continueButton", "Continue", &ApplyMessageDlg::ContinuePressed},
                   {"cancelButton", "Cancel", &ApplyMessageDlg::CancelPressed}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QLatin1String(b.title), this);
        button->setObjectName(QLatin1String(b.name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.pressed);
        row->addWidget(button);
        if (b.pressed == &ApplyMessageDlg::OKPressed) {
            button->setDefault(true);
        }
    }
    layout->addLayout(row);
}

bool ApplyMessageDlg::fillBlankChosen() const {
    return blank_->isChecked();
}

void ApplyMessageDlg::endWith(int result) {
    blankChosen_ = blank_->isChecked();
    all_->setChecked(true);
    done(result);
}

void ApplyMessageDlg::OKPressed() {
    endWith(kOk);
}

void ApplyMessageDlg::ContinuePressed() {
    endWith(kContinue);
}

void ApplyMessageDlg::CancelPressed() {
    endWith(kCancel);
}

sending::ApplyChoice ApplyMessageDlg::choose() {
    switch (exec()) {
        case kOk:
            return blankChosen_ ? sending::ApplyChoice::FillBlank : sending::ApplyChoice::FillAll;
        case kContinue:
            return sending::ApplyChoice::Continue;
        default:
            return sending::ApplyChoice::Cancel;
    }
}

}  // namespace tesk::ui
