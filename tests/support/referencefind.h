#pragma once
// The stepping search written the slow, obvious way: the yardstick the fast search is compared
// with, by the unit tests and by the fuzz target.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tq::test {

inline std::int32_t referenceFind(std::string_view page, std::string_view feature) {
    const std::size_t length = page.size();
    const std::size_t k = feature.size();
    if (k == 0)
        return length > 0 ? 1 : -1;
    std::size_t i = 0;
    std::size_t remaining = length;
    while (remaining >= k) {
        if (std::memcmp(page.data() + i, feature.data(), k) == 0)
            return static_cast<std::int32_t>(i + 1);
        if (static_cast<unsigned char>(page[i]) >= 0x80) {
            if (i + 1 == length)
                return -1;
            i += 2;
            remaining -= 2;
        } else {
            i += 1;
            remaining -= 1;
        }
    }
    return -1;
}

}  // namespace tq::test
