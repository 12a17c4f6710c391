// The Windows driver's shared parts. The driver, win32_probe, works the real
// program from outside under Wine (see probe.cpp); its checks are grouped by
// concern, each group in a file of its own:
//   probe.cpp                 the order in which the checks run (wmain)
//   probe_support.cpp         what every group uses to work the program:
//                             starting it, finding its controls and boxes,
//                             pressing, typing, reading, counting the checks
//   probe_window.cpp          the window: layout and font at each DPI, look,
//                             计算, keyboard, focus, 关于, 说明 with Notepad and
//                             without, the temporary folder, the window
//                             procedure
//   probe_screen_readers.cpp  what a screen reader hears, and COM identity
//   probe_saves.cpp           saving time.txt: 退出, the close box, a failed
//                             save, the user's own file, a file held open,
//                             a hidden file, a protected working folder
//   probe_dlls.cpp            DLLs planted beside the program
//   probe_setup.cpp           the setup program (--setup)
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "entries/windows_text.h"
#include "window/form1.h"
#include "window/form_layout.h"

namespace duedate::probe {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Working the program from outside (probe_support.cpp).

// Prints one line for a check, "ok: what" or "FAIL: what -- detail", and
// counts it.
bool Check(bool ok, const std::string& what, const std::string& detail = {});

// Prints the closing "N passed, M failed"; gives the driver's exit status.
int Summary();

template <class Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
  return true;
}

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);

// A visible top-level window of class `className`, of process `pid` (0: of
// any), owned by `owner` and titled `title` where those are given.
HWND FindTopLevel(const wchar_t* className, DWORD pid, HWND owner = nullptr,
                  const std::wstring& title = {});

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

// The program under test, as given on the command line.
extern std::wstring programPath;

// Starts the program in `workingDir` and waits for its window.
bool Start(Program& program, const std::wstring& workingDir, const std::wstring& path = programPath);

HWND Item(const Program& program, const ControlSpec& spec);
HWND Item(const Program& program, Control control);

// Waits until the program has handled everything sent to it so far.
void Settle(const Program& program);

// Presses a button the way a click does, without waiting for what it opens.
void Press(const Program& program, Control button);

void Type(const Program& program, Control box, const std::string& text);
std::string Box(const Program& program, Control box);

// The texts of the result boxes, each followed by a blank.
std::string Results(const Program& program);

// A message box the program owns, titled `title`.
HWND WaitForMessageBox(const Program& program, const std::string& title, DWORD ms = 10000);

// The message of a message box (its static texts), and whether it shows an icon.
std::string MessageOf(HWND box, bool* hasIcon = nullptr);

// The buttons of a box, or those of them that read `text`.
std::vector<HWND> ButtonsOf(HWND box, const std::string& text = {});

// Whether a box the program owns is open, once it has handled all that was
// sent to it.
bool AnyBoxOpen(const Program& program);

// Answers a box with OK and waits for it to close.
void Answer(HWND box);

// The bytes of a file, or "<absent>".
std::string FileBytes(const fs::path& file);

// The client area of `window`, as a BMP file.
void Screenshot(HWND window, const fs::path& file);
// What the screen shows in `area`, as a BMP file.
void ScreenshotOf(const RECT& area, const fs::path& file);

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

// Where a copy of the driver standing in for another program leaves its
// arguments, one a line, when started: beside itself, under its own name
// and ".ran".
inline fs::path MarkOf(const fs::path& standIn) { return standIn.wstring() + L".ran"; }

// ---------------------------------------------------------------------------
// Made for one group of checks, used by another as well.

// The system's Notepad back in its place if a check moved it aside
// (probe_window.cpp).
void PutBackSystemNotepad();

// The name an object gives itself, asked through its IAccessible
// (probe_screen_readers.cpp).
std::string AccessibleNameOf(IUnknown* object);

// Planted DLLs (probe_dlls.cpp), beside the program and beside the setup.

// The DLLs a program file imports, read from its import table.
std::vector<std::string> ImportsOf(const fs::path& program);

bool SameFolder(const fs::path& a, const fs::path& b);

std::string Joined(const std::vector<std::string>& items);

// Starts `file` in `workingDir` and waits for its window of `windowClass`.
bool StartIn(Program& program, const fs::path& file, const fs::path& workingDir,
             const wchar_t* windowClass);

// The marker DLL copied into `folder` under each of `names`; false if one
// could not be.
bool Plant(const fs::path& marker, const fs::path& folder, const std::vector<std::string>& names);

// What Wine loads from beside any program: the planted DLLs the one-window
// program `floor` loads from its folder, started in `workingDir` and closed.
std::vector<std::string> MarksOfTheOneWindowProgram(const fs::path& floor, const fs::path& workingDir);

// The marks planted DLLs left in `folder`, taken: `who` loaded none beyond
// those of the one-window program, `baseline`.
void CheckNoMarksBeyond(const fs::path& folder, const std::vector<std::string>& baseline,
                        const std::string& who);

// Wine asked to prefer the DLLs of a program's folder over its own for
// `names`, as Windows prefers them for any DLL that is not a KnownDLL, for
// the programs of the given file names, while this lives. Wine takes this
// from its registry (the programs' AppDefaults), not from a child's
// environment.
class PreferPlanted {
 public:
  PreferPlanted(const std::vector<std::wstring>& programs, const std::vector<std::string>& names);
  ~PreferPlanted();
  bool Ok() const { return ok_; }

 private:
  static std::wstring Key(const std::wstring& program);
  std::vector<std::wstring> programs_;
  bool ok_ = true;
};

// ---------------------------------------------------------------------------
// The checks, by the file that holds them; probe.cpp runs them in order.

// probe_window.cpp
void CheckFocusAtFirstShow(const Program& program);
void CheckLayout(const Program& program);
void CheckVisualStyle(const Program& program);
void CheckDpiChanges(const Program& program);
void CheckCalculate(const Program& program);
void CheckKeyboard(const Program& program);
void CheckMinimisedFocus(const Program& program);
void CheckAbout(const Program& program);
void CheckNotepad(const Program& program);
void CheckWithoutNotepad(const Program& program, const fs::path& work);
void CheckTemporaryFolder();
void CheckWindowProcedure();

// probe_screen_readers.cpp
void CheckScreenReaders(const Program& program);
void CheckDescriptions(const Program& program, const fs::path& screenshot);
void CheckProgramIdentity(const Program& program);
void CheckNamedBoxIdentity();

// probe_saves.cpp
void CheckExitSaves(const Program& program, const fs::path& entries);
void CheckSavedEntriesComeBack(const fs::path& work);
void CheckFailedSave(const fs::path& work);
void CheckUsersOwnFile(const fs::path& work);
void CheckFileHeldOpen(const fs::path& work);
void CheckHiddenFile(const fs::path& work);
void CheckProtectedFolder(const fs::path& work);

// probe_dlls.cpp
void CheckPlantedDlls(const fs::path& work, const fs::path& marker, const fs::path& minimal);

// probe_setup.cpp: the whole run of --setup, closing line included.
int SetupMain(const fs::path& setup, const fs::path& work, const fs::path& marker,
              const fs::path& minimal, const fs::path& screenshot);

}  // namespace duedate::probe
