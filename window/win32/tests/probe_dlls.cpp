// DLLs planted beside the program: a marker DLL under each name the program
// could load, Wine asked to prefer them as Windows would, and the program
// started, worked, asked by a screen reader and ended among them, loading
// none beyond what a one-window program loads and taking what a screen
// reader needs from the system folder, only once one asks. The helpers serve
// the setup's checks (probe_setup.cpp) as well.
#include "window/win32/tests/probe.h"

#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "window/win32/system_folder.h"

namespace duedate::probe {
namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

bool SameFolder(const fs::path& a, const fs::path& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

PreferPlanted::PreferPlanted(const std::vector<std::wstring>& programs,
                             const std::vector<std::string>& names)
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

PreferPlanted::~PreferPlanted() {
  for (const std::wstring& program : programs_) {
    RegDeleteKeyW(HKEY_CURRENT_USER, (Key(program) + L"\\DllOverrides").c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, Key(program).c_str());
  }
}

std::wstring PreferPlanted::Key(const std::wstring& program) {
  return L"Software\\Wine\\AppDefaults\\" + program;
}

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

namespace {

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

}  // namespace

std::string Joined(const std::vector<std::string>& items) {
  std::string all;
  for (const std::string& item : items) all += (all.empty() ? "" : " ") + item;
  return all.empty() ? "none" : all;
}

bool Plant(const fs::path& marker, const fs::path& folder, const std::vector<std::string>& names) {
  std::error_code error;
  bool planted = true;
  for (const std::string& dll : names)
    planted = fs::copy_file(marker, folder / dll, fs::copy_options::overwrite_existing, error) && planted;
  return planted;
}

std::vector<std::string> MarksOfTheOneWindowProgram(const fs::path& floor, const fs::path& workingDir) {
  Program one;
  Check(StartIn(one, floor, workingDir, L"Minimal"),
        "the one-window program starts among the planted DLLs");
  Sleep(500);
  PostMessageW(one.form, WM_CLOSE, 0, 0);
  one.WaitForExit();
  const std::vector<std::string> baseline = TakeMarks(floor.parent_path());
  std::printf("planted DLLs the one-window program loads: %s\n", Joined(baseline).c_str());
  return baseline;
}

void CheckNoMarksBeyond(const fs::path& folder, const std::vector<std::string>& baseline,
                        const std::string& who) {
  std::vector<std::string> beyond;
  const std::vector<std::string> marks = TakeMarks(folder);
  for (const std::string& mark : marks)
    if (std::find(baseline.begin(), baseline.end(), mark) == baseline.end()) beyond.push_back(mark);
  std::printf("planted DLLs %s loads: %s\n", who.c_str(), Joined(marks).c_str());
  Check(beyond.empty(), who + " loads no planted DLL beyond what the one-window program loads",
        Joined(beyond));
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
  if (!Check(Plant(marker, folder, names), "a marker DLL is planted beside the program as " + Joined(names)))
    return;
  const PreferPlanted prefer({program.filename().wstring(), floor.filename().wstring()}, names);
  if (!Check(prefer.Ok(), "Wine is asked to prefer the planted DLLs but KnownDLLs")) return;

  // What Wine loads from beside any program: the floor.
  const std::vector<std::string> baseline = MarksOfTheOneWindowProgram(floor, workingDir);

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
  CheckNoMarksBeyond(folder, baseline, "the program");
}

}  // namespace duedate::probe
