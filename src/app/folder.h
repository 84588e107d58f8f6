#pragma once
#include <string>

namespace tq::app {

// The folder that holds the running executable, without a trailing separator; fixed for the
// whole run (the first call decides it).
const std::string& programFolder();

// Path of a file in the program folder.
std::string programFile(const std::string& name);

}  // namespace tq::app
