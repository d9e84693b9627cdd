#include "ProgramEntry.h"

#include "AppIcon.h"
#include "AppTitle.h"
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "MessageSeam.h"
#include "ProgramPaths.h"
#include "SingleInstance.h"
#include "UnitMain.h"

#include <QApplication>

#include <cstdio>
#include <string>

int ProgramEntry(QApplication& app) {
    InitProgramPaths(OwnProgramPath());
    const SingleInstanceGuard guard;
    // No window exists yet: the boxes of the start have no owner.
    if (guard.State() == InstanceState::Failed) {
        const std::string text =
            "Cannot take the single-instance lock " + guard.Place() + ": " + guard.Reason();
        std::fprintf(stderr, "%s\n", text.c_str());
        ShowMessage({text, "Error", MessageIcon::Error, MessageButtons::Ok, {}});
        return 1;
    }
    if (guard.State() == InstanceState::AlreadyRunning) {
        ShowMessage({"USB driver used by another application",
                     "Cannot run program",
                     MessageIcon::Warning,
                     MessageButtons::Ok,
                     {}});
        return 0;
    }

    // The application's name only: a display name would be appended to every window's title
    // that does not end with it ("ORQ-SYV Settings v1.1 - ORQ-SYV Settings").
    app.setApplicationName(ApplicationTitle);
    app.setWindowIcon(ApplicationIcon());

    // Without a driver every driver call fails, and the device list says so.
    const DriverLoad driver = LoadD2xxDriver();
    if (!driver.loaded)
        std::fprintf(stderr, "%s\n", driver.error.c_str());
    SetD2xxApi(driver.api);

    // The program ends when the device list closes, never because the last visible window went:
    // while a panel is open the list is hidden, and a dialog over the panel may be the last one.
    app.setQuitOnLastWindowClosed(false);
    TFormMain mainWindow;
    QObject::connect(&mainWindow, &TFormMain::Closed, &app, &QCoreApplication::quit);
    mainWindow.show();
    return app.exec();
}
