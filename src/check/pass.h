#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tq::check {

// What a check needs of the window. The window runs each call on its own thread and blocks
// the calling worker until it is done; tests may implement it directly.
class WindowFields {
public:
    virtual ~WindowFields() = default;
    // The address list as it stands now. The same pointer comes back while the list is
    // unchanged, so a caller may keep work derived from it keyed on the pointer.
    virtual std::shared_ptr<const std::string> addressList() = 0;
    virtual std::string featureString() = 0;
    virtual bool onlyDropped() = 0;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setProgress(const std::string& text) = 0;
    // Appends at the end of the results box in one step.
    virtual void appendResult(const std::string& line) = 0;
    // Runs `accesses` (calls of the functions above) as one step of the window, so a check
    // hands over to the window thread once instead of once per access. The order of the
    // accesses is unchanged; without a window thread, running them in place is enough.
    virtual void together(const std::function<void()>& accesses) { accesses(); }
};

// Fetches one address: the page bytes, empty on failure.
using FetchPage = std::function<std::string(const std::string& address)>;
// Starts a routine on a new detached thread; false when no thread could be started.
using StartWorker = std::function<bool(std::function<void()>)>;

// The check pass: a chain of checks, each on its own worker, sharing one cursor. The object
// must outlive every worker it starts (the program keeps one for the whole run).
class CheckPass {
public:
    CheckPass(WindowFields& window, FetchPage fetch, StartWorker startWorker);
    ~CheckPass();
    CheckPass(const CheckPass&) = delete;
    CheckPass& operator=(const CheckPass&) = delete;

    void startPass();    // progress label, then one check
    void startCheck();   // one check on a new worker; returns at once
    void runOneCheck();  // the body a worker runs

    // Number of checks claimed so far.
    std::int32_t cursor() const { return cursor_.load(); }
    // Lets tests bring the cursor near the end of its range.
    void setCursorForTest(std::int32_t value) { cursor_.store(value); }

private:
    struct Members;
    // The members of the current list, split again only when the list changes.
    std::shared_ptr<const Members> membersOf(std::shared_ptr<const std::string> list);
    // Raises the cursor and returns the new value, wrapping like the 32-bit integer it is.
    std::int32_t claim();

    WindowFields& window_;
    FetchPage fetch_;
    StartWorker startWorker_;
    std::atomic<std::int32_t> cursor_{0};
    std::mutex cacheMutex_;
    std::shared_ptr<const Members> cache_;
};

}  // namespace tq::check
