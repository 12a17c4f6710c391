// The window Form1 on the Win32 API: built from the controls table, wired to
// the shared actions.
#pragma once

#include <map>
#include <string>

#include "window/form1.h"
#include "window/win32/base_window.h"
#include "window/win32/tooltips.h"

namespace duedate::win32 {

inline constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

class Form1Window : public BaseWindow<Form1Window>, public FormView {
 public:
  Form1Window(HINSTANCE instance, FormSettings settings);
  ~Form1Window() override;

  // Creates the window and its controls, hidden.
  bool Create();
  // Applies the saved entries; call before the window is first shown.
  void Load() { form_.Load(); }
  // Shows the window with the focus on the first control of the Tab order.
  void Show(int showCommand);

  // FormView
  std::string Text(Control control) const override;
  void SetText(Control control, const std::string& text) override;
  // The box's tooltip and its description for screen readers. The tooltip
  // control is made with the first description once the window is shown, or when
  // the pointer first comes over the window.
  void SetDescription(Control control, const std::string& text) override;
  bool IsSelected(Control option) const override;
  void Select(Control option) override;
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
  bool Confirm(const std::string& title, const std::string& question) override;
  OpenResult OpenInTextEditor(const std::filesystem::path& file) override;
  void EndProgram() override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Makes the font and the controls of the table, each at its twips at
  // `dpi`, and sizes the window for them (form1_layout.cpp).
  void CreateControls(int dpi);
  // Places every control at its twips and makes the font again, at `dpi`;
  // sizes the window for its client area, at `suggested`'s place, or puts
  // it in `suggested` where `exact`.
  void LayOut(int dpi, const RECT* suggested, bool exact);
  static HFONT FontFor(int dpi);
  static RECT PlaceOf(const ControlSpec& spec, int dpi);
  // The size of the window whose client area is the layout's at `dpi`,
  // with the frame drawn at `dpi`.
  static SIZE WindowSizeAt(int dpi);
  void SizeWindow(int dpi);
  // The window's icons, loaded once it has been drawn: the first paint
  // needs none of them.
  void SetIcons();
  HWND Child(Control control) const { return children_.at(control); }
  // Keeps the control that has the focus, if one has: true then.
  bool RememberFocus();
  // Gives the focus to the control that had it last, or to the first of the
  // Tab order; never while the window is minimised.
  void RestoreFocus();

  HINSTANCE instance_;
  Form1 form_;
  std::map<Control, HWND> children_;  // Label1 keeps its first label
  std::map<int, Control> commands_;   // control ID of each button
  HFONT font_ = nullptr;
  HWND lastFocus_ = nullptr;
  // The DPI WM_GETDPISCALEDSIZE asked the window's size for, until the
  // WM_DPICHANGED that follows it; 0 where none was asked (Windows 8.1 and
  // 10 before 1703).
  int dpiSizeAsked_ = 0;
  Tooltips tooltips_;
};

// The directory of the running program, as Windows names it.
std::wstring RunningProgramDirectory();

}  // namespace duedate::win32
