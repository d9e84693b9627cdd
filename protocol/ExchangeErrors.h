// What the operator is told when the exchange with a unit has failed: the panel in a message
// box, the command-line tool on standard error.
#pragma once

#include "WorkerResult.h"

#include <cstdint>
#include <string>

// The message box text for a failed exchange; "\r\n" separates its lines.
std::string ExchangeErrorText(std::int32_t exitResult, std::int32_t exitLinkStatus,
                              std::uint8_t deviceError);
