// A report-style list view: rows of text in columns, read-only, one whole row selected at a
// time, column headers that do nothing when clicked. A row is selected by a click or by the
// arrow keys as they move; the keyboard focus alone selects nothing and makes no row current,
// so with nothing selected the list stays without a current row until the operator picks one.
#pragma once

#include <QTreeWidget>

class TListView : public QTreeWidget {
    Q_OBJECT

public:
    TListView(const QString& name, QWidget* parent);

protected:
    void focusInEvent(QFocusEvent* event) override;
};
