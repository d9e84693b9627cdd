// The serial line a unit speaks: 115200 baud, 8 data bits, one stop bit, no parity, no flow
// control; and how a device is opened and set up for it, on any LinkLine.
#pragma once

#include "D2xxTypes.h"
#include "LinkLine.h"

inline constexpr ULONG UnitBaudRate = 115200;
inline constexpr UCHAR UnitWordLength = 8;
inline constexpr UCHAR UnitStopBits = 0;     // one stop bit
inline constexpr UCHAR UnitParity = 0;       // none
inline constexpr USHORT UnitFlowControl = 0; // none

// Stores the unit's line settings into the link layer's module values, for a caller that
// applies them with the link layer's own operations.
void StoreUnitLineSettings();

// Applies the unit's line settings to the device open on `line`: baud, data characteristics,
// flow control, time-outs (read = write = timeoutMs), purge RX, purge TX, in that order,
// stopping at the first failure. Returns whether all succeeded.
bool ConfigureLine(ULONG timeoutMs, LinkLine& line = ModuleLine());

// How the device is closed again when its set-up has failed: with the error dialogs as they are
// (the probe), or with them switched off first, the operator having seen the failure (opening a
// unit for its panel).
enum class SetUpFailureClose { AsDialogsAre, Silent };

// Opens the device at `location` on `line`, resets it (a failure there is tolerated: it only
// shows its dialog where dialogs are on) and ConfigureLine(timeoutMs). Returns true with the
// device open and set up; false when the open failed, or after closing the device again, as
// `close` says, when the set-up failed.
bool OpenWithLine(DWORD location, ULONG timeoutMs, SetUpFailureClose close,
                  LinkLine& line = ModuleLine());
