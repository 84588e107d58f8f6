#include "text/bytes.h"

namespace tq::text {

std::string_view untilZero(std::string_view buffer) {
    return buffer.substr(0, buffer.find('\0'));
}

std::string untilZero(std::string buffer) {
    buffer.resize(untilZero(std::string_view(buffer)).size());
    return buffer;
}

}  // namespace tq::text
