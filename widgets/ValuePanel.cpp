#include "ValuePanel.h"

TValuePanel::TValuePanel(const QString& name, QWidget* parent, Qt::Alignment alignment)
    : QLabel(parent) {
    setObjectName(name);
    setAccessibleDescription(name);
    setAlignment(alignment);
}
