// Linux serial drivers: the serial_rs485 settings of TIOCSRS485.
#include "link/Rs485.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace kvcom3 {

bool askRs485(int fd) {
    serial_rs485 rs485{};
    if (::ioctl(fd, TIOCGRS485, &rs485) != 0) return false;
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~static_cast<decltype(rs485.flags)>(SER_RS485_RTS_AFTER_SEND);
    return ::ioctl(fd, TIOCSRS485, &rs485) == 0;
}

}  // namespace kvcom3
