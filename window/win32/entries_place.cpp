#include "window/win32/entries_place.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "entries/file_system.h"
#include "entries/saved_entries.h"
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

// Whether the volume that holds `file` is read-only as a whole, as a CD or
// DVD is.
bool OnReadOnlyVolume(const std::filesystem::path& file) {
  wchar_t root[MAX_PATH + 1] = {};
  DWORD flags = 0;
  return GetVolumePathNameW(file.c_str(), root, MAX_PATH + 1) &&
         GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_READ_ONLY_VOLUME) != 0;
}

// What Windows tells of `file`, or nothing where it is not there.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> AttributesOf(const std::filesystem::path& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data;
}

// A file that is there: whether it may be written. Only a folder or medium
// that refuses counts, not a file the user made read-only. What was read of
// the file on the way is kept in `attributes`.
bool WritingRefused(const std::filesystem::path& file, std::optional<WIN32_FILE_ATTRIBUTE_DATA>& attributes) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  const DWORD error = GetLastError();
  const WriteRefusal refusal = error == ERROR_WRITE_PROTECT   ? WriteRefusal::WriteProtected
                               : error == ERROR_ACCESS_DENIED ? WriteRefusal::AccessDenied
                                                              : WriteRefusal::Other;  // held, gone, …
  if (refusal == WriteRefusal::AccessDenied) {
    attributes = AttributesOf(file);
    if (!attributes) return false;
  }
  const DWORD found = attributes ? attributes->dwFileAttributes : 0;
  return RefusalProtects(refusal, (found & FILE_ATTRIBUTE_DIRECTORY) != 0, (found & FILE_ATTRIBUTE_READONLY) != 0,
                         [&file] { return OnReadOnlyVolume(file); });
}

// What Windows tells of `file` (`known`, where already read), or where it
// is missing or empty, of the file a save cut short left beside it whose
// entries reading `file` gives: a start ranks those by when they were
// written.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> EntriesAttributesOf(const std::filesystem::path& file,
                                                             std::optional<WIN32_FILE_ATTRIBUTE_DATA> known) {
  if (!known) known = AttributesOf(file);
  if (known && (known->nFileSizeHigh != 0 || known->nFileSizeLow != 0)) return known;
  const std::optional<Leftover> left = EntriesLeftBeside(file);
  return left ? AttributesOf(left->path) : known;
}

// `file` among the places to read at start, with its size and time, where
// it is there.
void AddCopy(std::vector<EntriesCopy>& copies, const std::wstring& file,
             const std::optional<WIN32_FILE_ATTRIBUTE_DATA>& attributes) {
  if (!attributes || (attributes->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
  copies.push_back({file, join(attributes->nFileSizeHigh, attributes->nFileSizeLow),
                    join(attributes->ftLastWriteTime.dwHighDateTime, attributes->ftLastWriteTime.dwLowDateTime)});
}

}  // namespace

std::optional<EntriesElsewhere> EntriesElsewhereIfProtected(const std::filesystem::path& file,
                                                            const std::error_code& loading) {
  // Named in full: asked of a bare name, GetVolumePathNameW answers the
  // boot volume's root.
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(file, ignored);
  if (full.empty()) full = file;
  std::optional<WIN32_FILE_ATTRIBUTE_DATA> own;
  if (loading ? !Protects(loading) : !WritingRefused(full, own)) return std::nullopt;
  const std::wstring dataFile = DataFolderEntriesFile(Environment(L"APPDATA"));
  // Started in the data folder itself, the entries have nowhere better to go.
  if (dataFile.empty() || CompareStringOrdinal(dataFile.c_str(), -1, full.c_str(), -1, TRUE) == CSTR_EQUAL)
    return std::nullopt;
  // The entries written last are shown, wherever they are: a copy Windows
  // kept in the VirtualStore is newer than the folder's own file, written
  // when the older program once ran elevated; an elevated session here saves
  // in the folder itself, after the data folder's file was written.
  std::vector<EntriesCopy> copies;
  AddCopy(copies, dataFile, EntriesAttributesOf(dataFile, std::nullopt));
  AddCopy(copies, full.native(), EntriesAttributesOf(full, own));
  const std::wstring virtualStore = VirtualStoreCopy(Environment(L"LOCALAPPDATA"), full.native());
  if (!virtualStore.empty()) AddCopy(copies, virtualStore, AttributesOf(virtualStore));
  EntriesElsewhere elsewhere{dataFile, {}};
  for (const std::wstring& copy : NewestFirst(std::move(copies))) elsewhere.copies.emplace_back(copy);
  // The file saved to is read last even where it and what lies beside it
  // hold nothing.
  if (std::find(elsewhere.copies.begin(), elsewhere.copies.end(), elsewhere.file) == elsewhere.copies.end())
    elsewhere.copies.push_back(elsewhere.file);
  return elsewhere;
}

}  // namespace duedate::win32
