#include "CornerArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

void Backdrop(QPainter& painter, const QRectF& area) {
    QLinearGradient shade(area.topLeft(), area.bottomLeft());
    shade.setColorAt(0, QColor(70, 74, 84));
    shade.setColorAt(1, QColor(38, 40, 46));
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void SignalTrace(QPainter& painter, const QRectF& area) {
    QPainterPath trace;
    const double mid = area.center().y();
    trace.moveTo(area.left() + 8, mid);
    for (double x = 8; x <= area.width() - 8; x += 2) {
        const double t = x / (area.width() - 16);
        const double y = mid - 14 * std::sin(t * 6.28318 * 3) * std::exp(-1.2 * t);
        trace.lineTo(area.left() + x, y);
    }
    painter.setPen(QPen(QColor(255, 255, 170), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);
    painter.setPen(QColor(255, 255, 255));
    QFont font("Tahoma");
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(area.adjusted(8, 2, -8, -2), Qt::AlignRight | Qt::AlignBottom, "SDI");
}

void LevelMeters(QPainter& painter, const QRectF& area) {
    constexpr int pairs = 8;
    constexpr double levels[pairs] = {0.85, 0.6, 0.72, 0.4, 0.93, 0.55, 0.3, 0.66};
    const double slot = (area.width() - 16) / pairs;
    for (int i = 0; i < pairs; ++i) {
        const double height = (area.height() - 14) * levels[i];
        const QRectF bar(area.left() + 8 + i * slot + 2, area.bottom() - 7 - height, slot - 4,
                         height);
        QLinearGradient fill(bar.bottomLeft(), QPointF(bar.left(), area.top() + 7));
        fill.setColorAt(0, QColor(80, 200, 100));
        fill.setColorAt(0.7, QColor(240, 220, 90));
        fill.setColorAt(1, QColor(204, 85, 85));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRect(bar);
    }
}

} // namespace

QPixmap CornerPicture(CornerSide side) {
    QPixmap picture(CornerPictureSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(CornerPictureSize));
    Backdrop(painter, area);
    if (side == CornerSide::Left)
        SignalTrace(painter, area);
    else
        LevelMeters(painter, area);
    return picture;
}
