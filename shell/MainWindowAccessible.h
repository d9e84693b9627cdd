// How the device list window presents itself to assistive technology.
#pragma once

// From the first call on, every TFormMain is a window to assistive technology (role
// QAccessible::Window, which AT-SPI calls "frame"), named by its caption. Calling it again does
// nothing.
void InstallMainWindowAccessibility();
