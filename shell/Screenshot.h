// With ORQ_SYV_SCREENSHOT naming a PNG file, the program photographs its main window once the
// first units are listed, prints the file's path and ends. scripts/run uses it on a machine
// without a display.
#pragma once

void ArrangeScreenshotIfAsked();
