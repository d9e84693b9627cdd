#include "Button.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// Room around the caption, the 1-px frame included.
constexpr int PaddingX = 8;
constexpr int PaddingY = 4;
// Distance of the focus ring from the button's edge.
constexpr int FocusInset = 2;

} // namespace

TButton::TButton(const QString& name, const QString& caption, QWidget* parent)
    : QAbstractButton(parent) {
    setObjectName(name);
    setAccessibleDescription(name);
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
    // Repaints on entering and leaving, for the hot-track colour.
    setAttribute(Qt::WA_Hover);
}

void TButton::SetHotTrackColour(const QColor& colour) {
    hotTrack_ = colour;
    update();
}

void TButton::SetFrameColour(const QColor& colour) {
    frame_ = colour;
    update();
}

void TButton::SetToggleRole(const QString& role) {
    toggleRole_ = role;
    SetToggleState(toggleOn_);
}

void TButton::SetToggleState(bool on) {
    toggleOn_ = on;
    if (toggleRole_.isEmpty())
        return;
    QString name = toggleRole_;
    name.append(on ? QStringLiteral(": on") : QStringLiteral(": off"));
    setAccessibleName(name);
}

QSize TButton::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(text()) + 2 * PaddingX, metrics.height() + 2 * PaddingY};
}

void TButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintCaption(painter, PaintFace(painter));
}

void TButton::keyPressEvent(QKeyEvent* event) {
    // Space is the base class's: pressed on the key's press, clicked on its release.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        click();
    event->accept();
}

QRect TButton::PaintFace(QPainter& painter) const {
    // An own background is already filled (autoFillBackground); on parent colour the parent
    // shows through.
    if (underMouse())
        painter.fillRect(rect(), hotTrack_);
    painter.setPen(frame_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        // The keyboard focus is a dotted ring in the text colour inside the frame: the fill and
        // the text keep the colours that tell the button's state (white on alarm red stays so).
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(FocusInset, FocusInset, -FocusInset - 1, -FocusInset - 1));
    }
    return rect().adjusted(1, 1, -1, -1);
}

void TButton::PaintCaption(QPainter& painter, const QRect& area) const {
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter, text());
}
