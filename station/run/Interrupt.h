#pragma once

namespace station {

// Ctrl-C (and SIGTERM) in a worker: the signal only raises a flag; the library's event pump
// turns it into Cancel of the transfer under way, and the worker starts no further position.
// Repeated signals change nothing, so the parent may pass on one the terminal sent already.
// A closed event pipe no longer ends the worker.
void watchForInterrupt();
bool interrupted();

}  // namespace station
