// The application's title: the task bar's text, the main window's caption before its version
// and the control panel's caption.
#pragma once

inline constexpr const char* ApplicationTitle = "ORQ-SYV Settings";
