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

constexpr std::int32_t toPosition(std::size_t index) {
    // Positions are 32-bit; a match that lies further in is still a match.
    constexpr std::size_t kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(index < kMax ? index + 1 : kMax);
}

// The stepping scan, one character at a time, from index `i` (a character start) on.
std::int32_t stepFrom(const unsigned char* p, std::size_t length, const unsigned char* f,
                      std::size_t k, std::size_t i) {
    const std::size_t lastStart = length - k;  // the last index with at least k bytes left
    while (i <= lastStart) {
        const unsigned char byte = p[i];
        if (byte == f[0] && std::memcmp(p + i + 1, f + 1, k - 1) == 0)
            return toPosition(i);
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

#if defined(__SSE2__)

// One bit per byte of the 64 bytes at `p`: set where the byte equals `wanted`.
inline std::uint64_t equalMask(const unsigned char* p, __m128i wanted) {
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const auto bits =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)) & 0xFFFF);
        mask |= std::uint64_t{bits} << (16 * part);
    }
    return mask;
}

// One bit per byte of the 64 bytes at `p`: set where the byte is 0x80 or more.
inline std::uint64_t leadByteMask(const unsigned char* p) {
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(block) & 0xFFFF);
        mask |= std::uint64_t{bits} << (16 * part);
    }
    return mask;
}

// Which of 64 bytes are second bytes of a double-byte character, given whether the first of
// them is one. The byte after any byte below 0x80 starts a character, so every run of bytes
// of 0x80 or more begins at a character start and pairs up from there: the bytes at even
// offsets in the run take the next byte with them.
inline std::uint64_t trailMask(std::uint64_t high, bool firstIsTrail, bool& lastTakesNext) {
    constexpr std::uint64_t kEven = 0x5555555555555555ULL;
    if (firstIsTrail)
        high &= ~std::uint64_t{1};
    const std::uint64_t runStarts = high & ~(high << 1);
    // Adding a one at the start of a run clears the whole run: what is left of `high` are the
    // runs that start at odd offsets.
    const std::uint64_t oddRuns = high & (high + (runStarts & kEven));
    const std::uint64_t evenRuns = high & ~oddRuns;
    const std::uint64_t leads = (evenRuns & kEven) | (oddRuns & ~kEven);
    lastTakesNext = (leads >> 63) != 0;
    return (leads << 1) | (firstIsTrail ? 1 : 0);
}

#endif

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
    const std::size_t end = length - k + 1;  // match tries happen below this index
    std::size_t base = 0;
    bool baseIsTrail = false;

#if defined(__SSE2__)
    // 64 bytes at a time: the first and last byte of the feature are compared at every byte,
    // and only the character starts among the hits count. The reads of the last byte stay
    // inside the page because every try in a block lies below `end`.
    const __m128i first = _mm_set1_epi8(static_cast<char>(f[0]));
    const __m128i last = _mm_set1_epi8(static_cast<char>(f[k - 1]));
    while (end - base >= 64) {
        const unsigned char* block = p + base;
        bool nextIsTrail = false;
        const std::uint64_t trails = trailMask(leadByteMask(block), baseIsTrail, nextIsTrail);
        std::uint64_t tries = equalMask(block, first) & ~trails;
        if (tries != 0)
            tries &= equalMask(block + k - 1, last);
        while (tries != 0) {
            const std::size_t i = base + static_cast<std::size_t>(__builtin_ctzll(tries));
            if (k <= 2 || std::memcmp(p + i + 1, f + 1, k - 2) == 0)
                return toPosition(i);
            tries &= tries - 1;
        }
        base += 64;
        baseIsTrail = nextIsTrail;
    }
#endif
    return stepFrom(p, length, f, k, baseIsTrail ? base + 1 : base);
}

}  // namespace tq::check
