// Opening and closing the tty of an FT232R, and its line set-up.
#include "TtyHandle.h"

#include "Failure.h"
#include "LineCodes.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace ftdi {

namespace {

// A descriptor that is closed unless it is handed on.
class OwnedFd {
public:
    explicit OwnedFd(int fd) : fd_(fd) {}
    ~OwnedFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Writes `value` in decimal to a sysfs attribute; nothing when this user may not.
void WriteAttribute(const std::string& path, unsigned value) {
    const OwnedFd file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%u\n", value);
    const ssize_t written = ::write(file.Get(), text, static_cast<std::size_t>(length));
    (void)written; // a refused value leaves the timer as it was, which is all a failure means
}

} // namespace

bool NodeLocked(const std::string& path) {
    struct stat node {};
    if (stat(path.c_str(), &node) != 0)
        return false;
    // /proc/locks names a locked file by its file system's device and its inode, "08:02:1234".
    char key[64];
    std::snprintf(key, sizeof key, "%02x:%02x:%lu", major(node.st_dev), minor(node.st_dev),
                  static_cast<unsigned long>(node.st_ino));
    std::FILE* locks = std::fopen("/proc/locks", "re");
    if (!locks)
        return false;
    bool locked = false;
    char line[256];
    while (!locked && std::fgets(line, sizeof line, locks)) {
        char* rest = nullptr;
        for (char* word = strtok_r(line, " \n", &rest); word && !locked;
             word = strtok_r(nullptr, " \n", &rest))
            locked = std::strcmp(word, key) == 0;
    }
    std::fclose(locks);
    return locked;
}

TtyHandle::TtyHandle(std::string node, int fd, int wake)
    : node_(std::move(node)), fd_(fd), wake_(wake) {}

TtyHandle::~TtyHandle() {
    Close();
}

FT_STATUS TtyHandle::Open(const UsbDevice& device, std::uint8_t latencyTimer,
                          std::unique_ptr<Handle>& opened) {
    std::string node = TtyNode(device);
    OwnedFd fd(::open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) {
        const int error = errno;
        NoteSystemFailure(node, error);
        return error == ENOENT || error == ENODEV || error == ENXIO ? FT_DEVICE_NOT_FOUND
                                                                    : FT_DEVICE_NOT_OPENED;
    }
    // Another program's lock: refused, and its tty left exactly as it was.
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        NoteFailure(node, "locked by another program");
        return FT_DEVICE_NOT_OPENED;
    }
    OwnedFd wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (wake.Get() < 0) {
        NoteSystemFailure("eventfd", errno);
        return FT_INSUFFICIENT_RESOURCES;
    }
    tty::SetExclusive(fd.Get(), true); // not every tty has exclusive mode; the lock is enough
    if (const int error = tty::ApplyLine(fd.Get(), tty::Line{})) {
        NoteSystemFailure(node, error);
        return FT_IO_ERROR;
    }
    if (tty::SetLowLatency(fd.Get(), latencyTimer == 1) != 0 || latencyTimer != 1)
        WriteAttribute(device.ttyDir + "/latency_timer", latencyTimer);
    opened.reset(new TtyHandle(std::move(node), fd.Release(), wake.Release()));
    return FT_OK;
}

FT_STATUS TtyHandle::Close() {
    if (closed_.exchange(true, std::memory_order_acq_rel))
        return FT_INVALID_HANDLE;
    // Wakes every wait, now and later: the counter is never read back.
    const std::uint64_t one = 1;
    const ssize_t woken = ::write(wake_, &one, sizeof one);
    (void)woken; // an eventfd takes a write until its counter would overflow
    std::unique_lock lifecycle(lifecycle_);
    tty::SetExclusive(fd_, false);
    ::close(fd_); // releases the lock
    ::close(wake_);
    return FT_OK;
}

template <typename Change> FT_STATUS TtyHandle::ChangeLine(Change change) {
    std::lock_guard lock(lineMutex_);
    tty::Line line = line_;
    change(line);
    if (const int error = tty::ApplyLine(fd_, line))
        return Failed(error);
    line_ = line;
    return FT_OK;
}

FT_STATUS TtyHandle::SetBaudRate(ULONG baudRate) {
    return Use([&]() -> FT_STATUS {
        if (!BaudRateInRange(baudRate))
            return FT_INVALID_BAUD_RATE;
        return ChangeLine([&](tty::Line& line) { line.baudRate = baudRate; });
    });
}

FT_STATUS TtyHandle::SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return Use([&]() -> FT_STATUS {
        if (!DataCharacteristicsValid(wordLength, stopBits, parity))
            return FT_INVALID_PARAMETER;
        return ChangeLine([&](tty::Line& line) {
            line.wordLength = wordLength;
            line.stopBits = stopBits;
            line.parity = parity;
        });
    });
}

FT_STATUS TtyHandle::SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff) {
    return Use([&]() -> FT_STATUS {
        if (!FlowControlValid(flowControl))
            return FT_INVALID_PARAMETER;
        if (flowControl == FlowDtrDsr)
            return FT_NOT_SUPPORTED;
        return ChangeLine([&](tty::Line& line) {
            line.flowControl = flowControl;
            line.xon = xon;
            line.xoff = xoff;
        });
    });
}

FT_STATUS TtyHandle::SetTimeouts(ULONG readTimeout, ULONG writeTimeout) {
    return Use([&]() -> FT_STATUS {
        timeouts_.Set(readTimeout, writeTimeout);
        return FT_OK;
    });
}

} // namespace ftdi
