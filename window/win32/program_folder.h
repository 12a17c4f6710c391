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

// Where the entries are kept when the working folder is protected:
// "<appData>\Tavoren\预产期计算器\time.txt", the folder the setup program's
// Start-menu entry starts in; nothing where `appData` (%APPDATA%) is not a
// full path.
std::wstring DataFolderEntriesFile(const std::wstring& appData);

// Where Windows kept the writes of an older program without a manifest to
// `file` in a protected folder: "<localAppData>\VirtualStore\" and the path
// without its drive ("C:\Program Files\X\time.txt" →
// "<localAppData>\VirtualStore\Program Files\X\time.txt"). Nothing for a
// path without a drive letter (a network share), or where `localAppData`
// (%LOCALAPPDATA%) is not a full path.
std::wstring VirtualStoreCopy(const std::wstring& localAppData, const std::wstring& file);

// notepad.exe "<file>": the whole path one argument, blanks and all.
std::wstring NotepadCommandLine(const std::wstring& file);

}  // namespace duedate::win32
