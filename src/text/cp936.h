#pragma once
// The one place where code page 936 bytes meet Qt's UTF-16 strings. Both directions are
// lossless: encode(decode(b)) == b for every byte string b, valid GBK or not.
//
// Valid single bytes and double-byte pairs become their real characters. Every byte of an
// invalid sequence (a lone lead byte, a pair the code page does not define) is carried as the
// lone surrogate U+DC00+byte and comes back as that byte. Characters with no code page 936 form
// (an emoji the user typed) encode as '?'.
#include <QString>
#include <string>
#include <string_view>

namespace tq::text {

// Single-line use (line edits, labels, titles): every byte is carried, CR and LF included.
QString decode(std::string_view bytes);
std::string encode(QStringView text);

// Multi-line boxes: a CR LF pair is a line break ('\n' in the returned QString); a lone CR or
// LF is a byte of its line and is carried as an escape that no widget turns into a break.
QString decodeLines(std::string_view bytes);
std::string encodeLines(QStringView text);

// The escape that carries one raw byte (never produced for bytes a widget keeps as they are).
constexpr char16_t escapeOf(unsigned char byte) {
    return char16_t(0xDC00 + byte);
}
constexpr bool isEscape(char16_t c) {
    return c >= 0xDC01 && c <= 0xDCFF;
}

// The character a valid double-byte pair stands for, or 0 when the pair is not valid.
char16_t pairChar(unsigned char lead, unsigned char trail);

// Appending bytes to a multi-line text whose decoded form ends with `last` (0 when empty):
// the appended bytes may complete that last character (a lone CR followed by LF becomes a line
// break, a lone lead byte takes a trail byte with it). `replaceLast` says whether `last` must
// be removed before `text` is appended, so that the result equals decodeLines(old + more).
struct LinesContinuation {
    bool replaceLast = false;
    QString text;
};
LinesContinuation decodeLinesAfter(char16_t last, std::string_view more);

}  // namespace tq::text
