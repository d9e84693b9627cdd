// A popup menu that knows the control that opened it. Its popup handler is the aboutToShow
// signal, which fires after PopupComponent has been set.
#pragma once

#include <QMenu>

class TPopupMenu : public QMenu {
    Q_OBJECT

public:
    TPopupMenu(const QString& name, QWidget* parent);

    // The control that opened the menu last; null before it was first opened by one.
    QWidget* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(QWidget* control) { popupComponent_ = control; }

    // Appends a checkable item of radio group 1 (checking one unchecks the others) with a Tag.
    QAction* AddRadioItem(const QString& caption, int tag);

private:
    QWidget* popupComponent_ = nullptr;
    QActionGroup* radioGroup_ = nullptr;
};
