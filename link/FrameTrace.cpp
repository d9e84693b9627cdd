#include "FrameTrace.h"

#include "D2XXUnit_mod.h"
#include "UtcTime.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// The trace file: one line is written whole, under the lock, and flushed at once.
class FrameTrace {
public:
    FrameTrace() { Open(std::getenv("ORQ_SYV_TRACE")); }
    ~FrameTrace() { Open(nullptr); }
    FrameTrace(const FrameTrace&) = delete;
    FrameTrace& operator=(const FrameTrace&) = delete;

    // Whether a file is open. Relaxed: a transfer racing with Open may miss its first line or
    // find the file gone, which Append checks under the lock.
    bool On() const { return on_.load(std::memory_order_relaxed); }

    void Open(const char* path) {
        std::lock_guard lock(mutex_);
        if (file_)
            std::fclose(file_);
        file_ = nullptr;
        if (path && *path) {
            file_ = std::fopen(path, "ab"); // lines end in "\n" on Windows too
            if (!file_)
                std::fprintf(stderr, "ORQ_SYV_TRACE: cannot open %s: %s; no frames are traced\n",
                             path, std::strerror(errno));
        }
        on_.store(file_ != nullptr, std::memory_order_relaxed);
    }

    void Append(const std::string& line) {
        std::lock_guard lock(mutex_);
        if (!file_)
            return;
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fflush(file_);
    }

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr; // under mutex_
    std::atomic<bool> on_{false};
};

FrameTrace& Trace() {
    static FrameTrace trace;
    return trace;
}

std::string TraceLine(TransferDirection direction, DWORD location, const std::uint8_t* bytes,
                      DWORD count) {
    char head[32];
    std::snprintf(head, sizeof head, " 0x%X %c", static_cast<unsigned>(location),
                  direction == TransferDirection::Send ? '>' : '<');
    std::string line = UtcNowText() + head;
    line.reserve(line.size() + 3 * std::size_t{count} + 1);
    constexpr char Digits[] = "0123456789ABCDEF";
    for (DWORD i = 0; i < count; ++i) {
        line += ' ';
        line += Digits[bytes[i] >> 4];
        line += Digits[bytes[i] & 0xF];
    }
    line += '\n';
    return line;
}

} // namespace

FT_STATUS Transfer(TransferDirection direction, FT_HANDLE handle, DWORD location,
                   std::uint8_t* buffer, DWORD count, DWORD& moved) {
    const D2xxApi& api = CurrentD2xxApi();
    const FT_STATUS status = direction == TransferDirection::Send
                                 ? api.Write(handle, buffer, count, &moved)
                                 : api.Read(handle, buffer, count, &moved);
    FrameTrace& trace = Trace();
    if (status == FT_OK && moved > 0 && trace.On())
        trace.Append(TraceLine(direction, location, buffer, std::min(moved, count)));
    return status;
}

void TraceFramesTo(const char* path) {
    Trace().Open(path);
}
