#include "Colours.h"

#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <array>

namespace {

constexpr std::array TextRoles{QPalette::WindowText, QPalette::ButtonText, QPalette::Text};
constexpr std::array BackgroundRoles{QPalette::Window, QPalette::Button};
constexpr std::array Groups{QPalette::Active, QPalette::Inactive, QPalette::Disabled};

bool IsBackgroundRole(QPalette::ColorRole role) {
    return std::ranges::find(BackgroundRoles, role) != BackgroundRoles.end();
}

} // namespace

void SetTextColour(QWidget* control, const QColor& colour) {
    // Roles set on the control itself are never overwritten by what its parent passes down.
    QPalette palette = control->palette();
    for (const QPalette::ColorRole role : TextRoles)
        palette.setColor(role, colour);
    control->setPalette(palette);
}

void SetBackgroundColour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    for (const QPalette::ColorRole role : BackgroundRoles)
        palette.setColor(role, colour);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

void UseParentBackground(QWidget* control) {
    control->setAutoFillBackground(false);
    // A palette role cannot be unset in place: rebuild the palette from the roles the control
    // set itself, leaving out the background ones, so that those follow the parent again.
    const QPalette current = control->palette();
    QPalette own;
    for (int r = 0; r < QPalette::NColorRoles; ++r) {
        const auto role = static_cast<QPalette::ColorRole>(r);
        if (role == QPalette::NoRole || IsBackgroundRole(role))
            continue;
        for (const QPalette::ColorGroup group : Groups)
            if (current.isBrushSet(group, role))
                own.setBrush(group, role, current.brush(group, role));
    }
    control->setPalette(own);
}

QColor TextColourOf(const QWidget* control) {
    return control->palette().color(control->foregroundRole());
}

bool HasOwnBackground(const QWidget* control) {
    return control->autoFillBackground();
}

QColor BackgroundColourOf(const QWidget* control) {
    const QWidget* filler = control;
    while (!filler->autoFillBackground() && !filler->isWindow() && filler->parentWidget())
        filler = filler->parentWidget();
    return filler->palette().color(filler->backgroundRole());
}
