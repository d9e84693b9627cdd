#include "UnitLine.h"

#include "D2XXUnit_mod.h"

void StoreUnitLineSettings() {
    BaudRate = 115200;
    WordLength = 8;
    StopBits = 0;    // one stop bit
    Parity = 0;      // none
    FlowControl = 0; // none
}
