#include "check/split.h"

#include "text/bytes.h"

namespace tq::check {

std::vector<std::string_view> splitAddressList(std::string_view text) {
    std::vector<std::string_view> members;
    const std::size_t size = text.size();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < size) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\r' && i + 1 < size && text[i + 1] == '\n') {
            members.push_back(text.substr(start, i - start));
            i += 2;
            start = i;
        } else if (text::isLeadByte(byte)) {
            // The next byte belongs to this character, even when it is a CR or an LF.
            i += 2;
        } else {
            ++i;
        }
    }
    if (start < size)
        members.push_back(text.substr(start));
    return members;
}

}  // namespace tq::check
