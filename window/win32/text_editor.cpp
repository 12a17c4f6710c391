#include "window/win32/text_editor.h"

#include <objbase.h>
#include <shellapi.h>

#include "window/win32/program_folder.h"
#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"

namespace duedate::win32 {
namespace {

// The system's Notepad, maximised, with the usual command line; when the
// file is missing Notepad says so itself. Named in full, so that no
// notepad.exe beside the program or in the working folder runs instead.
bool StartNotepad(const std::wstring& file) {
  const std::wstring notepad = SystemNotepad();
  std::wstring commandLine = NotepadCommandLine(file);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMAXIMIZED;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(notepad.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// COM on this thread for the length of one call, as ShellExecuteEx asks of
// its callers: the program associated with a file may be a shell extension
// that COM starts. Nothing is owed where COM cannot be started (ole32
// missing, say); ShellExecuteEx then starts what it can without it.
class ComForOneCall {
 public:
  ComForOneCall() {
    HMODULE ole32 = LoadSystemDll(L"ole32.dll");
    using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto initialize = SystemFunction<Initialize>(ole32, "CoInitializeEx");
    uninitialize_ = SystemFunction<Uninitialize>(ole32, "CoUninitialize");
    if (initialize == nullptr || uninitialize_ == nullptr ||
        FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
      uninitialize_ = nullptr;  // S_FALSE (already started) owes an end too
    }
  }
  ~ComForOneCall() {
    if (uninitialize_ != nullptr) uninitialize_();
  }
  ComForOneCall(const ComForOneCall&) = delete;
  ComForOneCall& operator=(const ComForOneCall&) = delete;

 private:
  using Uninitialize = void(WINAPI*)();
  Uninitialize uninitialize_ = nullptr;
};

// The program Windows associates with the file's kind, through its default
// verb, as Explorer opens a file ("open" only where it names none; a program
// may register "edit" alone), asked to show itself maximised. shell32 is loaded from the system
// folder only now, when Notepad is missing: an ordinary start never pays
// for it.
bool OpenWithAssociatedProgram(HWND owner, const std::wstring& file) {
  using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  const auto shellExecute =
      SystemFunction<ShellExecuteExFunction>(LoadSystemDll(L"shell32.dll"), "ShellExecuteExW");
  if (shellExecute == nullptr) return false;
  ComForOneCall com;
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  // No box of Windows' own for a kind without a program (the window says
  // so), and done before the call returns, while COM is still on.
  execute.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  execute.hwnd = owner;
  execute.lpVerb = nullptr;
  execute.lpFile = file.c_str();
  execute.nShow = SW_SHOWMAXIMIZED;
  return shellExecute(&execute) != FALSE;
}

}  // namespace

OpenResult OpenTextFile(HWND owner, const std::filesystem::path& file) {
  if (StartNotepad(file.native()) || OpenWithAssociatedProgram(owner, file.native()))
    return OpenResult::Opened;
  // Only Notepad would have said that the file is missing.
  return GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES ? OpenResult::FileMissing
                                                                     : OpenResult::CannotStart;
}

}  // namespace duedate::win32
