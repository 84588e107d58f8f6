// The fast search agrees with the plain stepping scan: the first byte of the input says how
// long the feature string is (below 0x80: 0 to 7 bytes; from 0x80 on: up to 127, so features
// that span the 64-byte blocks are tried too), the rest is split into feature and page.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "check/find.h"
#include "fuzz_check.h"
#include "referencefind.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t wanted = data[0] < 0x80 ? data[0] % 8 : data[0] & 0x7F;
    const std::size_t featureLength = std::min<std::size_t>(wanted, rest.size());
    std::string_view feature = rest.substr(0, featureLength);
    std::string_view page = rest.substr(featureLength);

    const std::int32_t position = tq::check::findText(page, feature);
    FUZZ_REQUIRE(position != 0);
    FUZZ_REQUIRE(position == tq::test::referenceFind(page, feature));
    if (position > 0) {
        const auto at = static_cast<std::size_t>(position - 1);
        FUZZ_REQUIRE(page.substr(at, feature.size()) == feature);
        // It is a character start, and no character start before it matches.
        std::size_t i = 0;
        while (i < at) {
            FUZZ_REQUIRE(page.substr(i, feature.size()) != feature || feature.empty());
            i += static_cast<unsigned char>(page[i]) >= 0x80 ? 2 : 1;
        }
        FUZZ_REQUIRE(i == at);
    }
    return 0;
}
