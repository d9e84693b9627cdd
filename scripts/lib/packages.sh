# Sourced by the scripts: require_packages NAME... installs the Debian packages that are missing
# (as root), or prints the apt-get line that would and stops (as anyone else). A name may carry
# an architecture (wine32:i386); a foreign architecture that dpkg does not know yet is added
# first.
require_packages() {
    local missing=() arches=() pkg arch
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    for pkg in "${missing[@]}"; do
        arch=${pkg#*:}
        if [ "$arch" != "$pkg" ] && [ "$arch" != "$(dpkg --print-architecture)" ] &&
            ! dpkg --print-foreign-architectures | grep -qx "$arch" &&
            [[ " ${arches[*]} " != *" $arch "* ]]; then
            arches+=("$arch")
        fi
    done
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:"
        for arch in "${arches[@]}"; do
            echo "  sudo dpkg --add-architecture $arch"
        done
        [ ${#arches[@]} -eq 0 ] || echo "  sudo apt-get update"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
    for arch in "${arches[@]}"; do
        echo "Adding the architecture $arch"
        dpkg --add-architecture "$arch"
    done
    echo "Installing: ${missing[*]}"
    local start=$SECONDS
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
    echo "== packages installed in $((SECONDS - start)) s"
}

# The packages every build needs; the windows need Qt and a font to draw their text with.
BUILD_PACKAGES=(cmake make g++ pkg-config libgtest-dev locales-all qt6-base-dev fonts-dejavu-core
    libcli11-dev nlohmann-json3-dev libftdi1-dev libusb-1.0-0-dev)
# What the open driver's tests run an emulated USB device with.
USB_EMULATION_PACKAGES=(umockdev libumockdev-dev)
# What running the program without a display needs.
HEADLESS_PACKAGES=(xvfb xauth)
# What the Windows builds, 32 and 64 bits, and their tests under wine need: the cross compilers,
# the test sources, wine of both widths, the icon's renderers, the installer's builder, and what
# works the program on a display of its own (the keyboard, screenshots, the fonts it draws with).
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
    libcli11-dev nlohmann-json3-dev wine wine64 wine32:i386 librsvg2-bin imagemagick nsis xvfb
    xauth x11-utils xdotool python3 python3-xlib fonts-dejavu-core fonts-wine)
# What building the Debian package (the icon's sizes are rendered with rsvg-convert), checking it
# and installing it into a fresh root need.
PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream debootstrap librsvg2-bin)
# What the end-to-end tests drive the program with: the accessibility bus and its Python
# client, the keyboard, screenshots, and a window manager that frames the windows.
E2E_PACKAGES=(xvfb xauth dbus dbus-x11 at-spi2-core python3 python3-pyatspi python3-xlib
    xdotool imagemagick openbox x11-utils)
# What fuzzing the preset parser needs: clang with libFuzzer and the sanitizers' run-time.
FUZZ_PACKAGES=(clang libclang-rt-dev)
# What building a static Qt for Windows from Debian's source needs: the host's Qt tools (moc,
# rcc, uic and their CMake files) of the same version, apt's source fetching and unpacking.
QT_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    qt6-base-dev qt6-base-dev-tools dpkg-dev debian-archive-keyring)
