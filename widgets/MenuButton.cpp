#include "MenuButton.h"

#include "PopupMenu.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// The strip at the right that holds the drop-down arrow.
constexpr int ArrowStrip = 14;
constexpr int ArrowHalfWidth = 4;

} // namespace

TMenuButton::TMenuButton(const QString& name, const QString& role, QWidget* parent)
    : TButton(name, QString(), parent), role_(role) {
    connect(this, &QAbstractButton::clicked, this, &TMenuButton::DropDown);
    SetCaption(QString());
}

void TMenuButton::SetDropDownMenu(TPopupMenu* menu) {
    menu_ = menu;
}

void TMenuButton::SetCaption(const QString& text) {
    setText(text);
    if (role_.isEmpty())
        return;
    QString name = role_;
    if (!text.isEmpty())
        name.append(QStringLiteral(": ")).append(text);
    setAccessibleName(name);
}

void TMenuButton::DropDown() {
    if (!menu_)
        return;
    // The menu's popup handler (aboutToShow) asks which button opened it.
    menu_->SetPopupComponent(this);
    menu_->popup(mapToGlobal(QPoint(0, height())));
}

QSize TMenuButton::sizeHint() const {
    return TButton::sizeHint() + QSize(ArrowStrip, 0);
}

void TMenuButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    QRect caption = PaintFace(painter);
    caption.setRight(caption.right() - ArrowStrip);
    PaintCaption(painter, caption);

    const QPoint tip(caption.right() + ArrowStrip / 2, caption.center().y() + ArrowHalfWidth / 2);
    const QPoint arrow[] = {tip, tip + QPoint(-ArrowHalfWidth, -ArrowHalfWidth),
                            tip + QPoint(ArrowHalfWidth, -ArrowHalfWidth)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::ButtonText));
    painter.drawPolygon(arrow, 3);
}

void TMenuButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) {
        DropDown();
        event->accept();
        return;
    }
    TButton::keyPressEvent(event);
}
