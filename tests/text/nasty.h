#pragma once
// Byte strings that a lossy conversion would damage. None contains a zero byte: texts end there.
#include <string>
#include <vector>

namespace tq::text::testing {

struct Nasty {
    const char* name;
    std::string bytes;
};

inline std::string allNonZeroBytes() {
    std::string s;
    for (int b = 1; b <= 255; ++b)
        s += char(b);
    return s;
}

// What a UTF-16LE text looks like once its zero bytes are gone.
inline std::string utf16WithoutZeros() {
    const char16_t text[] = u"Hello, \u4e16\u754c \u00e9\r\n";
    std::string s;
    for (char16_t c : text) {
        if (c & 0xFF)
            s += char(c & 0xFF);
        if (c >> 8)
            s += char(c >> 8);
    }
    return s;
}

inline std::vector<Nasty> nastyInputs() {
    return {
        {"empty", ""},
        {"ascii", "http://example.com/a?b=1&c=<d>"},
        {"gbk chinese", "\xd6\xd0\xce\xc4\xcd\xe2\xc1\xb4\xb4\xe6\xd4\xda!\xa1\xcc"},
        {"euro and 0xff", "\x80 \xff"},
        {"invalid pair", "\x81\x30\xa1\x7f"},
        {"lead byte at end", "abc\xb0"},
        {"lead byte then lead byte at end", "\xd6\xd0\xfe"},
        {"lone 0x80 and 0xff", "\x80\xff\x80"},
        {"utf-8 bytes", "caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80"},
        {"utf-16le without zeros", utf16WithoutZeros()},
        {"cr alone", "a\rb"},
        {"lf alone", "a\nb"},
        {"cr lf at end", "line\r\n"},
        {"cr cr lf", "a\r\r\nb"},
        {"lf cr", "a\n\rb"},
        {"cr at end", "a\r"},
        {"lf at start", "\nz"},
        {"blank lines", "\r\n\r\n\r\n"},
        {"lead byte before cr lf", "\xb0\r\n\xb0"},
        {"controls and tabs", "\x01\x02\t\x0b\x0c\x1b[0m\x1f\x7f"},
        {"all bytes 1..255", allNonZeroBytes()},
        {"all bytes twice, shifted", allNonZeroBytes().substr(1) + allNonZeroBytes()},
    };
}

}  // namespace tq::text::testing
