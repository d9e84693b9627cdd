// Reads, writes, the queues and purges of the tty of an FT232R. A read or write waits in poll,
// together with the handle's wake-up descriptor, so that Close and a hang-up end it at once.
#include "TtyHandle.h"

#include "Failure.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace ftdi {

namespace {

constexpr short HungUp = POLLHUP | POLLERR | POLLNVAL;

} // namespace

FT_STATUS TtyHandle::Gone() {
    gone_.store(true, std::memory_order_release);
    NoteFailure(node_, "hung up: the device has left the bus");
    return FT_IO_ERROR;
}

FT_STATUS TtyHandle::Failed(int error) {
    if (error == EIO || error == ENODEV || error == ENXIO)
        gone_.store(true, std::memory_order_release);
    NoteSystemFailure(node_, error);
    return FT_IO_ERROR;
}

FT_STATUS TtyHandle::Usable() {
    if (gone_.load(std::memory_order_acquire))
        return Gone();
    // The serial driver hangs the tty up when its device leaves the bus.
    pollfd tty{fd_, 0, 0};
    if (poll(&tty, 1, 0) > 0 && (tty.revents & HungUp))
        return Gone();
    return FT_OK;
}

FT_STATUS TtyHandle::Await(short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Timeout;
        pollfd fds[2] = {{fd_, events, 0}, {wake_, POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(std::min<long long>(left, INT_MAX))) < 0) {
            if (errno == EINTR)
                continue;
            return Failed(errno);
        }
        if (fds[1].revents)
            return FT_INVALID_HANDLE;
        if (fds[0].revents & HungUp)
            return Gone();
        if (fds[0].revents & events)
            return FT_OK;
    }
}

FT_STATUS TtyHandle::Read(void* buffer, DWORD count, DWORD* bytesRead) {
    return Use([&]() -> FT_STATUS {
        if (!bytesRead || (count > 0 && !buffer))
            return FT_INVALID_PARAMETER;
        auto* bytes = static_cast<std::uint8_t*>(buffer);
        const auto deadline = timeouts_.ReadDeadline();
        DWORD got = 0;
        while (got < count) {
            const ssize_t n = ::read(fd_, bytes + got, count - got);
            if (n > 0) {
                got += static_cast<DWORD>(n);
                continue;
            }
            if (n == 0)
                return Gone(); // the end of a tty that has been hung up
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN)
                return Failed(errno);
            const FT_STATUS waited = Await(POLLIN, deadline);
            if (waited == Timeout)
                break;
            if (waited != FT_OK)
                return waited;
        }
        *bytesRead = got;
        return FT_OK;
    });
}

FT_STATUS TtyHandle::Write(const void* buffer, DWORD count, DWORD* bytesWritten) {
    return Use([&]() -> FT_STATUS {
        if (!bytesWritten || (count > 0 && !buffer))
            return FT_INVALID_PARAMETER;
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        const auto deadline = timeouts_.WriteDeadline();
        DWORD sent = 0;
        while (sent < count) {
            const ssize_t n = ::write(fd_, bytes + sent, count - sent);
            if (n > 0) {
                sent += static_cast<DWORD>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return Failed(errno);
            const FT_STATUS waited = Await(POLLOUT, deadline);
            if (waited == Timeout)
                break;
            if (waited != FT_OK)
                return waited;
        }
        *bytesWritten = sent;
        return FT_OK;
    });
}

FT_STATUS TtyHandle::GetQueueStatus(DWORD* rxBytes) {
    return Use([&]() -> FT_STATUS {
        if (!rxBytes)
            return FT_INVALID_PARAMETER;
        const int error = tty::QueuedIn(fd_, *rxBytes);
        return error ? Failed(error) : FT_OK;
    });
}

FT_STATUS TtyHandle::GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
    return Use([&]() -> FT_STATUS {
        if (!rxBytes || !txBytes || !eventStatus)
            return FT_INVALID_PARAMETER;
        int error = tty::QueuedIn(fd_, *rxBytes);
        if (!error)
            error = tty::QueuedOut(fd_, *txBytes);
        *eventStatus = 0;
        return error ? Failed(error) : FT_OK;
    });
}

FT_STATUS TtyHandle::Purge(ULONG mask) {
    return Use([&]() -> FT_STATUS {
        const int error = tty::Flush(fd_, mask & FT_PURGE_RX, mask & FT_PURGE_TX);
        return error ? Failed(error) : FT_OK;
    });
}

FT_STATUS TtyHandle::Reset() {
    return Use([&]() -> FT_STATUS {
        const int error = tty::Flush(fd_, true, true);
        return error ? Failed(error) : FT_OK;
    });
}

} // namespace ftdi
