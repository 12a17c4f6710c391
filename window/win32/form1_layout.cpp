// The controls of Form1 and their layout: made from the controls table, and
// placed at its twips at the DPI of the monitor the window is on, when they
// are made and at every change of DPI.
#include <vector>

#include "entries/windows_text.h"
#include "window/win32/accessible_name.h"
#include "window/win32/dpi.h"
#include "window/win32/form1_window.h"

namespace duedate::win32 {
namespace {

const wchar_t* WindowClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox: return L"EDIT";
    case ControlKind::OptionButton:
    case ControlKind::CommandButton: return L"BUTTON";
    case ControlKind::Label: break;
  }
  return L"STATIC";
}

DWORD StyleOf(ControlKind kind) {
  // Every control is a group of its own, so the arrow keys never move the
  // focus out of a control; Tab alone walks the order.
  const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP;
  switch (kind) {
    case ControlKind::TextBox: return common | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    case ControlKind::OptionButton: return common | BS_RADIOBUTTON;  // tab stop when selected
    case ControlKind::CommandButton: return common | WS_TABSTOP | BS_PUSHBUTTON;
    case ControlKind::Label: break;
  }
  return common | SS_LEFT | SS_NOPREFIX;
}

// The width an option button may show: up to the first text box that would
// cover it, so that no digit of that box is hidden under the button.
int VisibleWidth(const ControlSpec& option) {
  int width = option.width;
  for (const ControlSpec& other : Form1Controls()) {
    if (other.kind != ControlKind::TextBox) continue;
    const bool sameRow = other.top < option.top + option.height && option.top < other.top + other.height;
    if (sameRow && other.left > option.left && other.left < option.left + width)
      width = other.left - option.left;
  }
  return width;
}

}  // namespace

void Form1Window::CreateControls(int dpi) {
  // Controls that take the focus are created in Tab order (the order the
  // dialog manager walks), the labels last so that they lie beneath. Each
  // is made at its place and with its font, so that nothing is moved or
  // drawn twice before the window is first shown.
  std::vector<const ControlSpec*> creation = TabOrder();
  for (const ControlSpec& spec : Form1Controls())
    if (spec.kind == ControlKind::Label) creation.push_back(&spec);

  font_ = FontFor(dpi);
  for (const ControlSpec* spec : creation) {
    const std::wstring caption = Wide(spec->caption);
    const DWORD exStyle = spec->kind == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
    const RECT place = PlaceOf(*spec, dpi);
    HWND child = CreateWindowExW(exStyle, WindowClassOf(spec->kind), caption.c_str(),
                                 StyleOf(spec->kind), place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(*spec))),
                                 instance_, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (spec->kind == ControlKind::TextBox) {
      SendMessageW(child, EM_LIMITTEXT, 0, 0);  // no limit
      NameForScreenReaders(child, Wide(spec->accessibleName));
    }
    if (spec->kind != ControlKind::Label) commands_.emplace(ControlId(*spec), spec->control);
    children_.emplace(spec->control, child);
  }
  Select(Control::Option1);
  SizeWindow(dpi);
}

HFONT Form1Window::FontFor(int dpi) {
  // The classic 9-point Chinese system font, made again for each DPI; Wine
  // maps SimSun to an installed Chinese font.
  return CreateFontW(-MulDiv(12, dpi, USER_DEFAULT_SCREEN_DPI), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                     FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"SimSun");
}

RECT Form1Window::PlaceOf(const ControlSpec& spec, int dpi) {
  const int width = spec.kind == ControlKind::OptionButton ? VisibleWidth(spec) : spec.width;
  const int left = TwipsToPixels(spec.left, dpi);
  const int top = TwipsToPixels(spec.top, dpi);
  return {left, top, left + TwipsToPixels(width, dpi), top + TwipsToPixels(spec.height, dpi)};
}

SIZE Form1Window::WindowSizeAt(int dpi) {
  return WindowSizeFor(TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi),
                       kWindowStyle, 0, dpi);
}

void Form1Window::SizeWindow(int dpi) {
  const SIZE size = WindowSizeAt(dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1Window::LayOut(int dpi, const RECT* suggested, bool exact) {
  HFONT font = FontFor(dpi);
  for (const ControlSpec& spec : Form1Controls()) {
    HWND child = GetDlgItem(hwnd_, ControlId(spec));
    if (child == nullptr) continue;
    const RECT place = PlaceOf(spec, dpi);
    SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;

  if (suggested != nullptr && exact) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const SIZE size = WindowSizeAt(dpi);
  const POINT place = suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{};
  SetWindowPos(hwnd_, nullptr, place.x, place.y, size.cx, size.cy,
               (suggested != nullptr ? 0 : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where the frame is drawn at other metrics than that DPI's (per-monitor
  // awareness of Windows 10 1607 keeps the system's, as Wine does), the
  // window grows or shrinks by what its client area lacks or has too much.
  RECT client{}, window{};
  if (IsIconic(hwnd_) || !GetClientRect(hwnd_, &client) || !GetWindowRect(hwnd_, &window)) return;
  const int wider = TwipsToPixels(kClientWidthTwips, dpi) - client.right;
  const int higher = TwipsToPixels(kClientHeightTwips, dpi) - client.bottom;
  if (wider != 0 || higher != 0)
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + wider, window.bottom - window.top + higher,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace duedate::win32
