#include "D2XXUnit_mod.h"
#include "LinkLine.h"

#include <algorithm>

LinkLine::~LinkLine() = default;

namespace {

class LinkModuleLine final : public LinkLine {
public:
    FT_STATUS Open(DWORD location) override { return Open_USB_Device_By_Device_Location(location); }
    FT_STATUS Close() override { return LinkClose(); }
    FT_STATUS Reset() override { return LinkReset(); }
    FT_STATUS SetBaudRate(ULONG baudRate) override {
        BaudRate = baudRate;
        return LinkSetBaudRate();
    }
    FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override {
        WordLength = wordLength;
        StopBits = stopBits;
        Parity = parity;
        return LinkSetDataCharacteristics();
    }
    FT_STATUS SetFlowControl(USHORT flowControl) override {
        FlowControl = flowControl;
        return LinkSetFlowControl();
    }
    FT_STATUS SetTimeouts(ULONG readMs, ULONG writeMs) override {
        return LinkSetTimeouts(readMs, writeMs);
    }
    FT_STATUS PurgeRx() override { return LinkPurgeRx(); }
    FT_STATUS PurgeTx() override { return LinkPurgeTx(); }
    FT_STATUS GetQueueStatus() override { return LinkGetQueueStatus(); }
    FT_STATUS GetStatus() override { return LinkGetStatus(); }
    DWORD RxQueueBytes() const override { return ::RxQueueBytes; }

    DWORD Write(const std::uint8_t* bytes, DWORD count) override {
        std::copy_n(bytes, std::min<DWORD>(count, LinkBufferSize), OutBuffer);
        return LinkWrite(count);
    }
    DWORD Read(DWORD count) override { return LinkRead(count); }
    const std::uint8_t* Received() const override { return InBuffer; }

    std::int32_t Status() const override { return LinkStatus; }
    void SetStatus(std::int32_t status) override { LinkStatus = status; }

    void SilenceErrors() override { ShowLinkErrors = false; }

    std::string FailureReason() const override { return {}; }
};

} // namespace

LinkLine& ModuleLine() {
    static LinkModuleLine line;
    return line;
}
