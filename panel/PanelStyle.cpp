#include "PanelStyle.h"

#include "Colours.h"
#include "ValuePanel.h"

namespace panel_style {

void Name(QWidget* control, const QString& name) {
    control->setObjectName(name);
    control->setAccessibleDescription(name);
}

QLabel* Caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    SetTextColour(label, CaptionWhite);
    return label;
}

void MarkAsValue(QWidget* control) {
    QFont bold = control->font();
    bold.setBold(true);
    control->setFont(bold);
    SetTextColour(control, NormalText);
}

TValuePanel* Value(const QString& name, QWidget* parent, int minimumWidth) {
    auto* value = new TValuePanel(name, parent);
    MarkAsValue(value);
    value->setMinimumWidth(minimumWidth);
    value->setContentsMargins(3, 1, 3, 1);
    UseParentBackground(value);
    return value;
}

} // namespace panel_style
