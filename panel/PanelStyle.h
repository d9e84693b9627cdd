// The panel's look: its colours and the helpers that give a control its place in the design.
#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;
class TValuePanel;

namespace panel_style {

// What the audio group and phantom power toggles carry until the status view first sets them.
inline constexpr int ToggleDesignTag = 1280;

inline const QColor FormGrey{128, 128, 128};     // the dialog's background (also "parent colour")
inline const QColor CaptionWhite{255, 255, 255}; // static captions
inline const QColor NormalText{255, 255, 170};   // values in the normal state
inline const QColor AlarmBackground{204, 85, 85};
inline const QColor AlarmText{255, 255, 255};
inline const QColor OffText{85, 85, 85}; // audio group off, phantom power off
inline const QColor HotTrack{192, 192, 192};
inline const QColor ButtonFrame{128, 128, 128};

// Gives a control its name, which is also what tests find it by as its accessible description.
void Name(QWidget* control, const QString& name);
// A static caption in the form's white text.
QLabel* Caption(const QString& text, QWidget* parent);
// Bold and pale yellow: the look of every control that shows a value.
void MarkAsValue(QWidget* control);
// A value panel or label, marked as a value, on the parent's background.
TValuePanel* Value(const QString& name, QWidget* parent, int minimumWidth);

} // namespace panel_style
