#include "window/win32/program_folder.h"

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

std::wstring NotepadCommandLine(const std::wstring& file) { return L"notepad.exe \"" + file + L"\""; }

}  // namespace duedate::win32
