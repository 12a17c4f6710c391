// The setup program, run as a user runs one from a downloads folder:
//
//   win32_probe.exe --setup <setup.exe> <empty working directory> <marker DLL>
//                   <the one-window program> [<screenshot file>]
//
// It installs for the current user, its shortcut starts the program in the
// user's data folder, its entry in Settings → Apps says what it is, and its
// uninstaller leaves "time.txt"; no DLL planted beside it is loaded. Copies
// of the program it installs and the uninstaller it writes are left in the
// working directory, whose signatures run-probe.sh checks.
#include "window/win32/tests/probe.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <utility>

namespace duedate::probe {
namespace {

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
  // Every line of the texts ends with CR LF, as the Notepad of Windows 7 needs.
  for (const wchar_t* name : {L"详细说明.txt", L"LICENSE.txt", L"THIRD-PARTY-NOTICES.txt"}) {
    const std::string text = FileBytes(at.folder / name);
    bool crLf = !text.empty() && text.back() == '\n';
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', end + 1))
      crLf = crLf && end > 0 && text[end - 1] == '\r';
    Check(crLf, "every line of the installed " + Utf8(name) + " ends with CR LF");
  }
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

}  // namespace

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
  Check(Plant(marker, downloads, names), "a marker DLL is planted beside the setup as " + Joined(names));
  const PreferPlanted prefer({setupFile.filename().wstring(), floor.filename().wstring(), L"卸载.exe"},
                             names);
  Check(prefer.Ok(), "Wine is asked to prefer the planted DLLs but KnownDLLs");
  const std::vector<std::string> baseline = MarksOfTheOneWindowProgram(floor, downloads);
  const auto checkMarks = [&](const fs::path& folder, const std::string& who) {
    CheckNoMarksBeyond(folder, baseline, who);
  };
  const std::wstring silent = Quoted(setupFile) + L" /S";

  // Installed silently, as an administrator would, from the downloads folder.
  Check(RunToEnd(silent, downloads) == 0, "setup.exe /S ends with status 0");
  checkMarks(downloads, "setup.exe /S");
  CheckInstalled(at);
  const std::string installedProgram = FileBytes(at.program);
  // Copies of the program installed and the uninstaller written stay in the
  // working folder, for osslsigncode to verify their signatures (run-probe.sh).
  Check(fs::copy_file(at.program, work / L"installed-yuchanqi.exe", fs::copy_options::overwrite_existing, error) &&
            fs::copy_file(at.folder / L"卸载.exe", work / L"installed-uninstaller.exe",
                          fs::copy_options::overwrite_existing, error),
        "the installed program and uninstaller are copied for their signatures to be checked");

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
              asked.find("按“取消”放弃") != std::string::npos && GetDlgItem(box, IDRETRY) != nullptr &&
              GetDlgItem(box, IDCANCEL) != nullptr,
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
  Check(Plant(marker, at.folder, names), "a marker DLL is planted beside the uninstaller as each of those names");
  Check(RunToEnd(Quoted(uninstaller) + L" /S _?=" + at.folder.wstring(), work) == 0,
        "the uninstaller /S ends with status 0");
  checkMarks(at.folder, "the uninstaller");
  CheckUninstalled(at, entries, "the uninstaller");
  for (const std::string& dll : names) fs::remove(at.folder / dll, error);
  fs::remove(uninstaller, error);
  fs::remove(at.folder, error);

  // Again, uninstalled by the entry's QuietUninstallString, as Windows runs it.
  Check(RunToEnd(silent, downloads) == 0, "setup.exe /S installs again");
  // But first a copy of the uninstaller elsewhere, among files of the user's
  // of the same names: it removes nothing, there or in the install.
  const std::string notes = "我的笔记\r\n";
  const fs::path desktop = work / L"桌面";
  fs::create_directories(desktop, error);
  for (const wchar_t* name : {L"LICENSE.txt", L"详细说明.txt"}) std::ofstream(desktop / name, std::ios::binary) << notes;
  fs::copy_file(uninstaller, desktop / L"卸载.exe", error);
  Check(RunToEnd(Quoted(desktop / L"卸载.exe") + L" /S _?=" + desktop.wstring(), work) == 2,
        "a copy of the uninstaller elsewhere ends with status 2");
  Check(FileBytes(desktop / L"LICENSE.txt") == notes && FileBytes(desktop / L"详细说明.txt") == notes &&
            fs::exists(at.program) && EntryExists(),
        "and removes nothing, there or in the install");
  const std::string quiet = EntryText(L"QuietUninstallString");
  Check(RunUninstallCommand(Wide(quiet), work) == 0, "the QuietUninstallString ends with status 0", quiet);
  CheckUninstalled(at, entries, "the QuietUninstallString");
  Check(!fs::exists(at.folder), "and removes the install folder, left empty");
  Check(fs::is_directory(at.dataFolder), "and keeps the data folder");

  // Installed silently into a folder of the user's own: nothing is put
  // there, and the user's file of a name the setup uses is kept.
  const fs::path documents = work / L"文档";
  fs::create_directories(documents, error);
  std::ofstream(documents / L"LICENSE.txt", std::ios::binary) << notes;
  Check(RunToEnd(silent + L" /D=" + documents.wstring(), downloads) == 2,
        "setup.exe /S into a folder holding files of the user's ends with status 2");
  Check(Listing(documents) == "LICENSE.txt" && FileBytes(documents / L"LICENSE.txt") == notes && !EntryExists(),
        "and installs nothing there, keeping the user's file", Listing(documents));
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
  return Summary();
}

}  // namespace duedate::probe
