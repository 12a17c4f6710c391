#include "entries/file_system.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L  // not in every version of the headers
#endif
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace duedate {
namespace fs = std::filesystem;

namespace {

unsigned long ProcessId();
bool ProcessAlive(unsigned long pid);

// A name beside `file` that no other save, of this process or another, uses:
// "time.txt.<process id>.<random>.tmp".
fs::path TemporaryName(const fs::path& file) {
  static unsigned counter = 0;
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    seed ^= static_cast<std::uint64_t>(std::random_device{}()) << 32;
  } catch (...) {
    // No entropy source: the clock and the counter still tell saves apart.
  }
  std::mt19937_64 mix(seed + ++counter);
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%lu.%016llx.tmp", ProcessId(),
                static_cast<unsigned long long>(mix()));
  fs::path name = file;
  name += suffix;
  return name;
}

// Removes what saves killed part-way left beside `file`: temporary files of
// processes that no longer run. A save in progress elsewhere is left alone.
// Names are compared as the system gives them, so no name the system allows
// can stop the clean-up.
void RemoveAbandonedTemporaries(const fs::path& file) {
  using Name = fs::path::string_type;
  using Char = fs::path::value_type;
  Name prefix = file.filename().native();
  prefix += Char('.');
  const Name suffix{Char('.'), Char('t'), Char('m'), Char('p')};
  const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const fs::path entry = it->path().filename();
    const Name& name = entry.native();
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    // Exactly "<process id>.<16 hex digits>" between them: a file of the
    // user's own such as "time.txt.2024.tmp" is no temporary file of ours.
    std::uint64_t number = 0;
    std::size_t at = prefix.size();
    for (; at < name.size() && at < prefix.size() + 10 && name[at] >= Char('0') && name[at] <= Char('9'); ++at)
      number = number * 10 + static_cast<std::uint64_t>(name[at] - Char('0'));
    if (number > 0xFFFFFFFFu) continue;  // no process has such a number
    const auto pid = static_cast<unsigned long>(number);
    if (at == prefix.size() || name[at] != Char('.') || name.size() != at + 1 + 16 + suffix.size())
      continue;
    bool hex = true;
    for (std::size_t i = at + 1; i < at + 1 + 16; ++i)
      hex = hex && ((name[i] >= Char('0') && name[i] <= Char('9')) || (name[i] >= Char('a') && name[i] <= Char('f')));
    if (!hex || pid == ProcessId() || ProcessAlive(pid)) continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

}  // namespace

#ifdef _WIN32

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
    return Utf8FromWindows(wide);
  }

  std::error_condition default_error_condition(int code) const noexcept override {
    switch (code) {
      case ERROR_ACCESS_DENIED: return std::errc::permission_denied;
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

std::error_code LastError() { return {static_cast<int>(GetLastError()), WindowsErrors()}; }

unsigned long ProcessId() { return GetCurrentProcessId(); }

bool ProcessAlive(unsigned long pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

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
    Sleep(100);
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

std::string Utf8FromWindows(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

const std::error_category& WindowsErrors() {
  static const WindowsErrorCategory category;
  return category;
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

std::error_code ReplaceFileContent(const fs::path& name, const std::string& bytes) {
  // ReplaceFileW wants to know the folder: a bare "time.txt" is named in full.
  std::error_code ignored;
  const fs::path absolute = fs::absolute(name, ignored);
  const fs::path& file = absolute.empty() ? name : absolute;
  const DWORD attributes = GetFileAttributesW(file.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return LastError();
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return std::make_error_code(std::errc::is_a_directory);
  if (exists) {
    // A file the user may not write (read-only) or that another program
    // holds is not replaced, although the folder would allow it.
    const std::error_code held = Patiently([&] {
      HANDLE probe = CreateFileW(file.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (probe == INVALID_HANDLE_VALUE) return LastError();
      CloseHandle(probe);
      return std::error_code{};
    });
    if (held) return held;
  }

  const fs::path temporary = TemporaryName(file);
  HANDLE out = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return LastError();
  std::error_code error = WriteAll(out, bytes);
  CloseHandle(out);
  bool keepTemporary = false;
  if (!error && exists) {
    // ReplaceFileW gives the new content the old file's attributes (hidden,
    // say), security and streams. Not every implementation of it carries
    // the attributes over, so the new file has them from the start.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((attributes & kKept) != 0) SetFileAttributesW(temporary.c_str(), attributes & kKept);
    error = Patiently([&] {
      return ReplaceFileW(file.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr)
                 ? std::error_code{}
                 : LastError();
    });
    if (error.value() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
      // The old file is gone and the new content still has the temporary
      // name: put it in place, and never delete it.
      keepTemporary = true;
      if (MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH)) error.clear();
    }
  } else if (!error &&
             !MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastError();
  }
  if (error) {
    if (!keepTemporary) DeleteFileW(temporary.c_str());
    return error;
  }
  RemoveAbandonedTemporaries(file);
  return {};
}

#else  // POSIX

namespace {

std::error_code Errno() { return {errno, std::generic_category()}; }

// Where Linux keeps a file's POSIX access control list.
constexpr char kAccessAcl[] = "system.posix_acl_access";

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

bool ProcessAlive(unsigned long pid) {
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::error_code NotARegularFile(const struct stat& status) {
  return std::make_error_code(S_ISDIR(status.st_mode) ? std::errc::is_a_directory
                                                      : std::errc::invalid_argument);
}

std::error_code WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return Errno();
    if (written == 0) return std::make_error_code(std::errc::io_error);
    done += static_cast<std::size_t>(written);
  }
  return {};
}

// Gives the new file the owner, group, permission bits and access control
// list of the old one, as far as the system lets this process. What cannot
// be kept errs on the private side:
//   - where the group cannot be kept, the group's bits are dropped: they
//     would otherwise open the file to a group its owner never chose;
//   - where the access list cannot be copied, so are they: with a list, the
//     group bits are its mask, not the group's rights;
//   - where the bits cannot be set at all, the file stays as it was made,
//     readable and writable by its owner only.
void KeepOwnerAndMode(int fd, const fs::path& oldFile, const struct stat& old) {
  const bool groupKept = fchown(fd, old.st_uid, old.st_gid) == 0 ||
                         fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
  // The old file's access list, if any; `known` is false where it could not
  // be read, and then nobody but the owner is let in.
  std::string acl;
  bool known = true;
  for (int tries = 0; tries < 3; ++tries) {
    const ssize_t size = getxattr(oldFile.c_str(), kAccessAcl, nullptr, 0);
    if (size < 0) {
      known = errno == ENODATA || errno == ENOTSUP;
      break;
    }
    acl.resize(static_cast<std::size_t>(size));
    const ssize_t got = getxattr(oldFile.c_str(), kAccessAcl, acl.data(), acl.size());
    if (got >= 0) {
      acl.resize(static_cast<std::size_t>(got));
      break;
    }
    known = false;
    if (errno != ERANGE) break;  // it grew in between: ask again
  }
  // The new file may have taken a default list from its folder that the old
  // file did not have: it goes.
  if (acl.empty() && fremovexattr(fd, kAccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP)
    known = false;
  mode_t mode = old.st_mode & 0777;
  if (!groupKept || !known || !acl.empty()) mode &= ~static_cast<mode_t>(070);
  if (fchmod(fd, mode) != 0) return;
  // Setting the list sets the group bits, its mask, with it.
  if (groupKept && known && !acl.empty()) fsetxattr(fd, kAccessAcl, acl.data(), acl.size(), 0);
}

void SyncDirectory(const fs::path& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename stands; only its durability is not forced
  fsync(fd);
  close(fd);
}

}  // namespace

std::FILE* OpenForReading(const fs::path& file, std::error_code& error) {
  error.clear();
  const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Errno();
    return nullptr;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    error = Errno();
  } else if (!S_ISREG(status.st_mode)) {
    error = NotARegularFile(status);
  }
  if (error) {
    close(fd);
    return nullptr;
  }
  std::FILE* in = fdopen(fd, "rb");
  if (in == nullptr) {
    error = Errno();
    close(fd);
  }
  return in;
}

std::error_code CreateEmptyFile(const fs::path& file) {
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST ? std::error_code{} : Errno();
  close(fd);
  return {};
}

std::error_code ReplaceFileContent(const fs::path& file, const std::string& bytes) {
  // The file that really holds the entries: a link is followed to its target.
  fs::path target = file;
  struct stat old {};
  bool exists = false;
  for (int links = 0;; ++links) {
    if (lstat(target.c_str(), &old) != 0) {
      if (errno != ENOENT) return Errno();
      break;  // created anew (or the folder is missing, which the save finds)
    }
    if (!S_ISLNK(old.st_mode)) {
      exists = true;
      break;
    }
    if (links == 40) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    std::error_code error;
    const fs::path link = fs::read_symlink(target, error);
    if (error) return error;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  if (exists) {
    if (!S_ISREG(old.st_mode)) return NotARegularFile(old);
    // A file the user may not write is not replaced, although the folder
    // would allow it.
    const int probe = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) return Errno();
    close(probe);
  }

  const fs::path temporary = TemporaryName(target);
  const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) return Errno();
  std::error_code error = WriteAll(out, bytes);
  if (!error && exists) KeepOwnerAndMode(out, target, old);
  if (!error && fsync(out) != 0) error = Errno();
  if (close(out) != 0 && !error) error = Errno();
  if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) error = Errno();
  if (error) {
    unlink(temporary.c_str());
    return error;
  }
  const fs::path dir = target.parent_path();
  SyncDirectory(dir.empty() ? fs::path(".") : dir);
  RemoveAbandonedTemporaries(target);
  return {};
}

#endif

FileProblem ProblemOf(const std::error_code& error) {
  using std::errc;
#ifdef _WIN32
  if (error.category() == WindowsErrors()) {
    switch (error.value()) {
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
      case ERROR_UNABLE_TO_REMOVE_REPLACED: return FileProblem::InUse;
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
      default: break;
    }
  }
#endif
  if (error == errc::device_or_resource_busy || error == errc::text_file_busy) return FileProblem::InUse;
  if (error == errc::permission_denied || error == errc::operation_not_permitted)
    return FileProblem::Denied;
  if (error == errc::read_only_file_system) return FileProblem::ReadOnlyDisk;
  if (error == errc::no_space_on_device) return FileProblem::DiskFull;
#ifdef EDQUOT
  if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
    return FileProblem::QuotaExceeded;
#endif
  if (error == errc::no_such_file_or_directory || error == errc::not_a_directory)
    return FileProblem::NoFolder;
  if (error == errc::is_a_directory) return FileProblem::IsFolder;
  if (error == errc::invalid_argument) return FileProblem::NotAFile;
  if (error == errc::io_error) return FileProblem::InputOutput;
  if (error == errc::filename_too_long) return FileProblem::NameTooLong;
  if (error == errc::too_many_files_open || error == errc::too_many_files_open_in_system)
    return FileProblem::TooManyOpen;
  if (error == errc::file_too_large) return FileProblem::TooLarge;
  return FileProblem::Other;
}

}  // namespace duedate
