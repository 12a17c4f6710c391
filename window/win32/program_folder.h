// The folder of the program file and the command line 说明 starts Notepad
// with, from Windows' names as text. No Windows API: the rules are tested
// on any system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace duedate::win32 {

// The folder holding the program file `programFile`, as Windows gives it
// ("C:\Tools\yuchanqi.exe" → "C:\Tools"), without a trailing separator even
// for a drive root ("C:\yuchanqi.exe" → "C:").
std::wstring ProgramDirectory(const std::wstring& programFile);

// `path` without the separators it ends with ("C:\Temp\" → "C:\Temp").
std::wstring WithoutTrailingSeparator(std::wstring path);

// Where the entries are kept when the working folder is protected:
// "<appData>\Tavoren\预产期计算器\time.txt", the folder the setup program's
// Start-menu entry starts in; nothing where `appData` (%APPDATA%) is not a
// full path.
std::wstring DataFolderEntriesFile(const std::wstring& appData);

// Where Windows kept the writes of an older program without a manifest to
// `file` in a protected folder: "<localAppData>\VirtualStore\" and the path
// without its drive ("C:\Program Files\X\time.txt" →
// "<localAppData>\VirtualStore\Program Files\X\time.txt"). Nothing for a
// path without a drive letter (a network share), or where `localAppData`
// (%LOCALAPPDATA%) is not a full path.
std::wstring VirtualStoreCopy(const std::wstring& localAppData, const std::wstring& file);

// A file the entries may be read from at start, with what Windows tells of
// it: its size and when it was last written (a FILETIME, in 100-nanosecond
// steps).
struct EntriesCopy {
  std::wstring file;
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
};

// The files of `copies` that hold anything, the one written last first; of
// two written at the same moment, the one given first comes first.
std::vector<std::wstring> NewestFirst(std::vector<EntriesCopy> copies);

// How opening a file that is there for writing failed.
enum class WriteRefusal { None, WriteProtected, AccessDenied, Other };

// Whether a refusal to write a file that is there means that its folder or
// medium protects it, rather than that another program holds it or the user
// made it read-only. Access denied to a file marked read-only counts only on
// a volume that is read-only as a whole (a CD or DVD marks every file
// read-only); `onReadOnlyVolume` is asked then, and only then.
bool RefusalProtects(WriteRefusal refusal, bool isFolder, bool markedReadOnly,
                     const std::function<bool()>& onReadOnlyVolume);

// notepad.exe "<file>": the whole path one argument, blanks and all.
std::wstring NotepadCommandLine(const std::wstring& file);

}  // namespace duedate::win32
