// A top-level window whose messages are routed to a member function of the
// derived class, after the pattern of the Windows SDK samples.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

namespace duedate::win32 {

template <class Derived>
class BaseWindow {
 public:
  virtual ~BaseWindow() = default;

  HWND Handle() const { return hwnd_; }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      self = static_cast<Derived*>(create->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->hwnd_ = hwnd;
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
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
                    height, nullptr, nullptr, wc.hInstance, this);
    return hwnd_ != nullptr;
  }

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HWND hwnd_ = nullptr;
};

}  // namespace duedate::win32
