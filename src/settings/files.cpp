#include "settings/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <random>

namespace tq::settings {

namespace testing {
BeforeReplaceHook beforeReplace = nullptr;
}  // namespace testing

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now, so that a failing close (a late write error on some file systems) is seen.
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Only a lock held the other way is a conflict. File systems without flock support leave the
// files unshared rather than unusable.
bool lockOrConflict(int fd, int how) {
    while (::flock(fd, how | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        return errno != EWOULDBLOCK;
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at; it need not exist yet.
std::optional<std::string> followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                return path;
            }
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<size_t>(length) >= link.size()) {
            return std::nullopt;
        }
        link.resize(static_cast<size_t>(length));
        if (link.empty()) {
            return std::nullopt;
        }
        if (link.front() == '/') {
            path = link;
        } else {
            std::string folder = folderOf(path);
            path = (folder == "/" ? "" : folder) + "/" + link;
        }
    }
    return std::nullopt;
}

// A fresh, exclusively created file beside the target; the mode leaves the umask its say
// for files that are new.
Fd createTemporary(const std::string& target, std::string& temporaryPath) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string folder = folderOf(target);
    const std::string prefix = (folder == "/" ? "" : folder) + "/." + nameOf(target) + ".";
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 8; ++i) {
            suffix += kDigits[random() % (sizeof kDigits - 1)];
        }
        temporaryPath = prefix + suffix + ".tmp";
        int fd =
            ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            return Fd(fd);
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temporaryPath.clear();
    return Fd();
}

void syncFolder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) {
        // The new file is already in place; a folder that cannot be synced changes nothing.
        (void)::fsync(dir.get());
    }
}

bool hasWriteBit(mode_t mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace

std::optional<std::string> readFile(const std::string& path) {
    // Non-blocking open: a FIFO chosen in the import dialog must not hang the window.
    Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file) {
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    if (!lockOrConflict(file.get(), LOCK_SH)) {
        return std::nullopt;
    }
    try {
        std::string bytes;
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) {
                // The file may have grown since fstat; read on until the end.
                bytes.resize(bytes.size() + 4096);
            }
            ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return std::nullopt;
            }
            if (got == 0) {
                break;
            }
            filled += static_cast<size_t>(got);
        }
        bytes.resize(filled);
        return bytes;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool writeFile(const std::string& path, std::string_view bytes) {
    const auto target = followLinks(path);
    if (!target) {
        return false;
    }
    const std::string folder = folderOf(*target);
    struct stat folderStat;
    if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) ||
        !hasWriteBit(folderStat.st_mode)) {
        return false;
    }

    // Opening the old file for writing asks the system whether we may change it (it also
    // refuses read-only file systems); the mode bits say it for the superuser too. The open
    // file carries the lock until the new file has taken its place.
    Fd old(::open(target->c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat oldStat;
    if (old) {
        if (::fstat(old.get(), &oldStat) != 0 || !S_ISREG(oldStat.st_mode) ||
            !hasWriteBit(oldStat.st_mode)) {
            return false;
        }
        if (!lockOrConflict(old.get(), LOCK_EX)) {
            return false;
        }
    } else if (errno != ENOENT) {
        return false;
    }

    std::string temporaryPath;
    Fd temporary = createTemporary(*target, temporaryPath);
    if (!temporary) {
        return false;
    }
    auto abandon = [&] {
        ::unlink(temporaryPath.c_str());
        return false;
    };
    if (old) {
        // Owner first: changing the owner may clear set-id bits that the mode then restores.
        (void)::fchown(temporary.get(), oldStat.st_uid, oldStat.st_gid);
        if (::fchmod(temporary.get(), oldStat.st_mode & 07777) != 0) {
            return abandon();
        }
    }
    if (!writeAll(temporary.get(), bytes) || ::fsync(temporary.get()) != 0 || !temporary.close()) {
        return abandon();
    }
    if (testing::beforeReplace && !testing::beforeReplace(temporaryPath, *target)) {
        return abandon();
    }
    if (::rename(temporaryPath.c_str(), target->c_str()) != 0) {
        return abandon();
    }
    syncFolder(folder);
    return true;
}

}  // namespace tq::settings
