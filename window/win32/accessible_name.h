// Names for screen readers. A text box has no caption of its own, so Windows
// gives it no accessible name and a screen reader says only "edit" and its
// digits. A box named here answers Microsoft Active Accessibility with the
// standard object of an edit control, except that its name is ours: its
// window procedure answers WM_GETOBJECT with a wrapper around the object
// CreateStdAccessibleObject makes, which passes every other question on.
//
// Why not Windows' documented way, the property service (Dynamic Annotation:
// IAccPropServices::SetHwndPropStr with PROPID_ACC_NAME)? It names a box in
// one call, but that call is made when the boxes are made: COM started on the
// UI thread and oleacc.dll (with oleaut32.dll) loaded before the window is
// first drawn, at every start, for every user, whether or not anything ever
// asks. Loading oleacc and oleaut32 with the program was one of the causes of
// its slower start against the same window in the plainest code
// (docs/benchmarks.md). A box's WM_GETOBJECT, by contrast, comes only when a
// client of Active Accessibility (a screen reader, say) asks about it.
//
// So what this needs of OLE (oleacc.dll, oleaut32.dll, ole32.dll) is loaded
// from the system folder the first time a screen reader asks, never at start
// and never from the program's own folder (oleacc is no KnownDLL); OLE is
// initialised on the UI thread then. Where those DLLs cannot be loaded, the
// boxes answer as standard boxes do.
#pragma once

#include <windows.h>

#include <string>

namespace duedate::win32 {

// From now on `box` tells screen readers `name`. The box keeps everything
// else (value, role, state, focus); what this sets up goes with the box.
// Call on the thread that made the box.
void NameForScreenReaders(HWND box, std::wstring name);

// From now on a box named above tells screen readers `description` as its
// description (accDescription, which NVDA reads) and as its help (accHelp,
// which UI Automation, and so Narrator, reads as HelpText), and they hear
// that both changed.
void DescribeForScreenReaders(HWND box, std::wstring description);

// Ends OLE on the UI thread if a screen reader made it start; call once,
// after the last window of the thread is gone.
void EndScreenReaderSupport();

}  // namespace duedate::win32
