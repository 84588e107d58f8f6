// Splitting an address list loses and invents nothing: the members joined with CR LF give back
// the text (less a final CR LF), and no member holds a CR LF at a character start.
#include <cstdint>
#include <string>
#include <string_view>

#include "check/split.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto members = tq::check::splitAddressList(text);

    std::string joined;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i > 0) {
            joined += "\r\n";
        }
        joined += members[i];
    }
    FUZZ_REQUIRE(joined == text || joined + "\r\n" == text);
    FUZZ_REQUIRE(text.empty() == members.empty());

    for (std::string_view member : members) {
        for (std::size_t i = 0; i < member.size(); ++i) {
            const auto byte = static_cast<unsigned char>(member[i]);
            if (byte >= 0x80) {
                ++i;  // the trail byte belongs to this character
            } else {
                FUZZ_REQUIRE(!(byte == '\r' && i + 1 < member.size() && member[i + 1] == '\n'));
            }
        }
    }
    return 0;
}
