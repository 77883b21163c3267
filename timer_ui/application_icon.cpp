#include "timer_ui/application_icon.h"

#include <QPainter>
#include <QPixmap>

namespace timer_ui {
namespace {

// A clock face with a red recording dot, drawn at one size.
QPixmap ClockPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    painter.setPen(QPen(QColor(30, 60, 120), 2.5 * unit));
    painter.setBrush(QColor(245, 245, 250));
    painter.drawEllipse(QRectF(2 * unit, 2 * unit, 28 * unit, 28 * unit));
    painter.setPen(QPen(QColor(30, 60, 120), 2.5 * unit, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(16 * unit, 16 * unit);
    painter.drawLine(centre, QPointF(16 * unit, 7 * unit));
    painter.drawLine(centre, QPointF(22 * unit, 16 * unit));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(210, 30, 30));
    painter.drawEllipse(QRectF(20 * unit, 20 * unit, 10 * unit, 10 * unit));
    return pixmap;
}

}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(ClockPixmap(size));
    return icon;
}

}  // namespace timer_ui
