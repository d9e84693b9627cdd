// The colour states a value control can be in, checked on its palette.
#pragma once

#include "Colours.h"

#include <QColor>
#include <QWidget>

#include <gtest/gtest.h>

inline const QColor NormalTextColour{255, 255, 170};
inline const QColor AlarmTextColour{255, 255, 255};
inline const QColor AlarmBackgroundColour{204, 85, 85};
inline const QColor OffTextColour{85, 85, 85};

// `text` on the parent's background.
inline testing::AssertionResult OnParent(const QWidget* control, const QColor& text) {
    if (TextColourOf(control) != text)
        return testing::AssertionFailure() << control->objectName().toStdString() << " text "
                                           << TextColourOf(control).name().toStdString();
    if (HasOwnBackground(control))
        return testing::AssertionFailure()
               << control->objectName().toStdString() << " fills its own background";
    return testing::AssertionSuccess();
}

// White on the alarm red.
inline testing::AssertionResult InAlarm(const QWidget* control) {
    if (TextColourOf(control) != AlarmTextColour || !HasOwnBackground(control) ||
        BackgroundColourOf(control) != AlarmBackgroundColour)
        return testing::AssertionFailure()
               << control->objectName().toStdString() << " text "
               << TextColourOf(control).name().toStdString() << " on "
               << BackgroundColourOf(control).name().toStdString()
               << (HasOwnBackground(control) ? " (own)" : " (parent's)");
    return testing::AssertionSuccess();
}
