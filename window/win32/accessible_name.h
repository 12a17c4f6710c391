// Names for screen readers. A text box has no caption of its own, so Windows
// gives it no accessible name and a screen reader says only "edit" and its
// digits. A box named here answers Microsoft Active Accessibility with the
// standard object of an edit control, except that its name is ours.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <string>

namespace duedate::win32 {

// From now on `box` tells screen readers `name`. The box keeps everything
// else (value, role, state, focus); what this sets up goes with the box.
void NameForScreenReaders(HWND box, std::wstring name);

}  // namespace duedate::win32
