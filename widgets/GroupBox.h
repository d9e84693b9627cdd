// A group box: a frame with a caption over its top edge.
#pragma once

#include <QGroupBox>

class TGroupBox : public QGroupBox {
    Q_OBJECT

public:
    TGroupBox(const QString& name, const QString& caption, QWidget* parent);
};
