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

void LoadDllsFromSystemFolderOnly() {
  // Looked up rather than imported, so that the program starts where it is missing.
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefault = SystemFunction<SetDefaultDllDirectoriesFunction>(
      L"kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault != nullptr) setDefault(kSearchSystem32);
}

}  // namespace duedate::win32
