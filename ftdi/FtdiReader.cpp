// The receive side of an open FT232R: the reader thread that keeps a bulk read pending, the
// queue it fills, and the calls that read, count, purge and write.
//
// The chip answers a pending bulk read with a packet as soon as it has 62 bytes or its latency
// timer runs out, even with no data; every packet begins with two modem-status bytes, which the
// reader drops. So a transfer ends within one latency period, and stopping the reader waits no
// longer than that.
#include "FtdiHandle.h"

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

} // namespace

void Handle::StartReader() {
    stopReader_ = false;
    reader_ = std::thread([this] { ReadLoop(); });
}

void Handle::StopReader(std::unique_lock<std::mutex>& lock) {
    if (!reader_.joinable())
        return;
    stopReader_ = true;
    std::thread reader = std::move(reader_);
    lock.unlock();
    reader.join();
    lock.lock();
}

void Handle::ReadLoop() {
    libusb_device_handle* usb = context_->usb_dev;
    const int endpoint = context_->out_ep; // libftdi1 names the chip's IN endpoint out_ep
    const int packet = static_cast<int>(context_->max_packet_size);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(packet * PacketsPerTransfer));
    for (;;) {
        int received = 0;
        const int status =
            libusb_bulk_transfer(usb, static_cast<unsigned char>(endpoint), buffer.data(),
                                 static_cast<int>(buffer.size()), &received, ReaderTimeoutMs);
        std::lock_guard lock(mutex_);
        for (int start = 0; start < received; start += packet) {
            const int end = std::min(start + packet, received);
            if (end - start > StatusBytes)
                rx_.insert(rx_.end(), buffer.begin() + start + StatusBytes, buffer.begin() + end);
        }
        if (status != 0 && status != LIBUSB_ERROR_TIMEOUT && status != LIBUSB_ERROR_INTERRUPTED)
            gone_ = true; // unplugged, or the chip broke off: the handle is of no more use
        arrived_.notify_all();
        if (gone_ || stopReader_)
            return;
    }
}

FT_STATUS Handle::Reset() {
    std::unique_lock lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    StopReader(lock);
    if (const FT_STATUS status = Usable())
        return status;
    const int status = ftdi_usb_reset(context_);
    rx_.clear();
    StartReader();
    return status < 0 ? Failed() : FT_OK;
}

FT_STATUS Handle::Purge(ULONG mask) {
    std::unique_lock lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    int status = 0;
    if (mask & FT_PURGE_RX) {
        // With the reader stopped no transfer is in flight, so no byte from before the purge can
        // land in the queue after it.
        StopReader(lock);
        if (const FT_STATUS again = Usable())
            return again;
        status = ftdi_tciflush(context_);
        rx_.clear();
        StartReader();
    }
    if (status >= 0 && (mask & FT_PURGE_TX))
        status = ftdi_tcoflush(context_);
    return status < 0 ? Failed() : FT_OK;
}

FT_STATUS Handle::GetQueueStatus(DWORD* rxBytes) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    if (!rxBytes)
        return FT_INVALID_PARAMETER;
    *rxBytes = static_cast<DWORD>(rx_.size());
    return FT_OK;
}

FT_STATUS Handle::GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    if (!rxBytes || !txBytes || !eventStatus)
        return FT_INVALID_PARAMETER;
    *rxBytes = static_cast<DWORD>(rx_.size());
    *txBytes = 0;
    *eventStatus = 0;
    return FT_OK;
}

FT_STATUS Handle::Read(void* buffer, DWORD count, DWORD* bytesRead) {
    std::unique_lock lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    if (!bytesRead || (count > 0 && !buffer))
        return FT_INVALID_PARAMETER;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(readTimeout_);
    arrived_.wait_until(lock, deadline, [&] { return rx_.size() >= count || gone_ || closed_; });
    if (const FT_STATUS status = Usable())
        return status;
    const std::size_t taken = std::min<std::size_t>(count, rx_.size());
    std::copy_n(rx_.begin(), taken, static_cast<std::uint8_t*>(buffer));
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(taken));
    *bytesRead = static_cast<DWORD>(taken);
    return FT_OK;
}

FT_STATUS Handle::Write(const void* buffer, DWORD count, DWORD* bytesWritten) {
    std::lock_guard lock(mutex_);
    if (const FT_STATUS status = Usable())
        return status;
    if (!bytesWritten || (count > 0 && !buffer))
        return FT_INVALID_PARAMETER;
    // One bulk transfer, so that a time-out still tells how much the chip took.
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(buffer));
    int sent = 0;
    const int status =
        count == 0
            ? 0
            : libusb_bulk_transfer(context_->usb_dev, static_cast<unsigned char>(context_->in_ep),
                                   bytes, static_cast<int>(count), &sent,
                                   static_cast<unsigned>(context_->usb_write_timeout));
    if (status != 0 && status != LIBUSB_ERROR_TIMEOUT)
        return Failed();
    *bytesWritten = static_cast<DWORD>(sent);
    return FT_OK;
}

} // namespace ftdi
