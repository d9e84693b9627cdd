#include "GroupBox.h"

TGroupBox::TGroupBox(const QString& name, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent) {
    setObjectName(name);
    setAccessibleDescription(name);
}
