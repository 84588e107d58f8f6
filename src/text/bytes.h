#pragma once
// Texts are std::string holding code page 936 bytes. These helpers know nothing of Qt.
#include <string>
#include <string_view>

namespace tq::text {

// A byte buffer becomes a text at its first zero byte (or whole, when it has none).
std::string untilZero(std::string buffer);
std::string_view untilZero(std::string_view buffer);

// True when the byte opens a double-byte character: it takes the next byte with it.
constexpr bool isLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

}  // namespace tq::text
