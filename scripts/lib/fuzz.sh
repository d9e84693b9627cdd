# Sourced by scripts/test and scripts/fuzz: the fuzz targets, built with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. A crash, a sanitizer report or a broken
# property fails the run. Inputs that once broke a target are kept in tests/fuzz/corpus/NAME
# and replayed before every run.
FUZZ_TARGETS=(preset reply ini simconfig)

fuzz_sources() { # target
    case $1 in
    preset) echo tests/fuzz/PresetFuzzer.cpp protocol/PresetFile.cpp protocol/Crc16.cpp \
        protocol/DeviceRegisters.cpp ;;
    reply) echo tests/fuzz/ReplyFuzzer.cpp protocol/Frames.cpp protocol/Crc16.cpp ;;
    ini) echo tests/fuzz/IniFuzzer.cpp platform/IniFile.cpp platform/AtomicFile.cpp \
        platform/WholeFile.cpp platform/SystemFilePosix.cpp platform/Utf8Path.cpp \
        platform/ProgramPaths.cpp ;;
    simconfig) echo tests/fuzz/SimConfigFuzzer.cpp sim/SimConfig.cpp sim/SimBus.cpp \
        sim/SimLine.cpp sim/SimUnit.cpp protocol/Crc16.cpp protocol/Frames.cpp \
        protocol/DeviceRegisters.cpp ;;
    esac
}

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

build_fuzzer() { # folder, target
    mkdir -p "$1"
    # shellcheck disable=SC2046
    clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror -pthread \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -Iprotocol -Ilink -Iplatform -Isim $(fuzz_sources "$2") -o "$1/$2_fuzzer"
}

# Replays the kept inputs, then fuzzes with the given libFuzzer options; new inputs go to
# folder/found/target, and an input that breaks the target to tests/fuzz/corpus/target.
run_fuzzer() { # folder, target, libFuzzer options...
    local dir=$1 target=$2
    shift 2
    local corpus=tests/fuzz/corpus/$target
    rm -rf "$dir/seed/$target" && mkdir -p "$dir/seed/$target" "$dir/found/$target" "$corpus"
    fuzz_seed "$target" "$dir/seed/$target"
    if compgen -G "$corpus/*" >/dev/null; then
        "$dir/${target}_fuzzer" "$corpus"/*
    fi
    "$dir/${target}_fuzzer" -seed=1 -max_len=512 -artifact_prefix="$corpus/" "$@" \
        "$dir/found/$target" "$dir/seed/$target"
}
