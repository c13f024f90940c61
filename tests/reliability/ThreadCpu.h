#pragma once

#include <time.h>

namespace kvrel {

// CPU time the calling thread has used, in seconds. A wait that blocks costs next to none; a
// loop that spins on a dead line burns it, whatever the wall clock says.
inline double threadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace kvrel
