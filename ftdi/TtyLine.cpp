// The kernel's termios2 rather than the C library's termios: its speed is any number, where the
// library's takes only the fixed rates. The two cannot share a file.
#include "TtyLine.h"

#include "LineCodes.h"

#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace ftdi::tty {

namespace {

int Status(int result) {
    return result == 0 ? 0 : errno;
}

tcflag_t ParityFlags(UCHAR parity) {
    switch (parity) {
    case ParityOdd:
        return PARENB | PARODD;
    case ParityEven:
        return PARENB;
    case ParityMark:
        return PARENB | CMSPAR | PARODD;
    case ParitySpace:
        return PARENB | CMSPAR;
    }
    return 0;
}

} // namespace

int ApplyLine(int fd, const Line& line) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT) | CSIZE | CSTOPB | PARENB |
                                        PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | CLOCAL | CREAD;
    t.c_cflag |= line.wordLength == Bits7 ? CS7 : CS8;
    t.c_cflag |= line.stopBits == TwoStopBits ? CSTOPB : 0;
    t.c_cflag |= ParityFlags(line.parity);
    if (line.flowControl == FlowRtsCts)
        t.c_cflag |= CRTSCTS;
    if (line.flowControl == FlowXonXoff)
        t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = line.xon;
    t.c_cc[VSTOP] = line.xoff;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    t.c_ispeed = t.c_ospeed = line.baudRate;
    return Status(ioctl(fd, TCSETS2, &t));
}

int Flush(int fd, bool received, bool sent) {
    const int queues = received && sent ? TCIOFLUSH : received ? TCIFLUSH : TCOFLUSH;
    return received || sent ? Status(ioctl(fd, TCFLSH, queues)) : 0;
}

int QueuedIn(int fd, DWORD& count) {
    int queued = 0;
    if (ioctl(fd, FIONREAD, &queued) != 0)
        return errno;
    count = static_cast<DWORD>(queued);
    return 0;
}

int QueuedOut(int fd, DWORD& count) {
    int queued = 0;
    if (ioctl(fd, TIOCOUTQ, &queued) != 0)
        return errno;
    count = static_cast<DWORD>(queued);
    return 0;
}

int SetExclusive(int fd, bool exclusive) {
    return Status(ioctl(fd, exclusive ? TIOCEXCL : TIOCNXCL));
}

int SetLowLatency(int fd, bool on) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return errno;
    const int flags = on ? serial.flags | ASYNC_LOW_LATENCY : serial.flags & ~ASYNC_LOW_LATENCY;
    if (flags == serial.flags)
        return 0;
    serial.flags = flags;
    return Status(ioctl(fd, TIOCSSERIAL, &serial));
}

} // namespace ftdi::tty
