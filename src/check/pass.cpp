#include "check/pass.h"

namespace tq::check {

struct CheckPass::SplitCache {};

CheckPass::CheckPass(WindowFields& window, FetchPage fetch, StartWorker startWorker)
    : window_(window), fetch_(std::move(fetch)), startWorker_(std::move(startWorker)) {}
CheckPass::~CheckPass() = default;
void CheckPass::startPass() {}
void CheckPass::startCheck() {}
void CheckPass::runOneCheck() {}

}  // namespace tq::check
