// A top-level window whose messages are routed to a member function of the
// derived class, after the pattern of the Windows SDK samples.
#pragma once

#include <windows.h>

#include "window/form1.h"

namespace duedate::win32 {

template <class Derived>
class BaseWindow {
 public:
  virtual ~BaseWindow() = default;

  HWND Handle() const { return hwnd_; }

  // No exception leaves this function: one that HandleMessage throws would
  // otherwise unwind through Windows' own frames, which end the program.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      // Create hands over the Derived object itself, whatever the order of
      // its base classes.
      const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      self = static_cast<Derived*>(create->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->hwnd_ = hwnd;
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
      result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
      result = AfterFailure(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return result;
  }

 protected:
  // Registers the class (once) and creates the window, hidden.
  bool Create(const WNDCLASSEXW& windowClass, PCWSTR caption, DWORD style, DWORD exStyle,
              int width, int height) {
    WNDCLASSEXW wc = windowClass;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Derived::WindowProc;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing) && !RegisterClassExW(&wc))
      return false;
    CreateWindowExW(exStyle, wc.lpszClassName, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                    height, nullptr, nullptr, wc.hInstance, static_cast<Derived*>(this));
    return hwnd_ != nullptr;
  }

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HWND hwnd_ = nullptr;

 private:
  // Tells the user that a message could not be handled, once at a time (the
  // message box handles messages of its own while it is open), and answers
  // for the window as if it had done nothing: creation fails, a close
  // request leaves the window open, anything else gets Windows' default.
  static LRESULT AfterFailure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static bool telling = false;
    if (!telling) {
      // A window being made or taken down owns no message box.
      const bool whole = message != WM_NCCREATE && message != WM_CREATE &&
                         message != WM_DESTROY && message != WM_NCDESTROY;
      telling = true;
      // Converted on the stack: memory may be what ran out.
      wchar_t text[128] = {}, title[32] = {};
      MultiByteToWideChar(CP_UTF8, 0, kInternalErrorText, -1, text, 128);
      MultiByteToWideChar(CP_UTF8, 0, kMessageTitle, -1, title, 32);
      MessageBoxW(whole ? hwnd : nullptr, text, title, MB_OK | MB_ICONERROR);
      telling = false;
    }
    switch (message) {
      case WM_NCCREATE: return FALSE;
      case WM_CREATE: return -1;
      case WM_CLOSE: return 0;
      default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }
};

}  // namespace duedate::win32
