# Sourced by scripts/test: run_preset_fuzzer BUILD-DIR builds the preset parser's fuzz target with
# clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, and runs it for a fixed
# number of inputs grown from one seed, the factory settings as saved. A crash, a sanitizer
# report or a broken property of the parser fails the run; the inputs found are kept in
# BUILD-DIR/found.
PRESET_FUZZ_RUNS=200000

run_preset_fuzzer() {
    local dir=$1
    rm -rf "$dir/seed" "$dir/found"
    mkdir -p "$dir/seed" "$dir/found"
    clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Iprotocol \
        tests/fuzz/PresetFuzzer.cpp protocol/PresetFile.cpp protocol/Crc16.cpp \
        protocol/DeviceRegisters.cpp -o "$dir/preset_fuzzer"
    printf '%b' '\x52\x50\x00\x40\x02\xDA\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x00\x00\x01\x00\x00\x01\x01\x01\x01\x01\x01\x02\x03\x04\x05\x06' \
        '\x07\x08\x3C\x3C\x3C\x3C\x3C\x3C\x3C\x3C\x20\x20\x20\x20\x00\x00' \
        '\x00\x00\x01\x01\x01\x02\x3C\x3C\x0F\xFD' >"$dir/seed/factory.orq730"
    # New inputs go to the first directory; the seed stays as it is. A fixed seed of the
    # fuzzer's own random choices makes a failure repeatable.
    "$dir/preset_fuzzer" -runs="$PRESET_FUZZ_RUNS" -seed=1 -max_len=128 \
        "$dir/found" "$dir/seed"
}
