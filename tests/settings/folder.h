#pragma once
// A scratch folder per test and plain byte helpers that do not go through the code under test.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace tq::settings::test {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tq-settings-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        // Tests take write access away; give it back so everything can go.
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                ::chmod(it->path().c_str(), 0755);
            }
        }
        ::chmod(path_.c_str(), 0755);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    std::set<std::string> names() const;

private:
    std::string path_;
};

inline std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        result.insert(entry.path().filename().string());
    }
    return result;
}

inline std::set<std::string> ScratchFolder::names() const {
    return namesIn(path_);
}

inline void putBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace tq::settings::test
