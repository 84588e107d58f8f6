#pragma once
#include <string_view>
#include <vector>

namespace tq::check {

// Members of an address list: cut at each CR LF that stands at a character start; the bytes
// after the last cut are a member only when there is at least one. Views point into `text`.
std::vector<std::string_view> splitAddressList(std::string_view text);

}  // namespace tq::check
