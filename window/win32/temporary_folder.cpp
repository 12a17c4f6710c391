#include "window/win32/temporary_folder.h"

#include <windows.h>

#include "entries/windows_text.h"
#include "window/win32/program_folder.h"

namespace duedate::win32 {
namespace {

// The long form of a name Windows may give in its short form
// ("C:\Users\ANNZHA~1\AppData\Local\Temp"), or the name as it is.
std::wstring LongName(const std::wstring& path) {
  if (path.find(L'~') == std::wstring::npos) return path;
  const DWORD size = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring name(size, L'\0');
  const DWORD length = GetLongPathNameW(path.c_str(), name.data(), size);
  if (length == 0 || length >= size) return path;
  name.resize(length);
  return name;
}

std::wstring CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(size, L'\0');
  const DWORD length = size == 0 ? 0 : GetCurrentDirectoryW(size, dir.data());
  dir.resize(length < size ? length : 0);
  return dir;
}

}  // namespace

bool IsWithin(const std::wstring& path, const std::wstring& folder) {
  const std::wstring parent = WithoutTrailingSeparator(folder);
  if (parent.empty() || path.size() < parent.size()) return false;
  const int length = static_cast<int>(parent.size());
  if (CompareStringOrdinal(path.c_str(), length, parent.c_str(), length, TRUE) != CSTR_EQUAL)
    return false;
  return path.size() == parent.size() || path[parent.size()] == L'\\' || path[parent.size()] == L'/';
}

std::optional<std::wstring> FolderInTemporaryFolder(const std::wstring& programDirectory) {
  // Without TMP and TEMP, Windows names the user's profile or its own
  // folder instead, where the data folder lies too: no temporary folder.
  if (GetEnvironmentVariableW(L"TMP", nullptr, 0) == 0 && GetEnvironmentVariableW(L"TEMP", nullptr, 0) == 0)
    return std::nullopt;
  wchar_t temporary[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  const std::wstring folder = LongName(WithoutTrailingSeparator(std::wstring(temporary, length)));
  for (const std::wstring& candidate : {LongName(CurrentDirectory()), LongName(programDirectory)})
    if (IsWithin(candidate, folder)) return candidate;
  return std::nullopt;
}

std::string TemporaryFolderWarning(const std::wstring& folder) {
  return "预产期计算器好像是直接在压缩文件夹（ZIP）里打开的，现在在 Windows 的临时文件夹中运行：\n" +
         Utf8(folder) +
         "\n\n按“退出”时保存的日期会随这个临时文件夹一起丢失：Windows 会清空它。\n"
         "请先关闭程序，右键单击压缩文件夹，选择“全部解压缩”，再运行解压出来的 yuchanqi.exe。";
}

}  // namespace duedate::win32
