// Keys and clicks delivered straight to a widget, and what a screen reader reads of it.
#pragma once

#include <QAccessible>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

// Press and release of one key, or of the left mouse button in the middle of the widget when
// `key` is 0.
inline void Press(QWidget* widget, int key) {
    const QPointF local = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(local);
    QKeyEvent keyDown(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent keyUp(QEvent::KeyRelease, key, Qt::NoModifier);
    QMouseEvent mouseDown(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
    QMouseEvent mouseUp(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, key ? static_cast<QEvent*>(&keyDown) : &mouseDown);
    QCoreApplication::sendEvent(widget, key ? static_cast<QEvent*>(&keyUp) : &mouseUp);
}

inline QString Read(QWidget* widget, QAccessible::Text what) {
    return QAccessible::queryAccessibleInterface(widget)->text(what);
}
