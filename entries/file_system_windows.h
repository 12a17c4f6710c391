// What only the Windows build of the file layer has.
#pragma once

#include <windows.h>

#include <system_error>

namespace duedate {

// Windows' own error numbers (GetLastError), which the file operations give
// on Windows, with the system's text for each.
const std::error_category& WindowsErrors();

// The calls by which a save puts its new file in place, held here so that
// tests can stand in for them and leave the files as Windows' documentation
// says each failure leaves them, which no file system at hand shows.
struct WindowsFileSteps {
  BOOL(WINAPI* replaceFile)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                            LPVOID exclude, LPVOID reserved) = ReplaceFileW;
  BOOL(WINAPI* moveFile)(LPCWSTR from, LPCWSTR to, DWORD flags) = MoveFileExW;
  void(WINAPI* pause)(DWORD milliseconds) = Sleep;
};
WindowsFileSteps& FileSteps();

}  // namespace duedate
