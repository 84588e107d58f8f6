#include "text/cp936.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tq::text {

namespace {

// Encoding table entry: a byte (< 0x100), a lead/trail pair (lead << 8 | trail, always >= 0x8100)
// or kNoForm.
constexpr std::uint16_t kNoForm = 0xFFFF;

struct Tables {
    // Double-byte characters by (lead - 0x80) << 8 | trail; 0 where the pair is not valid.
    std::array<char16_t, 128 * 256> pairs{};
    // What a byte 0x80..0xFF stands for on its own: its character, or its escape.
    std::array<char16_t, 128> singles{};
    // Code page 936 form of every UTF-16 code unit (surrogate pairs never have one).
    std::array<std::uint16_t, 65536> forms{};
};

std::unique_ptr<Tables> buildTables() {
    auto t = std::make_unique<Tables>();
    t->forms.fill(kNoForm);
    for (unsigned c = 0; c < 0x80; ++c)
        t->forms[c] = std::uint16_t(c);
    for (unsigned b = 0x01; b <= 0xFF; ++b)
        t->forms[escapeOf(static_cast<unsigned char>(b))] = std::uint16_t(b);

    // Qt's converter is used only to learn the table. A byte sequence counts as valid when it
    // decodes to exactly one ordinary character that encodes back to the same bytes; this keeps
    // each character's form unique, so the reverse table is exact.
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    auto accept = [&](const char* bytes, qsizetype n) -> char16_t {
        // A fresh decoder each time: a reused one keeps its error state after a reset.
        QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
        encoder.resetState();
        QString s = decoder.decode(QByteArrayView(bytes, n));
        if (decoder.hasError() || s.size() != 1)
            return 0;
        char16_t c = s.at(0).unicode();
        if (c == 0xFFFD || QChar::isSurrogate(c) || c < 0x80)
            return 0;
        QByteArray back = encoder.encode(QStringView(s));
        if (encoder.hasError() || back.size() != n || std::memcmp(back.constData(), bytes, n) != 0)
            return 0;
        return c;
    };

    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        const char byte = char(b);
        char16_t c = accept(&byte, 1);
        if (c != 0 && t->forms[c] == kNoForm) {
            t->singles[b - 0x80] = c;
            t->forms[c] = std::uint16_t(b);
        } else {
            t->singles[b - 0x80] = escapeOf(static_cast<unsigned char>(b));
        }
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            char16_t c = accept(pair, 2);
            if (c == 0 || t->forms[c] != kNoForm)
                continue;
            t->pairs[(lead - 0x80) << 8 | trail] = c;
            t->forms[c] = std::uint16_t(lead << 8 | trail);
        }
    }
    // Text pasted from web pages carries no-break spaces; the code page has none, and a blank is
    // what the user sees. (Decoding never produces U+00A0, so no byte string changes.)
    if (t->forms[0x00A0] == kNoForm)
        t->forms[0x00A0] = ' ';
    return t;
}

const Tables& tables() {
    // Built once, on whichever thread asks first; later callers wait for it.
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

// What an ASCII byte becomes in a multi-line box when it is not part of a CR LF pair: the byte
// itself, or its escape where a text widget would turn it into a line break.
constexpr char16_t lineChar(unsigned char b) {
    return (b == '\r' || b == '\n') ? escapeOf(b) : char16_t(b);
}

// True when any byte of w equals c (exact: the classic zero-byte test on w ^ c...c).
constexpr bool hasByte(std::uint64_t w, unsigned char c) {
    const std::uint64_t v = w ^ (0x0101010101010101ull * c);
    return ((v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull) != 0;
}

template <bool kLines>
QString decodeImpl(std::string_view bytes) {
    const Tables& t = tables();
    QString out(qsizetype(bytes.size()), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // A run of double-byte text: one table lookup per pair. Only the very last byte
        // lacks a partner.
        while (p + 1 < end && *p >= 0x80) {
            const char16_t c = t.pairs[(unsigned(*p) << 8 | p[1]) - 0x8000];
            if (c != 0) {
                *o++ = c;
                p += 2;
            } else {
                *o++ = t.singles[*p - 0x80];
                ++p;
            }
        }
        if (p + 1 == end && *p >= 0x80) {
            *o++ = t.singles[*p - 0x80];
            ++p;
        }
        // A run of ASCII (addresses, markup): widened eight bytes at a time.
        while (p < end && *p < 0x80) {
            if (end - p >= 8) {
                std::uint64_t w;
                std::memcpy(&w, p, 8);
                bool plain = (w & 0x8080808080808080ull) == 0;
                if constexpr (kLines)
                    plain = plain && !hasByte(w, '\r') && !hasByte(w, '\n');
                if (plain) {
                    for (int k = 0; k < 8; ++k)
                        o[k] = p[k];
                    o += 8;
                    p += 8;
                    continue;
                }
            }
            const unsigned char b = *p;
            if constexpr (kLines) {
                if (b == '\r' && p + 1 < end && p[1] == '\n') {
                    *o++ = u'\n';
                    p += 2;
                    continue;
                }
                *o++ = lineChar(b);
            } else {
                *o++ = b;
            }
            ++p;
        }
    }
    out.truncate(qsizetype(o - reinterpret_cast<char16_t*>(out.data())));
    return out;
}

template <bool kLines>
std::string encodeImpl(QStringView text) {
    const Tables& t = tables();
    std::string out(size_t(text.size()) * 2, '\0');
    char* o = out.data();
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
        const char16_t c = *p;
        if (c < 0x80) {
            // ASCII four code units at a time (a line break is ASCII but not copied as it is).
            if (end - p >= 4) {
                std::uint64_t w;
                std::memcpy(&w, p, 8);
                bool plain = (w & 0xFF80FF80FF80FF80ull) == 0;
                if constexpr (kLines)
                    plain = plain && !hasByte(w, '\r') && !hasByte(w, '\n');
                if (plain) {
                    for (int k = 0; k < 4; ++k)
                        o[k] = char(p[k]);
                    o += 4;
                    p += 4;
                    continue;
                }
            }
            ++p;
            if constexpr (kLines) {
                if (c == u'\r' || c == u'\n') {
                    if (c == u'\r' && p < end && *p == u'\n')
                        ++p;
                    *o++ = '\r';
                    *o++ = '\n';
                    continue;
                }
            }
            *o++ = char(c);
            continue;
        }
        ++p;
        const std::uint16_t form = t.forms[c];
        if (form >= 0x100 && form != kNoForm) {
            *o++ = char(form >> 8);
            *o++ = char(form & 0xFF);
        } else if (form < 0x100) {
            *o++ = char(form);
        } else if (kLines && (c == 0x2028 || c == 0x2029)) {
            // The widget's own block separator, or a line separator typed with Shift+Enter.
            *o++ = '\r';
            *o++ = '\n';
        } else {
            // No code page 936 form; a surrogate pair is one character and gives one '?'.
            if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p))
                ++p;
            *o++ = '?';
        }
    }
    out.resize(size_t(o - out.data()));
    return out;
}

}  // namespace

QString decode(std::string_view bytes) {
    return decodeImpl<false>(bytes);
}
std::string encode(QStringView text) {
    return encodeImpl<false>(text);
}
QString decodeLines(std::string_view bytes) {
    return decodeImpl<true>(bytes);
}
std::string encodeLines(QStringView text) {
    return encodeImpl<true>(text);
}

char16_t pairChar(unsigned char lead, unsigned char trail) {
    if (lead < 0x80)
        return 0;
    return tables().pairs[(lead - 0x80) << 8 | trail];
}

LinesContinuation decodeLinesAfter(char16_t last, std::string_view more) {
    LinesContinuation r;
    if (!more.empty() && last != 0) {
        // Only a character that stands for a single byte can join the first appended byte.
        const std::uint16_t form = tables().forms[last];
        const auto first = static_cast<unsigned char>(more.front());
        if (last == escapeOf('\r') && first == '\n') {
            r.replaceLast = true;
            r.text = QStringLiteral("\n") + decodeLines(more.substr(1));
            return r;
        }
        if (form >= 0x80 && form < 0x100) {
            if (const char16_t c = pairChar(static_cast<unsigned char>(form), first)) {
                r.replaceLast = true;
                r.text = QChar(c) + decodeLines(more.substr(1));
                return r;
            }
        }
    }
    r.text = decodeLines(more);
    return r;
}

}  // namespace tq::text
