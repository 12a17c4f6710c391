// The window, worked as a user works it: the focus at first show, its layout
// and font at each DPI, its look, 计算 each way and a date it refuses, the
// keyboard, the focus while minimised, 关于, 说明 starting the system's
// Notepad, the warning when started from the temporary folder, and a window
// procedure that lets no exception out.
#include "window/win32/tests/probe.h"

#include <commctrl.h>
#include <winternl.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "calc/due_date.h"
#include "window/win32/base_window.h"
#include "window/win32/dpi.h"
#include "window/win32/program_folder.h"
#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"

namespace duedate::probe {
namespace {

// The core's figures, in the order Results() reads the result boxes.
std::string Figures(const DueDateResult& r) {
  std::string all;
  for (const ResultField& field : kResultFields) all += std::to_string(r.*field.figure) + " ";
  return all;
}

// The system's DPI, at which the program starts under Wine.
int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

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

}  // namespace

// Option1 has the focus when the window first shows.
void CheckFocusAtFirstShow(const Program& program) {
  const DWORD thread = GetWindowThreadProcessId(program.form, nullptr);
  AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  HWND option1 = Item(program, Control::Option1);
  WaitFor([&] { return GetFocus() == option1; }, 3000);
  HWND focus = GetFocus();
  Check(focus == Item(program, Control::Option1), "Option1 has the focus at first show",
        focus ? Utf8(ClassOf(focus)) + " " + std::to_string(GetDlgCtrlID(focus)) : "none");
  AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
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

// The program moved to monitors of 144 and 192 dpi and back to 96, as
// Windows 10 (1703 and later) moves it: asked its size at the new DPI
// (WM_GETDPISCALEDSIZE), it answers the window around the layout's client
// area with that DPI's frame, whose caption grows less than in proportion;
// then, in the rectangle suggested (WM_DPICHANGED), it lays itself out again.
// (Wine draws every frame at the system's DPI, so the rectangle suggested
// here has the frame the window has.)
void CheckDpiChanges(const Program& program) {
  using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  const auto adjustForDpi = win32::SystemFunction<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
  SharedBlock suggested(program.process.hProcess, sizeof(RECT));
  SharedBlock size(program.process.hProcess, sizeof(SIZE));
  if (!Check(suggested.Ready() && size.Ready() && adjustForDpi != nullptr,
             "memory at one address in both processes, and AdjustWindowRectExForDpi"))
    return;
  for (int dpi : {144, 192, 96}) {
    RECT window{}, client{};
    GetWindowRect(program.form, &window);
    GetClientRect(program.form, &client);
    size.Put(SIZE{window.right - window.left, window.bottom - window.top});
    DWORD_PTR answered = 0;
    SendMessageTimeoutW(program.form, 0x02E4 /* WM_GETDPISCALEDSIZE */, static_cast<WPARAM>(dpi),
                        size.Address(), SMTO_ABORTIFHUNG, 5000, &answered);
    const SIZE got = size.Written<SIZE>();
    RECT exact{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    adjustForDpi(&exact, static_cast<DWORD>(GetWindowLongW(program.form, GWL_STYLE)), FALSE,
                 static_cast<DWORD>(GetWindowLongW(program.form, GWL_EXSTYLE)), static_cast<UINT>(dpi));
    Check(answered == TRUE && got.cx == exact.right - exact.left && got.cy == exact.bottom - exact.top,
          "WM_GETDPISCALEDSIZE at " + std::to_string(dpi) + " dpi: the client area of the layout, that DPI's frame",
          std::to_string(got.cx) + "x" + std::to_string(got.cy));

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
  // As Windows 8.1 and 10 before 1703 move it (per-monitor v1): no question
  // first, and a rectangle that scales the frame too. Only its place is taken.
  for (int from = 96; int dpi : {192, 96}) {
    RECT r{};
    GetWindowRect(program.form, &r);
    suggested.Put(RECT{r.left + 8, r.top + 8, r.left + 8 + MulDiv(r.right - r.left, dpi, from),
                       r.top + 8 + MulDiv(r.bottom - r.top, dpi, from)});
    SendMessageTimeoutW(program.form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), suggested.Address(), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    Settle(program);
    const LONG left = r.left + 8, top = r.top + 8;
    Check(GetWindowRect(program.form, &r) && r.left == left && r.top == top,
          "at " + std::to_string(from = dpi) + " dpi without WM_GETDPISCALEDSIZE, where suggested");
    CheckGeometry(program, dpi);
  }
  // What Windows 8.1 tells in place of the window's DPI: the monitor's (shcore).
  Check(win32::MonitorDpiOf(program.form) == ScreenDpi(), "shcore tells the DPI of the window's monitor");
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

namespace {

// Where the notepad.exe planted beside the program leaves its mark if started.
fs::path PlantedMark() { return MarkOf(fs::path(programPath).parent_path() / "notepad.exe"); }

// The instructions beside the program, as the program names them.
std::wstring InstructionsPath() {
  return fs::path(programPath).parent_path().wstring() + L"\\" + Wide(kInstructionsFileName);
}

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

}  // namespace

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
  const std::wstring expected = win32::NotepadCommandLine(InstructionsPath());
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

namespace {

std::wstring NotepadAside() { return win32::SystemNotepad() + L".moved-aside-by-probe"; }

// .txt files opened with `command`, or with no program where it is empty,
// while this lives. Wine's shell reads HKEY_CLASSES_ROOT only, not a user's
// HKEY_CURRENT_USER\Software\Classes.
class TextFilesOpenWith {
 public:
  explicit TextFilesOpenWith(const std::wstring& command) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, RRF_RT_REG_SZ, nullptr, old_, &size) == 0;
    ok_ = Set(L".txt", command.empty() ? L"Yuchanqi.NoProgram" : kClass) &&
          (command.empty() || (Set(std::wstring(kClass) + L"\\shell", L"edit") &&
                               Set(std::wstring(kClass) + L"\\shell\\edit\\command", command)));
  }
  ~TextFilesOpenWith() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
    if (!had_ || !Set(L".txt", old_)) RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt");
  }
  bool ok_ = false;

 private:
  static constexpr wchar_t kClass[] = L"Yuchanqi.ProbeTextFile";
  static bool Set(const std::wstring& key, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == 0;
  }
  bool had_ = false;
  wchar_t old_[256] = {};
};

}  // namespace

void PutBackSystemNotepad() {
  if (GetFileAttributesW(win32::SystemNotepad().c_str()) == INVALID_FILE_ATTRIBUTES)
    MoveFileExW(NotepadAside().c_str(), win32::SystemNotepad().c_str(), 0);
}

// Where Notepad was removed (Windows 10 and 11 let users remove it), 说明
// opens the instructions with the program associated with .txt files; where
// there is none either, it says that no program can open them.
void CheckWithoutNotepad(const Program& program, const fs::path& work) {
  struct PutBack {
    ~PutBack() { PutBackSystemNotepad(); }
  } putBack;  // whatever happens below
  // A copy of this driver, in a folder whose name has a blank, stands in for
  // the program associated with .txt files, which registers "edit" alone
  // and names it its default verb, which Explorer uses.
  const fs::path opener = work / L"文本 opener" / L"opener.exe";
  std::error_code error;
  fs::create_directories(opener.parent_path(), error);
  fs::copy_file(fs::path(programPath).parent_path() / "notepad.exe", opener, error);
  if (!Check(!error && MoveFileExW(win32::SystemNotepad().c_str(), NotepadAside().c_str(), 0),
             "the system's Notepad is moved aside, a program for .txt files made", error.message()))
    return;
  {
    TextFilesOpenWith textFiles(L"\"" + opener.wstring() + L"\" \"%1\"");
    Press(program, Control::Command3);
    WaitFor([&] { return fs::exists(MarkOf(opener)) || AnyBoxOpen(program); }, 30000);
    Check(textFiles.ok_ && FileBytes(MarkOf(opener)) == Utf8(InstructionsPath()) + "\n" && !AnyBoxOpen(program),
          "without Notepad, 说明 opens the instructions with the program for .txt files, silently",
          FileBytes(MarkOf(opener)));
  }
  TextFilesOpenWith noProgram(L"");
  Press(program, Control::Command3);
  HWND box = WaitForMessageBox(program, kMessageTitle);
  const std::string text = box != nullptr ? MessageOf(box) : "<no box>";
  Check(noProgram.ok_ && text == InstructionsFailureText(OpenResult::CannotStart, fs::path(InstructionsPath())),
        "without Notepad or a program for .txt files, 说明 says no program can open the instructions", text);
  if (box != nullptr) {
    Screenshot(box, work / "no-editor.bmp");
    Answer(box);
  }
  Check(!fs::exists(PlantedMark()) && program.Running(),
        "nor is the notepad.exe beside the program started then; the program goes on");
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

namespace {

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

}  // namespace

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
  const std::string expected = kInternalErrorText;
  const auto box = [&] {
    return FindTopLevel(L"#32770", GetCurrentProcessId(), window, Wide(kMessageTitle));
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

}  // namespace duedate::probe
