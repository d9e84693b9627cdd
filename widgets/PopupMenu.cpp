#include "PopupMenu.h"

#include "Tag.h"

#include <QActionGroup>

TPopupMenu::TPopupMenu(const QString& name, QWidget* parent)
    : QMenu(parent), radioGroup_(new QActionGroup(this)) {
    setObjectName(name);
    setAccessibleDescription(name);
    radioGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
}

QAction* TPopupMenu::AddRadioItem(const QString& caption, int tag) {
    QAction* item = addAction(caption);
    item->setCheckable(true);
    radioGroup_->addAction(item);
    SetTag(item, tag);
    return item;
}
