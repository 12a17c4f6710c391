// The folder of the program file and the command line 说明 starts Notepad
// with, from Windows' names as text. No Windows API: the rules are tested
// on any system.
#pragma once

#include <string>

namespace duedate::win32 {

// The folder holding the program file `programFile`, as Windows gives it
// ("C:\Tools\yuchanqi.exe" → "C:\Tools"), without a trailing separator even
// for a drive root ("C:\yuchanqi.exe" → "C:").
std::wstring ProgramDirectory(const std::wstring& programFile);

// `path` without the separators it ends with ("C:\Temp\" → "C:\Temp").
std::wstring WithoutTrailingSeparator(std::wstring path);

// notepad.exe "<file>": the whole path one argument, blanks and all.
std::wstring NotepadCommandLine(const std::wstring& file);

}  // namespace duedate::win32
