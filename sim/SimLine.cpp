// The bus's per-handle calls: line set-up, queues and the transfers themselves.
#include "SimBus.h"

#include "SimBusState.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

namespace sim {

namespace {

constexpr ULONG MinBaudRate = 300;
constexpr ULONG MaxBaudRate = 3000000;

void AppendFrameLine(const std::string& path, DWORD location, const std::uint8_t* bytes,
                     std::size_t count) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file)
        return;
    std::fprintf(file, "%X", static_cast<unsigned>(location));
    for (std::size_t i = 0; i < count; ++i)
        std::fprintf(file, " %02X", bytes[i]);
    std::fputc('\n', file);
    std::fclose(file);
}

} // namespace

FT_STATUS SimBus::ResetDevice(FT_HANDLE handle) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    const FT_STATUS status = Enter(handle, DriverCall::ResetDevice, state);
    if (status == FT_OK) {
        state->rx.clear();
        state->device->receiver.Reset();
    }
    return Record(DriverCall::ResetDevice, state ? state->device->spec.locationId : 0, {}, status);
}

FT_STATUS SimBus::SetBaudRate(FT_HANDLE handle, ULONG baudRate) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    FT_STATUS status = Enter(handle, DriverCall::SetBaudRate, state);
    if (status == FT_OK && (baudRate < MinBaudRate || baudRate > MaxBaudRate))
        status = FT_INVALID_BAUD_RATE;
    if (status == FT_OK)
        state->baudRate = baudRate;
    return Record(DriverCall::SetBaudRate, state ? state->device->spec.locationId : 0, {baudRate},
                  status);
}

FT_STATUS SimBus::SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits,
                                         UCHAR parity) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    FT_STATUS status = Enter(handle, DriverCall::SetDataCharacteristics, state);
    const bool valid =
        (wordLength == 7 || wordLength == 8) && (stopBits == 0 || stopBits == 2) && parity <= 4;
    if (status == FT_OK && !valid)
        status = FT_INVALID_PARAMETER;
    if (status == FT_OK) {
        state->wordLength = wordLength;
        state->stopBits = stopBits;
        state->parity = parity;
    }
    return Record(DriverCall::SetDataCharacteristics, state ? state->device->spec.locationId : 0,
                  {wordLength, stopBits, parity}, status);
}

FT_STATUS SimBus::SetFlowControl(FT_HANDLE handle, USHORT flowControl, UCHAR xon, UCHAR xoff) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    const FT_STATUS status = Enter(handle, DriverCall::SetFlowControl, state);
    if (status == FT_OK)
        state->flowControl = flowControl;
    return Record(DriverCall::SetFlowControl, state ? state->device->spec.locationId : 0,
                  {flowControl, xon, xoff}, status);
}

FT_STATUS SimBus::SetTimeouts(FT_HANDLE handle, ULONG readTimeout, ULONG writeTimeout) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    const FT_STATUS status = Enter(handle, DriverCall::SetTimeouts, state);
    if (status == FT_OK)
        state->readTimeout = readTimeout;
    return Record(DriverCall::SetTimeouts, state ? state->device->spec.locationId : 0,
                  {readTimeout, writeTimeout}, status);
}

FT_STATUS SimBus::Purge(FT_HANDLE handle, ULONG mask) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    const FT_STATUS status = Enter(handle, DriverCall::Purge, state);
    // Transmission is taken whole at the write, so only the receive side holds anything; bytes
    // still on their way arrive after the purge, as on a real line.
    if (status == FT_OK && (mask & FT_PURGE_RX))
        state->rx.erase(state->rx.begin(),
                        state->rx.begin() +
                            static_cast<std::ptrdiff_t>(ArrivedBytes(*state, Clock::now())));
    return Record(DriverCall::Purge, state ? state->device->spec.locationId : 0, {mask}, status);
}

FT_STATUS SimBus::GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    FT_STATUS status = Enter(handle, DriverCall::GetQueueStatus, state);
    if (status == FT_OK && !rxBytes)
        status = FT_INVALID_PARAMETER;
    if (status == FT_OK)
        *rxBytes = static_cast<DWORD>(ArrivedBytes(*state, Clock::now()));
    return Record(DriverCall::GetQueueStatus, state ? state->device->spec.locationId : 0, {},
                  status);
}

FT_STATUS SimBus::GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    FT_STATUS status = Enter(handle, DriverCall::GetStatus, state);
    if (status == FT_OK && (!rxBytes || !txBytes || !eventStatus))
        status = FT_INVALID_PARAMETER;
    if (status == FT_OK) {
        const auto now = Clock::now();
        *rxBytes = static_cast<DWORD>(ArrivedBytes(*state, now));
        // Bytes of the last write that are still on the line.
        const auto onLine = state->txFreeAt > now ? state->txFreeAt - now : Clock::duration{};
        *txBytes = static_cast<DWORD>((onLine + state->ByteTime() - Clock::duration{1}) /
                                      state->ByteTime());
        *eventStatus = 0;
    }
    return Record(DriverCall::GetStatus, state ? state->device->spec.locationId : 0, {}, status);
}

FT_STATUS SimBus::Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesRead) {
    std::unique_lock lock(mutex_);
    Handle* state = nullptr;
    FT_STATUS status = Enter(handle, DriverCall::Read, state);
    if (status == FT_OK && (!bytesRead || (count > 0 && !buffer)))
        status = FT_INVALID_PARAMETER;
    if (status != FT_OK)
        return Record(DriverCall::Read, state ? state->device->spec.locationId : 0, {count},
                      status);
    const auto deadline = Clock::now() + std::chrono::milliseconds(state->readTimeout);
    for (;;) {
        const auto now = Clock::now();
        if (ArrivedBytes(*state, now) >= count || now >= deadline || timing_.instant)
            break;
        const auto wake = state->rx.size() >= count && count > 0
                              ? std::min(state->rx[count - 1].first, deadline)
                              : deadline;
        lock.unlock();
        std::this_thread::sleep_until(wake);
        lock.lock();
        // The handle may have been closed, or the device pulled, while the lock was free.
        status = Enter(handle, DriverCall::Read, state);
        if (status != FT_OK)
            return Record(DriverCall::Read, state ? state->device->spec.locationId : 0, {count},
                          status);
    }
    const std::size_t taken = std::min<std::size_t>(count, ArrivedBytes(*state, Clock::now()));
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < taken; ++i) {
        out[i] = state->rx.front().second;
        state->rx.pop_front();
    }
    *bytesRead = static_cast<DWORD>(taken);
    return Record(DriverCall::Read, state->device->spec.locationId, {count}, FT_OK);
}

FT_STATUS SimBus::Write(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesWritten) {
    std::lock_guard lock(mutex_);
    Handle* state = nullptr;
    FT_STATUS status = Enter(handle, DriverCall::Write, state);
    if (status == FT_OK && (!bytesWritten || (count > 0 && !buffer)))
        status = FT_INVALID_PARAMETER;
    if (status != FT_OK)
        return Record(DriverCall::Write, state ? state->device->spec.locationId : 0, {count},
                      status);

    Device& device = *state->device;
    const auto now = Clock::now();
    const auto byteTime = timing_.instant ? Clock::duration{} : state->ByteTime();
    const auto sendStart = std::max(now, state->txFreeAt);
    const auto arrival = sendStart + byteTime * count;
    state->txFreeAt = arrival;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (keepLogs_) {
        frames_.push_back({device.spec.locationId, now, arrival, {bytes, bytes + count}});
        framesLogged_.notify_all();
    }
    if (!frameFile_.empty())
        AppendFrameLine(frameFile_, device.spec.locationId, bytes, count);

    if (device.spec.unit && state->LineMatchesUnit()) {
        UnitState& unit = *device.spec.unit;
        for (const auto& frame : device.receiver.Feed(bytes, count)) {
            if (unit.liveInput)
                UpdateLiveInput(unit,
                                std::chrono::duration<double>(arrival - device.pluggedAt).count());
            ApplyFrame(unit, frame);
            if (unit.faults.framesBeforeUnplug > 0 && --unit.faults.framesBeforeUnplug == 0)
                unit.faults.unplugMidReply = true;
            const std::vector<std::uint8_t> reply = BuildReply(unit);
            const auto delay = timing_.instant ? Clock::duration{} : timing_.replyDelay;
            const auto replyStart = std::max(arrival + delay, device.unitTxFreeAt);
            for (std::size_t k = 0; k < reply.size(); ++k)
                state->rx.emplace_back(replyStart + byteTime * (k + 1), reply[k]);
            device.unitTxFreeAt = replyStart + byteTime * reply.size();
            if (unit.faults.unplugMidReply) {
                unit.faults.unplugMidReply = false;
                device.goneAt = replyStart + byteTime * (reply.size() / 2);
            }
        }
    } else if (device.spec.unit) {
        // Characters at the wrong speed or framing arrive as noise: nothing of them is a frame.
        device.receiver.Reset();
    }
    *bytesWritten = count;
    return Record(DriverCall::Write, device.spec.locationId, {count}, FT_OK);
}

} // namespace sim
