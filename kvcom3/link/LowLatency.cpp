// Linux serial drivers: the ASYNC_LOW_LATENCY flag of the serial_struct.
#include "link/LowLatency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace kvcom3 {

bool askLowLatency(int fd) {
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    if (info.flags & ASYNC_LOW_LATENCY) return true;
    info.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &info) == 0;
}

}  // namespace kvcom3
