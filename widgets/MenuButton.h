// A button that shows a value and drops down the menu of values to choose from. The menu learns
// which button opened it (PopupComponent) before it shows. A screen reader reads the button as
// "<role>: <value>", kept current as the value changes. Space, Enter or Down opens the menu.
#pragma once

#include "Button.h"

class TPopupMenu;

class TMenuButton : public TButton {
    Q_OBJECT

public:
    TMenuButton(const QString& name, const QString& role, QWidget* parent);

    void SetDropDownMenu(TPopupMenu* menu);
    TPopupMenu* DropDownMenu() const { return menu_; }
    // The shown value; also updates what a screen reader reads. A button with an empty role
    // reads its value alone, like a plain button.
    void SetCaption(const QString& text);
    // Pops the menu up below the button, as a click does; without a menu nothing happens.
    void DropDown();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString role_;
    TPopupMenu* menu_ = nullptr;
};
