#include "app/folder.h"

#include <filesystem>
#include <system_error>

namespace tq::app {

namespace {

std::string findProgramFolder() {
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    return error ? std::string(".") : folderOf(path);
}

}  // namespace

std::string folderOf(const std::string& filePath) {
    const auto slash = filePath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return filePath.substr(0, slash);
}

const std::string& programFolder() {
    static const std::string folder = findProgramFolder();
    return folder;
}

std::string programFile(const std::string& name) {
    const std::string& folder = programFolder();
    return folder == "/" ? folder + name : folder + "/" + name;
}

}  // namespace tq::app
