// The one way the program asks the operator for a file name. The GUI installs a handler that
// shows a real modal file dialog; tests install a recorder. Without a handler every dialog counts
// as cancelled, so code below the GUI never blocks.
#pragma once

#include "WindowOwner.h"

#include <functional>
#include <optional>
#include <string>

enum class FileDialogKind {
    Open, // an existing file to read
    Save, // a file to write; asks before replacing one that exists
};

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    // The file-type box shows the description; only names matching the pattern are listed.
    std::string filterDescription;
    std::string filterPattern;
    // Added, after a dot, to a name typed without an extension.
    std::string defaultExtension;
    // Where the dialog opens.
    std::string initialDirectory;
    // The window the dialog belongs to.
    WindowOwner owner;
};

// Returns the chosen file's full path, or nullopt when the operator cancelled.
using FileDialogHandler =
    std::function<std::optional<std::string>(const FileDialogRequest& request)>;

// Shows the dialog and returns when the operator has chosen or cancelled. Must run on the GUI
// thread once a GUI handler is installed.
std::optional<std::string> ChooseFile(const FileDialogRequest& request);

// Installs a handler (an empty one restores the cancelling fallback) and returns the handler it
// replaces.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);
