# Sourced by the scripts: require_packages NAME... installs the Debian packages that are missing
# (as root), or prints the one apt-get line that would and stops (as anyone else).
require_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The packages every build needs; the windows need Qt and a font to draw their text with.
BUILD_PACKAGES=(cmake make g++ libgtest-dev locales-all qt6-base-dev fonts-dejavu-core)
# What running the program without a display needs.
HEADLESS_PACKAGES=(xvfb xauth)
