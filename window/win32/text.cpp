#include "window/win32/text.h"

#include <windows.h>

#include "entries/file_system.h"

namespace duedate::win32 {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8(const std::wstring& wide) { return Utf8FromWindows(wide); }

}  // namespace duedate::win32
