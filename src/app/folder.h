#pragma once
#include <string>

namespace tq::app {

// The folder that holds the running executable, without a trailing separator; fixed for the
// whole run (the first call decides it).
const std::string& programFolder();

// The folder part of an absolute file path: cut at the last '/', "/" for a file in the root,
// "." when there is no '/' at all.
std::string folderOf(const std::string& filePath);

// Path of a file in the program folder.
std::string programFile(const std::string& name);

}  // namespace tq::app
