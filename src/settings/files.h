#pragma once
// Whole-file reads and writes with the sharing rules between copies of the program.
#include <optional>
#include <string>
#include <string_view>

namespace tq::settings {

// The whole file, or nothing when it cannot be read (missing, no access, held for writing).
std::optional<std::string> readFile(const std::string& path);

// Replaces the file with `bytes` so that a failure at any point leaves the old file whole.
bool writeFile(const std::string& path, std::string_view bytes);

}  // namespace tq::settings
