// The serial line a unit speaks: 115200 baud, 8 data bits, one stop bit, no parity, no flow
// control.
#pragma once

// Stores the unit's line settings into the link layer; the caller applies them.
void StoreUnitLineSettings();
