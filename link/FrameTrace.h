// The transfers of both kinds of line, and their trace. With ORQ_SYV_TRACE naming a file, every
// frame sent and received on any line is appended to it, one line each:
//
//     2025-03-14T09:26:53.589Z 0x1011 > 52 50 02 00 00 0C 2D
//
// the UTC time at which the driver returned the bytes, in milliseconds; the device's location
// id; ">" for bytes sent, "<" for bytes received; the bytes in hexadecimal. Lines of several
// threads never mix, and each is on the disk when its transfer returns. The variable is read
// once, at the first transfer; a file that cannot be opened is told once on standard error, and
// nothing is traced.
#pragma once

#include "D2xxTypes.h"

#include <cstdint>

enum class TransferDirection { Send, Receive };

// FT_Write (Send) or FT_Read (Receive) of `count` bytes at `buffer` on `handle`, the device at
// `location`, through the current driver table (CurrentD2xxApi). Returns the driver status and
// leaves the count the driver reported in `moved`; with FT_OK the bytes moved are traced.
FT_STATUS Transfer(TransferDirection direction, FT_HANDLE handle, DWORD location,
                   std::uint8_t* buffer, DWORD count, DWORD& moved);

// Traces to the file at `path` from now on, appended to, in place of what ORQ_SYV_TRACE named;
// null or "" stops the trace.
void TraceFramesTo(const char* path);
