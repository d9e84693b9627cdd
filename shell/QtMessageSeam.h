// The Qt side of the message-box seam.
#pragma once

// Makes every message of the program a modal Qt message box owned by the window its request
// names (none when it names none).
void InstallQtMessageBoxes();
