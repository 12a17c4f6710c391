// The file operations behind the saved entries: opening the file to read it,
// creating it empty, and replacing it whole while keeping what the user set
// on it. The build adds each system's steps (file_system_posix.cpp or
// file_system_windows.cpp) to the portable part (file_system.cpp).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace duedate {

// Opens a regular file for reading, or gives why not in `error`. Whatever
// else stands under the name (a folder, a pipe, a device) is not opened
// for reading: waiting on a pipe would hang the program.
std::FILE* OpenForReading(const std::filesystem::path& file, std::error_code& error);

// Creates `file` empty, readable and writable by its owner only; a file
// already there is left as it is.
std::error_code CreateEmptyFile(const std::filesystem::path& file);

// Puts `bytes` in place of the content of `file`, or creates it, so that at
// every moment the file holds either its old or its new content:
//   - the bytes go to a temporary file beside the file, flushed to disk,
//     which then takes the file's place;
//   - a symbolic link stays a link, and its target takes the bytes;
//   - the file keeps its permission bits and owner (POSIX), or its
//     attributes and security (Windows); one created anew is private to
//     its owner;
//   - a file the user may not write, or one held by another program, is
//     not replaced; a program that holds the file only briefly (a virus
//     scanner) is waited for about a second.
// What a save cannot keep: a hard link. The file takes the new content
// under its name, and its other names keep the old content.
// What saves cut short left beside the file (see Leftover) is removed
// afterwards, once the file holds the new content.
std::error_code ReplaceFileContent(const std::filesystem::path& file, const std::string& bytes);

// What a save cut short (a crash, a power loss, a failure of every way to
// put a file in place) may leave beside the file it replaces: the new
// content under a temporary name, "time.txt.<process id>.<16 hex
// digits>.tmp", and, where the system moves the old file aside first, the
// old content under a backup name, the same ending in ".bak". Both stay
// until a later save has put whole entries in place: a start that finds
// the file missing or empty reads them.
struct Leftover {
  std::filesystem::path path;
  bool backup = false;  // the old content, moved aside whole
  std::filesystem::file_time_type written;
};
// Those beside `file` (the file a save replaces: a link's target), newest
// first; of two written at once, a new copy before a backup.
std::vector<Leftover> LeftoversBeside(const std::filesystem::path& file);
// The file a save of `file` replaces, named as the save names it: on POSIX
// systems the target of a link; on Windows the name in full (each system's).
std::filesystem::path SaveTargetOf(const std::filesystem::path& file);

// A path as UTF-8 text, to show the user; any name the system allows can
// be shown.
std::string PathText(const std::filesystem::path& path);

// What went wrong, in the terms a user is told.
enum class FileProblem {
  Other,
  InUse,         // another program holds the file
  Denied,        // no permission
  ReadOnlyDisk,
  DiskFull,
  QuotaExceeded,
  NoFolder,
  IsFolder,      // a folder stands under the file's name
  NotAFile,      // a pipe, a device or the like stands there
  InputOutput,   // the disk or the network failed
  NameTooLong,
  TooManyOpen,   // the system or the program has too many files open
  TooLarge,      // the system limits the size of files this program writes
};
FileProblem ProblemOf(const std::error_code& error);

}  // namespace duedate
