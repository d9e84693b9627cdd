#include "UsbLocation.h"

#include <charconv>
#include <vector>

namespace ftdi {

namespace {

constexpr unsigned MaxDigit = 15;
constexpr std::size_t MaxLevels = 8; // the bus and seven hub ports
constexpr unsigned MaxBus = 255;
constexpr unsigned MaxAddress = 127;
constexpr DWORD WideMarker = 0xF0000000;

// The port numbers of a path such as "3.4"; empty for the root hub's "0".
std::optional<std::vector<unsigned>> Ports(std::string_view devpath) {
    std::vector<unsigned> ports;
    if (devpath == "0")
        return ports;
    while (true) {
        const std::size_t dot = devpath.find('.');
        const std::string_view part = devpath.substr(0, dot);
        unsigned port = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), port);
        if (part.empty() || error != std::errc{} || end != part.data() + part.size() || port == 0)
            return std::nullopt;
        ports.push_back(port);
        if (dot == std::string_view::npos)
            return ports;
        devpath.remove_prefix(dot + 1);
    }
}

} // namespace

std::optional<DWORD> LocationId(unsigned bus, std::string_view devpath, unsigned address) {
    const auto ports = Ports(devpath);
    if (!ports || bus == 0 || bus > MaxBus || address == 0 || address > MaxAddress)
        return std::nullopt;
    bool fits = bus <= MaxDigit && ports->size() + 1 <= MaxLevels;
    DWORD location = bus;
    for (unsigned port : *ports) {
        fits = fits && port <= MaxDigit;
        location = (location << 4) | (port & 0xF);
    }
    if (!fits)
        return WideMarker | (DWORD{bus} << 12) | DWORD{address};
    return location;
}

} // namespace ftdi
