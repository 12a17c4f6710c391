#include "window/win32/system_folder.h"

#include "window/win32/system_function.h"

namespace duedate::win32 {

std::wstring SystemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length >= folder.size()) {  // too small: the length asked for counts the terminator
    folder.resize(length);
    length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

std::wstring SystemNotepad() { return SystemFolder() + L"\\notepad.exe"; }

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void LoadDllsFromSystemFolderOnly() {
  // Looked up rather than imported, so that the program starts where it is missing.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefault = SystemFunction<SetDefaultDllDirectoriesFunction>(
      L"kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault != nullptr) setDefault(kSearchSystem32);
}

HMODULE LoadSystemDll(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, kSearchSystem32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Windows 7 without KB2533623 knows no such flag: the full path, and the
  // DLLs it needs looked for in its own folder (the system folder) first.
  const std::wstring folder = SystemFolder();
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace duedate::win32
