#include "TtyNode.h"

#include <umockdev.h>

#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ftdiemu {

namespace {

// The pseudo-terminal's own end, opened by its real path (no test bed holds it).
int OpenOwnEnd(int master) {
    char name[64];
    return ptsname_r(master, name, sizeof name) == 0 ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC)
                                                     : -1;
}

// The argument an ioctl points to, `size` bytes, copied from the client. Owned.
class Argument {
public:
    Argument(UMockdevIoctlClient* client, std::size_t size)
        : data_(umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size,
                                            nullptr)) {}
    ~Argument() {
        if (data_)
            g_object_unref(data_);
    }
    Argument(const Argument&) = delete;
    Argument& operator=(const Argument&) = delete;
    template <typename T> T* As() const {
        return data_ ? reinterpret_cast<T*>(data_->data) : nullptr;
    }

private:
    UMockdevIoctlData* data_;
};

// The size of what a tty ioctl the pseudo-terminal answers points to (0: nothing); -1 for an
// ioctl it does not answer. These are the kernel's own; the C library's termios calls reach the
// pseudo-terminal without the test bed.
long ArgumentSize(unsigned long request) {
    switch (request) {
    case FIONREAD:
    case TIOCOUTQ:
        return sizeof(int);
    case TCGETS2:
    case TCSETS2:
        return sizeof(termios2);
    case TCFLSH:
    case TIOCEXCL:
    case TIOCNXCL:
        return 0;
    }
    return -1;
}

std::uint8_t ParityCode(tcflag_t cflag) {
    if (!(cflag & PARENB))
        return 0;
    if (cflag & CMSPAR)
        return cflag & PARODD ? 3 : 4;
    return cflag & PARODD ? 1 : 2;
}

LineView LineOf(const termios2& t) {
    LineView line;
    const tcflag_t size = t.c_cflag & CSIZE;
    const int bits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    line.baudRate = t.c_ospeed;
    line.properties = static_cast<std::uint16_t>(bits | ParityCode(t.c_cflag) << 8 |
                                                 (t.c_cflag & CSTOPB ? 2 : 0) << 11);
    line.flowControl = t.c_cflag & CRTSCTS ? 1 : (t.c_iflag & (IXON | IXOFF)) ? 4 : 0;
    line.xon = t.c_cc[VSTART];
    line.xoff = t.c_cc[VSTOP];
    return line;
}

} // namespace

TtyNode::TtyNode(UsbNode& usb, int master, std::string latencyAttribute, bool refusesSerialInfo)
    : usb_(usb), master_(master), slave_(OpenOwnEnd(master)), stop_(eventfd(0, EFD_CLOEXEC)),
      latencyAttribute_(std::move(latencyAttribute)), refusesSerialInfo_(refusesSerialInfo),
      handler_(umockdev_ioctl_base_new()) {
    if (slave_ < 0 || stop_ < 0)
        throw std::runtime_error("cannot open the emulated tty's pseudo-terminal");
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
    line_ = std::thread([this] { Run(); });
}

TtyNode::~TtyNode() {
    Stop();
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
    if (slave_ >= 0)
        ::close(slave_);
    ::close(stop_);
}

void TtyNode::Stop() {
    if (!line_.joinable())
        return;
    const std::uint64_t one = 1;
    if (::write(stop_, &one, sizeof one) != sizeof one)
        std::abort(); // an eventfd far from overflow always takes it
    line_.join();
}

void TtyNode::LockElsewhere() {
    if (flock(slave_, LOCK_EX | LOCK_NB) != 0)
        throw std::runtime_error("cannot lock the emulated tty");
}

void TtyNode::HangUp() {
    Stop();
    // The pseudo-terminal's far end goes (the test bed's descriptor number stays valid, now on
    // /dev/null), and a pseudo-terminal whose far end has gone is hung up.
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    dup2(null, master_);
    ::close(null);
    ::close(std::exchange(slave_, -1));
}

LineView TtyNode::Line() const {
    {
        std::lock_guard lock(mutex_);
        if (asked_)
            return *asked_;
    }
    termios2 t{};
    return ioctl(master_, TCGETS2, &t) == 0 ? LineOf(t) : LineView{};
}

int TtyNode::LatencyMs() const {
    if (LowLatency())
        return 1;
    int ms = 0;
    std::ifstream attribute(latencyAttribute_);
    return attribute >> ms && ms >= 1 && ms <= 255 ? ms : FactoryLatencyMs;
}

int TtyNode::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    static_cast<TtyNode*>(self)->Handle(client);
    return TRUE;
}

void TtyNode::Handle(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    int error = 0;
    long result = -1;
    if (request == TIOCGSERIAL || request == TIOCSSERIAL) {
        result = SerialInfo(client, request == TIOCSSERIAL, error);
    } else if (const long size = ArgumentSize(request); size < 0) {
        error = ENOTTY;
    } else {
        // The pseudo-terminal answers it in the client, once its argument has been fetched.
        const Argument argument(client, static_cast<std::size_t>(size));
        if (const auto* asked = argument.As<termios2>(); asked && request == TCSETS2) {
            std::lock_guard lock(mutex_);
            asked_ = LineOf(*asked);
        }
        result = umockdev_ioctl_client_execute(client, &error, nullptr);
    }
    umockdev_ioctl_client_complete(client, result, error);
}

long TtyNode::SerialInfo(UMockdevIoctlClient* client, bool set, int& error) {
    const Argument argument(client, sizeof(serial_struct));
    auto* info = argument.As<serial_struct>();
    if (refusesSerialInfo_ || !info) {
        error = refusesSerialInfo_ ? ENOTTY : EFAULT;
        return -1;
    }
    if (!set) {
        std::memset(info, 0, sizeof *info);
        info->type = PORT_16654;
        info->baud_base = 3000000;
        info->flags = LowLatency() ? ASYNC_LOW_LATENCY : 0;
        return 0;
    }
    lowLatency_.store((info->flags & ASYNC_LOW_LATENCY) != 0, std::memory_order_release);
    const int latency = LatencyMs();
    usb_.WithChip([&](Ft232rChip& chip) { chip.SetLatency(latency); });
    return 0;
}

void TtyNode::Run() {
    // ftdi_sio keeps a read of one packet pending on the chip at all times.
    InTransfer transfer{PacketSize, Clock::now(), {}, false, {}};
    std::vector<std::uint8_t> written(4096);
    std::vector<std::uint8_t> received;
    for (;;) {
        bool pending = false;
        Clock::time_point next{};
        usb_.WithChip([&](Ft232rChip& chip) {
            pending = chip.Pending();
            next = chip.NextInEvent(transfer);
        });
        timespec wait{};
        if (pending) {
            const auto left = std::max(Clock::duration::zero(), next - Clock::now());
            wait.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(left).count();
            wait.tv_nsec = (left - std::chrono::seconds(wait.tv_sec)).count();
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {stop_, POLLIN, 0}};
        if (ppoll(fds, 2, pending ? &wait : nullptr, nullptr) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        const auto now = Clock::now();
        const ssize_t count =
            fds[0].revents & POLLIN ? ::read(master_, written.data(), written.size()) : 0;
        const LineView line = count > 0 ? Line() : LineView{};
        const int latency = count > 0 ? LatencyMs() : 0;
        received.clear();
        usb_.WithChip([&](Ft232rChip& chip) {
            if (count > 0) {
                // An idle chip's timer is restarted rather than played back packet by packet.
                if (!chip.Pending())
                    transfer.submittedAt = now;
                chip.SetLine(line.baudRate, line.properties);
                chip.SetLatency(latency);
                chip.BulkOut(written.data(), static_cast<std::size_t>(count), now);
            }
            for (chip.ServeIn(transfer, now); transfer.done; chip.ServeIn(transfer, now)) {
                received.insert(received.end(), transfer.data.begin() + 2, transfer.data.end());
                transfer = InTransfer{PacketSize, transfer.doneAt, {}, false, {}};
            }
        });
        // What the tty cannot take is lost, as the serial driver drops what overflows it.
        if (!received.empty() && ::write(master_, received.data(), received.size()) < 0)
            continue;
    }
}

} // namespace ftdiemu
