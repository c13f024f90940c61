#include "Interrupt.h"

#include <csignal>

#include "kvcom3/Clock.h"

namespace kvtool {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

}  // namespace

void cancelOnInterrupt(kvcom3::ISensMem& sensor) {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    // Every later transfer is cancelled too, so the command stops at its next transfer.
    kvcom3::setEventPump([&sensor] {
        if (interrupted) sensor.Cancel();
    });
}

bool interruptRequested() {
    return interrupted != 0;
}

}  // namespace kvtool
