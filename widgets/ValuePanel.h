// A value panel or label: a line of text, in its own colours or on its parent's background.
// A screen reader reads its text; tests find it by its control name, which is its accessible
// description.
#pragma once

#include <QLabel>

class TValuePanel : public QLabel {
    Q_OBJECT

public:
    // `name` becomes the object name and the accessible description.
    TValuePanel(const QString& name, QWidget* parent, Qt::Alignment alignment = Qt::AlignCenter);
};
