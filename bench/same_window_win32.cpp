// The floor for start-up of the program's window under Windows: the same
// window, with the same 38 controls at the same places, the same font, the
// same caption and the same manifest (Common Controls 6, DPI awareness), in
// the plainest code: no names for screen readers, no saved entries, no icon,
// no layout for other DPIs, no classes.
#include <windows.h>

#include <string>

#include "window/form_layout.h"

namespace {

std::wstring Wide(const char* utf8) {
  std::wstring wide(64, L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), static_cast<int>(wide.size())) - 1));
  return wide;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace duedate;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"SameWindow";
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&wc);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowW(L"SameWindow", Wide(kWindowCaption).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, instance, nullptr);
  HFONT font = CreateFontW(-MulDiv(12, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           GB2312_CHARSET, 0, 0, 0, 0, L"SimSun");
  for (const ControlSpec& spec : Form1Controls()) {
    const wchar_t* kind = L"STATIC";
    DWORD controlStyle = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    if (spec.kind == ControlKind::TextBox) {
      kind = L"EDIT";
      controlStyle |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
    } else if (spec.kind == ControlKind::OptionButton) {
      kind = L"BUTTON";
      controlStyle |= BS_RADIOBUTTON;
    } else if (spec.kind == ControlKind::CommandButton) {
      kind = L"BUTTON";
      controlStyle |= WS_TABSTOP | BS_PUSHBUTTON;
    }
    HWND control = CreateWindowExW(
        exStyle, kind, Wide(spec.caption).c_str(), controlStyle, TwipsToPixels(spec.left, dpi),
        TwipsToPixels(spec.top, dpi), TwipsToPixels(spec.width, dpi), TwipsToPixels(spec.height, dpi),
        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(spec))), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  DeleteObject(font);
  return 0;
}
