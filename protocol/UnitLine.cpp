#include "UnitLine.h"

#include "D2XXUnit_mod.h"

void StoreUnitLineSettings() {
    BaudRate = UnitBaudRate;
    WordLength = UnitWordLength;
    StopBits = UnitStopBits;
    Parity = UnitParity;
    FlowControl = UnitFlowControl;
}

bool ConfigureLine(ULONG timeoutMs, LinkLine& line) {
    return line.SetBaudRate(UnitBaudRate) == FT_OK &&
           line.SetDataCharacteristics(UnitWordLength, UnitStopBits, UnitParity) == FT_OK &&
           line.SetFlowControl(UnitFlowControl) == FT_OK &&
           line.SetTimeouts(timeoutMs, timeoutMs) == FT_OK && line.PurgeRx() == FT_OK &&
           line.PurgeTx() == FT_OK;
}

bool OpenWithLine(DWORD location, ULONG timeoutMs, SetUpFailureClose close, LinkLine& line) {
    if (line.Open(location) != FT_OK)
        return false;
    line.Reset();
    if (!ConfigureLine(timeoutMs, line)) {
        if (close == SetUpFailureClose::Silent)
            line.SilenceErrors();
        line.Close();
        return false;
    }
    return true;
}
