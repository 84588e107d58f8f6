// Any bytes as an address: parsing never crashes, what it accepts keeps within the limits, and
// the request target it leads to is safe to put on a request line.
#include <cstdint>
#include <string_view>

#include "check/address.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto address = tq::check::parseAddress(text);
    if (address) {
        FUZZ_REQUIRE(!address->host.empty());
        FUZZ_REQUIRE(address->host.size() <= 255);
        FUZZ_REQUIRE(address->user.size() <= 127);
        FUZZ_REQUIRE(address->password.size() <= 127);
        FUZZ_REQUIRE(address->path.size() <= 2047);
    }
    const std::string target = tq::check::requestTarget(text);
    FUZZ_REQUIRE(!target.empty());
    for (char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        FUZZ_REQUIRE(byte > 0x20 && byte < 0x80 && byte != 0x7F);
        FUZZ_REQUIRE(c != '#');
    }
    return 0;
}
