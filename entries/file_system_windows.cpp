// The file layer's steps on Windows, and Windows' own error numbers.
#include "entries/file_system_windows.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "entries/file_system_platform.h"
#include "entries/windows_text.h"

#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L  // not in every version of the headers
#endif

namespace duedate {
namespace fs = std::filesystem;

namespace {

// Windows' own error numbers, with the system's text for each in the
// language of the system.
class WindowsErrorCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "windows"; }

  std::string message(int code) const override {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide(text != nullptr ? text : L"", text != nullptr ? length : 0);
    if (text != nullptr) LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' '))
      wide.pop_back();
    if (wide.empty()) return "Windows error " + std::to_string(code);
    return Utf8(wide);
  }

  std::error_condition default_error_condition(int code) const noexcept override {
    switch (code) {
      case ERROR_ACCESS_DENIED:
      case ERROR_NETWORK_ACCESS_DENIED: return std::errc::permission_denied;
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND: return std::errc::no_such_file_or_directory;
      case ERROR_DISK_FULL:
      case ERROR_HANDLE_DISK_FULL: return std::errc::no_space_on_device;
      case ERROR_WRITE_PROTECT: return std::errc::read_only_file_system;
      case ERROR_FILENAME_EXCED_RANGE: return std::errc::filename_too_long;
      case ERROR_TOO_MANY_OPEN_FILES: return std::errc::too_many_files_open;
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION: return std::errc::device_or_resource_busy;
      case ERROR_FILE_EXISTS:
      case ERROR_ALREADY_EXISTS: return std::errc::file_exists;
      default: return {code, *this};
    }
  }
};

// A moment, as in Patiently: what a virus scanner takes to let go of a file.
constexpr DWORD kMoment = 100;

std::error_code LastError() { return {static_cast<int>(GetLastError()), WindowsErrors()}; }

// Another program has the file open in a way that excludes us: an editor,
// a sync client, a virus scanner looking at the new file.
bool HeldByAnother(const std::error_code& error) {
  return error.category() == WindowsErrors() &&
         (error.value() == ERROR_SHARING_VIOLATION || error.value() == ERROR_LOCK_VIOLATION ||
          error.value() == ERROR_UNABLE_TO_REMOVE_REPLACED);
}

// Runs `step` again while another program holds the file, for about a
// second: scanners let go of a file quickly.
template <class Step>
std::error_code Patiently(Step step) {
  std::error_code error = step();
  for (int tries = 0; tries < 10 && HeldByAnother(error); ++tries) {
    FileSteps().pause(kMoment);
    error = step();
  }
  return error;
}

std::error_code WriteAll(HANDLE out, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(out, bytes.data() + done, chunk, &written, nullptr)) return LastError();
    if (written == 0) return std::make_error_code(std::errc::io_error);
    done += written;
  }
  return FlushFileBuffers(out) ? std::error_code{} : LastError();
}

}  // namespace

const std::error_category& WindowsErrors() {
  static const WindowsErrorCategory category;
  return category;
}

WindowsFileSteps& FileSteps() {
  static WindowsFileSteps steps;
  return steps;
}

std::FILE* OpenForReading(const fs::path& file, std::error_code& error) {
  error.clear();
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = std::make_error_code(std::errc::is_a_directory);
    return nullptr;
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  error = Patiently([&] {
    handle = CreateFileW(file.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? LastError() : std::error_code{};
  });
  if (error) return nullptr;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    error = std::make_error_code(std::errc::invalid_argument);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    error = {errno, std::generic_category()};
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* in = _fdopen(fd, "rb");
  if (in == nullptr) {
    error = {errno, std::generic_category()};
    _close(fd);
  }
  return in;
}

std::error_code CreateEmptyFile(const fs::path& file) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const std::error_code error = LastError();
    return error == std::errc::file_exists ? std::error_code{} : error;
  }
  CloseHandle(handle);
  return {};
}

// Not u8string(): it throws on a lone surrogate, which Windows names may hold.
std::string PathText(const fs::path& path) { return Utf8(path.native()); }

namespace file_system_platform {

struct OldFile {
  DWORD attributes;
};

}  // namespace file_system_platform

// ReplaceFileW wants to know the folder: a bare "time.txt" is named in full.
fs::path SaveTargetOf(const fs::path& file) {
  std::error_code ignored;
  fs::path target = fs::absolute(file, ignored);
  return target.empty() ? file : target;
}

namespace file_system_platform {

std::error_code FindSaveTarget(const fs::path& file, SaveTarget& target) {
  target.path = SaveTargetOf(file);
  const DWORD attributes = GetFileAttributesW(target.path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return GetLastError() == ERROR_FILE_NOT_FOUND ? std::error_code{} : LastError();
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::make_error_code(std::errc::is_a_directory);
  // A file the user may not write (read-only) or that another program
  // holds is not replaced, although the folder would allow it.
  const std::error_code held = Patiently([&] {
    HANDLE probe = CreateFileW(target.path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return LastError();
    CloseHandle(probe);
    return std::error_code{};
  });
  if (held) return held;
  target.old = std::make_shared<OldFile>(OldFile{attributes});
  return {};
}

std::error_code WriteNewFile(const SaveTarget& target, const fs::path& temporary,
                             const std::string& bytes, bool& created) {
  HANDLE out = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return LastError();
  created = true;
  const std::error_code error = WriteAll(out, bytes);
  CloseHandle(out);
  // ReplaceFileW gives the new content the old file's attributes (hidden,
  // say), security and streams. Not every implementation of it carries the
  // attributes over, so the new file has them from the start.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (!error && target.old && (target.old->attributes & kKept) != 0)
    SetFileAttributesW(temporary.c_str(), target.old->attributes & kKept);
  return error;
}

namespace {

bool Exists(const fs::path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Is(const std::error_code& error, DWORD code) {
  return error.category() == WindowsErrors() && error.value() == static_cast<int>(code);
}

std::error_code Move(const fs::path& from, const fs::path& to, DWORD flags) {
  return Patiently([&] {
    return FileSteps().moveFile(from.c_str(), to.c_str(), flags) ? std::error_code{} : LastError();
  });
}

void Remove(const fs::path& path) {
  Patiently([&] {
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ? std::error_code{} : LastError();
  });
}

}  // namespace

// ReplaceFileW is given a backup name, so that whatever step of it fails,
// both contents keep a name this save knows (Microsoft's page for
// ReplaceFileW lists what each failure leaves):
//   - 1175, the old file could not be removed, and 1176, the new one could
//     not be renamed: both keep their names and nothing changed. A scanner
//     holding one of them lets go in a moment: tried again, then reported;
//   - 1177: the old content is under the backup name and the new under its
//     temporary one. The new goes into place, or else the old goes back;
//     neither is deleted before the other is in place. Where neither can
//     move, both stay under their names (see Leftover) until a later save
//     has put the file in place, and the next start reads the newer;
//   - anything else: some network shares, WebDAV folders and virtual drives
//     refuse ReplaceFileW but rename, so the new file takes the place by a
//     rename, with the attributes it was given when written.
// Whatever an error says, a file found gone is taken as gone: its old
// content is the backup, if anything, and the new copy stays.
// At no moment is the file gone without its old or new content beside it.
std::error_code PutInPlace(const SaveTarget& target, const fs::path& temporary, bool& onlyCopy) {
  const fs::path& file = target.path;
  if (!target.old) return Move(temporary, file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  const fs::path backup = UnusedNameBeside(file, true);
  const auto replace = [&] {
    return FileSteps().replaceFile(file.c_str(), temporary.c_str(), backup.c_str(),
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               ? std::error_code{}
               : LastError();
  };
  std::error_code error = Patiently(replace);
  if (Is(error, ERROR_UNABLE_TO_MOVE_REPLACEMENT)) {
    FileSteps().pause(5 * kMoment);
    error = replace();
  }
  if (!error) {
    Remove(backup);
    return {};
  }
  // Whatever the error says, an old file gone to the backup name is taken
  // as 1177 says.
  if (Is(error, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) || (!Exists(file) && Exists(backup))) {
    // Until one of them is in place, the new content must stay.
    onlyCopy = true;
    if (!Move(temporary, file, MOVEFILE_WRITE_THROUGH)) {
      Remove(backup);
      return {};
    }
    if (!Move(backup, file, MOVEFILE_WRITE_THROUGH)) onlyCopy = false;  // the old is back
    return error;
  }
  const bool gone = !Exists(file);
  if (!gone && (HeldByAnother(error) || Is(error, ERROR_UNABLE_TO_MOVE_REPLACEMENT))) {
    Remove(backup);  // nothing changed
    return error;
  }
  if (gone) {
    // The old file is gone and nothing kept it: the new content is all
    // there is, and goes into place.
    onlyCopy = true;
  }
  const std::error_code renamed = Move(temporary, file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (renamed) return onlyCopy ? renamed : error;
  Remove(backup);
  return {};
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

bool ProcessAlive(unsigned long pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

std::optional<FileProblem> PlatformProblemOf(const std::error_code& error) {
  if (error.category() != WindowsErrors()) return std::nullopt;
  switch (error.value()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return FileProblem::InUse;
    case ERROR_DISK_QUOTA_EXCEEDED:
    case ERROR_NOT_ENOUGH_QUOTA: return FileProblem::QuotaExceeded;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_SEEK:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_NOT_READY:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_DEV_NOT_EXIST: return FileProblem::InputOutput;
    default: return std::nullopt;
  }
}

}  // namespace file_system_platform
}  // namespace duedate
