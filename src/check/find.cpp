#include "check/find.h"

#include <cstring>
#include <limits>

#include "text/bytes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tq::check {

std::string pageText(std::string pageBytes) {
    return text::untilZero(std::move(pageBytes));
}

namespace {

// Index of the first byte in [from, to) that equals `wanted` or is a lead byte; `to` when none.
// Every byte passed over is below 0x80, so each of them starts a character of its own.
std::size_t skipAsciiRun(const unsigned char* p, std::size_t from, std::size_t to,
                         unsigned char wanted) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi8(static_cast<char>(wanted));
    while (to - i >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int hits =
            _mm_movemask_epi8(_mm_cmpeq_epi8(block, needle)) | _mm_movemask_epi8(block);
        if (hits != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(hits));
        i += 16;
    }
#endif
    while (i < to && p[i] != wanted && !text::isLeadByte(p[i]))
        ++i;
    return i;
}

}  // namespace

std::int32_t findText(std::string_view page, std::string_view feature) {
    const std::size_t length = page.size();
    const std::size_t k = feature.size();
    if (k == 0)
        return length > 0 ? 1 : -1;
    if (k > length)
        return -1;

    const auto* p = reinterpret_cast<const unsigned char*>(page.data());
    const auto* f = reinterpret_cast<const unsigned char*>(feature.data());
    const unsigned char first = f[0];
    const std::size_t lastStart = length - k;  // the last index with at least k bytes left
    const std::size_t end = lastStart + 1;

    std::size_t i = 0;
    while (i <= lastStart) {
        unsigned char byte = p[i];
        if (byte != first && !text::isLeadByte(byte)) {
            i = skipAsciiRun(p, i, end, first);
            if (i == end)
                break;
            byte = p[i];
        }
        if (byte == first && std::memcmp(p + i + 1, f + 1, k - 1) == 0) {
            // Positions are 32-bit; a match that lies further in is still a match.
            constexpr std::size_t kMax = std::numeric_limits<std::int32_t>::max();
            return static_cast<std::int32_t>(i < kMax ? i + 1 : kMax);
        }
        if (text::isLeadByte(byte)) {
            if (i + 1 == length)
                return -1;  // a lead byte with nothing after it
            i += 2;
        } else {
            ++i;
        }
    }
    return -1;
}

}  // namespace tq::check
