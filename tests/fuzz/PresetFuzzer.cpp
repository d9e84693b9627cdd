// Fuzz target of the preset parser. Any bytes are taken exactly when they are a preset file (58
// bytes, "RP", model 730, a right checksum), and then a save of the block writes them back but
// for the bytes a load does not examine; bytes not taken leave the block as it was.
#include "Crc16.h"
#include "PresetFile.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A broken property ends the run with a crash report and the input that broke it.
void Require(bool holds) {
    if (!holds)
        std::abort();
}

// The 58 bytes at `data` with the header, the model number and the bytes a load ignores as a
// save writes them, under a checksum made right.
PresetFileBytes AsSaved(const std::uint8_t* data) {
    PresetFileBytes bytes{};
    std::copy_n(data, PresetFileSize, bytes.begin());
    const std::uint8_t header[6] = {0x52, 0x50, 0x00, 0x40, 0x02, 0xDA};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    std::fill(bytes.begin() + 6, bytes.begin() + 16, 0);
    StoreCrc16(bytes.data(), 56);
    return bytes;
}

void CheckParse(const std::uint8_t* data, std::size_t size) {
    RegisterBlock block;
    block.fill(0xA5);
    const RegisterBlock before = block;
    const bool preset = size == PresetFileSize && data[0] == 0x52 && data[1] == 0x50 &&
                        data[4] == 0x02 && data[5] == 0xDA && CheckCrc16(data, 56);
    Require(ParsePresetBytes(data, size, block) == preset);
    if (!preset) {
        Require(block == before);
        return;
    }
    Require(std::equal(block.begin(), block.end(), data + 16));
    const PresetFileBytes saved = PresetBytes(block);
    Require(saved == AsSaved(data));
    const bool ignoredAsSaved = data[2] == saved[2] && data[3] == saved[3] &&
                                std::equal(data + 6, data + 16, saved.begin() + 6);
    Require(!ignoredAsSaved || std::equal(saved.begin(), saved.end(), data));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckParse(data, size);
    if (size == PresetFileSize) {
        // The same bytes under a right checksum, so that the checks behind it are reached too.
        PresetFileBytes sealed{};
        std::copy_n(data, PresetFileSize, sealed.begin());
        StoreCrc16(sealed.data(), 56);
        CheckParse(sealed.data(), sealed.size());
    }
    return 0;
}
