// What every group of the driver's checks uses to work the program from
// outside: starting it and finding its window, its controls and the boxes
// it owns, pressing, typing, reading, answering, reading files, taking a
// screenshot, and counting the checks for the closing line.
#include "window/win32/tests/probe.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace duedate::probe {

std::wstring programPath;

namespace {

int passed = 0;
int failed = 0;

}  // namespace

bool Check(bool ok, const std::string& what, const std::string& detail) {
  std::printf("%s: %s%s%s\n", ok ? "ok" : "FAIL", what.c_str(), detail.empty() ? "" : " -- ",
              detail.c_str());
  std::fflush(stdout);
  (ok ? passed : failed)++;
  return ok;
}

int Summary() {
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
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

namespace {

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

}  // namespace

HWND FindTopLevel(const wchar_t* className, DWORD pid, HWND owner, const std::wstring& title) {
  TopLevelSearch search{className, pid, owner, title, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool Start(Program& program, const std::wstring& workingDir, const std::wstring& path) {
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


std::string Results(const Program& program) {
  std::string all;
  for (const ResultField& field : kResultFields) all += Box(program, field.box) + " ";
  return all;
}

// A message box the program owns, titled `title`.
HWND WaitForMessageBox(const Program& program, const std::string& title, DWORD ms) {
  HWND box = nullptr;
  WaitFor([&] {
    box = FindTopLevel(L"#32770", program.process.dwProcessId, program.form, Wide(title));
    return box != nullptr;
  }, ms);
  return box;
}

namespace {

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

}  // namespace

// The message of a message box (its static texts), and whether it shows an icon.
std::string MessageOf(HWND box, bool* hasIcon) {
  MessageParts parts;
  EnumChildWindows(box, CollectMessage, reinterpret_cast<LPARAM>(&parts));
  if (hasIcon) *hasIcon = parts.icon;
  return Utf8(parts.text);
}

namespace {

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

}  // namespace

// The buttons of a box, or those of them that read `text`.
std::vector<HWND> ButtonsOf(HWND box, const std::string& text) {
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

// The client area of `window`, as a BMP file.
void Screenshot(HWND window, const fs::path& file) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(500);
  RECT r{};
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  ScreenshotOf({origin.x, origin.y, origin.x + r.right, origin.y + r.bottom}, file);
}

void ScreenshotOf(const RECT& area, const fs::path& file) {
  const POINT origin{area.left, area.top};
  const int w = area.right - area.left, h = area.bottom - area.top;
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

}  // namespace duedate::probe
