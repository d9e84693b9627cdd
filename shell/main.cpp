// Program entry. Command-line parameters are ignored.
#include "ProgramEntry.h"
#include "QtFileDialogs.h"
#include "QtMessageSeam.h"
#include "Screenshot.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv) {
#if defined(SIGXFSZ)
    // A file-size limit makes a save fail, and the safe replacement then removes its temporary
    // file, rather than ending the program in the middle of the save.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    InstallQtMessageBoxes();
    InstallQtFileDialogs();
    ArrangeScreenshotIfAsked();
    return ProgramEntry(app);
}
