// The identification probe: which USB devices are units of the family.
#include "UnitSession.h"

#include "DeviceRegisters.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view FamilyMark = "ORQ-SYV";

bool DescriptionNamesFamily(const FT_DEVICE_LIST_INFO_NODE& node) {
    std::string upper(node.Description, strnlen(node.Description, sizeof node.Description));
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return upper.find(FamilyMark) != std::string::npos;
}

} // namespace

ProbedIdentity IdentityOf(const StatusReply& reply) {
    ProbedIdentity identity;
    identity.ModelNumber = ModelNumberOf(reply[ReplyModelHigh], reply[ReplyModelLow]);
    identity.ModelVariant = reply[ReplyVariant];
    identity.DeviceGeneration = GenerationOf(reply[ReplySoftwareMajor], reply[ReplyFpga]);
    identity.SoftwareMajor = reply[ReplySoftwareMajor];
    identity.SoftwareMinor = reply[ReplySoftwareMinor];
    std::copy_n(reply.begin() + ReplyFpga, identity.Fpga.size(), identity.Fpga.begin());
    return identity;
}

bool IsFamilyCandidate(const FT_DEVICE_LIST_INFO_NODE& node) {
    return (node.Flags & FT_FLAGS_OPENED) == 0 && node.Type == FT_DEVICE_232R &&
           DescriptionNamesFamily(node);
}

bool IsAcceptedIdentity(const ProbedIdentity& identity) {
    return identity.ModelNumber == FamilyModelNumber &&
           (identity.DeviceGeneration == 1 || identity.DeviceGeneration == 2);
}

bool ProbeIdentity(DWORD location, ProbedIdentity& identity, ExchangeClock& clock, LinkLine& line) {
    if (!OpenWithLine(location, ProbeTimeoutMs, SetUpFailureClose::AsDialogsAre, line))
        return false;
    // A failed or short write shows up as a missing reply.
    UnitSession session(line, clock, std::chrono::milliseconds(1));
    session.Send(BuildCommandFrame(PollCode, 0));
    if (session.WaitAndRead(StatusReplySize) != ResultNone) {
        line.Close();
        return false;
    }
    // Only the identity bytes count here: header, checksum and error byte are the exchange's
    // business once the unit is opened.
    StatusReply reply;
    std::copy_n(line.Received(), StatusReplySize, reply.begin());
    identity = IdentityOf(reply);
    line.Close();
    return true;
}
