// Replaces the file-dialog seam for the life of the object: every dialog is recorded and answered
// at once with the scripted choice (nullopt: cancelled).
#pragma once

#include "FileDialogSeam.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class FileDialogRecorder {
public:
    explicit FileDialogRecorder(std::optional<std::string> choice = std::nullopt)
        : choice(std::move(choice)),
          previous_(SetFileDialogHandler([this](const FileDialogRequest& request) {
              shown.push_back(request);
              return this->choice;
          })) {}
    ~FileDialogRecorder() { SetFileDialogHandler(std::move(previous_)); }
    FileDialogRecorder(const FileDialogRecorder&) = delete;
    FileDialogRecorder& operator=(const FileDialogRecorder&) = delete;

    std::optional<std::string> choice; // what every dialog answers; tests may change it
    std::vector<FileDialogRequest> shown;

private:
    FileDialogHandler previous_;
};
