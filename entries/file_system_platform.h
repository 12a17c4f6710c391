// What each system's file (file_system_posix.cpp, file_system_windows.cpp;
// the build picks one) gives the portable file layer in file_system.cpp:
// the steps of a save, and what only that system knows of processes and
// errors.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "entries/file_system.h"

namespace duedate::file_system_platform {

// Each system's record of the file a save replaces (its permission bits and
// owner, or its attributes), which the new file takes over.
struct OldFile;

// Where a save puts its bytes: the file that really holds them (a link's
// target, a name in full), and what stands there now, if anything.
struct SaveTarget {
  std::filesystem::path path;
  std::shared_ptr<const OldFile> old;
};

// Finds the target of a save of `file`. Refuses a folder, a pipe or device,
// and a file the user may not write or that another program holds.
std::error_code FindSaveTarget(const std::filesystem::path& file, SaveTarget& target);

// Creates `temporary` (a name no file has), private to its owner, and sets
// `created`; writes `bytes` to it, gives it what the old file had, flushes
// it to disk and closes it.
std::error_code WriteNewFile(const SaveTarget& target, const std::filesystem::path& temporary,
                             const std::string& bytes, bool& created);

// Puts the new file in the target's place, durably. Sets `onlyCopy` where
// it failed after the old file was gone: the new file, still under its
// temporary name, then holds the only copy and must stay.
std::error_code PutInPlace(const SaveTarget& target, const std::filesystem::path& temporary,
                           bool& onlyCopy);

// A name beside `file` that no other save, of this process or another, uses:
// "time.txt.<process id>.<random>.tmp" for a save's temporary file, or
// ".bak" at the end for the old file moved aside (the portable part's; see
// Leftover).
std::filesystem::path UnusedNameBeside(const std::filesystem::path& file, bool backup = false);

unsigned long ProcessId();
bool ProcessAlive(unsigned long pid);

// The problem an error only this system gives means, if any.
std::optional<FileProblem> PlatformProblemOf(const std::error_code& error);

}  // namespace duedate::file_system_platform
