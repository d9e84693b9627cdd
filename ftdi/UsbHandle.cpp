// Opening, closing and the line set-up of an FT232R on libusb.
#include "UsbHandle.h"

#include "Failure.h"
#include "LineCodes.h"

#include <ftdi.h>
#include <libusb.h>
#include <unistd.h>

namespace ftdi {

namespace {

static_assert(Bits7 == int{BITS_7} && Bits8 == int{BITS_8} && OneStopBit == int{STOP_BIT_1} &&
                  TwoStopBits == int{STOP_BIT_2} && ParitySpace == int{SPACE},
              "the driver's line codes are libftdi1's");
static_assert(FlowRtsCts == SIO_RTS_CTS_HS && FlowDtrDsr == SIO_DTR_DSR_HS &&
                  FlowXonXoff == SIO_XON_XOFF_HS,
              "the driver's flow-control codes are libftdi1's");

// The device of libftdi1's libusb context at `bus` and `address`, with a reference the caller
// drops; null when there is none.
libusb_device* FindUsbDevice(libusb_context* usb, unsigned bus, unsigned address) {
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(usb, &list);
    libusb_device* found = nullptr;
    for (ssize_t i = 0; i < count && !found; ++i)
        if (libusb_get_bus_number(list[i]) == bus && libusb_get_device_address(list[i]) == address)
            found = libusb_ref_device(list[i]);
    if (list)
        libusb_free_device_list(list, 1);
    return found;
}

} // namespace

UsbHandle::UsbHandle(const UsbDevice& device, std::uint8_t latencyTimer)
    : node_(DeviceNode(device)), latencyTimer_(latencyTimer) {}

UsbHandle::~UsbHandle() {
    Close();
}

FT_STATUS UsbHandle::Open(const UsbDevice& device, std::uint8_t latencyTimer,
                          std::unique_ptr<Handle>& opened) {
    std::unique_ptr<UsbHandle> handle(new UsbHandle(device, latencyTimer));
    ftdi_context* context = ftdi_new();
    if (!context)
        return FT_INSUFFICIENT_RESOURCES;
    // A chip a kernel driver holds is not ours: claiming it fails instead.
    context->module_detach_mode = DONT_DETACH_SIO_MODULE;
    libusb_device* usb = FindUsbDevice(context->usb_ctx, device.bus, device.address);
    if (!usb) {
        ftdi_free(context);
        return FT_DEVICE_NOT_FOUND;
    }
    const int status = ftdi_usb_open_dev(context, usb);
    libusb_unref_device(usb);
    if (status < 0) {
        // libftdi1 keeps libusb's reason to itself; the one met most is a node this user may not
        // use.
        if (access(handle->node_.c_str(), R_OK | W_OK) != 0)
            NoteSystemFailure(handle->node_, errno);
        else
            NoteFailure(handle->node_, ftdi_get_error_string(context));
        ftdi_free(context);
        return handle->NodeExists() ? FT_DEVICE_NOT_OPENED : FT_DEVICE_NOT_FOUND;
    }
    handle->context_ = context;
    if (ftdi_set_latency_timer(context, latencyTimer) < 0) {
        NoteFailure(handle->node_, ftdi_get_error_string(context));
        return FT_IO_ERROR; // the handle's destructor closes the device again
    }
    handle->StartReader();
    opened = std::move(handle);
    return FT_OK;
}

FT_STATUS UsbHandle::Close() {
    if (closed_.exchange(true, std::memory_order_acq_rel))
        return FT_INVALID_HANDLE;
    {
        // A read that is about to wait sees the flag, or is waiting and gets the notification.
        std::lock_guard queue(queueMutex_);
    }
    arrived_.notify_all();
    std::unique_lock lifecycle(lifecycle_);
    StopReader();
    if (context_) {
        ftdi_usb_close(context_);
        ftdi_free(context_);
        context_ = nullptr;
    }
    return FT_OK;
}

bool UsbHandle::NodeExists() const {
    return access(node_.c_str(), F_OK) == 0;
}

void UsbHandle::MarkGone() {
    std::lock_guard queue(queueMutex_);
    gone_.store(true, std::memory_order_release);
    arrived_.notify_all();
}

FT_STATUS UsbHandle::Usable() {
    if (closed_.load(std::memory_order_acquire))
        return FT_INVALID_HANDLE;
    // A device pulled out loses its node at once, before any transfer need fail.
    if (!gone_.load(std::memory_order_acquire) && !NodeExists())
        MarkGone();
    return gone_.load(std::memory_order_acquire) ? LeftTheBus() : FT_OK;
}

FT_STATUS UsbHandle::LeftTheBus() {
    NoteFailure(node_, "the device has left the bus");
    return FT_IO_ERROR;
}

FT_STATUS UsbHandle::Failed() {
    NoteFailure(node_, ftdi_get_error_string(context_));
    if (!NodeExists())
        MarkGone();
    return FT_IO_ERROR;
}

FT_STATUS UsbHandle::SetBaudRate(ULONG baudRate) {
    return Shared([&]() -> FT_STATUS {
        if (!BaudRateInRange(baudRate))
            return FT_INVALID_BAUD_RATE;
        const int status = ftdi_set_baudrate(context_, static_cast<int>(baudRate));
        if (status == -1)
            return FT_INVALID_BAUD_RATE; // no divisor comes near enough
        return status < 0 ? Failed() : FT_OK;
    });
}

FT_STATUS UsbHandle::SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return Shared([&]() -> FT_STATUS {
        if (!DataCharacteristicsValid(wordLength, stopBits, parity))
            return FT_INVALID_PARAMETER;
        const int status = ftdi_set_line_property(context_, static_cast<ftdi_bits_type>(wordLength),
                                                  static_cast<ftdi_stopbits_type>(stopBits),
                                                  static_cast<ftdi_parity_type>(parity));
        return status < 0 ? Failed() : FT_OK;
    });
}

FT_STATUS UsbHandle::SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff) {
    return Shared([&]() -> FT_STATUS {
        if (!FlowControlValid(flowControl))
            return FT_INVALID_PARAMETER;
        const int status = flowControl == FlowXonXoff
                               ? ftdi_setflowctrl_xonxoff(context_, xon, xoff)
                               : ftdi_setflowctrl(context_, flowControl);
        return status < 0 ? Failed() : FT_OK;
    });
}

FT_STATUS UsbHandle::SetTimeouts(ULONG readTimeout, ULONG writeTimeout) {
    return Shared([&]() -> FT_STATUS {
        timeouts_.Set(readTimeout, writeTimeout);
        return FT_OK;
    });
}

} // namespace ftdi
