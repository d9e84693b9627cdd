// Why the calling thread's current entry-point call fails, beyond its status, for the optional
// D2XX_LAST_FAILURE export. Each entry point forgets the reason when it is entered; the code that
// decides a failure notes the system's or libftdi's words, with the device node they concern.
#pragma once

#include <string_view>

namespace ftdi {

// Notes "`where`: `why`" as the calling thread's reason ("/dev/ttyUSB0: Permission denied").
// Without the memory for it the reason stays empty.
void NoteFailure(std::string_view where, std::string_view why) noexcept;
// Notes "`where`: " and the system's text of the errno value `error`.
void NoteSystemFailure(std::string_view where, int error) noexcept;
void ForgetFailure() noexcept;
// The calling thread's reason, "" when none is noted; valid until that thread notes or forgets
// one.
const char* LastFailure() noexcept;

} // namespace ftdi
