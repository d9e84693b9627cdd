#include "UsbNode.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <thread>
#include <utility>

namespace ftdiemu {

namespace {

constexpr unsigned char BulkIn = 0x81;
constexpr unsigned char BulkOut = 0x02;
constexpr std::size_t SetupSize = 8;
// Longest a non-blocking reap waits for the chip's next packet. libusb polls the node's socket,
// which is always writable, so without this pause it would spin; a submit from another thread
// waits behind the pause on the socket, so it stays short.
constexpr auto ReapPause = std::chrono::microseconds(100);

// The memory a pointer inside an ioctl argument refers to, copied from the client. Owned.
struct Resolved {
    UMockdevIoctlData* data = nullptr;
    Resolved(UMockdevIoctlData* parent, std::size_t offset, std::size_t length)
        : data(umockdev_ioctl_data_resolve(parent, offset, length, nullptr)) {}
    ~Resolved() {
        if (data)
            g_object_unref(data);
    }
    Resolved(const Resolved&) = delete;
    Resolved& operator=(const Resolved&) = delete;
    template <typename T> T* As() const { return reinterpret_cast<T*>(data->data); }
};

const char* DriverName(Binding binding) {
    return binding == Binding::FtdiSio ? "ftdi_sio" : "usbfs";
}

} // namespace

struct UsbNode::Urb {
    UMockdevIoctlClient* client = nullptr;
    UMockdevIoctlData* data = nullptr; // the URB as the client submitted it; a reference we own
    unsigned long clientAddr = 0;
    unsigned char endpoint = 0;
    InTransfer in;
    bool ready = false;
    bool held = false; // ready, but not given to the host yet
    int status = 0;
    int actualLength = 0;

    ~Urb() {
        if (data)
            g_object_unref(data);
    }
    usbdevfs_urb* Fields() const { return reinterpret_cast<usbdevfs_urb*>(data->data); }
};

UsbNode::UsbNode(ChipIdentity identity, sim::UnitState unit, Binding binding,
                 std::function<void(Binding)> onBinding)
    : handler_(umockdev_ioctl_base_new()), onBinding_(std::move(onBinding)),
      chip_(std::move(identity), std::move(unit)), binding_(binding) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
    g_signal_connect(handler_, "client-connected", G_CALLBACK(OnClientConnected), this);
}

UsbNode::~UsbNode() {
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
}

void UsbNode::ClaimElsewhere() {
    std::lock_guard lock(mutex_);
    SetBinding(Binding::Usbfs);
}

void UsbNode::Unplug() {
    // The kernel ends every URB in flight with -ESHUTDOWN and lets them be reaped; it also
    // flags the node with POLLERR, which a socket cannot show, so those URBs are how libusb
    // learns of the unplug here.
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    for (auto& urb : urbs_) {
        urb->held = false;
        if (!urb->ready) {
            urb->ready = true;
            urb->status = -ESHUTDOWN;
            urb->actualLength = static_cast<int>(urb->in.data.size());
        }
    }
}

void UsbNode::FailNextIn(int error) {
    std::lock_guard lock(mutex_);
    failNextIn_ = error;
}

void UsbNode::HoldNextIn() {
    std::lock_guard lock(mutex_);
    holdNextIn_ = true;
}

bool UsbNode::WaitHeld(std::chrono::milliseconds patience) {
    std::unique_lock lock(mutex_);
    return held_.wait_for(lock, patience, [this] {
        return std::any_of(urbs_.begin(), urbs_.end(), [](const auto& urb) { return urb->held; });
    });
}

Binding UsbNode::CurrentBinding() const {
    std::lock_guard lock(mutex_);
    return binding_;
}

std::vector<NodeEvent> UsbNode::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

void UsbNode::WithChip(const std::function<void(Ft232rChip&)>& f) {
    std::lock_guard lock(mutex_);
    f(chip_);
}

void UsbNode::SetBinding(Binding binding) {
    binding_ = binding;
    if (onBinding_)
        onBinding_(binding);
}

int UsbNode::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    static_cast<UsbNode*>(self)->Handle(client);
    return TRUE;
}

void UsbNode::OnClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    g_signal_connect(client, "notify::connected", G_CALLBACK(OnClientNotify), self);
}

void UsbNode::OnClientNotify(UMockdevIoctlClient* client, void*, void* self) {
    if (!umockdev_ioctl_client_get_connected(client))
        static_cast<UsbNode*>(self)->Forget(client);
}

void UsbNode::Forget(UMockdevIoctlClient* client) {
    // A closed file releases what it held, as the kernel does.
    std::lock_guard lock(mutex_);
    std::erase_if(urbs_, [client](const auto& urb) { return urb->client == client; });
    if (claimant_ == client) {
        claimant_ = nullptr;
        events_.push_back(NodeEvent::Released);
        SetBinding(Binding::None);
    }
}

void UsbNode::Handle(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    int error = 0;
    long result = -1;
    if (request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB) {
        result = Reap(client, request == USBDEVFS_REAPURB, error);
        umockdev_ioctl_client_complete(client, result, error);
        return;
    }
    std::lock_guard lock(mutex_);
    if (unplugged_) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        Resolved caps(umockdev_ioctl_client_get_arg(client), 0, sizeof(std::uint32_t));
        *caps.As<std::uint32_t>() = 0;
        result = 0;
        break;
    }
    case USBDEVFS_SUBMITURB:
        result = Submit(client, error);
        break;
    case USBDEVFS_DISCARDURB:
        result = Discard(client, error);
        break;
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
        result = Claim(client, request == USBDEVFS_CLAIMINTERFACE, error);
        break;
    case USBDEVFS_IOCTL:
        result = DriverIoctl(client, error);
        break;
    case USBDEVFS_GETDRIVER:
        result = GetDriver(client, error);
        break;
    case USBDEVFS_CLEAR_HALT:
        events_.push_back(NodeEvent::HaltCleared);
        result = 0;
        break;
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_RESET:
        result = 0;
        break;
    default:
        error = ENOTTY;
    }
    umockdev_ioctl_client_complete(client, result, error);
}

long UsbNode::Submit(UMockdevIoctlClient* client, int& error) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    auto urb = std::make_unique<Urb>();
    urb->client = client;
    urb->clientAddr = *reinterpret_cast<unsigned long*>(arg->data);
    urb->data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    if (!urb->data) {
        error = EFAULT;
        return -1;
    }
    const usbdevfs_urb* fields = urb->Fields();
    urb->endpoint = fields->endpoint;
    const std::size_t length = static_cast<std::size_t>(std::max(fields->buffer_length, 0));
    Resolved buffer(urb->data, offsetof(usbdevfs_urb, buffer), length);
    if (length > 0 && !buffer.data) {
        error = EFAULT;
        return -1;
    }
    const auto now = Clock::now();

    if (fields->type == USBDEVFS_URB_TYPE_CONTROL && length >= SetupSize) {
        const std::uint8_t* s = buffer.data->data;
        const ControlSetup setup{s[0], s[1], static_cast<std::uint16_t>(s[2] | s[3] << 8),
                                 static_cast<std::uint16_t>(s[4] | s[5] << 8),
                                 static_cast<std::uint16_t>(s[6] | s[7] << 8)};
        const auto answer = chip_.Control(setup, now);
        urb->ready = true;
        if (!answer) {
            urb->status = -EPIPE;
        } else if (setup.requestType & 0x80) {
            const std::size_t n =
                std::min({answer->size(), std::size_t{setup.length}, length - SetupSize});
            std::copy_n(answer->begin(), n, buffer.data->data + SetupSize);
            urb->actualLength = static_cast<int>(n);
        } else {
            urb->actualLength = setup.length;
        }
    } else if (fields->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == BulkOut) {
        for (auto& pending : urbs_)
            pending->held = false;
        chip_.BulkOut(length > 0 ? buffer.data->data : nullptr, length, now);
        urb->ready = true;
        urb->actualLength = static_cast<int>(length);
    } else if (fields->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == BulkIn) {
        urb->in.capacity = length;
        urb->in.submittedAt = now;
    } else {
        error = EINVAL;
        return -1;
    }
    urbs_.push_back(std::move(urb));
    return 0;
}

void UsbNode::Advance(Clock::time_point now) {
    // The chip fills the host's IN transfers one after another, in the order they came.
    for (auto& urb : urbs_) {
        if (urb->ready || urb->endpoint != BulkIn)
            continue;
        if (failNextIn_) {
            urb->ready = true;
            urb->status = -std::exchange(failNextIn_, 0);
            continue;
        }
        chip_.ServeIn(urb->in, now);
        if (!urb->in.done)
            return;
        urb->ready = true;
        urb->actualLength = static_cast<int>(urb->in.data.size());
        if (holdNextIn_ && urb->in.data.size() > PacketSize - PacketPayload) {
            holdNextIn_ = false;
            urb->held = true;
            held_.notify_all();
        }
    }
}

UsbNode::Urb* UsbNode::ReadyUrb(UMockdevIoctlClient* client) {
    for (auto& urb : urbs_)
        if (urb->client == client && urb->ready && !urb->held)
            return urb.get();
    return nullptr;
}

long UsbNode::Reap(UMockdevIoctlClient* client, bool wait, int& error) {
    std::unique_lock lock(mutex_);
    for (bool paused = false;; paused = true) {
        if (ReadyUrb(client))
            break;
        if (unplugged_) {
            error = ENODEV;
            return -1;
        }
        const auto now = Clock::now();
        Advance(now);
        if (ReadyUrb(client))
            break;
        if (paused && !wait) {
            error = EAGAIN;
            return -1;
        }
        auto until = now + ReapPause;
        for (const auto& urb : urbs_)
            if (urb->client == client && urb->endpoint == BulkIn) {
                until = std::min(until, chip_.NextInEvent(urb->in));
                break;
            }
        lock.unlock();
        std::this_thread::sleep_until(until);
        lock.lock();
    }
    Urb* urb = ReadyUrb(client);
    usbdevfs_urb* fields = urb->Fields();
    fields->status = urb->status;
    fields->actual_length = urb->actualLength;
    if (urb->endpoint == BulkIn && !urb->in.data.empty()) {
        Resolved buffer(urb->data, offsetof(usbdevfs_urb, buffer), urb->in.capacity);
        std::copy(urb->in.data.begin(), urb->in.data.end(), buffer.data->data);
    }
    // The client's argument is where its pointer to the reaped URB goes.
    Resolved slot(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
    umockdev_ioctl_data_set_ptr(slot.data, 0, urb->data);
    std::erase_if(urbs_, [urb](const auto& u) { return u.get() == urb; });
    return 0;
}

long UsbNode::Discard(UMockdevIoctlClient* client, int& error) {
    const unsigned long addr =
        *reinterpret_cast<unsigned long*>(umockdev_ioctl_client_get_arg(client)->data);
    for (auto& urb : urbs_) {
        if (urb->client != client || urb->clientAddr != addr)
            continue;
        urb->held = false; // a held transfer had ended: the host reaps it as it is
        if (urb->ready)
            break;
        urb->ready = true;
        urb->status = -ENOENT;
        urb->actualLength = static_cast<int>(urb->in.data.size());
        return 0;
    }
    error = EINVAL;
    return -1;
}

long UsbNode::Claim(UMockdevIoctlClient* client, bool claim, int& error) {
    Resolved ifno(umockdev_ioctl_client_get_arg(client), 0, sizeof(unsigned int));
    if (*ifno.As<unsigned int>() != 0) {
        error = EINVAL;
        return -1;
    }
    if (!claim) {
        if (claimant_ != client) {
            error = EINVAL;
            return -1;
        }
        claimant_ = nullptr;
        events_.push_back(NodeEvent::Released);
        SetBinding(Binding::None);
        return 0;
    }
    if (claimant_ == client)
        return 0;
    if (binding_ != Binding::None) {
        error = EBUSY;
        return -1;
    }
    claimant_ = client;
    events_.push_back(NodeEvent::Claimed);
    SetBinding(Binding::Usbfs);
    return 0;
}

long UsbNode::DriverIoctl(UMockdevIoctlClient* client, int& error) {
    Resolved command(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_ioctl));
    const usbdevfs_ioctl* c = command.As<usbdevfs_ioctl>();
    if (c->ifno != 0) {
        error = EINVAL;
        return -1;
    }
    if (c->ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
        if (binding_ == Binding::None) {
            error = ENODATA;
            return -1;
        }
        if (binding_ == Binding::FtdiSio)
            events_.push_back(NodeEvent::KernelDriverDetached);
        claimant_ = nullptr;
        SetBinding(Binding::None);
        return 0;
    }
    if (c->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
        if (binding_ == Binding::Usbfs) {
            error = EBUSY;
            return -1;
        }
        if (binding_ == Binding::None) {
            events_.push_back(NodeEvent::KernelDriverAttached);
            SetBinding(Binding::FtdiSio);
        }
        return 0;
    }
    error = ENOTTY;
    return -1;
}

long UsbNode::GetDriver(UMockdevIoctlClient* client, int& error) {
    Resolved query(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_getdriver));
    usbdevfs_getdriver* q = query.As<usbdevfs_getdriver>();
    if (q->interface != 0 || binding_ == Binding::None) {
        error = ENODATA;
        return -1;
    }
    std::memset(q->driver, 0, sizeof q->driver);
    std::strcpy(q->driver, DriverName(binding_));
    return 0;
}

} // namespace ftdiemu
