#include "window/win32/entries_place.h"

#include <windows.h>

#include <string>

#include "entries/file_system.h"
#include "window/win32/program_folder.h"

namespace duedate::win32 {
namespace {

std::wstring Environment(const wchar_t* name) {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length < value.size()) {
      value.resize(length);  // 0 where it is not set
      return value;
    }
    value.resize(length);  // too small: the length asked for counts the terminator
  }
}

bool Protects(const std::error_code& error) {
  const FileProblem problem = ProblemOf(error);
  return problem == FileProblem::Denied || problem == FileProblem::ReadOnlyDisk;
}

// A file that is there: whether it may be written. Only a folder or medium
// that refuses counts, not a file the user made read-only.
bool WritingRefused(const std::filesystem::path& file) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_WRITE_PROTECT) return true;
  if (error != ERROR_ACCESS_DENIED) return false;  // held by another program, gone, …
  const DWORD attributes = GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

}  // namespace

std::optional<EntriesElsewhere> EntriesElsewhereIfProtected(const std::filesystem::path& file,
                                                            const std::error_code& loading) {
  if (loading ? !Protects(loading) : !WritingRefused(file)) return std::nullopt;
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(file, ignored);
  if (full.empty()) full = file;
  const std::wstring dataFile = DataFolderEntriesFile(Environment(L"APPDATA"));
  // Started in the data folder itself, the entries have nowhere better to go.
  if (dataFile.empty() || CompareStringOrdinal(dataFile.c_str(), -1, full.c_str(), -1, TRUE) == CSTR_EQUAL)
    return std::nullopt;
  EntriesElsewhere elsewhere{dataFile, {full}};
  const std::wstring copy = VirtualStoreCopy(Environment(L"LOCALAPPDATA"), full.native());
  if (!copy.empty()) elsewhere.olderCopies.emplace_back(copy);
  return elsewhere;
}

}  // namespace duedate::win32
