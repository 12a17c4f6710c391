// Dots per inch, per monitor where Windows has it. Windows 10 tells each
// window the DPI of the monitor it is on, Windows 8.1 each monitor's (shcore);
// Windows 7 and 8 have one DPI for the whole system. The newer functions are
// looked up when first needed, never imported, so that the program starts on
// Windows 7 too.
#pragma once

#include <windows.h>

namespace duedate::win32 {

// The DPI of the monitor `window` is on, or the system's.
int DpiOf(HWND window);

// The DPI of the monitor `window` is on, as Windows 8.1 and later tell it
// (GetDpiForMonitor), or 0 where this Windows cannot.
int MonitorDpiOf(HWND window);

// The size of a window whose client area is `clientWidth` x `clientHeight`
// pixels, with the frame of `style` and `exStyle` drawn at `dpi`.
SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace duedate::win32
