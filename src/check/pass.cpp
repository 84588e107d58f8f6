#include "check/pass.h"

#include <string_view>
#include <vector>

#include "check/find.h"
#include "check/split.h"
#include "check/texts.h"

namespace tq::check {

struct CheckPass::Members {
    std::shared_ptr<const std::string> list;  // keeps the bytes the views point into
    std::vector<std::string_view> members;
};

CheckPass::CheckPass(WindowFields& window, FetchPage fetch, StartWorker startWorker)
    : window_(window), fetch_(std::move(fetch)), startWorker_(std::move(startWorker)) {}

CheckPass::~CheckPass() = default;

void CheckPass::startPass() {
    window_.setProgress(kProgressRunning);
    startCheck();
}

void CheckPass::startCheck() {
    // A worker that cannot be started ends the chain; nothing is shown.
    (void)startWorker_([this] { runOneCheck(); });
}

std::shared_ptr<const CheckPass::Members> CheckPass::membersOf(
    std::shared_ptr<const std::string> list) {
    if (!list)
        list = std::make_shared<const std::string>();
    std::lock_guard lock(cacheMutex_);
    if (!cache_ || cache_->list != list) {
        auto fresh = std::make_shared<Members>();
        fresh->members = splitAddressList(*list);
        fresh->list = std::move(list);
        cache_ = std::move(fresh);
    }
    return cache_;
}

std::int32_t CheckPass::claim() {
    // Unsigned arithmetic: stepping past the 32-bit maximum wraps instead of overflowing.
    const auto before = static_cast<std::uint32_t>(cursor_.fetch_add(1));
    return static_cast<std::int32_t>(before + 1u);
}

void CheckPass::runOneCheck() {
    // Reading the list, claiming a number and showing what it names is one window step.
    std::string address;
    bool finished = false;
    window_.together([&] {
        const std::shared_ptr<const Members> list = membersOf(window_.addressList());
        const auto count = list->members.size();
        const std::int32_t n = claim();

        // A cursor that has wrapped below 1 names no member: the pass is over as for any
        // number past the end.
        if (n <= 0 || static_cast<std::size_t>(n) > count) {
            window_.setStatus(kCompletionMessage);
            window_.setProgress(kProgressDone);
            finished = true;
            return;
        }
        address = list->members[static_cast<std::size_t>(n) - 1];
        window_.setStatus(address);
    });
    if (finished)
        return;

    const std::string page = pageText(fetch_(address));
    // Read after the fetch, so an edit made while the page loads counts for this check.
    const bool present = isPresent(findText(page, window_.featureString()));

    window_.together([&] {
        if (!present) {
            window_.appendResult(address + kGoneMarker);
        } else if (!window_.onlyDropped()) {
            window_.appendResult(address + kPresentMarker);
        }
    });
    startCheck();
}

}  // namespace tq::check
