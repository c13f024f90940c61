#include "link/ComPort.h"

#include <algorithm>

#include "facade/LibraryState.h"
#include "kvcom3/Clock.h"

namespace kvcom3 {

namespace {
// Longest single block in the wait loop, so that the event pump (and Cancel) runs often enough.
constexpr std::chrono::milliseconds kPumpInterval{5};
}  // namespace

PortSlot& currentPort() {
    return portSlot(gConnection.ComPort);
}

void OpenCOMport(const std::function<void(const std::string&)>& log) {
    pumpEvents();
    if (!gConnection.OnLine) return;
    PortSlot& slot = currentPort();
    if (slot.isOpen()) return;
    slot.open();
    if (std::string notice = slot.openNotice(); log && !notice.empty()) log(notice);
}

void CloseCOMport() {
    if (gLeavePortOpen) return;
    pumpEvents();
    if (!gConnection.OnLine) return;
    PortSlot& slot = currentPort();
    if (slot.isOpen()) slot.close();
}

void ReopenCOMport() {
    CloseCOMport();
    OpenCOMport();
}

void RTSenable(bool newValue) {
    currentPort().setRts(newValue);
}

bool WaitForBytes(std::size_t count, std::chrono::milliseconds timeout) {
    Deadline deadline(timeout);
    PortSlot& slot = currentPort();
    while (true) {
        pumpEvents();
        std::size_t waiting = slot.bytesWaiting();
        if (waiting >= count) return true;
        if (deadline.expired() || slot.lineFault()) return false;
        slot.waitReadable(std::min(deadline.remaining(), kPumpInterval));
    }
}

}  // namespace kvcom3
