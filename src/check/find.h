#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tq::check {

// The page bytes up to the first zero byte.
std::string pageText(std::string pageBytes);

// 1-based byte position of the first match of `feature` in `page`, tried only at character
// starts (a byte >= 0x80 takes the next byte with it); -1 when there is none. Never 0.
std::int32_t findText(std::string_view page, std::string_view feature);

inline bool isPresent(std::int32_t position) {
    return position > 0;
}

}  // namespace tq::check
