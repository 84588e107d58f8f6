#include "check/fetch.h"

namespace tq::check {

struct Fetcher::Impl {
    FetchOptions options;
};

Fetcher::Fetcher(FetchOptions options) : impl_(new Impl{std::move(options)}) {}
Fetcher::~Fetcher() = default;
std::string Fetcher::fetch(std::string_view) { return {}; }

}  // namespace tq::check
