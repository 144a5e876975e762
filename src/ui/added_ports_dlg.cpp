#include "ui/added_ports_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tesk::ui {

AddedPortsDlg::AddedPortsDlg(devices::GSM_Device_List_Wnd& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("Added_Ports"));
    setWindowTitle(QStringLiteral("Add Port"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    layout->addWidget(new QLabel(
        QStringLiteral("The search looks at USB modems, WWAN cards and virtual modems. A modem on "
                       "any other\nserial port (an on-board port such as /dev/ttyS1 or "
                       "/dev/ttyAMA0, a GSM add-on board)\nis added here by its path and searched "
                       "from then on."),
        this));

    auto* row = new QHBoxLayout;
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("portPathField"));
    path_->setPlaceholderText(QStringLiteral("/dev/ttyS1"));
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("addPortButton"));
    add->setAutoDefault(false);
    row->addWidget(new QLabel(QStringLiteral("Serial device path:"), this));
    row->addWidget(path_, 1);
    row->addWidget(add);
    layout->addLayout(row);

    layout->addWidget(new QLabel(QStringLiteral("Ports added by path:"), this));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("addedPortList"));
    list_->setMinimumHeight(110);
    layout->addWidget(list_, 1);

    auto* buttons = new QHBoxLayout;
    forget_ = new QPushButton(QStringLiteral("Forget Port"), this);
    forget_->setObjectName(QStringLiteral("forgetPortButton"));
    forget_->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);
    close->setMinimumWidth(100);
    buttons->addWidget(forget_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    auto addTyped = [this] {
        if (controller_.Add_Port(path_->text())) {
            changed_ = true;
            path_->clear();
            refresh();
        }
    };
    connect(add, &QPushButton::clicked, this, addTyped);
    connect(path_, &QLineEdit::returnPressed, this, addTyped);
    connect(forget_, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = list_->currentItem()) {
            controller_.Forget_Port(item->text());
            changed_ = true;
            refresh();
        }
    });
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { forget_->setEnabled(row >= 0); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
    resize(560, 330);
}

void AddedPortsDlg::refresh() {
    list_->clear();
    list_->addItems(controller_.Added_Port_Paths());
    forget_->setEnabled(false);
}

}  // namespace tesk::ui
