// A Qt window as the owner handle that the message-box and file-dialog seams carry, and back.
#pragma once

#include "WindowOwner.h"

#include <QWidget>

// The handle of `window`, which must outlive every box or dialog that names it.
inline WindowOwner OwnerOf(const QWidget* window) {
    return {static_cast<const void*>(window)};
}

// The window whose handle OwnerOf made; null for no owner.
inline QWidget* WindowOf(WindowOwner owner) {
    return const_cast<QWidget*>(static_cast<const QWidget*>(owner.window));
}
