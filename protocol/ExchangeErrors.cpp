#include "ExchangeErrors.h"

std::string ExchangeErrorText(std::int32_t exitResult, std::int32_t exitLinkStatus,
                              std::uint8_t deviceError) {
    switch (exitResult) {
    case ResultWriteFailed:
        return std::string("USB Connection Write Failed\r\n\r\n(IO_error = ")
            .append(std::to_string(exitLinkStatus))
            .append(")");
    case ResultReadFailed:
        return std::string("USB Connection Read Failed\r\n\r\n(IO_error = ")
            .append(std::to_string(exitLinkStatus))
            .append(")");
    case ResultBadHeader:
        return "Invalid Packet Header";
    case ResultBadChecksum:
        return "CRC Error";
    case ResultBadProtocol:
        return "Unsupported protocol version";
    case ResultDeviceError:
        return std::string("Device Error: ").append(std::to_string(deviceError));
    default:
        return "Unkonown Error";
    }
}
