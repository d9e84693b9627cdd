// Opening, closing and the line set-up of an FT232R.
#include "FtdiHandle.h"

#include <cstdlib>
#include <ftdi.h>
#include <libusb.h>
#include <unistd.h>

namespace ftdi {

namespace {

constexpr ULONG MinBaudRate = 300;
constexpr ULONG MaxBaudRate = 3000000;      // the FT232R's fastest rate
constexpr int DefaultWriteTimeoutMs = 5000; // libftdi1's own default

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

std::uint8_t LatencyTimerSetting(const char* text) {
    if (!text || *text < '0' || *text > '9')
        return 1;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return *end == '\0' && value >= 1 && value <= 255 ? static_cast<std::uint8_t>(value) : 1;
}

Handle::Handle(const UsbDevice& device) : device_(device), node_(DeviceNode(device)) {}

Handle::~Handle() {
    Close();
}

FT_STATUS Handle::Open(const UsbDevice& device, std::uint8_t latencyTimer,
                       std::unique_ptr<Handle>& opened) {
    std::unique_ptr<Handle> handle(new Handle(device));
    ftdi_context* context = ftdi_new();
    if (!context)
        return FT_INSUFFICIENT_RESOURCES;
    // ftdi_sio is detached when the interface is claimed and attached again when it is released.
    context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    libusb_device* usb = FindUsbDevice(context->usb_ctx, device.bus, device.address);
    if (!usb) {
        ftdi_free(context);
        return FT_DEVICE_NOT_FOUND;
    }
    const int status = ftdi_usb_open_dev(context, usb);
    libusb_unref_device(usb);
    if (status < 0) {
        ftdi_free(context);
        return access(handle->node_.c_str(), F_OK) == 0 ? FT_DEVICE_NOT_OPENED
                                                        : FT_DEVICE_NOT_FOUND;
    }
    handle->context_ = context;
    if (ftdi_set_latency_timer(context, latencyTimer) < 0)
        return FT_IO_ERROR; // the handle's destructor closes the device again
    handle->StartReader();
    opened = std::move(handle);
    return FT_OK;
}

FT_STATUS Handle::Close() {
    std::unique_lock lock(mutex_);
    if (closed_)
        return FT_INVALID_HANDLE;
    closed_ = true;
    arrived_.notify_all();
    StopReader(lock);
    if (context_) {
        ftdi_usb_close(context_);
        ftdi_free(context_);
        context_ = nullptr;
    }
    return FT_OK;
}

FT_STATUS Handle::Usable() {
    if (closed_)
        return FT_INVALID_HANDLE;
    // A device pulled out loses its node at once, before any transfer need fail.
    if (!gone_ && access(node_.c_str(), F_OK) != 0)
        gone_ = true;
    return gone_ ? FT_IO_ERROR : FT_OK;
}

FT_STATUS Handle::Failed() {
    if (access(node_.c_str(), F_OK) != 0)
        gone_ = true;
    return FT_IO_ERROR;
}

FT_STATUS Handle::SetBaudRate(ULONG baudRate) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    if (baudRate < MinBaudRate || baudRate > MaxBaudRate)
        return FT_INVALID_BAUD_RATE;
    const int status = ftdi_set_baudrate(context_, static_cast<int>(baudRate));
    if (status == -1)
        return FT_INVALID_BAUD_RATE; // no divisor comes near enough
    return status < 0 ? Failed() : FT_OK;
}

FT_STATUS Handle::SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    // The driver's codes are libftdi1's: 7 or 8 bits, stop bits 0 (one) or 2 (two), parity
    // none, odd, even, mark, space as 0 to 4.
    if ((wordLength != BITS_7 && wordLength != BITS_8) ||
        (stopBits != STOP_BIT_1 && stopBits != STOP_BIT_2) || parity > SPACE)
        return FT_INVALID_PARAMETER;
    const int status = ftdi_set_line_property(context_, static_cast<ftdi_bits_type>(wordLength),
                                              static_cast<ftdi_stopbits_type>(stopBits),
                                              static_cast<ftdi_parity_type>(parity));
    return status < 0 ? Failed() : FT_OK;
}

FT_STATUS Handle::SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    // The driver's flow-control codes are the chip's own request values.
    int status = 0;
    switch (flowControl) {
    case SIO_DISABLE_FLOW_CTRL:
    case SIO_RTS_CTS_HS:
    case SIO_DTR_DSR_HS:
        status = ftdi_setflowctrl(context_, flowControl);
        break;
    case SIO_XON_XOFF_HS:
        status = ftdi_setflowctrl_xonxoff(context_, xon, xoff);
        break;
    default:
        return FT_INVALID_PARAMETER;
    }
    return status < 0 ? Failed() : FT_OK;
}

FT_STATUS Handle::SetTimeouts(ULONG readTimeout, ULONG writeTimeout) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    readTimeout_ = readTimeout;
    context_->usb_write_timeout = writeTimeout == 0 || writeTimeout > 0x7FFFFFFF
                                      ? DefaultWriteTimeoutMs
                                      : static_cast<int>(writeTimeout);
    return FT_OK;
}

} // namespace ftdi
