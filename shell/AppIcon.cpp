#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // A rack unit's front: a dark box with a signal trace and a green status lamp.
        const qreal s = size;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(48, 52, 60));
        painter.drawRoundedRect(QRectF(0.5, s * 0.2, s - 1, s * 0.6), s * 0.08, s * 0.08);
        QPen trace(QColor(240, 200, 80), qMax(1.0, s / 16));
        painter.setPen(trace);
        const QPointF wave[] = {{s * 0.12, s * 0.5},  {s * 0.25, s * 0.5}, {s * 0.32, s * 0.32},
                                {s * 0.42, s * 0.68}, {s * 0.5, s * 0.5},  {s * 0.62, s * 0.5}};
        painter.drawPolyline(wave, 6);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(80, 220, 100));
        painter.drawEllipse(QPointF(s * 0.8, s * 0.5), s * 0.07, s * 0.07);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
