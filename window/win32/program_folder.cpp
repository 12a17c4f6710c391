#include "window/win32/program_folder.h"

namespace duedate::win32 {

std::wstring ProgramDirectory(const std::wstring& programFile) {
  const auto slash = programFile.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  std::wstring dir = programFile.substr(0, slash);
  while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
  return dir;
}

std::wstring NotepadCommandLine(const std::wstring& file) { return L"notepad.exe \"" + file + L"\""; }

}  // namespace duedate::win32
