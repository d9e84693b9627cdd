// Text and background colours of a control. A control either fills its background with its own
// colour or shows its parent's ("parent colour"): it then stops filling and takes the parent's
// palette again.
#pragma once

#include <QColor>

class QWidget;

void SetTextColour(QWidget* control, const QColor& colour);
void SetBackgroundColour(QWidget* control, const QColor& colour);
void UseParentBackground(QWidget* control);

// The text colour the control shows now, and whether it fills its own background.
QColor TextColourOf(const QWidget* control);
bool HasOwnBackground(const QWidget* control);
// The colour behind the control's text: its own, or on parent colour that of the nearest
// ancestor that fills its background (a window always does).
QColor BackgroundColourOf(const QWidget* control);
