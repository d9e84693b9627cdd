// The window that owns a message box or a file dialog, carried through the seams as an opaque
// handle: only the GUI side knows what it points to and turns it back into its window. A null
// handle means no owner: the box stands on its own.
#pragma once

struct WindowOwner {
    const void* window = nullptr;

    friend bool operator==(const WindowOwner&, const WindowOwner&) = default;
};
