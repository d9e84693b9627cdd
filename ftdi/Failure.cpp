#include "Failure.h"

#include <cstring>
#include <string>

namespace ftdi {

namespace {

thread_local std::string reason;

} // namespace

void NoteFailure(std::string_view where, std::string_view why) noexcept {
    try {
        reason.assign(where).append(": ").append(why);
    } catch (...) {
        reason.clear();
    }
}

void NoteSystemFailure(std::string_view where, int error) noexcept {
    char text[256];
    // The GNU strerror_r returns its text, which need not be in `text`.
    NoteFailure(where, strerror_r(error, text, sizeof text));
}

void ForgetFailure() noexcept {
    reason.clear();
}

const char* LastFailure() noexcept {
    return reason.c_str();
}

} // namespace ftdi
