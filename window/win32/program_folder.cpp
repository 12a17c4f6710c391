#include "window/win32/program_folder.h"

#include <algorithm>

namespace duedate::win32 {

std::wstring WithoutTrailingSeparator(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::wstring ProgramDirectory(const std::wstring& programFile) {
  const auto slash = programFile.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  return WithoutTrailingSeparator(programFile.substr(0, slash));
}

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\…" or "\\server\share\…": a folder named in full, never one relative
// to wherever the program happens to run.
bool IsFullPath(const std::wstring& path) {
  return (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) ||
         (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]));
}

}  // namespace

std::wstring DataFolderEntriesFile(const std::wstring& appData) {
  if (!IsFullPath(appData)) return {};
  return WithoutTrailingSeparator(appData) + L"\\Tavoren\\预产期计算器\\time.txt";
}

std::wstring VirtualStoreCopy(const std::wstring& localAppData, const std::wstring& file) {
  if (!IsFullPath(localAppData) || file.size() < 4 || !IsDriveLetter(file[0]) || file[1] != L':' ||
      !IsSeparator(file[2]) || IsSeparator(file[3]))
    return {};
  return WithoutTrailingSeparator(localAppData) + L"\\VirtualStore" + file.substr(2);
}

std::vector<std::wstring> NewestFirst(std::vector<EntriesCopy> copies) {
  std::erase_if(copies, [](const EntriesCopy& copy) { return copy.size == 0; });
  std::stable_sort(copies.begin(), copies.end(),
                   [](const EntriesCopy& a, const EntriesCopy& b) { return a.lastWrite > b.lastWrite; });
  std::vector<std::wstring> files;
  for (EntriesCopy& copy : copies) files.push_back(std::move(copy.file));
  return files;
}

bool RefusalProtects(WriteRefusal refusal, bool isFolder, bool markedReadOnly,
                     const std::function<bool()>& onReadOnlyVolume) {
  if (refusal == WriteRefusal::WriteProtected) return true;
  if (refusal != WriteRefusal::AccessDenied || isFolder) return false;
  return !markedReadOnly || onReadOnlyVolume();
}

std::wstring NotepadCommandLine(const std::wstring& file) { return L"notepad.exe \"" + file + L"\""; }

}  // namespace duedate::win32
