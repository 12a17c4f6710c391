// Opening a text file for the user to read: the instructions behind 说明.
// The system's Notepad comes first, maximised, with the usual command line.
// Windows 10 (2004 and later) and 11 let users remove Notepad; where it
// cannot be started, the program Windows associates with the file's kind
// opens it, as a double click in Explorer would.
#pragma once

#include <windows.h>

#include <filesystem>

#include "window/form1.h"

namespace duedate::win32 {

// Opens `file` in Notepad, or else in the program associated with it; what
// kept both from it otherwise. Windows' own messages for a program that
// cannot be started are not shown: `owner`'s message says what failed.
OpenResult OpenTextFile(HWND owner, const std::filesystem::path& file);

}  // namespace duedate::win32
