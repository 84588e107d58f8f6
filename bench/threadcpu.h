#pragma once
// CPU time of the calling thread, for figures that separate one thread's work from waiting.
#include <ctime>

namespace tq::bench {

inline double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace tq::bench
