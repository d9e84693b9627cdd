// Fuzz target of the reply check. Any 58 bytes get exactly one verdict, the one the four rules
// give when applied in their order, and a device error code only with that verdict.
#include "Crc16.h"
#include "Frames.h"

#include <algorithm>
#include <cstdlib>

namespace {

void Require(bool holds) {
    if (!holds)
        std::abort();
}

WorkerResult Expected(const StatusReply& reply) {
    if (reply[0] != 0x50 || reply[1] != 0x52)
        return ResultBadHeader;
    const unsigned stored = reply[56] | reply[57] << 8;
    if (stored != Crc16(reply.data(), 56))
        return ResultBadChecksum;
    if (reply[3] != 0x40)
        return ResultBadProtocol;
    return reply[15] != 0 ? ResultDeviceError : ResultNone;
}

void Check(const StatusReply& reply) {
    const ReplyCheck check = ValidateReply(reply);
    Require(check.result == Expected(reply));
    Require(check.deviceError == (check.result == ResultDeviceError ? reply[15] : 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StatusReply reply{};
    std::copy_n(data, std::min(size, reply.size()), reply.begin());
    Check(reply);
    // The same bytes under a right checksum, so that the later rules are reached too.
    StoreCrc16(reply.data(), 56);
    Check(reply);
    return 0;
}
