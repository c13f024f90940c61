#include "run/Interrupt.h"

#include <csignal>

namespace station {

namespace {

volatile std::sig_atomic_t flag = 0;

extern "C" void onInterrupt(int) {
    flag = 1;
}

}  // namespace

void watchForInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait step's poll() returns at once.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A station that went away takes the events, not the worker: it finishes the position
    // under way and its records.
    std::signal(SIGPIPE, SIG_IGN);
}

bool interrupted() {
    return flag != 0;
}

}  // namespace station
