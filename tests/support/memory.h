#pragma once
// Resident memory of this process, for the soak test and the scale figures.
#include <cstdlib>
#include <fstream>
#include <string>

namespace tq::test {

// VmRSS in KiB, or -1 where /proc does not tell.
inline long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace tq::test
