// The text fields of a device list entry (the serial number's 16 bytes, the description's 64).
#pragma once

#include <cstddef>
#include <string_view>

namespace ftdi {

// Copies `text` into `field`, zero-filled, always ending with a zero byte: a text that does not
// fit is cut, on a UTF-8 character boundary, to size - 1 bytes or fewer.
void CopyTextField(char* field, std::size_t size, std::string_view text);

} // namespace ftdi
