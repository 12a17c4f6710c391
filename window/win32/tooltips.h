// The window's one tooltip control (Common Controls 6): what a box says when
// the pointer rests on it, line by line. The control is made only when it is
// first needed, so that the window's start loads nothing more for it.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace duedate::win32 {

class Tooltips {
 public:
  Tooltips() = default;
  Tooltips(const Tooltips&) = delete;
  Tooltips& operator=(const Tooltips&) = delete;

  // From now on `box` shows `text` (lines joined by "\n"), once the control
  // exists.
  void Set(HWND box, const std::wstring& text);
  // Makes the control for the boxes of `owner`, with every text set so far,
  // unless it exists; false where Common Controls 6 cannot be had.
  bool Make(HWND owner);
  // Wraps the lines at the same width in inches at `dpi`, as on a monitor
  // of another DPI.
  void Rescale(int dpi);
  // The control, or nullptr before it is made.
  HWND Control() const { return tip_; }

 private:
  void Add(HWND box, std::wstring& text);

  HWND owner_ = nullptr;
  HWND tip_ = nullptr;  // owned by the window: destroyed with it
  bool tried_ = false;
  std::vector<std::pair<HWND, std::wstring>> texts_;
};

}  // namespace duedate::win32
