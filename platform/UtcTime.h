// The time of day as the tool's reports and the frame trace write it.
#pragma once

#include <string>

// The current UTC time to the millisecond, ISO 8601 with a "Z": "2025-03-14T09:26:53.589Z".
std::string UtcNowText();
