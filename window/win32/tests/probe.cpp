// Works the real Windows program from outside, as a user would, under Wine:
// starts it, finds its window and controls, presses its buttons, types keys,
// reads the boxes and message boxes, and checks the file it saves.
//
//   win32_probe.exe <path of yuchanqi.exe> <empty working directory>
//                   <marker DLL> <the one-window program>
//   win32_probe.exe --setup <setup.exe> <empty working directory>
//                   <marker DLL> <the one-window program> [<screenshot>]
//
// Started with one argument, as the notepad.exe planted beside the program,
// it only leaves a mark that it ran.
//
// Prints one line per check and closes with "N passed, M failed".
#include <windows.h>
#include <oleacc.h>
#include <shlobj.h>
#include <servprov.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "calc/due_date.h"
#include "window/form1.h"
#include "window/form_layout.h"
#include "window/win32/accessible_name.h"
#include "window/win32/base_window.h"
#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"
#include "window/win32/text.h"

namespace {

using namespace duedate;
namespace fs = std::filesystem;

using win32::Utf8;
using win32::Wide;

int passed = 0;
int failed = 0;

bool Check(bool ok, const std::string& what, const std::string& detail = {}) {
  std::printf("%s: %s%s%s\n", ok ? "ok" : "FAIL", what.c_str(), detail.empty() ? "" : " -- ",
              detail.c_str());
  std::fflush(stdout);
  (ok ? passed : failed)++;
  return ok;
}

template <class Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
  return true;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return L"<no answer>";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The running program: its process and its window.
struct Program {
  PROCESS_INFORMATION process{};
  HWND form = nullptr;

  bool Running() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
  bool WaitForExit(DWORD ms = 10000) const {
    return WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0;
  }
  void Close() {
    if (process.hProcess != nullptr) {
      if (Running()) {
        TerminateProcess(process.hProcess, 1);
        WaitForExit();
      }
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
    process = {};
    form = nullptr;
  }
  ~Program() { Close(); }
};

std::wstring programPath;

struct TopLevelSearch {
  const wchar_t* className;
  DWORD pid;
  HWND owner;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<TopLevelSearch*>(data);
  DWORD owningPid = 0;
  GetWindowThreadProcessId(window, &owningPid);
  if (s->pid != 0 && owningPid != s->pid) return TRUE;
  if (ClassOf(window) != s->className || !IsWindowVisible(window)) return TRUE;
  if (s->owner != nullptr && GetWindow(window, GW_OWNER) != s->owner) return TRUE;
  if (!s->title.empty() && TextOf(window) != s->title) return TRUE;
  s->found = window;
  return FALSE;
}

HWND FindTopLevel(const wchar_t* className, DWORD pid, HWND owner = nullptr,
                  const std::wstring& title = {}) {
  TopLevelSearch search{className, pid, owner, title, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool Start(Program& program, const std::wstring& workingDir, const std::wstring& path = programPath) {
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDir.c_str(), &startup, &program.process)) {
    return Check(false, "the program starts", "CreateProcess error " + std::to_string(GetLastError()));
  }
  WaitForInputIdle(program.process.hProcess, 10000);
  WaitFor([&] {
    program.form = FindTopLevel(L"Form1", program.process.dwProcessId);
    return program.form != nullptr;
  }, 20000);
  return Check(program.form != nullptr, "the program's window of class Form1 appears");
}

HWND Item(const Program& program, const ControlSpec& spec) {
  return GetDlgItem(program.form, ControlId(spec));
}
HWND Item(const Program& program, Control control) { return Item(program, SpecOf(control)); }

// Waits until the program has handled everything sent to it so far.
void Settle(const Program& program) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(program.form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  Sleep(50);
  SendMessageTimeoutW(program.form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// Presses a button the way a click does, without waiting for what it opens.
void Press(const Program& program, Control button) {
  PostMessageW(Item(program, button), BM_CLICK, 0, 0);
  Settle(program);
}

void Type(const Program& program, Control box, const std::string& text) {
  const std::wstring wide = Wide(text);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(Item(program, box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
}

std::string Box(const Program& program, Control box) { return Utf8(TextOf(Item(program, box))); }

constexpr Control kResultBoxes[] = {Control::Text8,  Control::Text9, Control::Text10, Control::Text11,
                                    Control::Text5,  Control::Text6, Control::Text7};

std::string Results(const Program& program) {
  std::string all;
  for (Control c : kResultBoxes) all += Box(program, c) + " ";
  return all;
}

// A message box the program owns, titled `title`.
HWND WaitForMessageBox(const Program& program, const std::string& title, DWORD ms = 10000) {
  HWND box = nullptr;
  WaitFor([&] {
    box = FindTopLevel(L"#32770", program.process.dwProcessId, program.form, Wide(title));
    return box != nullptr;
  }, ms);
  return box;
}

struct MessageParts {
  std::wstring text;
  bool icon = false;
};

BOOL CALLBACK CollectMessage(HWND child, LPARAM data) {
  auto* parts = reinterpret_cast<MessageParts*>(data);
  if (ClassOf(child) != L"Static") return TRUE;
  if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    parts->icon = parts->icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
  } else {
    parts->text += TextOf(child);
  }
  return TRUE;
}

// The message of a message box (its static texts), and whether it shows an icon.
std::string MessageOf(HWND box, bool* hasIcon = nullptr) {
  MessageParts parts;
  EnumChildWindows(box, CollectMessage, reinterpret_cast<LPARAM>(&parts));
  if (hasIcon) *hasIcon = parts.icon;
  return Utf8(parts.text);
}

struct ButtonSearch {
  std::wstring text;  // empty: every button
  std::vector<HWND> found;
};

BOOL CALLBACK CollectButton(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ButtonSearch*>(data);
  if (ClassOf(child) == L"Button" && IsWindowVisible(child) && (search->text.empty() || TextOf(child) == search->text))
    search->found.push_back(child);
  return TRUE;
}

// The buttons of a box, or those of them that read `text`.
std::vector<HWND> ButtonsOf(HWND box, const std::string& text = {}) {
  ButtonSearch search{Wide(text), {}};
  EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Whether a box the program owns is open, once it has handled all that was
// sent to it: a box opens before its owner takes messages again.
bool AnyBoxOpen(const Program& program) {
  Settle(program);
  return FindTopLevel(L"#32770", program.process.dwProcessId, program.form) != nullptr;
}

void Answer(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  WaitFor([&] { return !IsWindow(box); }, 5000);
}

std::string FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "<absent>";
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Figures(const DueDateResult& r) {
  std::string all;
  for (std::int32_t v : {r.dueYear, r.dueMonth, r.dueDay, r.monthsElapsed, r.weeksElapsed,
                         r.daysElapsed, r.daysRemaining})
    all += std::to_string(v) + " ";
  return all;
}

// ---------------------------------------------------------------------------

// The system's DPI, at which the program starts under Wine.
int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Memory at one address in both the program and this driver, holding the
// same bytes in both. A message whose lParam points at memory reaches the
// program from here as a bare address under Wine; this address is valid on
// either side, whichever side reads it.
class SharedBlock {
 public:
  SharedBlock(HANDLE process, std::size_t size) : process_(process) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (address_ != nullptr)
      local_ = VirtualAlloc(address_, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  }
  ~SharedBlock() {
    if (local_ != nullptr) VirtualFree(local_, 0, MEM_RELEASE);
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  bool Ready() const { return address_ != nullptr && local_ == address_; }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  template <class T>
  void Put(const T& value) {
    std::memcpy(local_, &value, sizeof value);
    WriteProcessMemory(process_, address_, &value, sizeof value, nullptr);
  }
  // What the program wrote there, or, where the message was carried over to
  // it, what was written back here.
  template <class T>
  T Written() const {
    T there{}, here{};
    const T none{};
    ReadProcessMemory(process_, address_, &there, sizeof there, nullptr);
    std::memcpy(&here, local_, sizeof here);
    return std::memcmp(&there, &none, sizeof there) != 0 ? there : here;
  }

 private:
  HANDLE process_;
  void* address_ = nullptr;
  void* local_ = nullptr;
};

// The height of a line of text in a box: its formatting rectangle, which a
// single-line box makes as high as a line of its font.
int LineHeightOf(const Program& program, HWND box) {
  SharedBlock rect(program.process.hProcess, sizeof(RECT));
  if (!rect.Ready()) return -1;
  rect.Put(RECT{});
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(box, EM_GETRECT, 0, rect.Address(), SMTO_ABORTIFHUNG, 5000, &ignored);
  const RECT r = rect.Written<RECT>();
  return r.bottom - r.top;
}

// The height of a line of the program's font (SimSun, 9 points) at `dpi`.
int FontLineHeight(int dpi) {
  HFONT font = CreateFontW(-MulDiv(12, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"SimSun");
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);
  return metrics.tmHeight;
}

// Where the window and every control are, and the font they draw with, at
// `dpi`: the client area is 5610 x 3600 twips and each control at its twips,
// within a pixel.
void CheckGeometry(const Program& program, int dpi) {
  const std::string at = " at " + std::to_string(dpi) + " dpi";
  const auto fits = [dpi](long pixels, int twips) {
    return std::abs(pixels - TwipsToPixels(twips, dpi)) <= 1;
  };
  RECT client{};
  GetClientRect(program.form, &client);
  Check(fits(client.right, kClientWidthTwips) && fits(client.bottom, kClientHeightTwips),
        "client area is 5610 x 3600 twips" + at,
        std::to_string(client.right) + "x" + std::to_string(client.bottom));
  bool placed = true;
  std::string misplaced, fonts;
  const int lineHeight = FontLineHeight(dpi);
  for (const ControlSpec& spec : Form1Controls()) {
    HWND child = Item(program, spec);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, program.form, reinterpret_cast<POINT*>(&r), 2);
    // Option1 stops where Text1 begins, so that Text1's digits stay visible.
    const int width = spec.control == Control::Option1 ? SpecOf(Control::Text1).left - spec.left
                                                       : spec.width;
    if (!fits(r.left, spec.left) || !fits(r.top, spec.top) || !fits(r.right - r.left, width) ||
        !fits(r.bottom - r.top, spec.height)) {
      placed = false;
      misplaced += ControlName(spec) + " " + std::to_string(r.left) + "," + std::to_string(r.top) +
                   " " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
                   "; ";
    }
    if (spec.kind == ControlKind::TextBox && LineHeightOf(program, child) != lineHeight)
      fonts += ControlName(spec) + " " + std::to_string(LineHeightOf(program, child)) + "; ";
  }
  Check(placed, "every control at its twips" + at, misplaced);
  Check(fonts.empty(), "every box writes in the font made for " + std::to_string(dpi) +
                           " dpi, lines " + std::to_string(lineHeight) + " pixels high",
        fonts);
}

void CheckLayout(const Program& program) {
  Check(ClassOf(program.form) == L"Form1", "window class is Form1");
  Check(Utf8(TextOf(program.form)) == kWindowCaption, "caption", Utf8(TextOf(program.form)));
  const LONG style = GetWindowLongW(program.form, GWL_STYLE);
  Check((style & WS_THICKFRAME) == 0 && (style & WS_MAXIMIZEBOX) == 0, "the window is not resizable");

  for (const ControlSpec& spec : Form1Controls()) {
    const std::string name = ControlName(spec);
    HWND child = Item(program, spec);
    if (!Check(child != nullptr, name + " exists with ID " + std::to_string(ControlId(spec)))) continue;
    const wchar_t* expectedClass = spec.kind == ControlKind::TextBox ? L"Edit"
                                   : spec.kind == ControlKind::Label ? L"Static"
                                                                     : L"Button";
    Check(ClassOf(child) == expectedClass, name + " class", Utf8(ClassOf(child)));
    Check(Utf8(TextOf(child)) == spec.caption, name + " text", Utf8(TextOf(child)));
  }
  CheckGeometry(program, ScreenDpi());
  Check(SendMessageW(Item(program, Control::Option1), BM_GETCHECK, 0, 0) == BST_CHECKED,
        "Option1 is selected");
  Check(SendMessageW(Item(program, Control::Option2), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
        "Option2 is not");
  Check(Results(program) == "       ", "the result boxes are empty");
}

// The program moved to monitors of 144 and 192 dpi and back to 96: at each
// it lays itself out again, in the rectangle suggested for its client area
// at that DPI. (Wine draws every frame at the system's DPI, so the frame
// suggested is the one the window has.)
void CheckDpiChanges(const Program& program) {
  SharedBlock suggested(program.process.hProcess, sizeof(RECT));
  if (!Check(suggested.Ready(), "memory for the suggested rectangle at one address in both processes"))
    return;
  for (int dpi : {144, 192, 96}) {
    RECT window{}, client{};
    GetWindowRect(program.form, &window);
    GetClientRect(program.form, &client);
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    suggested.Put(RECT{window.left, window.top,
                       window.left + TwipsToPixels(kClientWidthTwips, dpi) + frameWidth,
                       window.top + TwipsToPixels(kClientHeightTwips, dpi) + frameHeight});
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(program.form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), suggested.Address(),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    Settle(program);
    CheckGeometry(program, dpi);
  }
}

// Buttons drawn by Common Controls 6, the current look, know their ideal size.
void CheckVisualStyle(const Program& program) {
  SharedBlock ideal(program.process.hProcess, sizeof(SIZE));
  if (!Check(ideal.Ready(), "memory for the ideal size at one address in both processes")) return;
  ideal.Put(SIZE{});
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(Item(program, Control::Command4), BCM_GETIDEALSIZE, 0, ideal.Address(),
                      SMTO_ABORTIFHUNG, 5000, &answer);
  const SIZE size = ideal.Written<SIZE>();
  Check(answer != 0 && size.cx > 0 && size.cy > 0,
        "计算 answers BCM_GETIDEALSIZE (Common Controls 6)",
        std::to_string(answer) + ", " + std::to_string(size.cx) + "x" + std::to_string(size.cy));
}

void CheckCalculate(const Program& program) {
  // The window still holds its initial entries, those of the table.
  const auto initial = [](Control box) { return std::string(SpecOf(box).caption); };
  DueDateInput input;
  input.lastPeriodYear = initial(Control::Text1);
  input.lastPeriodMonth = initial(Control::Text2);
  input.lastPeriodDay = initial(Control::Text3);
  input.cycleLength = initial(Control::Text4);
  input.conceptionYear = initial(Control::Text14);
  input.conceptionMonth = initial(Control::Text13);
  input.conceptionDay = initial(Control::Text12);
  input.today = Today();
  input.method = CalcMethod::FromLastPeriod;
  Press(program, Control::Command4);
  const std::string fromLastPeriod = Figures(*CalculateDueDate(input));
  Check(Results(program) == fromLastPeriod, "计算 by the last period", Results(program));
  Check(Box(program, Control::Text2) == "04", "the entries are not rewritten");

  Press(program, Control::Option2);
  Check(SendMessageW(Item(program, Control::Option2), BM_GETCHECK, 0, 0) == BST_CHECKED &&
            SendMessageW(Item(program, Control::Option1), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
        "clicking Option2 selects it and clears Option1");
  Press(program, Control::Command4);
  input.method = CalcMethod::FromConception;
  Check(Results(program) == Figures(*CalculateDueDate(input)), "计算 by conception", Results(program));

  // An invalid date: a warning owned by the window, the results unchanged.
  const std::string before = Results(program);
  Type(program, Control::Text13, "13");
  Press(program, Control::Command4);
  HWND box = WaitForMessageBox(program, kMessageTitle);
  if (Check(box != nullptr, "an invalid date is reported in a message box")) {
    const std::string text = MessageOf(box);
    Check(text.find("排卵受精日期不是有效的日期") != std::string::npos, "the message names the date", text);
    Answer(box);
  }
  Check(Results(program) == before, "the results stay as they were");
  Type(program, Control::Text13, "05");
  Press(program, Control::Option1);
}

// The accessible object itself, not one of its children.
VARIANT Self() {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

// What a screen reader hears for each control that takes the focus, asked
// through Active Accessibility from this process, as NVDA and Narrator ask.
void CheckScreenReaders(const Program& program) {
  // The text one of IAccessible's getters gives for the control itself.
  using Getter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
  const auto text = [](IAccessible* accessible, Getter get) {
    BSTR value = nullptr;
    const HRESULT hr = (accessible->*get)(Self(), &value);
    const std::string got = SUCCEEDED(hr) && value ? Utf8(std::wstring(value, SysStringLen(value)))
                                                   : "<error " + std::to_string(hr) + ">";
    SysFreeString(value);
    return got;
  };
  for (const ControlSpec* spec : TabOrder()) {
    const std::string name = ControlName(*spec);
    HWND child = Item(program, *spec);
    IAccessible* accessible = nullptr;
    const HRESULT asked = AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT),
                                                     __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&accessible));
    if (!Check(SUCCEEDED(asked), name + " answers Active Accessibility",
               "error " + std::to_string(static_cast<unsigned long>(asked)))) {
      continue;
    }
    const bool box = spec->kind == ControlKind::TextBox;
    const std::string expected = box ? spec->accessibleName : spec->caption;
    const std::string heard = text(accessible, &IAccessible::get_accName);
    Check(heard == expected, name + " is named " + expected, heard);
    if (box) {
      const std::string shown = text(accessible, &IAccessible::get_accValue);
      Check(shown == Box(program, spec->control), name + "'s value is its text", shown);
      VARIANT role{};
      Check(SUCCEEDED(accessible->get_accRole(Self(), &role)) && role.vt == VT_I4 &&
                role.lVal == ROLE_SYSTEM_TEXT,
            name + " is an editable text");
    }
    accessible->Release();
  }
}

void CheckKeyboard(const Program& program) {
  const DWORD thread = GetWindowThreadProcessId(program.form, nullptr);
  AttachThreadInput(GetCurrentThreadId(), thread, TRUE);

  // The order the dialog manager walks, with Option1 selected and with Option2.
  for (Control selected : {Control::Option1, Control::Option2}) {
    Press(program, selected);
    std::vector<const ControlSpec*> order;
    for (const ControlSpec* spec : TabOrder())
      if (spec->kind != ControlKind::OptionButton || spec->control == selected) order.push_back(spec);
    bool all = true;
    std::string walk;
    for (std::size_t i = 0; i < order.size(); ++i) {
      const ControlSpec* next = order[(i + 1) % order.size()];
      HWND got = GetNextDlgTabItem(program.form, Item(program, *order[i]), FALSE);
      walk += ControlName(*order[i]) + ">";
      if (got != Item(program, *next)) {
        all = false;
        walk += "(not " + ControlName(*next) + ")";
      }
    }
    Check(all, "Tab order with " + ControlName(SpecOf(selected)) + " selected, wrapping", walk);
  }
  Press(program, Control::Option1);

  // Real key presses through the program's own message loop.
  const auto key = [&](HWND target, WPARAM vk) {
    SetFocus(target);
    WaitFor([&] { return GetFocus() == target; }, 2000);
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    Settle(program);
  };
  const std::pair<Control, Control> tabs[] = {{Control::Text3, Control::Text4},
                                              {Control::Text7, Control::Command2},
                                              {Control::Command1, Control::Option1},
                                              {Control::Text4, Control::Text14}};
  for (const auto& [from, to] : tabs) {
    key(Item(program, from), VK_TAB);
    HWND to_ = Item(program, to);
    WaitFor([&] { return GetFocus() == to_; }, 2000);
    Check(GetFocus() == to_, "Tab in " + ControlName(SpecOf(from)) + " goes to " + ControlName(SpecOf(to)));
  }

  const std::string before = Results(program);
  for (WPARAM vk : {VK_RETURN, VK_ESCAPE}) {
    key(Item(program, Control::Text1), vk);
    Sleep(300);
    Check(FindTopLevel(L"#32770", program.process.dwProcessId) == nullptr && program.Running() &&
              Results(program) == before,
          std::string(vk == VK_RETURN ? "Enter" : "Esc") + " in a text box presses nothing");
  }
  AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
}

void CheckAbout(const Program& program) {
  const std::string before = Results(program) + Box(program, Control::Text2);
  Press(program, Control::Command2);
  HWND box = WaitForMessageBox(program, kAboutTitle);
  if (!Check(box != nullptr, "关于 opens a box titled 关于预产期计算器, owned by the window")) return;
  bool icon = false;
  const std::string text = MessageOf(box, &icon);
  Check(text == AboutText(), "the About text is the two lines", text);
  Check(icon, "the About box shows an icon");
  Check(!IsWindowEnabled(program.form), "the About box is modal");
  Answer(box);
  Check(Results(program) + Box(program, Control::Text2) == before, "the fields are unchanged");
}

// Where the notepad.exe planted beside the program leaves its mark if started.
fs::path PlantedMark() { return fs::path(programPath).parent_path() / "planted-notepad-ran"; }

// The file a process was started from.
std::wstring ImageOf(HANDLE process) {
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (process == nullptr || !QueryFullProcessImageNameW(process, 0, image.data(), &length))
    return L"<unreadable>";
  image.resize(length);
  return image;
}

// The command line another process of this program's bitness was started
// with, read from its process parameters.
std::wstring CommandLineOf(HANDLE process) {
  using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = win32::SystemFunction<Query>(L"ntdll.dll", "NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  const auto read = [&](const void* from, void* to, std::size_t size) {
    return ReadProcessMemory(process, from, to, size, nullptr) != FALSE;
  };
  if (process == nullptr || query == nullptr ||
      query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
      !read(basic.PebBaseAddress, &peb, sizeof peb) ||
      !read(peb.ProcessParameters, &parameters, sizeof parameters)) {
    return L"<unreadable>";
  }
  std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!read(parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length))
    return L"<unreadable>";
  return line;
}

void CheckNotepad(const Program& program) {
  Press(program, Control::Command3);
  HWND notepad = nullptr;
  WaitFor([&] {
    notepad = FindTopLevel(L"Notepad", 0);
    return notepad != nullptr || fs::exists(PlantedMark());
  }, 30000);
  Check(!fs::exists(PlantedMark()), "the notepad.exe beside the program is not started");
  if (!Check(notepad != nullptr, "说明 starts Notepad")) return;
  const std::string title = Utf8(TextOf(notepad));
  Check(title.find("详细说明") != std::string::npos, "Notepad opened 详细说明.txt", title);
  HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
  const std::string text = edit ? Utf8(TextOf(edit)) : "";
  Check(text.rfind("预产期计算器 1.0 详细说明", 0) == 0, "Notepad shows the instructions in Chinese",
        text.substr(0, 60));
  Check(IsZoomed(notepad) != FALSE, "Notepad's window is maximised");
  DWORD notepadPid = 0;
  GetWindowThreadProcessId(notepad, &notepadPid);
  HANDLE notepadProcess =
      OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                  FALSE, notepadPid);
  const std::wstring image = ImageOf(notepadProcess);
  Check(CompareStringOrdinal(image.c_str(), -1, win32::SystemNotepad().c_str(), -1, TRUE) ==
            CSTR_EQUAL,
        "the Notepad started is the system's", Utf8(image));
  const std::wstring expected = NotepadCommandLine(fs::path(programPath).parent_path().wstring());
  // Notepad reads its command line where it lies and, under Wine, puts the
  // end of the text where the closing quote stood.
  std::wstring commandLine = CommandLineOf(notepadProcess);
  if (!commandLine.empty() && commandLine.back() == L'\0') commandLine.back() = L'"';
  Check(commandLine == expected, "Notepad's command line is notepad.exe and the quoted path",
        Utf8(commandLine));
  PostMessageW(notepad, WM_CLOSE, 0, 0);
  if (notepadProcess != nullptr) {
    if (WaitForSingleObject(notepadProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(notepadProcess, 0);
    CloseHandle(notepadProcess);
  }
  Check(program.Running(), "the program goes on while Notepad runs");
}

// ---------------------------------------------------------------------------
// Saving over what the user owns.

void Screenshot(HWND window, const fs::path& file);

// Presses 退出 and gives the question or message box it opens, if any.
HWND PressExit(const Program& program) {
  Press(program, Control::Command1);
  return WaitForMessageBox(program, kMessageTitle, 5000);
}

// A working folder of its own under `work` whose "time.txt" holds `bytes`;
// gives the file.
fs::path FolderWithEntriesFile(const fs::path& work, const char* name, const std::string& bytes) {
  const fs::path folder = work / name;
  fs::create_directories(folder);
  std::ofstream(folder / "time.txt", std::ios::binary) << bytes;
  return folder / "time.txt";
}

// Holds `file` open, sharing nothing, for `ms` milliseconds from now, as a
// virus scanner looking at a file does; the thread lets go of it.
std::thread HoldBriefly(const fs::path& file, DWORD ms) {
  HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(held != INVALID_HANDLE_VALUE, "a scanner holds time.txt for a moment");
  return std::thread([held, ms] {
    Sleep(ms);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  });
}

// A "time.txt" of the user's own: the initial entries stay at start, and
// 退出 asks, with Cancel the default, before the file is replaced.
void CheckUsersOwnFile(const fs::path& work) {
  const std::string notes = "产检：11月12日 B超\r\n记得带医保卡\r\n";
  const fs::path file = FolderWithEntriesFile(work, "own", notes);
  Program program;
  if (!Start(program, file.parent_path().wstring())) return;
  Check(Box(program, Control::Text2) == "04", "a file of the user's own leaves the initial entries");
  Type(program, Control::Text1, "2026");

  // Even while a scanner holds the file at the press, it is looked at
  // before anything is replaced.
  std::thread scanner = HoldBriefly(file, 500);
  HWND box = PressExit(program);
  scanner.join();
  if (Check(box != nullptr, "退出 over the user's own file asks first, even while it is held a moment")) {
    const std::string text = MessageOf(box);
    Check(text.find(Utf8(file.wstring())) != std::string::npos && text.find("丢失") != std::string::npos,
          "the question names the file and says its content would be lost", text);
    std::vector<std::string> answers;
    for (HWND button : ButtonsOf(box)) answers.push_back(Utf8(TextOf(button)));
    std::sort(answers.begin(), answers.end());
    std::vector<std::string> named{kReplaceAnswer, kKeepAnswer};
    std::sort(named.begin(), named.end());
    Check(answers == named, "its two buttons name the answers in Chinese",
          answers.empty() ? "no buttons" : answers.front() + " | " + answers.back());
    Screenshot(box, work / "question.bmp");
    // Enter, as a user presses it, where the box put the focus: on the
    // default button.
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus);
    Check(focus.hwndFocus != nullptr && Utf8(TextOf(focus.hwndFocus)) == kKeepAnswer,
          "keeping the file is the default");
    if (focus.hwndFocus != nullptr) {
      PostMessageW(focus.hwndFocus, WM_KEYDOWN, VK_RETURN, 1);
      PostMessageW(focus.hwndFocus, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    }
    Check(WaitFor([&] { return !IsWindow(box); }, 5000), "Enter closes the question");
  }
  Sleep(200);
  Check(program.Running() && FileBytes(file) == notes && Box(program, Control::Text1) == "2026",
        "answered with Enter, the file stays byte for byte and the window with what was typed");

  box = PressExit(program);
  if (Check(box != nullptr, "退出 asks again")) {
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);  // Esc and the close box send this
    WaitFor([&] { return !IsWindow(box); }, 5000);
  }
  Sleep(200);
  Check(program.Running() && FileBytes(file) == notes, "answered with Esc, nothing is replaced");

  box = PressExit(program);
  if (box != nullptr) {
    PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitFor([&] { return !IsWindow(box); }, 5000);
  }
  Sleep(200);
  Check(program.Running() && FileBytes(file) == notes, "closed with its close box, nothing is replaced");

  box = PressExit(program);
  const std::vector<HWND> replace = box != nullptr ? ButtonsOf(box, kReplaceAnswer) : std::vector<HWND>{};
  if (replace.size() == 1) PostMessageW(replace.front(), BM_CLICK, 0, 0);
  Check(program.WaitForExit(), "an explicit 替换文件 saves and ends the program");
  Check(FileBytes(file) == "2026,4,27,28\r\n2011,5,15,0\r\n", "only then is the file replaced",
        FileBytes(file));
}

// Opened inside its ZIP, Windows runs the program from a copy in the user's
// temporary folder, where "time.txt" would be lost: it says so once, then
// works as usual.
void CheckTemporaryFolder() {
  wchar_t temporary[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  if (!Check(length > 0 && length <= MAX_PATH, "the temporary folder is known")) return;
  const fs::path folder = fs::path(std::wstring(temporary, length)) / L"Temp1_yuchanqi-1.0-win32.zip";
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder, error);
  const fs::path program = folder / fs::path(programPath).filename();
  fs::copy_file(programPath, program, error);
  if (!Check(!error, "a copy of the program stands in the temporary folder", error.message())) return;
  {
    Program running;
    if (Start(running, folder.wstring(), program.wstring())) {
      HWND box = WaitForMessageBox(running, kMessageTitle);
      if (Check(box != nullptr, "started from the temporary folder, the program warns")) {
        const std::string text = MessageOf(box);
        Check(text.find("全部解压缩") != std::string::npos && text.find("丢失") != std::string::npos &&
                  text.find(Utf8(folder.filename().wstring())) != std::string::npos,
              "the warning names the folder, says the dates would be lost and to extract the program first", text);
        Answer(box);
      }
      Check(!AnyBoxOpen(running), "it warns once");
      Press(running, Control::Command4);
      Check(!AnyBoxOpen(running) && !Box(running, Control::Text8).empty(), "then it works as usual",
            Results(running));
      PostMessageW(running.form, WM_SYSCOMMAND, SC_CLOSE, 0);
      running.WaitForExit();
    }
  }
  fs::remove_all(folder, error);
}

// Another program holds "time.txt" open without sharing writes: the save
// says so in Chinese, names no permission problem, and changes nothing.
void CheckFileHeldOpen(const fs::path& work) {
  const std::string saved = "2000,1,1,30\r\n2000,1,15,1\r\n";
  const fs::path file = FolderWithEntriesFile(work, "held", saved);
  const fs::path folder = file.parent_path();
  Program program;
  if (!Start(program, folder.wstring())) return;
  HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!Check(held != INVALID_HANDLE_VALUE, "another process holds time.txt open")) return;
  Type(program, Control::Text1, "1999");
  HWND box = PressExit(program);
  if (Check(box != nullptr, "a save over a file held open is reported")) {
    const std::string text = MessageOf(box);
    Check(text.find("正被另一个程序") != std::string::npos && text.find("权限") == std::string::npos,
          "the message says the file is in use, not that permission is missing", text);
    Answer(box);
  }
  Sleep(200);
  Check(program.Running() && Box(program, Control::Text1) == "1999", "the window stays, with what was typed");
  CloseHandle(held);
  Check(FileBytes(file) == saved, "the file is unchanged", FileBytes(file));
  std::size_t strays = 0;
  for (const auto& entry : fs::directory_iterator(folder)) strays += entry.path().filename() != "time.txt";
  Check(strays == 0, "no temporary file is left beside it");

  // Held only a moment, as a scanner holds it: the save waits for it.
  std::thread scanner = HoldBriefly(file, 500);
  box = PressExit(program);
  scanner.join();
  if (box != nullptr) {
    Check(false, "a file held a moment is saved without a message", MessageOf(box));
    Answer(box);
    PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  Check(program.WaitForExit(), "once the file is free, 退出 saves and ends");
  Check(FileBytes(file).rfind("1999,", 0) == 0, "and the file holds the entries", FileBytes(file));
}

// A hidden "time.txt" stays hidden after a save.
void CheckHiddenFile(const fs::path& work) {
  const fs::path file = FolderWithEntriesFile(work, "hidden", "2000,1,1,30\r\n2000,1,15,1\r\n");
  if (!Check(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN) != FALSE &&
                 (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0,
             "time.txt is hidden")) {
    return;
  }
  Program program;
  if (!Start(program, file.parent_path().wstring())) return;
  Check(Box(program, Control::Text1) == "2000", "a hidden time.txt loads");
  Type(program, Control::Text1, "1999");
  HWND box = PressExit(program);
  if (box != nullptr) {
    Check(false, "a hidden file saves without a message", MessageOf(box));
    Answer(box);
    PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  Check(program.WaitForExit(), "退出 ends the program");
  Check(FileBytes(file).rfind("1999,", 0) == 0, "the hidden file holds the entries", FileBytes(file));
  const DWORD attributes = GetFileAttributesW(file.c_str());
  Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0,
        "and it is still hidden", std::to_string(attributes));
}

// The client area of `window`, as a BMP file.
void Screenshot(HWND window, const fs::path& file) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(500);
  RECT r{};
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const int w = r.right, h = r.bottom;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + stride * static_cast<DWORD>(h);
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * static_cast<DWORD>(h)));
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  Check(out.good(), "screenshot written");
}


// ---------------------------------------------------------------------------
// COM identity of the accessible objects, the window procedure's safety,
// focus while minimised, and DLLs planted beside the program.

// The interfaces a screen reader may ask an accessible object for.
struct Interface {
  const char* name;
  IID iid;
};
const Interface kInterfaces[] = {
    {"IUnknown", __uuidof(IUnknown)},         {"IDispatch", __uuidof(IDispatch)},
    {"IAccessible", __uuidof(IAccessible)},   {"IEnumVARIANT", __uuidof(IEnumVARIANT)},
    {"IOleWindow", __uuidof(IOleWindow)},     {"IServiceProvider", __uuidof(IServiceProvider)},
};

// The name an object gives itself, asked through its IAccessible.
std::string AccessibleNameOf(IUnknown* object) {
  IAccessible* accessible = nullptr;
  if (FAILED(object->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible))) ||
      accessible == nullptr) {
    return "<no IAccessible>";
  }
  BSTR name = nullptr;
  const HRESULT hr = accessible->get_accName(Self(), &name);
  const std::string got = SUCCEEDED(hr) && name != nullptr
                              ? Utf8(std::wstring(name, SysStringLen(name)))
                              : "<error " + std::to_string(hr) + ">";
  SysFreeString(name);
  accessible->Release();
  return got;
}

// One COM object, by the rules of IUnknown: through every interface it
// hands out, IUnknown is the same pointer, each interface it offers is
// offered alike (and only those), and the name is the box's.
void CheckComIdentity(IAccessible* accessible, const std::string& who, const std::string& name) {
  IUnknown* identity = nullptr;
  if (!Check(SUCCEEDED(accessible->QueryInterface(__uuidof(IUnknown),
                                                   reinterpret_cast<void**>(&identity))) &&
                 identity != nullptr,
             who + ": IAccessible answers IUnknown")) {
    return;
  }
  bool offered[std::size(kInterfaces)] = {};
  std::string list;
  for (std::size_t i = 0; i < std::size(kInterfaces); ++i) {
    IUnknown* p = nullptr;
    offered[i] = SUCCEEDED(accessible->QueryInterface(kInterfaces[i].iid, reinterpret_cast<void**>(&p))) &&
                 p != nullptr;
    if (p != nullptr) p->Release();
    if (offered[i]) list += std::string(list.empty() ? "" : ", ") + kInterfaces[i].name;
  }
  std::printf("%s offers %s\n", who.c_str(), list.c_str());
  for (std::size_t i = 0; i < std::size(kInterfaces); ++i) {
    if (!offered[i]) continue;
    IUnknown* through = nullptr;
    accessible->QueryInterface(kInterfaces[i].iid, reinterpret_cast<void**>(&through));
    IUnknown* itsIdentity = nullptr;
    through->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&itsIdentity));
    std::string differs;
    for (std::size_t j = 0; j < std::size(kInterfaces); ++j) {
      IUnknown* p = nullptr;
      const bool answers =
          SUCCEEDED(through->QueryInterface(kInterfaces[j].iid, reinterpret_cast<void**>(&p))) &&
          p != nullptr;
      if (p != nullptr) p->Release();
      if (answers != offered[j]) differs += std::string(kInterfaces[j].name) + (answers ? "+ " : "- ");
    }
    Check(itsIdentity == identity, who + ": through " + kInterfaces[i].name + ", IUnknown is the object's own");
    Check(differs.empty(), who + ": through " + kInterfaces[i].name + ", the same interfaces are offered",
          differs);
    const std::string heard = AccessibleNameOf(through);
    Check(heard == name, who + ": through " + kInterfaces[i].name + ", the name is " + name, heard);
    if (itsIdentity != nullptr) itsIdentity->Release();
    through->Release();
  }
  identity->Release();
}

// A copy of the object's enumerator is an accessible object of the same
// box, and it is named as well; false where the object makes no copies.
bool CheckEnumeratorCopy(IAccessible* accessible, const std::string& who, const std::string& name) {
  IEnumVARIANT* enumerator = nullptr;
  if (FAILED(accessible->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&enumerator))) ||
      enumerator == nullptr) {
    return false;
  }
  IEnumVARIANT* copy = nullptr;
  const HRESULT hr = enumerator->Clone(&copy);
  enumerator->Release();
  if (hr == E_NOTIMPL) return false;
  if (!Check(SUCCEEDED(hr) && copy != nullptr, who + ": its enumerator makes a copy",
             "error " + std::to_string(static_cast<unsigned long>(hr)))) {
    return true;
  }
  const std::string heard = AccessibleNameOf(copy);
  Check(heard == name, who + ": the copy of its enumerator is named " + name, heard);
  copy->Release();
  return true;
}

// The program's names, in this process: a box of the driver's own, named the
// way the program names its boxes, asked the way a screen reader asks. The
// object itself comes back here, not a proxy of it, so that its identity is
// seen as it is.
void CheckNamedBoxIdentity() {
  HWND window = CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"2011", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
                             window, nullptr, GetModuleHandleW(nullptr), nullptr);
  const std::string name = "末次月经年份";
  win32::NameForScreenReaders(box, Wide(name));
  IAccessible* accessible = nullptr;
  const HRESULT asked = AccessibleObjectFromWindow(box, static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&accessible));
  if (Check(SUCCEEDED(asked) && accessible != nullptr, "a named box of this process answers",
            "error " + std::to_string(static_cast<unsigned long>(asked)))) {
    CheckComIdentity(accessible, "a named box", name);
    if (!CheckEnumeratorCopy(accessible, "a named box", name))
      std::printf("not checked: the standard object here makes no copy of its enumerator\n");
    VARIANT role{};
    Check(SUCCEEDED(accessible->get_accRole(Self(), &role)) && role.vt == VT_I4 &&
              role.lVal == ROLE_SYSTEM_TEXT,
          "a named box is still an editable text");
    // Asked late-bound, as scripting clients ask: without the child, with
    // it as a short, and as a reference to a variant.
    VARIANT self2{};
    self2.vt = VT_I2;
    self2.iVal = CHILDID_SELF;
    VARIANT byReference{};
    byReference.vt = VT_BYREF | VT_VARIANT;
    byReference.pvarVal = &self2;
    for (const auto& [how, argument] : {std::pair<const char*, VARIANT*>{"without the child", nullptr},
                                        {"the child a short", &self2},
                                        {"the child by reference", &byReference}}) {
      DISPPARAMS params{argument, nullptr, argument != nullptr ? 1u : 0u, 0};
      VARIANT late{};
      const HRESULT invoked = accessible->Invoke(DISPID_ACC_NAME, IID_NULL, LOCALE_USER_DEFAULT,
                                                 DISPATCH_PROPERTYGET, &params, &late, nullptr, nullptr);
      Check(SUCCEEDED(invoked) && late.vt == VT_BSTR && late.bstrVal != nullptr &&
                Utf8(std::wstring(late.bstrVal, SysStringLen(late.bstrVal))) == name,
            std::string("asked through IDispatch::Invoke, ") + how + ", a named box gives its name",
            "error " + std::to_string(static_cast<unsigned long>(invoked)));
      VariantClear(&late);
    }
    accessible->Release();
  }
  DestroyWindow(window);
}

// The same, asked of the program's boxes from here, through COM's proxies.
void CheckProgramIdentity(const Program& program) {
  for (Control control : {Control::Text1, Control::Text12}) {
    const ControlSpec& spec = SpecOf(control);
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(Item(program, spec), static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr) {
      Check(false, ControlName(spec) + " answers Active Accessibility");
      continue;
    }
    CheckComIdentity(accessible, ControlName(spec), spec.accessibleName);
    if (!CheckEnumeratorCopy(accessible, ControlName(spec), spec.accessibleName))
      std::printf("not checked: the standard object makes no copy of %s's enumerator\n",
                  ControlName(spec).c_str());
    accessible->Release();
  }
}

// A window of the driver's own on the program's BaseWindow, whose BaseWindow
// is not its first base class, and whose messages can be made to throw.
struct FirstBase {
  virtual ~FirstBase() = default;
  int unused = 0;
};

constexpr UINT kAsk = WM_APP + 1;    // answers 42
constexpr UINT kThrow = WM_APP + 2;  // throws
constexpr UINT kEnd = WM_APP + 3;    // destroys the window

class ThrowingWindow : public FirstBase, public win32::BaseWindow<ThrowingWindow> {
 public:
  bool Make() {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProbeThrowingWindow";
    return Create(wc, L"probe", WS_OVERLAPPEDWINDOW, 0, 200, 100);
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case kAsk: return answer_;
      case kThrow: throw std::runtime_error("thrown on purpose");
      case WM_CLOSE: throw std::runtime_error("thrown on purpose");
      case kEnd: DestroyWindow(hwnd_); return 0;
      case WM_DESTROY: PostQuitMessage(0); return 0;
      default: break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  LRESULT answer_ = 42;
};

DWORD WINAPI RunThrowingWindow(void* made) {
  ThrowingWindow window;
  *static_cast<HWND*>(made) = window.Make() ? window.Handle() : HWND(-1);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// No exception leaves the window procedure: the user is told, in a message
// box the window owns, and the window goes on.
void CheckWindowProcedure() {
  HWND window = nullptr;
  HANDLE thread = CreateThread(nullptr, 0, RunThrowingWindow, &window, 0, nullptr);
  WaitFor([&] { return window != nullptr; }, 5000);
  if (!Check(window != nullptr && window != HWND(-1), "a window on BaseWindow, not its first base, is made")) {
    if (thread != nullptr) CloseHandle(thread);
    return;
  }
  const auto ask = [&] {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, kAsk, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) ? answer : 0;
  };
  Check(ask() == 42, "its messages reach the object that made it");
  const std::string expected = Utf8(win32::kInternalErrorText);
  const auto box = [&] {
    return FindTopLevel(L"#32770", GetCurrentProcessId(), window, win32::kInternalErrorTitle);
  };
  // Two messages that throw, the second while the box of the first is open.
  PostMessageW(window, kThrow, 0, 0);
  PostMessageW(window, kThrow, 0, 0);
  HWND shown = nullptr;
  WaitFor([&] { return (shown = box()) != nullptr; }, 5000);
  if (Check(shown != nullptr, "an exception is reported in a message box owned by the window")) {
    Check(MessageOf(shown) == expected, "the message says the operation did not complete",
          MessageOf(shown));
    Sleep(300);
    Answer(shown);
    Sleep(300);
    Check(box() == nullptr, "one box at a time: the second exception, while it was open, shows none");
  }
  Check(WaitForSingleObject(thread, 0) == WAIT_TIMEOUT && IsWindow(window) && ask() == 42,
        "after an exception the window goes on");
  // A close request that throws leaves the window open.
  PostMessageW(window, WM_CLOSE, 0, 0);
  shown = nullptr;
  WaitFor([&] { return (shown = box()) != nullptr; }, 5000);
  if (Check(shown != nullptr, "an exception on closing is reported")) Answer(shown);
  Sleep(200);
  Check(IsWindow(window) && ask() == 42, "a close that failed leaves the window open");
  PostMessageW(window, kEnd, 0, 0);
  Check(WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0, "the window's thread ends normally");
  CloseHandle(thread);
}

// Minimised, the window leaves no box the focus, where keys would go unseen;
// restored, the box that had the focus has it again.
void CheckMinimisedFocus(const Program& program) {
  const DWORD thread = GetWindowThreadProcessId(program.form, nullptr);
  AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  HWND box = Item(program, Control::Text3);
  SetFocus(box);
  WaitFor([&] { return GetFocus() == box; }, 2000);
  PostMessageW(program.form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Settle(program);
  if (Check(WaitFor([&] { return IsIconic(program.form) != FALSE; }, 5000), "the window is minimised")) {
    const auto inBox = [&] {
      HWND focus = GetFocus();
      return focus != nullptr && IsChild(program.form, focus);
    };
    const auto focusName = [] {
      HWND focus = GetFocus();
      return focus ? Utf8(ClassOf(focus)) + " " + std::to_string(GetDlgCtrlID(focus)) : "none";
    };
    Check(!inBox(), "minimised, no box keeps the focus", focusName());
    PostMessageW(program.form, WM_SYSCOMMAND, SC_RESTORE, 0);
    Settle(program);
    WaitFor([&] { return !IsIconic(program.form); }, 5000);
    SetForegroundWindow(program.form);
    WaitFor([&] { return GetFocus() == box; }, 3000);
    Check(!IsIconic(program.form) && GetFocus() == box, "restored, the box that had the focus has it again",
          focusName());
  }
  AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
}

// The DLLs that Windows 7 always takes from its system folder (its
// KnownDLLs, and ntdll), whatever lies beside a program; under Wine, which
// takes them from beside the program when asked to prefer native DLLs, they
// are planted but not preferred. OLEAUT32, a KnownDLL too, is treated as any
// other DLL here: only the screen-reader names need it, loaded at run time.
bool AlwaysFromSystemFolder(const std::string& dll) {
  static const char* const known[] = {
      "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "iertutil.dll",
      "imagehlp.dll", "imm32.dll", "kernel32.dll", "lpk.dll", "msctf.dll", "msvcrt.dll",
      "normaliz.dll", "nsi.dll", "ntdll.dll", "ole32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
      "setupapi.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll", "usp10.dll",
      "wininet.dll", "wldap32.dll", "ws2_32.dll"};
  for (const char* k : known)
    if (dll == k) return true;
  return false;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The DLLs a program file imports, read from its import table.
std::vector<std::string> ImportsOf(const fs::path& program) {
  std::vector<std::string> dlls;
  HANDLE file = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return dlls;
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr);
  const auto* base = mapping ? static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))
                             : nullptr;
  if (base != nullptr) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress != 0) {
      for (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
           entry->Name != 0; ++entry) {
        dlls.push_back(Lower(reinterpret_cast<const char*>(base + entry->Name)));
      }
    }
    UnmapViewOfFile(base);
  }
  if (mapping != nullptr) CloseHandle(mapping);
  CloseHandle(file);
  return dlls;
}

// The files of the modules loaded in a running process of this bitness.
// Wine names one of its own builtin DLLs after a file of the same name
// beside the program when there is one, though it did not load that file:
// `builtin` gets those.
std::vector<fs::path> ModulesOf(DWORD pid, std::vector<fs::path>* builtin = nullptr) {
  std::vector<fs::path> modules;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return modules;
  HANDLE process = OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, pid);
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module)) {
    modules.emplace_back(module.szExePath);
    // Wine's builtin DLLs say so in place of the DOS stub's message.
    char stub[16] = {};
    if (builtin != nullptr && process != nullptr &&
        ReadProcessMemory(process, module.modBaseAddr + 0x40, stub, sizeof stub, nullptr) &&
        std::memcmp(stub, "Wine builtin DLL", sizeof stub) == 0) {
      builtin->emplace_back(module.szExePath);
    }
  }
  if (process != nullptr) CloseHandle(process);
  CloseHandle(snapshot);
  return modules;
}

// The module named `dll` (any case) among `modules`, or an empty path.
fs::path Module(const std::vector<fs::path>& modules, const std::string& dll) {
  for (const fs::path& m : modules)
    if (Lower(Utf8(m.filename().wstring())) == dll) return m;
  return {};
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Wine asked to prefer the DLLs of a program's folder over its own for
// `names`, as Windows prefers them for any DLL that is not a KnownDLL, for
// the programs of the given file names, while this lives. Wine takes this
// from its registry (the programs' AppDefaults), not from a child's
// environment.
class PreferPlanted {
 public:
  PreferPlanted(const std::vector<std::wstring>& programs, const std::vector<std::string>& names)
      : programs_(programs) {
    for (const std::wstring& program : programs_) {
      HKEY key = nullptr;
      if (RegCreateKeyExW(HKEY_CURRENT_USER, (Key(program) + L"\\DllOverrides").c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        ok_ = false;
        continue;
      }
      for (const std::string& name : names) {
        if (AlwaysFromSystemFolder(name)) continue;
        const std::wstring dll = Wide(name.substr(0, name.size() - 4));
        constexpr wchar_t kOrder[] = L"native,builtin";
        ok_ = RegSetValueExW(key, dll.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                             sizeof kOrder) == ERROR_SUCCESS && ok_;
      }
      RegCloseKey(key);
    }
  }
  ~PreferPlanted() {
    for (const std::wstring& program : programs_) {
      RegDeleteKeyW(HKEY_CURRENT_USER, (Key(program) + L"\\DllOverrides").c_str());
      RegDeleteKeyW(HKEY_CURRENT_USER, Key(program).c_str());
    }
  }
  bool Ok() const { return ok_; }

 private:
  static std::wstring Key(const std::wstring& program) {
    return L"Software\\Wine\\AppDefaults\\" + program;
  }
  std::vector<std::wstring> programs_;
  bool ok_ = true;
};

bool StartIn(Program& program, const fs::path& file, const fs::path& workingDir,
             const wchar_t* windowClass) {
  std::wstring commandLine = L"\"" + file.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDir.c_str(), &startup, &program.process)) {
    return false;
  }
  WaitForInputIdle(program.process.hProcess, 10000);
  WaitFor([&] {
    program.form = FindTopLevel(windowClass, program.process.dwProcessId);
    return program.form != nullptr || !program.Running();
  }, 20000);
  return program.form != nullptr;
}

// The marks left beside the program by planted DLLs, removed as they are read.
std::vector<std::string> TakeMarks(const fs::path& folder) {
  std::vector<std::string> marks;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string file = Lower(Utf8(entry.path().filename().wstring()));
    if (file.size() > 7 && file.compare(file.size() - 7, 7, ".loaded") == 0) {
      marks.push_back(file.substr(0, file.size() - 7));
      fs::remove(entry.path(), error);
    }
  }
  return marks;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string all;
  for (const std::string& item : items) all += (all.empty() ? "" : " ") + item;
  return all.empty() ? "none" : all;
}

// A DLL under each name the program could load, planted beside it, and Wine
// asked to prefer them, as Windows does for DLLs that are not KnownDLLs: the
// program loads none of them beyond what the one-window program loads too
// (what Wine itself loads for every program), while it starts, is worked,
// answers a screen reader and ends. The DLLs it loads for the screen reader
// come from the system folder, and only once one asks.
void CheckPlantedDlls(const fs::path& work, const fs::path& marker, const fs::path& minimal) {
  const fs::path folder = work / L"planted 预产期";
  const fs::path workingDir = work / L"planted-work";
  std::error_code error;
  fs::create_directories(folder, error);
  fs::create_directories(workingDir, error);
  const fs::path program = folder / fs::path(programPath).filename();
  fs::copy_file(programPath, program, fs::copy_options::overwrite_existing, error);
  fs::copy_file(fs::path(programPath).parent_path() / L"详细说明.txt", folder / L"详细说明.txt",
                fs::copy_options::overwrite_existing, error);
  const fs::path floor = folder / minimal.filename();
  fs::copy_file(minimal, floor, fs::copy_options::overwrite_existing, error);

  std::vector<std::string> names = {"oleacc.dll", "oleaut32.dll", "ole32.dll", "uxtheme.dll",
                                    "dwmapi.dll", "version.dll",  "comctl32.dll"};
  const std::vector<std::string> imports = ImportsOf(program);
  Check(!imports.empty(), "the program's imports are read", Joined(imports));
  for (const std::vector<std::string>& more : {imports, ImportsOf(floor)})
    for (const std::string& dll : more)
      if (std::find(names.begin(), names.end(), dll) == names.end()) names.push_back(dll);
  bool planted = true;
  for (const std::string& dll : names)
    planted = fs::copy_file(marker, folder / dll, fs::copy_options::overwrite_existing, error) && planted;
  if (!Check(planted, "a marker DLL is planted beside the program as " + Joined(names))) return;
  const PreferPlanted prefer({program.filename().wstring(), floor.filename().wstring()}, names);
  if (!Check(prefer.Ok(), "Wine is asked to prefer the planted DLLs but KnownDLLs")) return;

  // What Wine loads from beside any program: the floor.
  std::vector<std::string> baseline;
  {
    Program one;
    Check(StartIn(one, floor, workingDir, L"Minimal"),
          "the one-window program starts among the planted DLLs");
    Sleep(500);
    PostMessageW(one.form, WM_CLOSE, 0, 0);
    one.WaitForExit();
    baseline = TakeMarks(folder);
    std::printf("planted DLLs the one-window program loads: %s\n", Joined(baseline).c_str());
  }

  Program ours;
  if (Check(StartIn(ours, program, workingDir, L"Form1"),
            "the program starts among the planted DLLs")) {
    const std::vector<fs::path> atStart = ModulesOf(ours.process.dwProcessId);
    Check(!atStart.empty() && Module(atStart, "oleacc.dll").empty() &&
              Module(atStart, "oleaut32.dll").empty(),
          "at start, before a screen reader asks, oleacc and oleaut32 are not loaded");
    // Worked as a user would: a calculation each way, About, and a screen
    // reader asking every box.
    Press(ours, Control::Command4);
    Check(Results(ours) != "       ", "计算 gives results among the planted DLLs", Results(ours));
    Press(ours, Control::Option2);
    Press(ours, Control::Command4);
    Press(ours, Control::Command2);
    if (HWND about = WaitForMessageBox(ours, kAboutTitle)) Answer(about);
    std::string unnamed;
    for (const ControlSpec* spec : TabOrder()) {
      if (spec->kind != ControlKind::TextBox) continue;
      IAccessible* accessible = nullptr;
      std::string heard = "<no answer>";
      if (SUCCEEDED(AccessibleObjectFromWindow(Item(ours, *spec), static_cast<DWORD>(OBJID_CLIENT),
                                               __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&accessible)))) {
        heard = AccessibleNameOf(accessible);
        accessible->Release();
      }
      if (heard != spec->accessibleName) unnamed += ControlName(*spec) + ": " + heard + "; ";
    }
    Check(unnamed.empty(), "the screen reader hears every box's name among the planted DLLs", unnamed);
    std::vector<fs::path> builtin;
    const std::vector<fs::path> loaded = ModulesOf(ours.process.dwProcessId, &builtin);
    const fs::path system = win32::SystemFolder();
    for (const char* dll : {"oleacc.dll", "oleaut32.dll"}) {
      const fs::path found = Module(loaded, dll);
      Check(!found.empty() && SameFolder(found.parent_path(), system),
            std::string("once a screen reader asked, ") + dll + " is loaded from the system folder",
            found.empty() ? "not loaded" : Utf8(found.wstring()));
    }
    std::string beside;
    for (const fs::path& m : loaded) {
      const bool wines = std::find(builtin.begin(), builtin.end(), m) != builtin.end();
      const bool alsoTheFloors = std::find(baseline.begin(), baseline.end(),
                                           Lower(Utf8(m.filename().wstring()))) != baseline.end();
      if (SameFolder(m.parent_path(), folder) && !SameFolder(m, program) && !wines && !alsoTheFloors)
        beside += Utf8(m.wstring()) + " ";
    }
    Check(beside.empty(),
          "no module of the program is loaded from its folder but itself and what the one-window program loads",
          beside);
    Press(ours, Control::Command1);
    Check(ours.WaitForExit(), "退出 ends the program among the planted DLLs");
  }
  const std::vector<std::string> marks = TakeMarks(folder);
  std::vector<std::string> beyond;
  for (const std::string& mark : marks)
    if (std::find(baseline.begin(), baseline.end(), mark) == baseline.end()) beyond.push_back(mark);
  std::printf("planted DLLs the program loads: %s\n", Joined(marks).c_str());
  Check(beyond.empty(), "the program loads no planted DLL beyond what the one-window program loads",
        Joined(beyond));
}

// ---------------------------------------------------------------------------
// The setup program, run as a user runs one from a downloads folder:
//
//   win32_probe.exe --setup <setup.exe> <empty working directory> <marker DLL>
//                   <the one-window program> [<screenshot file>]
//
// It installs for the current user, its shortcut starts the program in the
// user's data folder, its entry in Settings → Apps says what it is, and its
// uninstaller leaves "time.txt"; no DLL planted beside it is loaded.

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\com.tavoren.Yuchanqi";

fs::path KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

// A text of the uninstall entry, or "<absent>".
std::string EntryText(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return "<absent>";
  return Utf8(value);
}

// A number of the uninstall entry, or -1.
long long EntryNumber(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return -1;
  return value;
}

bool EntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

struct Shortcut {
  bool read = false;
  fs::path target, workingDir, icon;
  int iconIndex = -1;
};

// What a .lnk holds, read through the shell's own IShellLinkW.
Shortcut ReadShortcut(const fs::path& file) {
  Shortcut shortcut;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return shortcut;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
      // The target from the link's item list, which holds its Unicode
      // name: Wine's GetPath gives the ANSI copy, Chinese lost to '?'.
      wchar_t text[MAX_PATH] = {};
      PIDLIST_ABSOLUTE items = nullptr;
      shortcut.read = SUCCEEDED(link->GetIDList(&items)) && items != nullptr &&
                      SHGetPathFromIDListW(items, text);
      CoTaskMemFree(items);
      shortcut.target = text;
      text[0] = L'\0';
      link->GetWorkingDirectory(text, MAX_PATH);
      shortcut.workingDir = text;
      text[0] = L'\0';
      link->GetIconLocation(text, MAX_PATH, &shortcut.iconIndex);
      shortcut.icon = text;
    }
    persist->Release();
  }
  link->Release();
  return shortcut;
}

// Starts `commandLine` (no shell: CreateProcess parses it) in `dir`; gives
// the process, or an empty one.
PROCESS_INFORMATION Launch(const std::wstring& commandLine, const fs::path& dir) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                      &process))
    return {};
  return process;
}

// Runs `commandLine` in `dir` to its end; gives its exit status, or -1.
long long RunToEnd(const std::wstring& commandLine, const fs::path& dir, DWORD ms = 60000) {
  PROCESS_INFORMATION process = Launch(commandLine, dir);
  if (process.hProcess == nullptr) return -1;
  DWORD status = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &status);
  else TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status == static_cast<DWORD>(-1) ? -1 : static_cast<long long>(status);
}

std::wstring Quoted(const fs::path& file) { return L"\"" + file.wstring() + L"\""; }

// An uninstaller started as Settings → Apps starts it: it copies itself to
// a folder of its own and ends at once; the copy, its child, does the work.
// Waits for both.
long long RunUninstallCommand(const std::wstring& commandLine, const fs::path& dir) {
  PROCESS_INFORMATION process = Launch(commandLine, dir);
  if (process.hProcess == nullptr) return -1;
  DWORD status = static_cast<DWORD>(-1);
  WaitForSingleObject(process.hProcess, 60000);
  GetExitCodeProcess(process.hProcess, &status);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != process.dwProcessId) continue;
    if (HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
      WaitForSingleObject(child, 60000);
      DWORD childStatus = 0;
      if (GetExitCodeProcess(child, &childStatus) && childStatus != 0) status = childStatus;
      CloseHandle(child);
    }
  }
  CloseHandle(snapshot);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM data) {
  if (IsWindowVisible(child)) *reinterpret_cast<std::wstring*>(data) += TextOf(child) + L"\n";
  return TRUE;
}

// The texts of every visible control of a window, its pages' too.
std::string TextsOf(HWND window) {
  std::wstring all;
  EnumChildWindows(window, CollectTexts, reinterpret_cast<LPARAM>(&all));
  return Utf8(all);
}

// The wizard's window: the visible dialog of the setup process.
HWND WaitForWizard(DWORD pid, const std::string& showing, DWORD ms = 20000) {
  HWND wizard = nullptr;
  WaitFor([&] {
    wizard = FindTopLevel(L"#32770", pid);
    return wizard != nullptr && TextsOf(wizard).find(showing) != std::string::npos;
  }, ms);
  return wizard != nullptr && TextsOf(wizard).find(showing) != std::string::npos ? wizard : nullptr;
}

void PressWizardButton(HWND wizard, int id) {
  PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(wizard, id)));
}

struct InstallPlaces {
  fs::path folder, program, dataFolder, entries, shortcut;
};

// Removes what an earlier run left in the prefix: the install, its
// shortcut and entry, and the test's own "time.txt".
void Clean(const InstallPlaces& at) {
  std::error_code error;
  fs::remove_all(at.folder, error);
  fs::remove(at.shortcut, error);
  fs::remove(at.entries, error);
  RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
}

// Files beside a program: their names, sorted.
std::string Listing(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    names.push_back(Utf8(entry.path().filename().wstring()));
  std::sort(names.begin(), names.end());
  return Joined(names);
}

void CheckInstalled(const InstallPlaces& at) {
  Check(Listing(at.folder) == "LICENSE.txt THIRD-PARTY-NOTICES.txt yuchanqi.exe 卸载.exe 详细说明.txt",
        "the program, its instructions, licence, notices and uninstaller are in the user's "
        "AppData\\Local\\Programs\\Tavoren预产期计算器",
        Utf8(at.folder.wstring()) + ": " + Listing(at.folder));
  std::string elsewhere;
  for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_COMMON_PROGRAMS}) {
    const fs::path base = KnownFolder(csidl);
    for (const wchar_t* name : {L"Tavoren预产期计算器", L"预产期计算器.lnk"})
      if (!base.empty() && fs::exists(base / name)) elsewhere += Utf8((base / name).wstring()) + " ";
  }
  Check(elsewhere.empty(), "nothing is installed for all users or in Program Files", elsewhere);

  const Shortcut shortcut = ReadShortcut(at.shortcut);
  if (Check(shortcut.read, "the Start-menu shortcut 预产期计算器.lnk is read", Utf8(at.shortcut.wstring()))) {
    Check(SameFolder(shortcut.target, at.program), "the shortcut starts the installed program",
          Utf8(shortcut.target.wstring()));
    Check(SameFolder(shortcut.workingDir, at.dataFolder),
          "the shortcut's working folder is %APPDATA%\\Tavoren\\预产期计算器",
          Utf8(shortcut.workingDir.wstring()));
    Check(SameFolder(shortcut.icon, at.program) && shortcut.iconIndex == 0,
          "the shortcut shows the program's icon",
          Utf8(shortcut.icon.wstring()) + "," + std::to_string(shortcut.iconIndex));
  }
  Check(fs::is_directory(at.dataFolder), "the data folder is made");

  const std::string folder = Utf8(at.folder.wstring());
  const std::string program = Utf8(at.program.wstring());
  const std::string uninstaller = Utf8((at.folder / L"卸载.exe").wstring());
  const std::pair<const wchar_t*, std::string> texts[] = {
      {L"DisplayName", "Tavoren预产期计算器"},
      {L"DisplayVersion", "1.0"},
      {L"Publisher", "Tavoren软件"},
      {L"DisplayIcon", program + ",0"},
      {L"InstallLocation", folder},
      {L"UninstallString", "\"" + uninstaller + "\""},
      {L"QuietUninstallString", "\"" + uninstaller + "\" /S"}};
  for (const auto& [name, expected] : texts)
    Check(EntryText(name) == expected, "the uninstall entry's " + Utf8(name) + " is " + expected,
          EntryText(name));
  std::uintmax_t bytes = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(at.folder, error)) bytes += entry.file_size(error);
  const long long size = EntryNumber(L"EstimatedSize");
  Check(size >= static_cast<long long>(bytes / 1024) && size <= static_cast<long long>(bytes / 1024) + 5,
        "the uninstall entry's EstimatedSize is the installed files' KiB",
        std::to_string(size) + " for " + std::to_string(bytes) + " bytes");
  Check(EntryNumber(L"NoModify") == 1 && EntryNumber(L"NoRepair") == 1,
        "the uninstall entry offers neither Modify nor Repair");
}

// Nothing the setup put in place is left, and "time.txt" is byte for byte
// what it was.
void CheckUninstalled(const InstallPlaces& at, const std::string& entries, const std::string& how) {
  std::error_code error;
  Check(!fs::exists(at.program) && !fs::exists(at.folder / L"详细说明.txt") &&
            !fs::exists(at.folder / L"LICENSE.txt") && !fs::exists(at.folder / L"THIRD-PARTY-NOTICES.txt"),
        how + " removes the program, its instructions, licence and notices", Listing(at.folder));
  Check(!fs::exists(at.shortcut), how + " removes the Start-menu shortcut");
  Check(!EntryExists(), how + " removes the entry in Settings → Apps");
  Check(FileBytes(at.entries) == entries, how + " leaves time.txt byte for byte", FileBytes(at.entries));
}

// Whether `face` draws every Chinese character of `shown` with a glyph of its own,
// not the box of a missing one. The wizard's pages ask for SimSun by its
// Chinese name, 宋体, at 9 points.
bool DrawsAll(const wchar_t* face, const std::wstring& shown) {
  std::wstring text;  // its Chinese characters
  for (wchar_t c : shown)
    if (c >= 0x3000) text += c;
  if (text.empty()) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW font{};
  font.lfHeight = -12;
  font.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  HFONT handle = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(dc, handle);
  std::vector<WORD> glyphs(text.size());
  const bool all = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                    GGI_MARK_NONEXISTING_GLYPHS) == text.size() &&
                   std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
  SelectObject(dc, old);
  DeleteObject(handle);
  DeleteDC(dc);
  return all;
}

int SetupMain(const fs::path& setup, const fs::path& work, const fs::path& marker,
              const fs::path& minimal, const fs::path& screenshot) {
  InstallPlaces at;
  at.folder = KnownFolder(CSIDL_LOCAL_APPDATA) / L"Programs" / L"Tavoren预产期计算器";
  at.program = at.folder / L"yuchanqi.exe";
  at.dataFolder = KnownFolder(CSIDL_APPDATA) / L"Tavoren" / L"预产期计算器";
  at.entries = at.dataFolder / L"time.txt";
  at.shortcut = KnownFolder(CSIDL_PROGRAMS) / L"预产期计算器.lnk";
  Clean(at);

  // A downloads folder: the setup, and marker DLLs under the names of DLLs
  // an installer loads, which Wine is asked to prefer.
  const fs::path downloads = work / L"下载 Downloads";
  std::error_code error;
  fs::create_directories(downloads, error);
  const fs::path setupFile = downloads / setup.filename();
  fs::copy_file(setup, setupFile, fs::copy_options::overwrite_existing, error);
  const fs::path floor = downloads / minimal.filename();
  fs::copy_file(minimal, floor, fs::copy_options::overwrite_existing, error);
  std::vector<std::string> names = {"version.dll", "uxtheme.dll", "userenv.dll", "dwmapi.dll",
                                    "cryptbase.dll", "riched20.dll", "msftedit.dll", "oleacc.dll",
                                    "propsys.dll", "comctl32.dll", "shfolder.dll", "profapi.dll",
                                    "secur32.dll", "ntmarta.dll", "apphelp.dll", "textshaping.dll",
                                    "wtsapi32.dll", "oleaut32.dll", "netapi32.dll", "mpr.dll",
                                    "linkinfo.dll", "ntshrui.dll", "srvcli.dll", "cscapi.dll",
                                    "setupapi.dll", "sspicli.dll"};
  const std::vector<std::string> imports = ImportsOf(setupFile);
  Check(!imports.empty(), "the setup's imports are read", Joined(imports));
  for (const std::string& dll : imports)
    if (std::find(names.begin(), names.end(), dll) == names.end()) names.push_back(dll);
  const auto plant = [&](const fs::path& folder) {
    bool planted = true;
    for (const std::string& dll : names)
      planted = fs::copy_file(marker, folder / dll, fs::copy_options::overwrite_existing, error) && planted;
    return planted;
  };
  Check(plant(downloads), "a marker DLL is planted beside the setup as " + Joined(names));
  const PreferPlanted prefer({setupFile.filename().wstring(), floor.filename().wstring(), L"卸载.exe"},
                             names);
  Check(prefer.Ok(), "Wine is asked to prefer the planted DLLs but KnownDLLs");
  std::vector<std::string> baseline;
  {
    Program one;
    Check(StartIn(one, floor, downloads, L"Minimal"), "the one-window program starts among the planted DLLs");
    Sleep(500);
    PostMessageW(one.form, WM_CLOSE, 0, 0);
    one.WaitForExit();
    baseline = TakeMarks(downloads);
    std::printf("planted DLLs the one-window program loads: %s\n", Joined(baseline).c_str());
  }
  const auto checkMarks = [&](const fs::path& folder, const std::string& who) {
    std::vector<std::string> beyond;
    const std::vector<std::string> marks = TakeMarks(folder);
    for (const std::string& mark : marks)
      if (std::find(baseline.begin(), baseline.end(), mark) == baseline.end()) beyond.push_back(mark);
    std::printf("planted DLLs %s loads: %s\n", who.c_str(), Joined(marks).c_str());
    Check(beyond.empty(), who + " loads no planted DLL beyond what the one-window program loads",
          Joined(beyond));
  };
  const std::wstring silent = Quoted(setupFile) + L" /S";

  // Installed silently, as an administrator would, from the downloads folder.
  Check(RunToEnd(silent, downloads) == 0, "setup.exe /S ends with status 0");
  checkMarks(downloads, "setup.exe /S");
  CheckInstalled(at);
  const std::string installedProgram = FileBytes(at.program);

  // Started from the shortcut, the program keeps "time.txt" in the data folder.
  const Shortcut shortcut = ReadShortcut(at.shortcut);
  Program program;
  if (Check(StartIn(program, shortcut.target, shortcut.workingDir, L"Form1"),
            "the program starts as the shortcut starts it")) {
    // While it runs, the setup asks to close it: silent, it ends with 2
    // and replaces nothing; in the wizard it asks in Chinese.
    Check(RunToEnd(silent, downloads) == 2, "setup.exe /S with the program running ends with status 2");
    Check(program.Running() && FileBytes(at.program) == installedProgram,
          "and leaves the running program as it was");
    PROCESS_INFORMATION wizard = Launch(Quoted(setupFile), downloads);
    HWND box = nullptr;
    WaitFor([&] {
      box = FindTopLevel(L"#32770", wizard.dwProcessId);
      return box != nullptr && MessageOf(box).find("正在运行") != std::string::npos;
    }, 20000);
    const std::string asked = box != nullptr ? MessageOf(box) : "<no message box>";
    Check(asked.find("预产期计算器正在运行") != std::string::npos && asked.find("关闭") != std::string::npos &&
              GetDlgItem(box, IDRETRY) != nullptr && GetDlgItem(box, IDCANCEL) != nullptr,
          "the setup asks in Chinese to close the running program, with Retry and Cancel", asked);
    if (box != nullptr) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    DWORD status = 0;
    if (wizard.hProcess != nullptr) {
      Check(WaitForSingleObject(wizard.hProcess, 20000) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(wizard.hProcess, &status) && status == 2,
            "Cancel ends the setup with status 2", std::to_string(status));
      CloseHandle(wizard.hProcess);
      CloseHandle(wizard.hThread);
    }
    Press(program, Control::Command1);
    Check(program.WaitForExit(), "退出 ends the program started from the shortcut");
  }
  program.Close();
  const std::string entries = FileBytes(at.entries);
  Check(entries.size() >= 16 && entries.compare(entries.size() - 2, 2, "\r\n") == 0,
        "退出 saves time.txt in %APPDATA%\\Tavoren\\预产期计算器", entries);
  checkMarks(downloads, "the setup, with the program running,");

  // Installed over an earlier install: the program is replaced, time.txt kept.
  {
    std::ofstream(at.program, std::ios::binary | std::ios::trunc) << "an earlier program";
  }
  Check(RunToEnd(silent, downloads) == 0, "setup.exe /S over an earlier install ends with status 0");
  Check(FileBytes(at.program) == installedProgram, "the install over an earlier one replaces the program");
  Check(FileBytes(at.entries) == entries, "the install over an earlier one keeps time.txt byte for byte");
  checkMarks(downloads, "setup.exe /S over an earlier install");

  // The uninstaller itself, run where it lies among planted DLLs (_?= keeps
  // it there rather than copied away): removes what the setup put in place.
  const fs::path uninstaller = at.folder / L"卸载.exe";
  Check(plant(at.folder), "a marker DLL is planted beside the uninstaller as each of those names");
  Check(RunToEnd(Quoted(uninstaller) + L" /S _?=" + at.folder.wstring(), work) == 0,
        "the uninstaller /S ends with status 0");
  checkMarks(at.folder, "the uninstaller");
  CheckUninstalled(at, entries, "the uninstaller");
  for (const std::string& dll : names) fs::remove(at.folder / dll, error);
  fs::remove(uninstaller, error);
  fs::remove(at.folder, error);

  // Again, uninstalled by the entry's QuietUninstallString, as Windows runs it.
  Check(RunToEnd(silent, downloads) == 0, "setup.exe /S installs again");
  const std::string quiet = EntryText(L"QuietUninstallString");
  Check(RunUninstallCommand(Wide(quiet), work) == 0, "the QuietUninstallString ends with status 0", quiet);
  CheckUninstalled(at, entries, "the QuietUninstallString");
  Check(!fs::exists(at.folder), "and removes the install folder, left empty");
  Check(fs::is_directory(at.dataFolder), "and keeps the data folder");
  checkMarks(downloads, "setup.exe /S, installing again,");

  // The wizard, in Chinese, to the end, and its "run": the program starts in
  // the data folder.
  fs::remove(at.entries, error);
  PROCESS_INFORMATION wizard = Launch(Quoted(setupFile), downloads);
  HWND window = WaitForWizard(wizard.dwProcessId, "欢迎使用");
  if (Check(window != nullptr, "the wizard's first page welcomes in Chinese",
            window ? TextsOf(window) : "no wizard")) {
    const std::string welcome = TextsOf(window);
    Check(welcome.find("预产期计算器") != std::string::npos && welcome.find("下一步") != std::string::npos &&
              welcome.find("Nullsoft") == std::string::npos,
          "it names the program, its buttons are Chinese, and no Nullsoft branding", welcome);
    Check(DrawsAll(L"宋体", Wide(welcome)), "its font, 宋体, has a glyph for every Chinese character it shows");
    if (!screenshot.empty()) Screenshot(window, screenshot);
    PressWizardButton(window, IDOK);
    const bool licence = WaitForWizard(wizard.dwProcessId, "许可证协议") != nullptr;
    Check(licence && TextsOf(window).find("Permission is hereby granted") != std::string::npos,
          "下一步 shows the MIT licence", TextsOf(window));
    PressWizardButton(window, IDOK);
    Check(WaitForWizard(wizard.dwProcessId, "选择安装位置") != nullptr &&
              TextsOf(window).find(Utf8(at.folder.wstring())) != std::string::npos,
          "我接受 shows the install folder in the user's AppData", TextsOf(window));
    PressWizardButton(window, IDOK);
    Check(WaitForWizard(wizard.dwProcessId, "运行预产期计算器") != nullptr,
          "安装 ends on the finish page, offering 运行预产期计算器", TextsOf(window));
    PressWizardButton(window, IDOK);
    Program started;
    WaitFor([&] {
      started.form = FindTopLevel(L"Form1", 0);
      return started.form != nullptr;
    }, 20000);
    if (Check(started.form != nullptr, "完成 starts the program")) {
      DWORD pid = 0;
      GetWindowThreadProcessId(started.form, &pid);
      started.process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
      started.process.dwProcessId = pid;
      Press(started, Control::Command1);
      Check(started.WaitForExit(), "退出 ends the program the wizard started");
      Check(FileBytes(at.entries).size() >= 16, "and time.txt is saved in the data folder, its working folder",
            FileBytes(at.entries));
      CloseHandle(started.process.hProcess);
      started.process = {};
    }
  }
  if (wizard.hProcess != nullptr) {
    if (WaitForSingleObject(wizard.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(wizard.hProcess, 1);
    CloseHandle(wizard.hProcess);
    CloseHandle(wizard.hThread);
  }
  checkMarks(downloads, "the wizard");

  const std::string last = EntryText(L"QuietUninstallString");
  if (last != "<absent>") RunUninstallCommand(Wide(last), work);
  Clean(at);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 6 && std::wstring(argv[1]) == L"--setup") {
    CoInitialize(nullptr);
    return SetupMain(argv[2], argv[3], argv[4], argv[5], argc >= 7 ? fs::path(argv[6]) : fs::path());
  }
  if (argc == 2) {  // started as the planted notepad.exe
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    std::ofstream(fs::path(self).parent_path() / "planted-notepad-ran") << "started\n";
    return 3;
  }
  if (argc < 3) {
    std::printf("usage: win32_probe <yuchanqi.exe> <working directory> <marker DLL> <minimal_win32.exe>\n");
    return 2;
  }
  programPath = argv[1];
  CoInitialize(nullptr);
  const fs::path work = argv[2];
  const std::wstring workDir = work.wstring();
  const fs::path entries = work / "time.txt";

  {  // First start: layout, calculation, keyboard, help; then 退出 saves.
    Program program;
    if (Start(program, workDir)) {
      Check(!AnyBoxOpen(program), "started from an ordinary folder, it says nothing at start");
      Check(FileBytes(entries).empty(), "a first start leaves an empty time.txt");
      {
        const DWORD thread = GetWindowThreadProcessId(program.form, nullptr);
        AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
        HWND option1 = Item(program, Control::Option1);
        WaitFor([&] { return GetFocus() == option1; }, 3000);
        HWND focus = GetFocus();
        Check(focus == Item(program, Control::Option1), "Option1 has the focus at first show",
              focus ? Utf8(ClassOf(focus)) + " " + std::to_string(GetDlgCtrlID(focus)) : "none");
        AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
      }
      Screenshot(program.form, work / "window.bmp");
      CheckLayout(program);
      CheckVisualStyle(program);
      CheckDpiChanges(program);
      CheckCalculate(program);
      CheckScreenReaders(program);
      CheckProgramIdentity(program);
      CheckKeyboard(program);
      CheckMinimisedFocus(program);
      CheckAbout(program);
      CheckNotepad(program);
      Press(program, Control::Command1);
      Check(program.WaitForExit(), "退出 ends the program");
      Check(FileBytes(entries) == "2011,4,27,28\r\n2011,5,15,0\r\n", "退出 writes the 27-byte time.txt",
            FileBytes(entries));
    }
  }
  {  // Second start: the saved numbers come back; the close box saves nothing.
    Program program;
    if (Start(program, workDir)) {
      Check(Box(program, Control::Text2) == "4" && Box(program, Control::Text13) == "5",
            "the next start shows 4 and 5", Box(program, Control::Text2) + " " + Box(program, Control::Text13));
      Type(program, Control::Text1, "1999");
      PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
      Check(program.WaitForExit(), "the close box ends the program");
      Check(FileBytes(entries) == "2011,4,27,28\r\n2011,5,15,0\r\n", "the close box saves nothing");
    }
  }
  {  // A save that fails: the reason is shown and the window stays open.
    const fs::path blocked = work / "blocked";
    fs::create_directories(blocked / "time.txt");
    Program program;
    if (Start(program, blocked.wstring())) {
      Type(program, Control::Text1, "1999");
      Press(program, Control::Command1);
      HWND box = WaitForMessageBox(program, kMessageTitle);
      if (Check(box != nullptr, "a failed save is reported")) {
        const std::string text = MessageOf(box);
        Check(text.find("无法保存") != std::string::npos && text.find("time.txt") != std::string::npos,
              "the message says what failed and where", text);
        Answer(box);
      }
      Sleep(200);
      Check(program.Running() && IsWindow(program.form), "the window stays open");
      Check(Box(program, Control::Text1) == "1999", "nothing typed is lost");
      PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
      program.WaitForExit();
    }
  }

  CheckUsersOwnFile(work);
  CheckTemporaryFolder();
  CheckFileHeldOpen(work);
  CheckHiddenFile(work);
  CheckWindowProcedure();
  CheckNamedBoxIdentity();
  if (Check(argc >= 5, "the marker DLL and the one-window program are given"))
    CheckPlantedDlls(work, argv[3], argv[4]);

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
