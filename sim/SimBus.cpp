#include "SimBus.h"

#include "SimBusState.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sim {

namespace {

constexpr ULONG DeviceId = 0x04036001; // vendor and product id of the bridge

int ListIndex(DriverCall call) {
    return call == DriverCall::CreateDeviceInfoList ? 0 : 1;
}
bool IsListCall(DriverCall call) {
    return call == DriverCall::CreateDeviceInfoList || call == DriverCall::GetDeviceInfoList;
}

void CopyField(char* field, std::size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(size, text.size()));
}

} // namespace

const char* DriverCallName(DriverCall call) {
    return D2xxEntryNames[static_cast<int>(call)];
}

SimBus::SimBus(BusTiming timing) : timing_(timing) {}
SimBus::~SimBus() = default;

void SimBus::Plug(DeviceSpec device) {
    std::lock_guard lock(mutex_);
    auto record = std::make_unique<Device>();
    record->spec = std::move(device);
    devices_.push_back(std::move(record));
}

void SimBus::Unplug(DWORD locationId) {
    std::lock_guard lock(mutex_);
    if (Device* device = FindDevice(locationId))
        device->plugged = false;
}

void SimBus::SetTiming(BusTiming timing) {
    std::lock_guard lock(mutex_);
    timing_ = timing;
}

BusTiming SimBus::Timing() const {
    std::lock_guard lock(mutex_);
    return timing_;
}

void SimBus::SetFaults(DWORD locationId, UnitFaults faults) {
    std::lock_guard lock(mutex_);
    Device* device = FindDevice(locationId);
    if (device && device->spec.unit)
        device->spec.unit->faults = faults;
}

UnitFaults SimBus::Faults(DWORD locationId) const {
    std::lock_guard lock(mutex_);
    const Device* device = FindDevice(locationId);
    return device && device->spec.unit ? device->spec.unit->faults : UnitFaults{};
}

void SimBus::FailCall(DWORD locationId, DriverCall call, FT_STATUS status) {
    std::lock_guard lock(mutex_);
    if (IsListCall(call)) {
        listFailures_[ListIndex(call)] = status;
        return;
    }
    if (Device* device = FindDevice(locationId))
        device->failures[static_cast<int>(call)] = status;
}

UnitState SimBus::Unit(DWORD locationId) const {
    std::lock_guard lock(mutex_);
    const Device* device = FindDevice(locationId);
    return device && device->spec.unit ? *device->spec.unit : UnitState{};
}

void SimBus::SetRegister(DWORD locationId, int offset, std::uint8_t value) {
    std::lock_guard lock(mutex_);
    Device* device = FindDevice(locationId);
    if (device && device->spec.unit && offset >= 0 && offset < RegisterCount)
        device->spec.unit->registers[offset] = value;
}

std::vector<SimFrame> SimBus::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::vector<SimCall> SimBus::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void SimBus::KeepLogs(bool keep) {
    std::lock_guard lock(mutex_);
    keepLogs_ = keep;
}

void SimBus::WriteFramesTo(std::string path) {
    std::lock_guard lock(mutex_);
    frameFile_ = std::move(path);
}

void SimBus::ClearLogs() {
    std::lock_guard lock(mutex_);
    frames_.clear();
    calls_.clear();
}

bool SimBus::WaitForFrames(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return framesLogged_.wait_for(lock, timeout, [&] { return frames_.size() >= count; });
}

// A location names the device that has it and is still there, else the last one that had it.
SimBus::Device* SimBus::FindDevice(DWORD locationId) {
    return const_cast<Device*>(std::as_const(*this).FindDevice(locationId));
}

const SimBus::Device* SimBus::FindDevice(DWORD locationId) const {
    const Device* found = nullptr;
    const auto now = Clock::now();
    for (const auto& device : devices_) {
        if (device->spec.locationId != locationId)
            continue;
        if (!device->Gone(now))
            return device.get();
        found = device.get();
    }
    return found;
}

SimBus::Handle* SimBus::FindHandle(FT_HANDLE handle) {
    const auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second.get();
}

FT_STATUS SimBus::Record(DriverCall call, DWORD locationId, std::vector<std::uint64_t> args,
                         FT_STATUS status) {
    if (keepLogs_)
        calls_.push_back({Clock::now(), call, locationId, std::move(args), status});
    return status;
}

FT_STATUS SimBus::Enter(FT_HANDLE handle, DriverCall call, Handle*& out) {
    out = FindHandle(handle);
    if (!out)
        return FT_INVALID_HANDLE;
    if (const FT_STATUS failure = out->device->failures[static_cast<int>(call)])
        return failure;
    if (out->device->Gone(Clock::now()))
        return FT_IO_ERROR;
    return FT_OK;
}

std::size_t SimBus::ArrivedBytes(const Handle& handle, Clock::time_point now) const {
    const auto firstLater = std::find_if(handle.rx.begin(), handle.rx.end(),
                                         [now](const auto& byte) { return byte.first > now; });
    return static_cast<std::size_t>(firstLater - handle.rx.begin());
}

FT_STATUS SimBus::CreateDeviceInfoList(DWORD* numDevs) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS failure = listFailures_[0])
        return Record(DriverCall::CreateDeviceInfoList, 0, {}, failure);
    if (!numDevs)
        return Record(DriverCall::CreateDeviceInfoList, 0, {}, FT_INVALID_PARAMETER);
    const auto now = Clock::now();
    snapshot_.clear();
    for (const auto& device : devices_)
        if (!device->Gone(now))
            snapshot_.push_back(device->spec.locationId);
    *numDevs = static_cast<DWORD>(snapshot_.size());
    return Record(DriverCall::CreateDeviceInfoList, 0, {}, FT_OK);
}

FT_STATUS SimBus::GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    std::lock_guard lock(mutex_);
    const std::vector<std::uint64_t> args = {numDevs ? *numDevs : 0u};
    if (const FT_STATUS failure = listFailures_[1])
        return Record(DriverCall::GetDeviceInfoList, 0, args, failure);
    if (!numDevs || (!dest && !snapshot_.empty()))
        return Record(DriverCall::GetDeviceInfoList, 0, args, FT_INVALID_PARAMETER);
    // Like the driver, trusts the caller to have sized `dest` from the last list creation.
    for (std::size_t i = 0; i < snapshot_.size(); ++i) {
        const Device* device = FindDevice(snapshot_[i]);
        FT_DEVICE_LIST_INFO_NODE& node = dest[i];
        node = FT_DEVICE_LIST_INFO_NODE{};
        node.Flags =
            (device->spec.openElsewhere || device->openBy) ? ULONG{FT_FLAGS_OPENED} : ULONG{0};
        node.Type = device->spec.type;
        node.ID = DeviceId;
        node.LocId = device->spec.locationId;
        CopyField(node.SerialNumber, sizeof node.SerialNumber, device->spec.serialNumber);
        CopyField(node.Description, sizeof node.Description, device->spec.description);
        node.ftHandle = device->openBy;
    }
    *numDevs = static_cast<DWORD>(snapshot_.size());
    return Record(DriverCall::GetDeviceInfoList, 0, args, FT_OK);
}

FT_STATUS SimBus::OpenEx(void* arg1, DWORD flags, FT_HANDLE* handle) {
    std::lock_guard lock(mutex_);
    const auto location = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(arg1));
    const std::vector<std::uint64_t> args = {location, flags};
    if (flags != FT_OPEN_BY_LOCATION || !handle)
        return Record(DriverCall::OpenEx, location, args, FT_INVALID_PARAMETER);
    Device* device = FindDevice(location);
    if (!device || device->Gone(Clock::now()))
        return Record(DriverCall::OpenEx, location, args, FT_DEVICE_NOT_FOUND);
    if (const FT_STATUS failure = device->failures[static_cast<int>(DriverCall::OpenEx)])
        return Record(DriverCall::OpenEx, location, args, failure);
    if (device->spec.openElsewhere || device->openBy)
        return Record(DriverCall::OpenEx, location, args, FT_DEVICE_NOT_OPENED);
    auto state = std::make_unique<Handle>();
    state->device = device;
    FT_HANDLE token = state.get();
    handles_.emplace(token, std::move(state));
    device->openBy = token;
    device->receiver.Reset();
    *handle = token;
    return Record(DriverCall::OpenEx, location, args, FT_OK);
}

FT_STATUS SimBus::Close(FT_HANDLE handle) {
    std::lock_guard lock(mutex_);
    Handle* state = FindHandle(handle);
    if (!state)
        return Record(DriverCall::Close, 0, {}, FT_INVALID_HANDLE);
    Device* device = state->device;
    const DWORD location = device->spec.locationId;
    if (const FT_STATUS failure = device->failures[static_cast<int>(DriverCall::Close)])
        return Record(DriverCall::Close, location, {}, failure);
    device->openBy = nullptr;
    handles_.erase(handle);
    return Record(DriverCall::Close, location, {}, FT_OK);
}

} // namespace sim
