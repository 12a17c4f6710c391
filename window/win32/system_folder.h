// What the program loads and starts comes from Windows' own system folder,
// never from the folder it was unpacked into (a Downloads folder, say),
// where someone may have put a notepad.exe or a DLL of the same name.
#pragma once

#include <windows.h>

#include <string>

namespace duedate::win32 {

// Windows' system folder, "C:\Windows\system32" on most machines.
std::wstring SystemFolder();

// The Notepad of the system folder.
std::wstring SystemNotepad();

// Makes DLLs loaded from now on come from the system folder only. Windows 7
// without its update KB2533623 lacks the means, and keeps its usual search.
void LoadDllsFromSystemFolderOnly();

// Loads `name` (say L"oleacc.dll") from the system folder and nowhere else,
// with the DLLs it needs in turn; nullptr where it cannot be loaded.
HMODULE LoadSystemDll(const wchar_t* name);

}  // namespace duedate::win32
