#include "CaptionAbove.h"

#include <QEvent>
#include <QWidget>

CaptionAbove::CaptionAbove(QWidget* caption, QWidget* column, QWidget* frame, int gap)
    : QObject(caption), caption_(caption), column_(column), frame_(frame), gap_(gap) {
    caption_->adjustSize();
    column_->installEventFilter(this);
    frame_->installEventFilter(this);
    Place();
}

bool CaptionAbove::eventFilter(QObject* /*watched*/, QEvent* event) {
    // A frame's layout has placed its controls before the frame's own resize reaches here; a
    // hidden column gets its geometry all the same, its events only when it is shown.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
        event->type() == QEvent::Show)
        Place();
    return false;
}

void CaptionAbove::Place() {
    QWidget* area = caption_->parentWidget();
    const QPoint columnAt = column_->mapTo(area, QPoint(0, 0));
    caption_->move(columnAt.x() + (column_->width() - caption_->width()) / 2,
                   frame_->y() - gap_ - caption_->height());
}
