#include "ui/settings_group.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tesk::ui {

SettingsGroup::SettingsGroup(devices::ConnectionSettings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Connection settings"), parent), settings_(settings) {
    setObjectName(QStringLiteral("settingsGroup"));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);

    // Not auto-exclusive: both buttons are off until a device is highlighted, and the
    // settings, not the buttons, decide which one is on.
    pdu_ = new QRadioButton(QStringLiteral("PDU Mode"), this);
    pdu_->setObjectName(QStringLiteral("pduModeButton"));
    text_ = new QRadioButton(QStringLiteral("Text Mode"), this);
    text_->setObjectName(QStringLiteral("textModeButton"));
    for (QRadioButton* button : {pdu_, text_}) {
        button->setAutoExclusive(false);
    }
    auto* modes = new QHBoxLayout;
    modes->setSpacing(16);
    modes->addWidget(pdu_);
    modes->addWidget(text_);
    modes->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("SMS mode:"), this), 0, 0);
    grid->addLayout(modes, 0, 1, 1, 2);

    default_ = new QLineEdit(this);
    default_->setObjectName(QStringLiteral("defaultSmscField"));
    default_->setReadOnly(true);
    grid->addWidget(new QLabel(QStringLiteral("Default SMSC No.:"), this), 1, 0);
    grid->addWidget(default_, 1, 1, 1, 2);

    customCheck_ = new QCheckBox(QStringLiteral("Custom SMSC no.:"), this);
    customCheck_->setObjectName(QStringLiteral("customSmscCheck"));
    custom_ = new QLineEdit(this);
    custom_->setObjectName(QStringLiteral("customSmscField"));
    custom_->setMaxLength(devices::kFieldLimit);
    custom_->setPlaceholderText(QStringLiteral("e.g. +447785016005"));
    help_ = new QPushButton(QStringLiteral("?"), this);
    help_->setObjectName(QStringLiteral("smscHelpButton"));
    help_->setAutoDefault(false);
    help_->setToolTip(QStringLiteral("Where to find the SMSC number"));
    help_->setFixedWidth(help_->sizeHint().height());
    grid->addWidget(customCheck_, 2, 0);
    grid->addWidget(custom_, 2, 1);
    grid->addWidget(help_, 2, 2);
    grid->setColumnStretch(1, 1);

    connect(pdu_, &QRadioButton::clicked, this, [this] {
        settings_.PDU_Mode_Radio();
        showCurrent();
    });
    connect(text_, &QRadioButton::clicked, this, [this] {
        settings_.Text_Mode_Radio();
        showCurrent();
    });
    connect(customCheck_, &QCheckBox::clicked, this, [this](bool checked) {
        settings_.Custom_SMSC_Pressed(checked);
        showCurrent();
    });
    connect(custom_, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.Set_Custom_Field(text); });
    connect(help_, &QPushButton::clicked, this, [this] {
        settings_.Custom_SMSC_Help_Btn();
        showCurrent();
    });
    showCurrent();
}

void SettingsGroup::showFields(const devices::SettingsFields& fields) {
    pdu_->setChecked(fields.pduOn);
    text_->setChecked(fields.textOn);
    default_->setText(fields.defaultSmsc);
    default_->setEnabled(fields.defaultEnabled);
    customCheck_->setChecked(fields.customChecked);
    if (custom_->text() != fields.customSmsc) {
        custom_->setText(fields.customSmsc);
    }
    custom_->setEnabled(fields.customEnabled);
}

}  // namespace tesk::ui
