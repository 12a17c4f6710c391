// The file layer's steps on POSIX systems.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "entries/file_system_platform.h"

namespace duedate {
namespace fs = std::filesystem;

namespace {

std::error_code Errno() { return {errno, std::generic_category()}; }

// Where Linux keeps a file's POSIX access control list.
constexpr char kAccessAcl[] = "system.posix_acl_access";

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

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace file_system_platform {

struct OldFile {
  struct stat status;
};

}  // namespace file_system_platform

// The file that really holds the entries: a link is followed to its target.
fs::path SaveTargetOf(const fs::path& file) {
  fs::path target = file;
  std::error_code error;
  for (int links = 0; links < 40 && fs::is_symlink(target, error); ++links) {
    const fs::path link = fs::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

namespace file_system_platform {

std::error_code FindSaveTarget(const fs::path& file, SaveTarget& target) {
  target.path = SaveTargetOf(file);
  struct stat old {};
  if (lstat(target.path.c_str(), &old) != 0) {
    // Created anew (or the folder is missing, which the save finds).
    return errno == ENOENT ? std::error_code{} : Errno();
  }
  // A link left over: a loop, or one whose target could not be read.
  if (S_ISLNK(old.st_mode)) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
  if (!S_ISREG(old.st_mode)) return NotARegularFile(old);
  // A file the user may not write is not replaced, although the folder
  // would allow it.
  const int probe = open(target.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0) return Errno();
  close(probe);
  target.old = std::make_shared<OldFile>(OldFile{old});
  return {};
}

std::error_code WriteNewFile(const SaveTarget& target, const fs::path& temporary,
                             const std::string& bytes, bool& created) {
  const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) return Errno();
  created = true;
  std::error_code error = WriteAll(out, bytes);
  if (!error && target.old) KeepOwnerAndMode(out, target.path, target.old->status);
  if (!error && fsync(out) != 0) error = Errno();
  if (close(out) != 0 && !error) error = Errno();
  return error;
}

std::error_code PutInPlace(const SaveTarget& target, const fs::path& temporary, bool&) {
  if (std::rename(temporary.c_str(), target.path.c_str()) != 0) return Errno();
  const fs::path dir = target.path.parent_path();
  SyncDirectory(dir.empty() ? fs::path(".") : dir);
  return {};
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

bool ProcessAlive(unsigned long pid) {
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::optional<FileProblem> PlatformProblemOf(const std::error_code& error) {
  if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
    return FileProblem::QuotaExceeded;
  return std::nullopt;
}

}  // namespace file_system_platform
}  // namespace duedate
