#include "ui/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tesk::ui {

namespace {

// The same drawing as resources/icons/tesk-sms.svg, on a 128-unit square.
QPixmap paintIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0);
    painter.setPen(Qt::NoPen);

    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(8, 22, 94, 62), 12, 12);
    QPainterPath tail;
    tail.moveTo(32, 82);
    tail.lineTo(32, 102);
    tail.lineTo(54, 82);
    tail.closeSubpath();
    QLinearGradient fill(0, 22, 0, 102);
    fill.setColorAt(0, QColor(0x3d, 0x8f, 0xd8));
    fill.setColorAt(1, QColor(0x1f, 0x5f, 0x9e));
    painter.setBrush(fill);
    painter.drawPath(bubble.united(tail));

    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(24, 38, 58, 7), 3.5, 3.5);
    painter.setOpacity(0.9);
    painter.drawRoundedRect(QRectF(24, 52, 46, 7), 3.5, 3.5);
    painter.setOpacity(0.8);
    painter.drawRoundedRect(QRectF(24, 66, 32, 7), 3.5, 3.5);
    painter.setOpacity(1.0);

    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    painter.drawRoundedRect(QRectF(96, 96, 6, 12), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(105, 88, 6, 20), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(114, 78, 6, 30), 1.5, 1.5);
    return pixmap;
}

}  // namespace

QIcon App_Icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(paintIcon(size));
    }
    return icon;
}

}  // namespace tesk::ui
