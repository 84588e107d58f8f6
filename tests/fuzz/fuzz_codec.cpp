// The text boundary is lossless: bytes decoded for a widget and encoded back are the same bytes,
// in single-line and in multi-line form. Appending to a decoded box (cut where the first byte
// says) gives what decoding the whole text at once gives.
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
    const QString lines = tq::text::decodeLines(text);
    FUZZ_REQUIRE(tq::text::encodeLines(lines) == text);

    const std::size_t cut = text.empty() ? 0 : static_cast<unsigned char>(text[0]) % text.size();
    QString before = tq::text::decodeLines(text.substr(0, cut));
    const char16_t last = before.isEmpty() ? 0 : before.back().unicode();
    const auto more = tq::text::decodeLinesAfter(last, text.substr(cut));
    FUZZ_REQUIRE(!more.replaceLast || !before.isEmpty());
    if (more.replaceLast)
        before.chop(1);
    FUZZ_REQUIRE(before + more.text == lines);
    return 0;
}
