// A serial line to one device, as the exchange with a unit uses it: the link layer's device
// operations on one handle, a receive and a transmit buffer, and the status of the last transfer.
// The session, the line set-up and the probe are written once over it. Two kinds exist: the link
// layer's module state (ModuleLine), which the program's windows and its device worker use, and
// a line of a unit's own (DeviceLine), for units worked on at once from several threads.
#pragma once

#include "D2xxTypes.h"

#include <cstdint>
#include <string>

// Transfer statuses that the users of a line store themselves, beyond the driver's statuses.
inline constexpr std::int32_t LinkShortTransfer = 31; // the driver moved fewer bytes than asked
inline constexpr std::int32_t LinkReplyTimeout = 32;  // no complete reply within the limit

class LinkLine {
public:
    virtual ~LinkLine();

    // Each of these is one driver call on this line's device and returns the driver status.
    // FT_OpenEx by location id; the handle it gives becomes the line's.
    virtual FT_STATUS Open(DWORD location) = 0;
    virtual FT_STATUS Close() = 0;
    virtual FT_STATUS Reset() = 0;
    // The line settings, in the driver's codes. Flow control goes with XON 0x11 and XOFF 0x13.
    virtual FT_STATUS SetBaudRate(ULONG baudRate) = 0;
    virtual FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) = 0;
    virtual FT_STATUS SetFlowControl(USHORT flowControl) = 0;
    virtual FT_STATUS SetTimeouts(ULONG readMs, ULONG writeMs) = 0;
    virtual FT_STATUS PurgeRx() = 0;
    virtual FT_STATUS PurgeTx() = 0;
    // FT_GetQueueStatus and FT_GetStatus: both leave the received count in RxQueueBytes.
    virtual FT_STATUS GetQueueStatus() = 0;
    virtual FT_STATUS GetStatus() = 0;
    virtual DWORD RxQueueBytes() const = 0;

    // Puts `count` bytes from `bytes` at the start of the line's transmit buffer and writes them
    // (a count beyond the buffer is cut to it); both transfers are traced (FrameTrace.h). Stores
    // the driver status as Status() and returns the count written, which means nothing when the
    // status is nonzero.
    virtual DWORD Write(const std::uint8_t* bytes, DWORD count) = 0;
    // Reads `count` bytes to the start of the line's receive buffer, Received(); Status() and
    // the result as Write.
    virtual DWORD Read(DWORD count) = 0;
    virtual const std::uint8_t* Received() const = 0;

    // The status of the last transfer: the driver status of the last Read or Write, or what a
    // caller stored since (31 short transfer, 32 no reply in time, 0 a reply that failed its
    // check).
    virtual std::int32_t Status() const = 0;
    virtual void SetStatus(std::int32_t status) = 0;

    // From here on no driver failure of this line shows a dialog.
    virtual void SilenceErrors() = 0;

    // Why the last driver call of this line that failed did, as the driver tells it
    // (DriverFailureReason); "" when none failed or the driver told no more than the status.
    // The module line keeps none: the program's windows show the described texts alone.
    virtual std::string FailureReason() const = 0;
};

// The link layer's module state as a line: every call is the link layer's operation of that
// name, with its dialog when ShowLinkErrors is on; the line settings are stored in the module's
// values before they are applied. One object for the whole run, used by one thread at a time as
// the module is.
LinkLine& ModuleLine();
