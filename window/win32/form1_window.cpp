#include "window/win32/form1_window.h"

#include <tuple>

#include "entries/windows_text.h"
#include "window/win32/accessible_name.h"
#include "window/win32/dpi.h"
#include "window/win32/program_folder.h"
#include "window/win32/resource.h"
#include "window/win32/task_dialog.h"
#include "window/win32/text_editor.h"

namespace duedate::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Form1";
constexpr UINT_PTR kIconTimer = 1;
// Windows 10 1703 and later; not in every SDK's headers.
constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE

}  // namespace

std::wstring RunningProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return ProgramDirectory(path);
}

Form1Window::Form1Window(HINSTANCE instance, FormSettings settings)
    : instance_(instance), form_(*this, std::move(settings)) {}

Form1Window::~Form1Window() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool Form1Window::Create() {
  WNDCLASSEXW wc{};
  wc.hInstance = instance_;
  wc.lpszClassName = kClassName;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  const std::wstring caption = Wide(kWindowCaption);
  // Made at no size: it is sized for the DPI of its monitor with its controls.
  if (!BaseWindow::Create(wc, caption.c_str(), kWindowStyle, 0, 0, 0)) return false;
  CreateControls(DpiOf(hwnd_));
  return true;
}

void Form1Window::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  RestoreFocus();  // the first control of the Tab order
  // The icons wait until the window has been drawn and nothing else is to
  // be done: a timer's message comes only when the queue is empty.
  SetTimer(hwnd_, kIconTimer, USER_TIMER_MINIMUM, nullptr);
}

void Form1Window::SetIcons() {
  // Shared: Windows keeps them as long as the program runs.
  for (const auto& [which, width, height] : {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON},
                                             std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
    HANDLE icon = LoadImageW(instance_, MAKEINTRESOURCEW(IDI_YUCHANQI), IMAGE_ICON,
                             GetSystemMetrics(width), GetSystemMetrics(height),
                             LR_DEFAULTCOLOR | LR_SHARED);
    if (icon != nullptr) SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

bool Form1Window::RememberFocus() {
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(hwnd_, focus)) return false;
  lastFocus_ = focus;
  return true;
}

void Form1Window::RestoreFocus() {
  if (IsIconic(hwnd_)) return;
  HWND target = lastFocus_ != nullptr && IsChild(hwnd_, lastFocus_) ? lastFocus_
                                                                    : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target != nullptr) SetFocus(target);
}

std::string Form1Window::Text(Control control) const {
  HWND box = Child(control);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

void Form1Window::SetText(Control control, const std::string& text) {
  SetWindowTextW(Child(control), Wide(text).c_str());
}

void Form1Window::SetDescription(Control control, const std::string& text) {
  const std::wstring description = Wide(text);
  DescribeForScreenReaders(Child(control), description);
  tooltips_.Set(Child(control), description);
  // Once the window is up, a description is a calculation's: its tooltips
  // are wanted now. Before (Text4's, at start), the control waits.
  if (IsWindowVisible(hwnd_)) tooltips_.Make(hwnd_);
}

bool Form1Window::IsSelected(Control option) const {
  return SendMessageW(Child(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form1Window::Select(Control option) {
  // One exclusive group although the text boxes stand between the two in
  // the Tab order; Tab stops at the selected one only.
  for (Control each : {Control::Option1, Control::Option2}) {
    HWND button = Child(each);
    const bool selected = each == option;
    SendMessageW(button, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE, selected ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

void Form1Window::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  const UINT style = MB_OK | (icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONWARNING);
  MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), style);
}

bool Form1Window::Confirm(const std::string& title, const std::string& question) {
  const std::wstring caption = Wide(title);
  const std::wstring text = Wide(question);
  if (const auto answer = AskWithNamedAnswers(hwnd_, caption, text, Wide(kReplaceAnswer), Wide(kKeepAnswer)))
    return *answer;
  // Without task dialogs: OK and Cancel, with Cancel the default, so that
  // Enter, Esc and the close box all answer no, as a box of Yes and No
  // could not for Esc.
  return MessageBoxW(hwnd_, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK;
}

OpenResult Form1Window::OpenInTextEditor(const std::filesystem::path& file) {
  return OpenTextFile(hwnd_, file);
}

void Form1Window::EndProgram() { DestroyWindow(hwnd_); }

LRESULT Form1Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      // IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc,
      // have no button here: they press nothing.
      const auto found = commands_.find(LOWORD(wParam));
      if (found == commands_.end() || HIWORD(wParam) != BN_CLICKED || form_.Ended()) return 0;
      const Control control = found->second;
      if (control == Control::Option1 || control == Control::Option2) {
        Select(control);
      } else {
        form_.Press(control);
      }
      return 0;
    }
    case WM_ACTIVATE:
      // As dialogs do: the control that had the focus has it again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
      } else if (HIWORD(wParam) == 0) {  // not minimised
        RestoreFocus();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      RestoreFocus();  // the window itself takes no keys: a control does
      return 0;
    case WM_SIZE:
      // Minimised, no box keeps the focus, where it would take keys unseen;
      // back and active, the control that had it has it again.
      if (wParam == SIZE_MINIMIZED) {
        if (RememberFocus()) SetFocus(nullptr);
      } else if (GetActiveWindow() == hwnd_ && (GetFocus() == nullptr || GetFocus() == hwnd_)) {
        RestoreFocus();
      }
      break;
    case WM_SETCURSOR:
      // The pointer is over the window: its boxes' tooltips may be wanted.
      tooltips_.Make(hwnd_);
      break;
    case WM_TIMER:
      if (wParam != kIconTimer) break;
      KillTimer(hwnd_, kIconTimer);
      SetIcons();
      return 0;
    case kGetDpiScaledSize:
      // Asked before a move to a monitor of another DPI: the frame and the
      // caption do not grow in proportion, so the window Windows would make
      // by scaling the whole would not hold the client area of the layout.
      // The size answered here is what WM_DPICHANGED then suggests.
      dpiSizeAsked_ = static_cast<int>(wParam);
      *reinterpret_cast<SIZE*>(lParam) = WindowSizeAt(dpiSizeAsked_);
      return TRUE;
    case WM_DPICHANGED: {
      // On a monitor of another DPI, or the DPI changed: lay out again, in
      // the rectangle Windows suggests where it was asked the size first.
      // Without that question (per-monitor awareness of Windows 8.1 and 10
      // before 1703) the rectangle scales the frame too, which Windows does
      // not scale: only its place is taken.
      const int dpi = HIWORD(wParam);
      LayOut(dpi, reinterpret_cast<const RECT*>(lParam), dpiSizeAsked_ == dpi);
      dpiSizeAsked_ = 0;
      tooltips_.Rescale(dpi);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace duedate::win32
