// Program entry. Command-line parameters are ignored.
#include "ProgramEntry.h"
#include "QtFileDialogs.h"
#include "QtMessageSeam.h"
#include "Screenshot.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallQtMessageBoxes();
    InstallQtFileDialogs();
    ArrangeScreenshotIfAsked();
    return ProgramEntry(app);
}
