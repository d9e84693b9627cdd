#include "QtFileDialogs.h"

#include "FileDialogSeam.h"
#include "QtWindowOwner.h"

#include <QDir>
#include <QFileDialog>

namespace {

std::optional<std::string> ShowQtFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(WindowOf(request.owner), QString::fromStdString(request.title),
                       QString::fromStdString(request.initialDirectory));
    // Qt takes the pattern from the parentheses at the end of a filter and, with the details
    // hidden, shows the rest: exactly the description, which may name the pattern itself.
    QString filter = QString::fromStdString(request.filterDescription);
    filter.append(" (").append(QString::fromStdString(request.filterPattern)).append(")");
    dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (request.kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // A save dialog asks before replacing a file unless told not to.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // Qt writes '/' on every system; the rest of the program expects the system's own
    // delimiters, in UTF-8 (the local 8-bit encoding of Windows cannot spell every name).
    return QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
}

} // namespace

void InstallQtFileDialogs() {
    SetFileDialogHandler(ShowQtFileDialog);
}
