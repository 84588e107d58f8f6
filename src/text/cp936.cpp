#include "text/cp936.h"

// Placeholder until the lossless codec lands.
namespace tq::text {

QString decode(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}
std::string encode(QStringView text) {
    QByteArray b = text.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
}
QString decodeLines(std::string_view bytes) { return decode(bytes); }
std::string encodeLines(QStringView text) { return encode(text); }

}  // namespace tq::text
