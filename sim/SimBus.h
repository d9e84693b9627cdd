// A bus of simulated USB serial devices behind the fourteen driver entry points. Units of the
// family keep their registers and answer every frame as a real unit would, with bytes moving at
// the configured line speed; other devices are listed but never answer. Faults can be switched
// per unit at any time, and everything the driver is asked and every frame a unit receives is
// logged with its time. All members are thread-safe.
#pragma once

#include "D2xxTypes.h"
#include "SimUnit.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using Clock = std::chrono::steady_clock;

// The entry points, in the order of the driver table's members.
enum class DriverCall {
#define D2XX_ENTRY(name, parameters, arguments) name,
#include "D2xxEntryPoints.h"
};
inline constexpr int DriverCallCount = static_cast<int>(D2xxEntryCount);

// The exported name of a call ("FT_Read").
const char* DriverCallName(DriverCall call);

// One device on the bus. A unit of the family has `unit` set; any other device never answers.
struct DeviceSpec {
    DWORD locationId = 0;
    ULONG type = FT_DEVICE_232R;
    std::string serialNumber;
    std::string description;
    bool openElsewhere = false; // listed as open, and every open fails with FT_DEVICE_NOT_OPENED
    std::optional<UnitState> unit;
};

struct BusTiming {
    bool instant = false;                      // bytes arrive at once: for unit tests
    std::chrono::microseconds replyDelay{200}; // the unit's think time before it answers
};

// What a unit received in one write, with when the write was made and when its last byte
// reached the unit.
struct SimFrame {
    DWORD locationId;
    Clock::time_point sentAt;
    Clock::time_point receivedAt;
    std::vector<std::uint8_t> bytes;
};

// One call of an entry point: its arguments in parameter order (pointers left out, except
// FT_OpenEx's first argument as a number; FT_Read and FT_Write give the count asked), the
// status it answered, and the location of the device its handle belonged to (0 for the list
// calls and unknown handles).
struct SimCall {
    Clock::time_point at;
    DriverCall call;
    DWORD locationId;
    std::vector<std::uint64_t> args;
    FT_STATUS status;
};

class SimBus {
public:
    explicit SimBus(BusTiming timing = {});
    ~SimBus();
    SimBus(const SimBus&) = delete;
    SimBus& operator=(const SimBus&) = delete;

    // Devices are listed in the order they were plugged. Location ids must be unique.
    void Plug(DeviceSpec device);
    // The device leaves the list; its open handle answers FT_IO_ERROR from now on.
    void Unplug(DWORD locationId);

    void SetTiming(BusTiming timing);
    BusTiming Timing() const;

    // Fault switches of a unit; they apply from the next frame the unit receives.
    void SetFaults(DWORD locationId, UnitFaults faults);
    UnitFaults Faults(DWORD locationId) const;

    // Makes a call answer `status` (0 switches it off) without doing anything. For the device
    // calls the failure belongs to one device; the two list calls take location 0.
    void FailCall(DWORD locationId, DriverCall call, FT_STATUS status);

    // A unit's state as it stands, and direct changes to it (the input status, say).
    UnitState Unit(DWORD locationId) const;
    void SetRegister(DWORD locationId, int offset, std::uint8_t value);

    std::vector<SimFrame> Frames() const;
    std::vector<SimCall> Calls() const;
    void ClearLogs();
    // Logging is on from the start; a bus that nobody inspects (the shared library's) turns it
    // off so that a long run does not grow without bound.
    void KeepLogs(bool keep);
    // Also appends every frame a unit receives to the text file at `path`, one line each: the
    // location in hexadecimal, then the bytes in hexadecimal. For tests of the whole program,
    // which sees the simulator only as a driver library. An empty path stops it.
    void WriteFramesTo(std::string path);

    // Blocks until at least `count` frames have been logged or `timeout` has passed; returns
    // whether they were.
    bool WaitForFrames(std::size_t count, std::chrono::milliseconds timeout) const;

    // The entry points, with the driver's contracts. FT_Read waits up to the read time-out for
    // its bytes, then returns what has arrived. FT_Write takes the bytes at once; the unit
    // receives them at line speed and answers each complete frame after its reply delay.
#define D2XX_ENTRY(name, parameters, arguments) FT_STATUS name parameters;
#include "D2xxEntryPoints.h"

private:
    struct Device;
    struct Handle;
    Device* FindDevice(DWORD locationId);
    const Device* FindDevice(DWORD locationId) const;
    Handle* FindHandle(FT_HANDLE handle);
    FT_STATUS Record(DriverCall call, DWORD locationId, std::vector<std::uint64_t> args,
                     FT_STATUS status);
    // Resolves a handle for a device call: the failure to answer, or FT_OK with `out` set.
    FT_STATUS Enter(FT_HANDLE handle, DriverCall call, Handle*& out);
    std::size_t ArrivedBytes(const Handle& handle, Clock::time_point now) const;

    mutable std::mutex mutex_;
    mutable std::condition_variable framesLogged_;
    BusTiming timing_;
    std::vector<std::unique_ptr<Device>> devices_; // plugged and unplugged, in plug order
    std::map<FT_HANDLE, std::unique_ptr<Handle>> handles_;
    std::vector<DWORD> snapshot_; // locations listed by the last CreateDeviceInfoList
    FT_STATUS listFailures_[2] = {FT_OK, FT_OK};
    bool keepLogs_ = true;
    std::string frameFile_;
    std::vector<SimFrame> frames_;
    std::vector<SimCall> calls_;
};

} // namespace sim
