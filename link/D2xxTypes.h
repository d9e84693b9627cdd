// The driver's own types, status numbers and device node, per platform, and the table of the
// fourteen driver entry points the program uses. The real driver, the simulated units and tests
// all fill the same table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#if defined(_WIN32)
// Windows: the driver's exports are __stdcall (which 64-bit Windows, with its one calling
// convention, ignores) and its integers are the Windows ones.
#define FT_API __stdcall
using DWORD = unsigned long;
using ULONG = unsigned long;
#else
// Linux and macOS: the shared-library driver's ABI, where DWORD and ULONG are 32 bits wide and
// nothing carries a calling-convention decoration.
#define FT_API
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
#endif

using UCHAR = std::uint8_t;
using USHORT = std::uint16_t;
using FT_STATUS = ULONG;
using FT_HANDLE = void*;

static_assert(sizeof(DWORD) == 4 && sizeof(ULONG) == 4, "driver integers are 32 bits");

// Driver status numbers.
enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
    FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
    FT_FAILED_TO_WRITE_DEVICE = 10,
    FT_EEPROM_READ_FAILED = 11,
    FT_EEPROM_WRITE_FAILED = 12,
    FT_EEPROM_ERASE_FAILED = 13,
    FT_EEPROM_NOT_PRESENT = 14,
    FT_EEPROM_NOT_PROGRAMMED = 15,
    FT_INVALID_ARGS = 16,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
    FT_DEVICE_LIST_NOT_READY = 19,
};

// FT_OpenEx flags.
enum : DWORD {
    FT_OPEN_BY_SERIAL_NUMBER = 1,
    FT_OPEN_BY_DESCRIPTION = 2,
    FT_OPEN_BY_LOCATION = 4,
};

// FT_Purge mask bits.
enum : ULONG {
    FT_PURGE_RX = 1,
    FT_PURGE_TX = 2,
};

// Device node flag bits.
enum : ULONG {
    FT_FLAGS_OPENED = 1,
    FT_FLAGS_HISPEED = 2,
};

// Device type codes (the names are DeviceTypeNames of the link layer).
enum : ULONG {
    FT_DEVICE_BM = 0,
    FT_DEVICE_AM = 1,
    FT_DEVICE_100AX = 2,
    FT_DEVICE_UNKNOWN = 3,
    FT_DEVICE_2232C = 4,
    FT_DEVICE_232R = 5,
    FT_DEVICE_2232H = 6,
    FT_DEVICE_4232H = 7,
    FT_DEVICE_232H = 8,
    FT_DEVICE_X_SERIES = 9,
};

// One entry of the driver's device information list, in the driver's layout. Text fields end
// with a zero byte when shorter than the field; a full field has none.
struct FT_DEVICE_LIST_INFO_NODE {
    ULONG Flags;
    ULONG Type;
    ULONG ID;
    DWORD LocId;
    char SerialNumber[16];
    char Description[64];
    FT_HANDLE ftHandle;
};

static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, Flags) == 0);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, Type) == 4);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, ID) == 8);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, LocId) == 12);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, SerialNumber) == 16);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, Description) == 32);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, ftHandle) == 96);
static_assert(sizeof(FT_DEVICE_LIST_INFO_NODE) == (sizeof(void*) == 4 ? 100 : 104),
              "device node: 100 bytes with 32-bit handles, 104 with 64-bit ones");

// The fourteen driver entry points (D2xxEntryPoints.h), in the driver's own call shapes. Every
// entry point of a table in use is non-null: an unloaded or incomplete driver is replaced by a
// table whose entries answer FT_OTHER_ERROR. LastFailure is the driver's optional
// D2XX_LAST_FAILURE, null when the driver has none.
struct D2xxApi {
#define D2XX_ENTRY(name, parameters, arguments) FT_STATUS(FT_API* name) parameters;
#include "D2xxEntryPoints.h"
    const char*(FT_API* LastFailure)() = nullptr;
};

// The exported names of the entry points, in the order of the D2xxApi members.
inline constexpr const char* D2xxEntryNames[] = {
#define D2XX_ENTRY(name, parameters, arguments) "FT_" #name,
#include "D2xxEntryPoints.h"
};
inline constexpr std::size_t D2xxEntryCount = std::size(D2xxEntryNames);

#define D2XX_NAME_TEXT(name) #name
#define D2XX_NAME_OF(name) D2XX_NAME_TEXT(name)
// The exported name of the optional entry point.
inline constexpr const char* D2xxLastFailureName = D2XX_NAME_OF(D2XX_LAST_FAILURE);
#undef D2XX_NAME_OF
#undef D2XX_NAME_TEXT
