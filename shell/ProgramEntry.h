// The program: one copy at a time, the driver, the device list window until it closes.
#pragma once

class QApplication;

// Runs the program in `app`, whose message boxes are already set up. Returns the exit code:
// 0 after the main window has closed, and also when another copy is running (after telling the
// operator); 1 when the single-instance guard cannot be taken for any other reason (after
// saying where and why on standard error and in a message box).
int ProgramEntry(QApplication& app);
