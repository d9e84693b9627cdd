// With ORQ_SYV_SCREENSHOT naming a PNG file, the program photographs its main window once the
// first units are listed, prints the file's path and ends. With ORQ_SYV_SCREENSHOT_PANEL naming
// another, it first opens the first listed unit and photographs its panel once the unit's first
// reply is shown. scripts/run uses them on a machine without a display.
#pragma once

void ArrangeScreenshotIfAsked();
