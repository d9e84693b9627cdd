#include "FileDialogSeam.h"

#include <utility>

namespace {

FileDialogHandler& CurrentHandler() {
    static FileDialogHandler handler;
    return handler;
}

} // namespace

std::optional<std::string> ChooseFile(const FileDialogRequest& request) {
    const FileDialogHandler& handler = CurrentHandler();
    return handler ? handler(request) : std::nullopt;
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}
