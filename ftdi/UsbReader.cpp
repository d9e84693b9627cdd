// The receive side of an FT232R on libusb: the reader thread that keeps a bulk read pending, the
// queue it fills, and the calls that read, count, purge and write.
//
// The chip answers a pending bulk read with a packet as soon as it has 62 bytes or its latency
// timer runs out, even with no data; every packet begins with two modem-status bytes, which the
// reader drops. So a transfer ends within one latency period, and stopping the reader waits no
// longer than that.
#include "UsbHandle.h"

#include "Failure.h"

#include <algorithm>
#include <chrono>
#include <ftdi.h>
#include <libusb.h>
#include <vector>

namespace ftdi {

namespace {

constexpr int StatusBytes = 2;
constexpr int PacketsPerTransfer = 8;
// A chip that has stopped answering still ends the transfer, and so the reader, this soon.
constexpr unsigned ReaderTimeoutMs = 300;
// After a second fault in a row the reader pauses this long before it reads again.
constexpr auto FaultPause = std::chrono::milliseconds(1);

bool Completed(int status) {
    return status == 0 || status == LIBUSB_ERROR_TIMEOUT || status == LIBUSB_ERROR_INTERRUPTED;
}

} // namespace

void UsbHandle::StartReader() {
    if (reader_.joinable())
        return;
    {
        std::lock_guard queue(queueMutex_);
        stopReader_ = false;
    }
    reader_ = std::thread([this] { ReadLoop(); });
}

void UsbHandle::StopReader() {
    if (!reader_.joinable())
        return;
    {
        std::lock_guard queue(queueMutex_);
        stopReader_ = true;
    }
    room_.notify_all();
    reader_.join();
}

void UsbHandle::ReadLoop() {
    libusb_device_handle* usb = context_->usb_dev;
    const auto endpoint = static_cast<unsigned char>(context_->out_ep); // libftdi1's name for IN
    const int packet = static_cast<int>(context_->max_packet_size);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(packet * PacketsPerTransfer));
    for (int faults = 0;;) {
        {
            std::unique_lock queue(queueMutex_);
            room_.wait(queue, [&] {
                return stopReader_ || rx_.size() + buffer.size() <= ReceiveQueueCapacity;
            });
            if (stopReader_)
                return;
        }
        int received = 0;
        const int status =
            libusb_bulk_transfer(usb, endpoint, buffer.data(), static_cast<int>(buffer.size()),
                                 &received, ReaderTimeoutMs);
        // Only a device that has left (libusb says so, or its node is gone) ends the reader;
        // anything else on a present device (a CRC error, a stall) is a fault of the bus.
        const bool gone = !Completed(status) && (status == LIBUSB_ERROR_NO_DEVICE || !NodeExists());
        std::unique_lock queue(queueMutex_);
        for (int start = 0; start < received; start += packet) {
            const int end = std::min(start + packet, received);
            if (end - start > StatusBytes)
                rx_.insert(rx_.end(), buffer.begin() + start + StatusBytes, buffer.begin() + end);
        }
        if (gone)
            gone_.store(true, std::memory_order_release);
        arrived_.notify_all();
        if (gone || stopReader_)
            return;
        if (Completed(status)) {
            faults = 0;
            continue;
        }
        if (++faults > 1 && room_.wait_for(queue, FaultPause, [&] { return stopReader_; }))
            return;
        queue.unlock();
        libusb_clear_halt(usb, endpoint);
    }
}

FT_STATUS UsbHandle::Reset() {
    return Exclusive([&]() -> FT_STATUS {
        StopReader();
        int status = ftdi_usb_reset(context_);
        // The reset puts the chip's timer back to its own 16 ms.
        if (status >= 0)
            status = ftdi_set_latency_timer(context_, latencyTimer_);
        {
            std::lock_guard queue(queueMutex_);
            rx_.clear();
        }
        StartReader();
        return status < 0 ? Failed() : FT_OK;
    });
}

FT_STATUS UsbHandle::Purge(ULONG mask) {
    const auto purgeTx = [&]() -> FT_STATUS {
        return (mask & FT_PURGE_TX) && ftdi_tcoflush(context_) < 0 ? Failed() : FT_OK;
    };
    if (!(mask & FT_PURGE_RX))
        return Shared(purgeTx);
    return Exclusive([&]() -> FT_STATUS {
        // With the reader stopped no transfer is in flight, so no byte from before the purge
        // can land in the queue after it.
        StopReader();
        const int status = ftdi_tciflush(context_);
        {
            std::lock_guard queue(queueMutex_);
            rx_.clear();
        }
        StartReader();
        return status < 0 ? Failed() : purgeTx();
    });
}

FT_STATUS UsbHandle::GetQueueStatus(DWORD* rxBytes) {
    if (const FT_STATUS status = Usable())
        return status;
    if (!rxBytes)
        return FT_INVALID_PARAMETER;
    std::lock_guard queue(queueMutex_);
    *rxBytes = static_cast<DWORD>(rx_.size());
    return FT_OK;
}

FT_STATUS UsbHandle::GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
    if (const FT_STATUS status = Usable())
        return status;
    if (!txBytes || !eventStatus)
        return FT_INVALID_PARAMETER;
    if (const FT_STATUS status = GetQueueStatus(rxBytes))
        return status;
    *txBytes = 0;
    *eventStatus = 0;
    return FT_OK;
}

FT_STATUS UsbHandle::Read(void* buffer, DWORD count, DWORD* bytesRead) {
    if (const FT_STATUS status = Usable())
        return status;
    if (!bytesRead || (count > 0 && !buffer))
        return FT_INVALID_PARAMETER;
    const auto deadline = timeouts_.ReadDeadline();
    std::unique_lock queue(queueMutex_);
    arrived_.wait_until(queue, deadline, [&] {
        return rx_.size() >= count || gone_.load(std::memory_order_acquire) ||
               closed_.load(std::memory_order_acquire);
    });
    if (closed_.load(std::memory_order_acquire))
        return FT_INVALID_HANDLE;
    if (gone_.load(std::memory_order_acquire))
        return LeftTheBus();
    const std::size_t taken = std::min<std::size_t>(count, rx_.size());
    std::copy_n(rx_.begin(), taken, static_cast<std::uint8_t*>(buffer));
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(taken));
    *bytesRead = static_cast<DWORD>(taken);
    queue.unlock();
    room_.notify_all();
    return FT_OK;
}

FT_STATUS UsbHandle::Write(const void* buffer, DWORD count, DWORD* bytesWritten) {
    return Shared([&]() -> FT_STATUS {
        if (!bytesWritten || (count > 0 && !buffer))
            return FT_INVALID_PARAMETER;
        auto* bytes = static_cast<unsigned char*>(const_cast<void*>(buffer));
        const auto endpoint = static_cast<unsigned char>(context_->in_ep); // libftdi1's OUT
        const auto deadline = timeouts_.WriteDeadline();
        DWORD sent = 0;
        // A fault of the bus on a present device clears the endpoint and sends the rest, within
        // the write time-out; a time-out still tells how much the chip took.
        while (sent < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            int moved = 0;
            const int status = libusb_bulk_transfer(context_->usb_dev, endpoint, bytes + sent,
                                                    static_cast<int>(count - sent), &moved,
                                                    static_cast<unsigned>(left.count()));
            sent += static_cast<DWORD>(moved);
            if (status == LIBUSB_ERROR_TIMEOUT)
                break;
            if (status == LIBUSB_ERROR_NO_DEVICE || (status != 0 && !NodeExists())) {
                MarkGone();
                NoteFailure(node_, libusb_strerror(status));
                return FT_IO_ERROR;
            }
            if (status != 0)
                libusb_clear_halt(context_->usb_dev, endpoint);
        }
        *bytesWritten = sent;
        return FT_OK;
    });
}

} // namespace ftdi
