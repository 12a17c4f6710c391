// Works the real Windows program from outside, as a user would, under Wine:
// starts it, finds its window and controls, presses its buttons, types keys,
// reads the boxes and message boxes, and checks the file it saves.
//
//   win32_probe.exe <path of yuchanqi.exe> <empty working directory>
//                   <marker DLL> <the one-window program>
//   win32_probe.exe --setup <setup.exe> <empty working directory>
//                   <marker DLL> <the one-window program> [<screenshot>]
//
// Copied under another name (the notepad.exe planted beside the program, the
// program registered for .txt files), it only leaves a mark that it ran,
// holding its arguments (MarkOf).
//
// Prints one line per check and closes with "N passed, M failed".
//
// The checks live in files by concern (probe.h lists them); this one runs
// them in order.
#include "window/win32/tests/probe.h"

#include <objbase.h>

#include <cstdio>
#include <fstream>
#include <string>

int wmain(int argc, wchar_t** argv) {
  using namespace duedate::probe;
  if (argc >= 6 && std::wstring(argv[1]) == L"--setup") {
    CoInitialize(nullptr);
    return SetupMain(argv[2], argv[3], argv[4], argv[5], argc >= 7 ? fs::path(argv[6]) : fs::path());
  }
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  if (fs::path(self).stem() != L"win32_probe") {  // a copy standing in for another program
    std::ofstream mark(MarkOf(self), std::ios::binary);
    for (int i = 1; i < argc; ++i) mark << duedate::Utf8(argv[i]) << "\n";
    return 3;
  }
  // What an earlier run that was cut short left moved aside.
  PutBackSystemNotepad();
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
      CheckFocusAtFirstShow(program);
      Screenshot(program.form, work / "window.bmp");
      CheckLayout(program);
      CheckVisualStyle(program);
      CheckDpiChanges(program);
      CheckDescriptions(program, work / "tooltip.bmp");
      CheckCalculate(program);
      CheckScreenReaders(program);
      CheckProgramIdentity(program);
      CheckKeyboard(program);
      CheckMinimisedFocus(program);
      CheckAbout(program);
      CheckNotepad(program);
      CheckWithoutNotepad(program, work);
      CheckExitSaves(program, entries);
    }
  }
  CheckSavedEntriesComeBack(work);
  CheckFailedSave(work);
  CheckUsersOwnFile(work);
  CheckTemporaryFolder();
  CheckFileHeldOpen(work);
  CheckHiddenFile(work);
  CheckProtectedFolder(work);
  CheckWindowProcedure();
  CheckNamedBoxIdentity();
  if (Check(argc >= 5, "the marker DLL and the one-window program are given"))
    CheckPlantedDlls(work, argv[3], argv[4]);

  return Summary();
}
