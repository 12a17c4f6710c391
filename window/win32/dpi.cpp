#include "window/win32/dpi.h"

#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"

namespace duedate::win32 {
namespace {

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

int MonitorDpiOf(HWND window) {
  // shcore is loaded from the system folder the first time it is needed;
  // Windows 7 has none.
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      SystemFunction<GetDpiForMonitorFunction>(LoadSystemDll(L"shcore.dll"), "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (getDpiForMonitor == nullptr ||
      FAILED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)))
    return 0;
  return static_cast<int>(y);
}

int DpiOf(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
  // Windows 10 1607 and later know the window's own; Windows 8.1 knows the
  // monitor's, which a per-monitor program like this one is drawn at.
  const int dpi = getDpiForWindow != nullptr ? static_cast<int>(getDpiForWindow(window)) : MonitorDpiOf(window);
  return dpi > 0 ? dpi : SystemDpi();
}

SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = SystemFunction<AdjustForDpiFunction>(
      L"user32.dll", "AdjustWindowRectExForDpi");
  RECT frame{0, 0, clientWidth, clientHeight};
  if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace duedate::win32
