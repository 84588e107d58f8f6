#include "check/find.h"

#include "text/bytes.h"

namespace tq::check {

std::string pageText(std::string pageBytes) { return text::untilZero(std::move(pageBytes)); }

std::int32_t findText(std::string_view, std::string_view) { return -1; }

}  // namespace tq::check
