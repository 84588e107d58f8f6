#pragma once
// Whole-file reads and writes with the sharing rules between copies of the program.
//
// Copies of the program keep out of each other's way with advisory locks (flock): a reader
// holds a shared lock while it reads, a writer an exclusive lock on the file it replaces. Both
// ask without waiting, and a lock held the other way counts as a failure, never as a wait.
#include <optional>
#include <string>
#include <string_view>

namespace tq::settings {

// The whole file, or nothing when it cannot be read (missing, not a regular file, no access,
// held for writing by another copy, out of memory).
std::optional<std::string> readFile(const std::string& path);

// Replaces the file with `bytes` so that a failure at any point leaves the old file whole:
// the bytes go to a temporary file in the same folder, which is flushed to disk and renamed
// over the old one. A symbolic link is followed and the file it names is replaced; the file
// keeps its permission bits. Fails, touching nothing, when the file is read-only (it has no
// write permission bit at all, whoever runs the program), when its folder has no write
// access, or when another copy holds a lock on it.
bool writeFile(const std::string& path, std::string_view bytes);

namespace testing {

// Called once the temporary file is complete and on disk, just before it replaces the target.
// Returning false abandons the write there, as a failure would. Null in normal runs.
using BeforeReplaceHook = bool (*)(const std::string& temporaryPath, const std::string& target);
extern BeforeReplaceHook beforeReplace;

}  // namespace testing

}  // namespace tq::settings
