// Saving "time.txt", what the user owns: 退出 saves and the close box does
// not, a save that fails says why and loses nothing typed, a file of the
// user's own is replaced only when the user says so, a file another program
// holds is waited for or reported, and a hidden file stays hidden.
#include "window/win32/tests/probe.h"

#include <algorithm>
#include <fstream>
#include <thread>

namespace duedate::probe {
namespace {

// A save that should have gone without a word opened `box`: the check
// `what` fails with its message, and the program is closed without saving.
void FailOnMessage(const Program& program, HWND box, const std::string& what) {
  if (box == nullptr) return;
  Check(false, what, MessageOf(box));
  Answer(box);
  PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
}

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

}  // namespace

// 退出, pressed at the end of the first start, ends the program and saves.
void CheckExitSaves(const Program& program, const fs::path& entries) {
  Press(program, Control::Command1);
  Check(program.WaitForExit(), "退出 ends the program");
  Check(FileBytes(entries) == "2011,4,27,28\r\n2011,5,15,0\r\n", "退出 writes the 27-byte time.txt",
        FileBytes(entries));
}

// Second start: the saved numbers come back; the close box saves nothing.
void CheckSavedEntriesComeBack(const fs::path& work) {
  const fs::path entries = work / "time.txt";
  Program program;
  if (Start(program, work.wstring())) {
    Check(Box(program, Control::Text2) == "4" && Box(program, Control::Text13) == "5",
          "the next start shows 4 and 5", Box(program, Control::Text2) + " " + Box(program, Control::Text13));
    Type(program, Control::Text1, "1999");
    PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(program.WaitForExit(), "the close box ends the program");
    Check(FileBytes(entries) == "2011,4,27,28\r\n2011,5,15,0\r\n", "the close box saves nothing");
  }
}

// A save that fails: the reason is shown and the window stays open.
void CheckFailedSave(const fs::path& work) {
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
  FailOnMessage(program, box, "a file held a moment is saved without a message");
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
  FailOnMessage(program, box, "a hidden file saves without a message");
  Check(program.WaitForExit(), "退出 ends the program");
  Check(FileBytes(file).rfind("1999,", 0) == 0, "the hidden file holds the entries", FileBytes(file));
  const DWORD attributes = GetFileAttributesW(file.c_str());
  Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0,
        "and it is still hidden", std::to_string(attributes));
}

}  // namespace duedate::probe

namespace duedate::probe {

// A working folder the program may not write (run-probe.sh makes it so, as
// Program Files is for a user): the entries go to the data folder without a
// word, and of the data folder's file, the folder's own and an older
// program's copy in the VirtualStore, the newest is read.
void CheckProtectedFolder(const fs::path& work) {
  const fs::path folder = work / L"只读 folder", roaming = work / "Roaming", local = work / "Local";
  const fs::path dataFile = roaming / L"Tavoren" / L"预产期计算器" / "time.txt";
  const std::string initial = "2011,4,27,28\r\n2011,5,15,0\r\n";
  if (!Check(!std::ofstream(folder / "trial"), "the protected folder refuses new files")) return;
  // Started from here, the program takes the test's own data folders.
  std::wstring appData(32767, L'\0'), localAppData(32767, L'\0');
  appData.resize(GetEnvironmentVariableW(L"APPDATA", appData.data(), 32767));
  localAppData.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", localAppData.data(), 32767));
  SetEnvironmentVariableW(L"APPDATA", roaming.c_str());
  SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str());
  // Starts the program in `where`: it says nothing and shows `year`; then
  // 退出 or the close box.
  const auto startAndLeave = [](const fs::path& where, const std::string& year, bool exit, const std::string& what) {
    Program program;
    if (!Start(program, where.wstring())) return;
    Check(!AnyBoxOpen(program) && Box(program, Control::Text1) == year, what, Box(program, Control::Text1));
    if (exit) FailOnMessage(program, PressExit(program), what + ": 退出 saves without a message");
    if (!exit) PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(program.WaitForExit(), what + ": the program ends");
  };

  startAndLeave(folder, "2011", true, "started in a protected folder, it says nothing");
  Check(FileBytes(dataFile) == initial && !fs::exists(folder / "time.txt"),
        "退出 saves the 27 bytes in the data folder, made for them", FileBytes(dataFile));
  {
    Program program;
    if (Start(program, folder.wstring())) {
      Check(Box(program, Control::Text2) == "4", "the next start shows them", Box(program, Control::Text2));
      PostMessageW(program.form, WM_SYSCOMMAND, SC_CLOSE, 0);
      program.WaitForExit();
    }
  }
  // A protected folder holding a "time.txt" of 2020 (run-probe.sh), as an
  // elevated session leaves one: the entries written last are shown.
  const fs::path holding = work / L"只读 old", own = holding / "time.txt";
  const std::string ownBytes = FileBytes(own);
  fs::remove(dataFile);
  const fs::path copy = local / "VirtualStore" / holding.wstring().substr(3) / "time.txt";
  fs::create_directories(copy.parent_path());
  std::ofstream(copy, std::ios::binary) << "2010,3,1,30\r\n2010,3,20,1\r\n";
  startAndLeave(holding, "2010", false, "a VirtualStore copy newer than the folder's own time.txt is shown");
  std::ofstream(dataFile, std::ios::binary) << "2009,2,1,29\r\n2009,2,15,0\r\n";
  startAndLeave(holding, "2009", true, "a data folder's file newer than both comes before them");
  Check(ownBytes.rfind("2007,", 0) == 0 && FileBytes(own) == ownBytes && FileBytes(dataFile).rfind("2009,", 0) == 0,
        "退出 saves in the data folder; the folder's own file stays as it was", FileBytes(own));
  // A save there cut short between its renames: what it left is the newest.
  const fs::path left = dataFile.parent_path() / "time.txt.99999999.0123456789abcdef";
  fs::rename(dataFile, fs::path(left) += ".bak");
  std::ofstream(fs::path(left) += ".tmp", std::ios::binary) << "2008,6,1,28\r\n2008,6,15,0\r\n";
  startAndLeave(holding, "2008", true, "a save cut short in the data folder: the newest entries it left are shown");
  Check(FileBytes(dataFile) == "2008,6,1,28\r\n2008,6,15,0\r\n" && !fs::exists(fs::path(left) += ".bak") &&
            !fs::exists(fs::path(left) += ".tmp"),
        "退出 saves them, and only then is what was left removed", FileBytes(dataFile));

  fs::create_directories(work / "writable");
  startAndLeave(work / "writable", "2011", true, "a writable folder");
  Check(FileBytes(work / "writable" / "time.txt") == initial && FileBytes(dataFile).rfind("2008,", 0) == 0,
        "keeps time.txt where it is, and the data folder is left alone", FileBytes(dataFile));
  SetEnvironmentVariableW(L"APPDATA", appData.c_str());
  SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData.c_str());
}

}  // namespace duedate::probe
