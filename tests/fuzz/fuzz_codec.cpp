// The text boundary is lossless: bytes decoded for a widget and encoded back are the same bytes,
// in single-line and in multi-line form.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text/bytes.h"
#include "text/cp936.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text =
        tq::text::untilZero(std::string_view(reinterpret_cast<const char*>(data), size));
    FUZZ_REQUIRE(tq::text::encode(tq::text::decode(text)) == text);
    FUZZ_REQUIRE(tq::text::encodeLines(tq::text::decodeLines(text)) == text);
    return 0;
}
