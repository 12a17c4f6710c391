#include "window/win32/tooltips.h"

#include <commctrl.h>

#include "window/win32/dpi.h"
#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"

namespace duedate::win32 {
namespace {

// The widest a tooltip grows before it wraps a line, at 96 dots per inch.
constexpr int kMaxWidth = 640;
// How long a tooltip stays while the pointer rests: the longest Windows
// allows, for texts of several lines.
constexpr int kShownMilliseconds = 32000;

// The tooltip control's class, registered by Common Controls 6. Looked up,
// not imported: comctl32 comes, through the manifest, from Windows'
// side-by-side store.
bool RegisterTooltipClass() {
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  if (controls == nullptr) controls = LoadSystemDll(L"comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = SystemFunction<InitFunction>(controls, "InitCommonControlsEx");
  if (init == nullptr) return false;
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  return init(&classes) != FALSE;
}

// Windows breaks a tooltip's lines at CR LF.
std::wstring Lines(const std::wstring& text) {
  std::wstring lines;
  for (wchar_t c : text) {
    if (c == L'\n') lines += L'\r';
    lines += c;
  }
  return lines;
}

TOOLINFOW ToolOf(HWND owner, HWND box) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(box);
  return tool;
}

}  // namespace

void Tooltips::Set(HWND box, const std::wstring& text) {
  for (auto& [each, itsText] : texts_) {
    if (each != box) continue;
    itsText = Lines(text);
    if (tip_ != nullptr) {
      TOOLINFOW tool = ToolOf(owner_, box);
      tool.lpszText = itsText.data();
      SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return;
  }
  texts_.emplace_back(box, Lines(text));
  if (tip_ != nullptr) Add(box, texts_.back().second);
}

void Tooltips::Add(HWND box, std::wstring& text) {
  TOOLINFOW tool = ToolOf(owner_, box);
  tool.lpszText = text.data();  // the control keeps a copy
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool Tooltips::Make(HWND owner) {
  if (tip_ != nullptr || tried_) return tip_ != nullptr;
  tried_ = true;
  owner_ = owner;
  if (!RegisterTooltipClass()) return false;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr,
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE)), nullptr);
  if (tip_ == nullptr) return false;
  Rescale(DpiOf(owner_));
  SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, kShownMilliseconds);
  for (auto& [box, text] : texts_) Add(box, text);
  return true;
}

void Tooltips::Rescale(int dpi) {
  // A width to wrap at makes the control break lines at CR LF.
  if (tip_ != nullptr) SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kMaxWidth, dpi, USER_DEFAULT_SCREEN_DPI));
}

}  // namespace duedate::win32
