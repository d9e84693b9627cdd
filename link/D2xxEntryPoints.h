// The fourteen driver entry points the program uses, declared once. Each line
//
//     D2XX_ENTRY(name, parameters, arguments)
//
// is one entry point: exported as FT_<name>, returning FT_STATUS in the driver's calling
// convention (FT_API), taking `parameters`, which `arguments` names again in order, for calls
// that pass them on. The lines stand in the order of the D2xxApi members.
//
// Made from this list: D2xxApi and D2xxEntryNames (D2xxTypes.h), the loader's resolution, the
// simulator's DriverCall, both drivers' tables and exports, and the linker's export list
// (D2xxExports.map.in). Include it, with D2XX_ENTRY defined, wherever something is made of every
// entry point; it undefines D2XX_ENTRY at its end, and has no include guard on purpose.
//
// What every entry point shares:
// - FT_OK (0) is success. After any other status, an output holds nothing the caller may use.
// - The caller owns every buffer and output it passes, for the length of the call only.
// - A handle is the driver's, from the FT_OpenEx that gave it to the FT_Close that ends it. A
//   call with any other handle answers FT_INVALID_HANDLE and touches nothing.
// - A device that has left the bus makes every call on its handle but FT_Close answer
//   FT_IO_ERROR.
// - The program never passes a null output pointer; the drivers here refuse one with
//   FT_INVALID_PARAMETER.
// - The calls on one handle may come from any thread; the program makes them from one at a time.

// Left as written: the formatter would take a parameter list for a product.
// clang-format off

// Lists the devices attached now and writes their number to *numDevs. The next
// FT_GetDeviceInfoList describes exactly these devices.
D2XX_ENTRY(CreateDeviceInfoList, (DWORD* numDevs), (numDevs))

// Fills `dest`, which the caller has sized to the count of the last FT_CreateDeviceInfoList, with
// one node per device it listed, and writes that count to *numDevs. A node's ftHandle is this
// process's handle of the device, else null; its Flags carry FT_FLAGS_OPENED when the device is
// open here or in another program. `dest` may be null for a count of 0.
D2XX_ENTRY(GetDeviceInfoList, (FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs), (dest, numDevs))

// With `flags` FT_OPEN_BY_LOCATION, the only way the program opens, `arg1` is the device's
// location id as an integer in a pointer. FT_OK with a new handle in *handle;
// FT_DEVICE_NOT_FOUND when no device has that location; FT_DEVICE_NOT_OPENED when the device is
// open already, here or elsewhere, or cannot be taken.
D2XX_ENTRY(OpenEx, (void* arg1, DWORD flags, FT_HANDLE* handle), (arg1, flags, handle))

// Releases the device; the handle is dead from then on. FT_OK even when the device has left the
// bus, so that it is free for the next open.
D2XX_ENTRY(Close, (FT_HANDLE handle), (handle))

// Resets the device where the driver can and empties both of its queues.
D2XX_ENTRY(ResetDevice, (FT_HANDLE handle), (handle))

// The line's speed in baud; FT_INVALID_BAUD_RATE when the chip cannot make it.
D2XX_ENTRY(SetBaudRate, (FT_HANDLE handle, ULONG baudRate), (handle, baudRate))

// Data bits (7 or 8), stop bits (0 one, 2 two) and parity (0 none, 1 odd, 2 even, 3 mark,
// 4 space); FT_INVALID_PARAMETER for any other code.
D2XX_ENTRY(SetDataCharacteristics,
           (FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits, UCHAR parity),
           (handle, wordLength, stopBits, parity))

// Flow control: 0 none, 0x100 RTS/CTS, 0x200 DTR/DSR, 0x400 XON/XOFF with the characters `xon`
// and `xoff`, which the other settings ignore; FT_INVALID_PARAMETER for any other code.
D2XX_ENTRY(SetFlowControl, (FT_HANDLE handle, USHORT flowControl, UCHAR xon, UCHAR xoff),
           (handle, flowControl, xon, xoff))

// In milliseconds: how long FT_Read waits for its bytes and FT_Write for the device to take its
// own. They hold from the next read or write on.
D2XX_ENTRY(SetTimeouts, (FT_HANDLE handle, ULONG readTimeout, ULONG writeTimeout),
           (handle, readTimeout, writeTimeout))

// Empties the receive queue for FT_PURGE_RX, the transmit queue for FT_PURGE_TX, both for both.
D2XX_ENTRY(Purge, (FT_HANDLE handle, ULONG mask), (handle, mask))

// Writes the number of bytes received and not yet read to *rxBytes, at once.
D2XX_ENTRY(GetQueueStatus, (FT_HANDLE handle, DWORD* rxBytes), (handle, rxBytes))

// As FT_GetQueueStatus, and the bytes still waiting to be sent and the event status word.
D2XX_ENTRY(GetStatus, (FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus),
           (handle, rxBytes, txBytes, eventStatus))

// Waits until `bytesToRead` bytes have arrived or the read time-out has passed, then moves up to
// `bytesToRead` of them to `buffer`, which holds at least that many, and writes the count moved to
// *bytesRead. A time-out is FT_OK with fewer bytes.
D2XX_ENTRY(Read, (FT_HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead),
           (handle, buffer, bytesToRead, bytesRead))

// Sends the first `bytesToWrite` bytes of `buffer`, which the driver only reads, and writes the
// count the device took to *bytesWritten. A write time-out is FT_OK with fewer bytes.
D2XX_ENTRY(Write, (FT_HANDLE handle, void* buffer, DWORD bytesToWrite, DWORD* bytesWritten),
           (handle, buffer, bytesToWrite, bytesWritten))

// clang-format on

#undef D2XX_ENTRY

// One more entry point, outside the vendor's interface and optional: only the open driver has
// it, and the program asks for it when it loads a driver. It is `const char* FT_API
// D2XX_LAST_FAILURE()`, and returns why the calling thread's last call of an entry point failed,
// as far as the driver knows more than the status says (the system's or libftdi's words, with the
// device node they concern): one line of text, never null, "" after a call that succeeded or
// whose failure the status tells whole. The text is the driver's, valid until the calling
// thread's next call into the driver.
#define D2XX_LAST_FAILURE OrqSyv_LastFailure
