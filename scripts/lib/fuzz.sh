# Sourced by scripts/test and scripts/fuzz: builds and runs the fuzz targets of tests/fuzz, made
# with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer. A crash, a sanitizer
# report or a broken property fails the run. Inputs that once broke a target are kept in
# tests/fuzz/corpus/NAME and replayed before every run.

# Writes a few good inputs of the target's kind into a folder, to grow the others from.
fuzz_seed() { # target, folder
    case $1 in
    preset | reply)
        # The factory settings as saved; for the reply check, a frame of the same size.
        printf '%b' '\x52\x50\x00\x40\x02\xDA\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
            '\x00\x00\x01\x00\x00\x01\x01\x01\x01\x01\x01\x02\x03\x04\x05\x06' \
            '\x07\x08\x3C\x3C\x3C\x3C\x3C\x3C\x3C\x3C\x20\x20\x20\x20\x00\x00' \
            '\x00\x00\x01\x01\x01\x02\x3C\x3C\x0F\xFD' >"$2/factory" ;;
    ini) printf '; kept\r\n[WINDOW]\r\nLEFT=10\r\nTOP=$1F\r\nWIDTH=0x280\r\nMAXIMIZED=yes\r\nPATH=/tmp/\r\n[OTHER]\r\nA=1\r\n' >"$2/settings" ;;
    simconfig) printf 'bus,instant,delay=200;unit,serial=A1,loc=0x1011,variant=4,gen=2,live;unit,silent,reply=57,badcrc;device,desc=USB Serial,open' >"$2/config" ;;
    esac
}

# Builds the fuzz targets (CMake's fuzz preset, in build-fuzz) and sets FUZZ_TARGETS to their
# names.
build_fuzzers() {
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j"$(nproc)"
    FUZZ_TARGETS=()
    local program
    for program in build-fuzz/tests/fuzz/*_fuzzer; do
        program=${program##*/}
        FUZZ_TARGETS+=("${program%_fuzzer}")
    done
}

# Replays the kept inputs, then fuzzes with the given libFuzzer options; new inputs go to
# build-fuzz/found/target, and an input that breaks the target to tests/fuzz/corpus/target.
run_fuzzer() { # target, libFuzzer options...
    local dir=build-fuzz target=$1
    shift
    local corpus=tests/fuzz/corpus/$target program=build-fuzz/tests/fuzz/${target}_fuzzer
    rm -rf "$dir/seed/$target" && mkdir -p "$dir/seed/$target" "$dir/found/$target" "$corpus"
    fuzz_seed "$target" "$dir/seed/$target"
    if compgen -G "$corpus/*" >/dev/null; then
        "$program" "$corpus"/*
    fi
    "$program" -seed=1 -max_len=512 -artifact_prefix="$corpus/" "$@" \
        "$dir/found/$target" "$dir/seed/$target"
}
