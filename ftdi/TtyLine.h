// The tty calls of the serial path, on the kernel's own interface (termios2 and the serial-info
// ioctls), so that every rate the chip can make is asked for exactly. Each function returns 0,
// or the errno of the call that failed.
#pragma once

#include "D2xxTypes.h"

namespace ftdi::tty {

// A line as the driver's calls describe it, in the codes of LineCodes.h, already checked.
struct Line {
    ULONG baudRate = 9600;
    UCHAR wordLength = 8;
    UCHAR stopBits = 0;
    UCHAR parity = 0;
    USHORT flowControl = 0; // none, RTS/CTS or XON/XOFF: a tty has no DTR/DSR flow control
    UCHAR xon = 0x11;
    UCHAR xoff = 0x13;
};

// Sets `line` up in raw mode: no echo, no line editing, no character translation, modem lines
// ignored, and a read on a non-blocking descriptor returns what has arrived or EAGAIN (0 only
// once the tty has been hung up).
int ApplyLine(int fd, const Line& line);
// Empties what was received and not read, what was written and not sent, or both.
int Flush(int fd, bool received, bool sent);
int QueuedIn(int fd, DWORD& count);
int QueuedOut(int fd, DWORD& count);
// Exclusive mode: while it is on, opening the tty again fails with EBUSY (for a program without
// CAP_SYS_ADMIN).
int SetExclusive(int fd, bool exclusive);
// The serial driver's low-latency flag, which its owner may set without privileges; with it on,
// ftdi_sio runs the chip's latency timer at 1 ms.
int SetLowLatency(int fd, bool on);

} // namespace ftdi::tty
