#include "TextField.h"

#include <cstring>

namespace ftdi {

void CopyTextField(char* field, std::size_t size, std::string_view text) {
    std::memset(field, 0, size);
    if (size == 0)
        return;
    std::size_t length = text.size() < size ? text.size() : size - 1;
    // A continuation byte (10xxxxxx) at the cut belongs to the character before it.
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(field, text.data(), length);
}

} // namespace ftdi
