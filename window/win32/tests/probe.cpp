// Works the real Windows program from outside, as a user would, under Wine:
// starts it, finds its window and controls, presses its buttons, types keys,
// reads the boxes and message boxes, and checks the file it saves.
//
//   win32_probe.exe <path of yuchanqi.exe> <empty working directory>
//
// Started with one argument, as the notepad.exe planted beside the program,
// it only leaves a mark that it ran.
//
// Prints one line per check and closes with "N passed, M failed".
#include <windows.h>
#include <oleacc.h>
#include <winternl.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "calc/due_date.h"
#include "window/form1.h"
#include "window/form_layout.h"
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

bool Start(Program& program, const std::wstring& workingDir) {
  std::wstring commandLine = L"\"" + programPath + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
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

// A "time.txt" of the user's own: the initial entries stay at start, and
// 退出 asks, with Cancel the default, before the file is replaced.
void CheckUsersOwnFile(const fs::path& work) {
  const std::string notes = "产检：11月12日 B超\r\n记得带医保卡\r\n";
  const fs::path file = FolderWithEntriesFile(work, "own", notes);
  Program program;
  if (!Start(program, file.parent_path().wstring())) return;
  Check(Box(program, Control::Text2) == "04", "a file of the user's own leaves the initial entries");
  Type(program, Control::Text1, "2026");

  HWND box = PressExit(program);
  if (Check(box != nullptr, "退出 over the user's own file asks first")) {
    const std::string text = MessageOf(box);
    Check(text.find(Utf8(file.wstring())) != std::string::npos && text.find("丢失") != std::string::npos,
          "the question names the file and says its content would be lost", text);
    // Enter, as a user presses it, where the box put the focus: on the
    // default button.
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus);
    Check(focus.hwndFocus != nullptr && GetDlgCtrlID(focus.hwndFocus) == IDCANCEL,
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
  if (box != nullptr) Answer(box);  // OK: replace it
  Check(program.WaitForExit(), "an explicit OK saves and ends the program");
  Check(FileBytes(file) == "2026,4,27,28\r\n2011,5,15,0\r\n", "only then is the file replaced",
        FileBytes(file));
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
  const DWORD pressed = GetTickCount();
  HWND box = PressExit(program);
  if (Check(box != nullptr, "a save over a file held open is reported")) {
    const std::string text = MessageOf(box);
    Check(text.find("正被另一个程序") != std::string::npos && text.find("权限") == std::string::npos,
          "the message says the file is in use, not that permission is missing", text);
    Check(GetTickCount() - pressed >= 900, "the program waited about a second before it said so",
          std::to_string(GetTickCount() - pressed) + " ms");
    Answer(box);
  }
  Sleep(200);
  Check(program.Running() && Box(program, Control::Text1) == "1999", "the window stays, with what was typed");
  CloseHandle(held);
  Check(FileBytes(file) == saved, "the file is unchanged", FileBytes(file));
  std::size_t strays = 0;
  for (const auto& entry : fs::directory_iterator(folder)) strays += entry.path().filename() != "time.txt";
  Check(strays == 0, "no temporary file is left beside it");

  // Let go of it, and the next 退出 saves.
  Press(program, Control::Command1);
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

void Screenshot(const Program& program, const fs::path& file) {
  SetForegroundWindow(program.form);
  RedrawWindow(program.form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(500);
  RECT r{};
  GetClientRect(program.form, &r);
  POINT origin{0, 0};
  ClientToScreen(program.form, &origin);
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2) {  // started as the planted notepad.exe
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    std::ofstream(fs::path(self).parent_path() / "planted-notepad-ran") << "started\n";
    return 3;
  }
  if (argc < 3) {
    std::printf("usage: win32_probe <yuchanqi.exe> <working directory>\n");
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
      Screenshot(program, work / "window.bmp");
      CheckLayout(program);
      CheckVisualStyle(program);
      CheckDpiChanges(program);
      CheckCalculate(program);
      CheckScreenReaders(program);
      CheckKeyboard(program);
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
  CheckFileHeldOpen(work);
  CheckHiddenFile(work);

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
