#pragma once
// The one place where code page 936 bytes meet Qt's UTF-16 strings. Both directions are
// lossless: encode(decode(b)) == b for every byte string b, valid GBK or not.
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

}  // namespace tq::text
