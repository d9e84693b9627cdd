// The identification probe of the device list: which USB devices are units of the family.
#include "UnitMain.h"

#include "D2XXUnit_mod.h"
#include "DeviceRegisters.h"
#include "UnitLine.h"
#include "UnitProcs.h"
#include "WorkerMessages.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

namespace {

constexpr std::string_view FamilyMark = "ORQ-SYV";
constexpr std::uint32_t ReplyLimitMs = 2000;
constexpr ULONG ProbeTimeoutMs = 3000;

// Milliseconds of a free-running 32-bit tick; differences are taken modulo 2^32.
std::uint32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

bool DescriptionNamesFamily(const FT_DEVICE_LIST_INFO_NODE& node) {
    std::string upper(node.Description, strnlen(node.Description, sizeof node.Description));
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return upper.find(FamilyMark) != std::string::npos;
}

// Stores the unit's line settings and applies them, stopping at the first failure.
bool ConfigureForProbe() {
    StoreUnitLineSettings();
    return LinkSetBaudRate() == FT_OK && LinkSetDataCharacteristics() == FT_OK &&
           LinkSetFlowControl() == FT_OK &&
           LinkSetTimeouts(ProbeTimeoutMs, ProbeTimeoutMs) == FT_OK && LinkPurgeRx() == FT_OK &&
           LinkPurgeTx() == FT_OK;
}

} // namespace

bool TFormMain::AcceptUnit(int i, ProbedIdentity& identity) {
    const FT_DEVICE_LIST_INFO_NODE& node = DeviceInfoList[static_cast<std::size_t>(i)];
    return (node.Flags & FT_FLAGS_OPENED) == 0 && node.Type == FT_DEVICE_232R &&
           DescriptionNamesFamily(node) && ProbeUnit(i, identity) &&
           identity.ModelNumber == FamilyModelNumber &&
           (identity.DeviceGeneration == 1 || identity.DeviceGeneration == 2);
}

bool TFormMain::ProbeUnit(int i, ProbedIdentity& identity) {
    ShowLinkErrors = true;
    const bool probed = [&] {
        if (Open_USB_Device_By_Device_Location(DeviceInfoList[static_cast<std::size_t>(i)].LocId) !=
            FT_OK)
            return false;
        LinkReset();
        if (!ConfigureForProbe()) {
            LinkClose();
            return false;
        }
        const CommandFrame poll = BuildCommandFrame(PollCode, 0);
        std::memcpy(OutBuffer, poll.data(), poll.size());
        LinkWrite(static_cast<DWORD>(poll.size()));
        if (!WaitForReply(StatusReplySize)) {
            LinkClose();
            return false;
        }
        // Only the identity bytes count here: header, checksum and error byte are the
        // exchange's business once the unit is opened.
        identity.ModelNumber = ModelNumberOf(InBuffer[ReplyModelHigh], InBuffer[ReplyModelLow]);
        identity.ModelVariant = InBuffer[ReplyVariant];
        identity.DeviceGeneration = GenerationOf(InBuffer[ReplySoftwareMajor], InBuffer[ReplyFpga]);
        LinkClose();
        return true;
    }();
    ShowLinkErrors = false;
    return probed;
}

bool TFormMain::WaitForReply(DWORD n) {
    const std::uint32_t start = TickCount();
    do {
        if (TickCount() - start > ReplyLimitMs) {
            LinkStatus = LinkReplyTimeout;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        LinkStatus = static_cast<std::int32_t>(LinkGetQueueStatus());
        if (LinkStatus != 0)
            return false;
    } while (RxQueueBytes < n);
    const DWORD read = LinkRead(n);
    if (LinkStatus != 0)
        return false;
    if (read < n) {
        LinkStatus = LinkShortTransfer;
        return false;
    }
    return true;
}
