#include "ListView.h"

#include <QHeaderView>

TListView::TListView(const QString& name, QWidget* parent) : QTreeWidget(parent) {
    setObjectName(name);
    setAccessibleDescription(name);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
}

void TListView::focusInEvent(QFocusEvent* event) {
    // The base class makes the first row current when the focus arrives with none; without a
    // selection that row would look picked while Enter picks nothing.
    const bool hadCurrent = currentIndex().isValid();
    QTreeWidget::focusInEvent(event);
    if (!hadCurrent && selectedItems().isEmpty())
        selectionModel()->clearCurrentIndex();
}
