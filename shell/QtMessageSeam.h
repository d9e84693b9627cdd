// The Qt side of the message-box seam.
#pragma once

// Makes every message of the program a modal Qt message box owned by the active window (none
// before a window exists).
void InstallQtMessageBoxes();
