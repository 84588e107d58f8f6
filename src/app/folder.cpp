#include "app/folder.h"

namespace tq::app {

const std::string& programFolder() {
    static const std::string folder = ".";
    return folder;
}
std::string programFile(const std::string& name) { return programFolder() + "/" + name; }

}  // namespace tq::app
