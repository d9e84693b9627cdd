// Location ids of USB devices, formed as the D2XX driver forms them: one hexadecimal digit per
// level, the bus number first, then the port number at every hub on the way down. The device
// sysfs calls 1-3.4 (bus 1, port 3 of the root hub, port 4 of the hub there) is 0x134.
//
// That form has room for buses and ports 1 to 15 and eight levels in all (the bus and seven
// hubs' ports, which is what USB allows). A device beyond it (bus 16 or above, or a port above
// 15 on the way) gets the location 0xF00BBDDD instead: bus number BB and device address DDD in
// hexadecimal. The digit form never produces it, because it never has a zero digit, so the two
// cannot collide; it is unique while the device stays plugged in, and opening by it works as
// for any other device. It is not stable across replugging, as the device address is not.
#pragma once

#include "D2xxTypes.h"

#include <optional>
#include <string_view>

namespace ftdi {

// The location of the device on `bus` with sysfs port path `devpath` ("3.4"; "0" is the root
// hub itself, which has no port path) and device address `address`. Empty only when bus or
// address are out of USB's range or the path is not a dot-separated list of port numbers.
std::optional<DWORD> LocationId(unsigned bus, std::string_view devpath, unsigned address);

} // namespace ftdi
