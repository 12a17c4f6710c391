// Windows runs a program opened inside a compressed folder from a copy in
// the user's temporary folder, which it empties later: "time.txt" saved
// there is lost. The program tells the user so at start.
#pragma once

#include <optional>
#include <string>

namespace duedate::win32 {

// Whether `path` is `folder` or lies inside it, compared as Windows compares
// names: without regard to case. Neither needs a trailing separator.
bool IsWithin(const std::wstring& path, const std::wstring& folder);

// The working folder, where "time.txt" is kept, or else the program's folder,
// where either lies inside the user's temporary folder; nothing otherwise.
std::optional<std::wstring> FolderInTemporaryFolder(const std::wstring& programDirectory);

// What the user is told then, naming `folder`.
std::string TemporaryFolderWarning(const std::wstring& folder);

}  // namespace duedate::win32
