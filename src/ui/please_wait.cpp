#include "ui/please_wait.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tesk::ui {

PleaseWaitSheet::PleaseWaitSheet(QWidget* content, QWidget* parent)
    : QWidget(parent), content_(content) {
    setObjectName(QStringLiteral("pleaseWaitSheet"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#pleaseWaitSheet { background: rgba(0, 0, 0, 60); }"));

    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("pleaseWaitBox"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setAutoFillBackground(true);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(28, 20, 28, 20);
    boxLayout->setSpacing(10);
    auto* title = new QLabel(QStringLiteral("Please wait..."), box);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(box);
    bar_->setRange(0, 0);  // busy: the length of the work is not known ahead
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(260);
    progress_ = new QLabel(box);
    progress_->setObjectName(QStringLiteral("numbersRead"));
    progress_->setAlignment(Qt::AlignCenter);
    progress_->hide();
    boxLayout->addWidget(title);
    boxLayout->addWidget(bar_);
    boxLayout->addWidget(progress_);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(box, 0, Qt::AlignHCenter);
    layout->addStretch();

    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
    hide();
}

void PleaseWaitSheet::fitParent() {
    if (parentWidget() != nullptr) {
        setGeometry(parentWidget()->rect());
    }
}

bool PleaseWaitSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        fitParent();
    }
    return QWidget::eventFilter(watched, event);
}

void PleaseWaitSheet::showSheet() {
    if (content_ != nullptr) {
        content_->setEnabled(false);
    }
    fitParent();
    show();
    raise();
}

void PleaseWaitSheet::hideSheet() {
    hide();
    setNumbersRead(-1);
    if (content_ != nullptr) {
        content_->setEnabled(true);
    }
}

void PleaseWaitSheet::setNumbersRead(int count) {
    if (count < 0) {
        progress_->clear();
        progress_->hide();
        return;
    }
    progress_->setText(QStringLiteral("%1 numbers read").arg(QLocale().toString(count)));
    progress_->show();
}

QString PleaseWaitSheet::progressText() const {
    return progress_->isVisible() || !progress_->text().isEmpty() ? progress_->text() : QString();
}

}  // namespace tesk::ui
