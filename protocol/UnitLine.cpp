#include "UnitLine.h"

#include "D2XXUnit_mod.h"

void StoreUnitLineSettings() {
    BaudRate = 115200;
    WordLength = 8;
    StopBits = 0;    // one stop bit
    Parity = 0;      // none
    FlowControl = 0; // none
}

bool ConfigureLine(ULONG timeoutMs) {
    StoreUnitLineSettings();
    return LinkSetBaudRate() == FT_OK && LinkSetDataCharacteristics() == FT_OK &&
           LinkSetFlowControl() == FT_OK && LinkSetTimeouts(timeoutMs, timeoutMs) == FT_OK &&
           LinkPurgeRx() == FT_OK && LinkPurgeTx() == FT_OK;
}

bool OpenWithLine(DWORD location, ULONG timeoutMs, SetUpFailureClose close) {
    if (Open_USB_Device_By_Device_Location(location) != FT_OK)
        return false;
    LinkReset();
    if (!ConfigureLine(timeoutMs)) {
        if (close == SetUpFailureClose::Silent)
            ShowLinkErrors = false;
        LinkClose();
        return false;
    }
    return true;
}
