// The serial line a unit speaks: 115200 baud, 8 data bits, one stop bit, no parity, no flow
// control.
#pragma once

#include "D2xxTypes.h"

// Stores the unit's line settings into the link layer; the caller applies them.
void StoreUnitLineSettings();

// Stores the unit's line settings (StoreUnitLineSettings) and applies them to the open device:
// baud, data characteristics, flow control, time-outs (read = write = timeoutMs), purge RX,
// purge TX, in that order, stopping at the first failure. Returns whether all succeeded.
bool ConfigureLine(ULONG timeoutMs);

// How the device is closed again when its set-up has failed: with the error dialogs as they are
// (the probe), or with them switched off first, the operator having seen the failure (opening a
// unit for its panel).
enum class SetUpFailureClose { AsDialogsAre, Silent };

// Opens the device at `location`, resets it (a failure there is tolerated: it only shows its
// dialog where dialogs are on) and ConfigureLine(timeoutMs). Returns true with the device open
// and set up; false when the open failed, or after closing the device again, as `close` says,
// when the set-up failed.
bool OpenWithLine(DWORD location, ULONG timeoutMs, SetUpFailureClose close);
