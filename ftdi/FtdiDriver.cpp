// The open driver's fourteen entry points: the FT232R devices of the USB buses, each reached
// through the kernel's serial driver when that holds it (its tty), else through libusb. Handles
// are tokens into a table of open devices, never reused, so a stale handle is refused with
// FT_INVALID_HANDLE instead of reaching another device.
#include "FtdiDriver.h"

#include "Failure.h"
#include "SysfsDevices.h"
#include "TextField.h"
#include "TtyHandle.h"
#include "UsbHandle.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <vector>

namespace ftdi {

std::uint8_t LatencyTimerSetting(const char* text) {
    if (!text || *text < '0' || *text > '9')
        return 1;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return *end == '\0' && value >= 1 && value <= 255 ? static_cast<std::uint8_t>(value) : 1;
}

} // namespace ftdi

namespace {

using ftdi::Handle;
using ftdi::UsbDevice;

constexpr const char* SysfsRoot = "/sys";
constexpr ULONG Ft232rId = (ftdi::Ft232rVendor << 16) | ftdi::Ft232rProduct;

struct Opened {
    DWORD location = 0;
    std::shared_ptr<Handle> handle;
};

struct Driver {
    std::mutex mutex; // guards the members; never held across a device call but open
    std::map<FT_HANDLE, Opened> open;
    std::uintptr_t lastToken = 0;
    std::vector<UsbDevice> listed; // by the last FT_CreateDeviceInfoList

    // The open handle of `location`, as its token; null when this program has none.
    FT_HANDLE TokenOf(DWORD location) const {
        for (const auto& [token, opened] : open)
            if (opened.location == location)
                return token;
        return nullptr;
    }
};

Driver& TheDriver() {
    static Driver driver;
    return driver;
}

std::shared_ptr<Handle> Find(FT_HANDLE token) {
    Driver& driver = TheDriver();
    std::lock_guard lock(driver.mutex);
    const auto it = driver.open.find(token);
    return it == driver.open.end() ? nullptr : it->second.handle;
}

// Runs `call` on the handle `token` stands for; FT_INVALID_HANDLE for an unknown token. The
// handle lives until the call returns, even when another thread closes it meanwhile.
template <typename Call> FT_STATUS OnHandle(FT_HANDLE token, Call call) {
    const std::shared_ptr<Handle> handle = Find(token);
    return handle ? call(*handle) : FT_INVALID_HANDLE;
}

FT_STATUS CreateDeviceInfoList(DWORD* numDevs) {
    if (!numDevs)
        return FT_INVALID_PARAMETER;
    std::vector<UsbDevice> devices = ftdi::ListFt232r(SysfsRoot);
    // A tty another program has locked is in use; one it holds without a lock cannot be known
    // without opening it, which would disturb that program.
    for (UsbDevice& device : devices)
        if (!device.tty.empty() && ftdi::NodeLocked(ftdi::TtyNode(device)))
            device.claimed = true;
    Driver& driver = TheDriver();
    std::lock_guard lock(driver.mutex);
    driver.listed = std::move(devices);
    *numDevs = static_cast<DWORD>(driver.listed.size());
    return FT_OK;
}

FT_STATUS GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    Driver& driver = TheDriver();
    std::lock_guard lock(driver.mutex);
    if (!numDevs || (!dest && !driver.listed.empty()))
        return FT_INVALID_PARAMETER;
    // Trusts the caller to have sized `dest` from the last FT_CreateDeviceInfoList.
    for (std::size_t i = 0; i < driver.listed.size(); ++i) {
        const UsbDevice& device = driver.listed[i];
        FT_DEVICE_LIST_INFO_NODE& node = dest[i];
        node = FT_DEVICE_LIST_INFO_NODE{};
        node.ftHandle = driver.TokenOf(device.locationId);
        node.Flags = device.claimed || node.ftHandle ? ULONG{FT_FLAGS_OPENED} : ULONG{0};
        node.Type = FT_DEVICE_232R;
        node.ID = Ft232rId;
        node.LocId = device.locationId;
        ftdi::CopyTextField(node.SerialNumber, sizeof node.SerialNumber, device.serialNumber);
        ftdi::CopyTextField(node.Description, sizeof node.Description, device.description);
    }
    *numDevs = static_cast<DWORD>(driver.listed.size());
    return FT_OK;
}

FT_STATUS OpenEx(void* arg1, DWORD flags, FT_HANDLE* handle) {
    if (flags != FT_OPEN_BY_LOCATION || !handle)
        return FT_INVALID_PARAMETER;
    const auto location = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(arg1));
    const std::vector<UsbDevice> devices = ftdi::ListFt232r(SysfsRoot);
    const auto device = std::find_if(devices.begin(), devices.end(),
                                     [&](const UsbDevice& d) { return d.locationId == location; });
    if (device == devices.end())
        return FT_DEVICE_NOT_FOUND;

    Driver& driver = TheDriver();
    // Held through the open, so that two threads cannot both open one device.
    std::lock_guard lock(driver.mutex);
    if (device->claimed) {
        ftdi::NoteFailure(ftdi::DeviceNode(*device), "held by another driver or program");
        return FT_DEVICE_NOT_OPENED;
    }
    if (driver.TokenOf(location))
        return FT_DEVICE_NOT_OPENED;
    const std::uint8_t latency = ftdi::LatencyTimerSetting(std::getenv("ORQ_SYV_FTDI_LATENCY"));
    std::unique_ptr<Handle> opened;
    const FT_STATUS status = device->tty.empty() ? ftdi::UsbHandle::Open(*device, latency, opened)
                                                 : ftdi::TtyHandle::Open(*device, latency, opened);
    if (status != FT_OK)
        return status;
    const auto token = reinterpret_cast<FT_HANDLE>(driver.lastToken + 1);
    driver.open.emplace(token, Opened{location, std::move(opened)});
    ++driver.lastToken;
    *handle = token;
    return FT_OK;
}

FT_STATUS Close(FT_HANDLE token) {
    std::shared_ptr<Handle> handle;
    {
        Driver& driver = TheDriver();
        std::lock_guard lock(driver.mutex);
        const auto it = driver.open.find(token);
        if (it == driver.open.end())
            return FT_INVALID_HANDLE;
        handle = std::move(it->second.handle);
        driver.open.erase(it);
    }
    return handle->Close();
}

FT_STATUS ResetDevice(FT_HANDLE token) {
    return OnHandle(token, [](Handle& h) { return h.Reset(); });
}

FT_STATUS SetBaudRate(FT_HANDLE token, ULONG baudRate) {
    return OnHandle(token, [&](Handle& h) { return h.SetBaudRate(baudRate); });
}

FT_STATUS SetDataCharacteristics(FT_HANDLE token, UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return OnHandle(
        token, [&](Handle& h) { return h.SetDataCharacteristics(wordLength, stopBits, parity); });
}

FT_STATUS SetFlowControl(FT_HANDLE token, USHORT flowControl, UCHAR xon, UCHAR xoff) {
    return OnHandle(token, [&](Handle& h) { return h.SetFlowControl(flowControl, xon, xoff); });
}

FT_STATUS SetTimeouts(FT_HANDLE token, ULONG readTimeout, ULONG writeTimeout) {
    return OnHandle(token, [&](Handle& h) { return h.SetTimeouts(readTimeout, writeTimeout); });
}

FT_STATUS Purge(FT_HANDLE token, ULONG mask) {
    return OnHandle(token, [&](Handle& h) { return h.Purge(mask); });
}

FT_STATUS GetQueueStatus(FT_HANDLE token, DWORD* rxBytes) {
    return OnHandle(token, [&](Handle& h) { return h.GetQueueStatus(rxBytes); });
}

FT_STATUS GetStatus(FT_HANDLE token, DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
    return OnHandle(token, [&](Handle& h) { return h.GetStatus(rxBytes, txBytes, eventStatus); });
}

FT_STATUS Read(FT_HANDLE token, void* buffer, DWORD count, DWORD* bytesRead) {
    return OnHandle(token, [&](Handle& h) { return h.Read(buffer, count, bytesRead); });
}

FT_STATUS Write(FT_HANDLE token, void* buffer, DWORD count, DWORD* bytesWritten) {
    return OnHandle(token, [&](Handle& h) { return h.Write(buffer, count, bytesWritten); });
}

// An entry point as the table holds it: it forgets the thread's last failure, and no exception
// leaves it. Memory or threads running out answer FT_INSUFFICIENT_RESOURCES, anything else
// FT_OTHER_ERROR.
template <auto Entry> struct Guarded;
template <typename... Args, FT_STATUS (*Entry)(Args...)> struct Guarded<Entry> {
    static FT_STATUS Call(Args... args) noexcept {
        ftdi::ForgetFailure();
        try {
            return Entry(args...);
        } catch (const std::bad_alloc&) {
            return FT_INSUFFICIENT_RESOURCES;
        } catch (const std::system_error& error) {
            ftdi::NoteFailure("the driver", error.what());
            return error.code() == std::errc::resource_unavailable_try_again ||
                           error.code() == std::errc::not_enough_memory
                       ? FT_INSUFFICIENT_RESOURCES
                       : FT_OTHER_ERROR;
        } catch (...) {
            return FT_OTHER_ERROR;
        }
    }
};

constexpr D2xxApi Table = {
#define D2XX_ENTRY(name, parameters, arguments) Guarded<name>::Call,
#include "D2xxEntryPoints.h"
    ftdi::LastFailure,
};

} // namespace

namespace ftdi {

const D2xxApi& FtdiApi() {
    return Table;
}

} // namespace ftdi
