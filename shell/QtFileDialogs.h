// The Qt side of the file-dialog seam.
#pragma once

// Makes every file dialog of the program a modal Qt file dialog owned by the window its request
// names.
void InstallQtFileDialogs();
