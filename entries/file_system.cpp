// The file layer's portable part: temporary names and their clean-up, the
// one save algorithm, and the problem an error means. Each system's steps
// are in file_system_posix.cpp or file_system_windows.cpp.
#include "entries/file_system.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>

#include "entries/file_system_platform.h"

namespace duedate {
namespace fs = std::filesystem;
using namespace file_system_platform;

fs::path file_system_platform::UnusedNameBeside(const fs::path& file, bool backup) {
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
  std::snprintf(suffix, sizeof suffix, ".%lu.%016llx.%s", ProcessId(),
                static_cast<unsigned long long>(mix()), backup ? "bak" : "tmp");
  fs::path name = file;
  name += suffix;
  return name;
}

namespace {

// A name that a save of `file` left, as UnusedNameBeside makes them.
struct LeftoverName {
  unsigned long pid;
  bool backup;
};

// Whether `entry` (a name in the folder of `file`) is one; names are
// compared as the system gives them, so no name the system allows is
// misread. Exactly "<process id>.<16 hex digits>" stands between the file's
// name and the ending: a file of the user's own such as "time.txt.2024.tmp"
// or "time.txt.bak" is none.
std::optional<LeftoverName> ParseLeftoverName(const fs::path& file, const fs::path& entry) {
  using Name = fs::path::string_type;
  using Char = fs::path::value_type;
  Name prefix = file.filename().native();
  prefix += Char('.');
  const fs::path filename = entry.filename();
  const Name& name = filename.native();
  constexpr std::size_t kEnding = 4;  // ".tmp", ".bak"
  if (name.size() <= prefix.size() + kEnding || name.compare(0, prefix.size(), prefix) != 0) return {};
  const auto endsWith = [&](const char (&ending)[kEnding + 1]) {
    return std::equal(ending, ending + kEnding, name.end() - kEnding,
                      [](char a, Char b) { return Char(a) == b; });
  };
  const bool backup = endsWith(".bak");
  if (!backup && !endsWith(".tmp")) return {};
  std::uint64_t number = 0;
  std::size_t at = prefix.size();
  for (; at < name.size() && at < prefix.size() + 10 && name[at] >= Char('0') && name[at] <= Char('9'); ++at)
    number = number * 10 + static_cast<std::uint64_t>(name[at] - Char('0'));
  if (number > 0xFFFFFFFFu) return {};  // no process has such a number
  if (at == prefix.size() || name[at] != Char('.') || name.size() != at + 1 + 16 + kEnding) return {};
  for (std::size_t i = at + 1; i < at + 1 + 16; ++i)
    if (!((name[i] >= Char('0') && name[i] <= Char('9')) || (name[i] >= Char('a') && name[i] <= Char('f'))))
      return {};
  return LeftoverName{static_cast<unsigned long>(number), backup};
}

fs::path FolderOf(const fs::path& file) {
  return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

// Calls `found(entry, name)` for each file in the folder of `file` that a
// save of it left.
template <class Found>
void ForEachLeftover(const fs::path& file, Found found) {
  std::error_code error;
  for (fs::directory_iterator it(FolderOf(file), error), end; !error && it != end; it.increment(error)) {
    if (const std::optional<LeftoverName> name = ParseLeftoverName(file, it->path())) found(*it, *name);
  }
}

// Removes what saves cut short left beside `file`, once it holds whole
// entries again: the leftovers of processes that no longer run. A save in
// progress elsewhere is left alone, and while the file is missing or empty
// nothing goes, whatever happened to it since this save.
void RemoveLeftovers(const fs::path& file) {
  std::error_code error;
  if (fs::file_size(file, error) == 0 || error) return;
  ForEachLeftover(file, [](const fs::directory_entry& entry, const LeftoverName& name) {
    if (name.pid == ProcessId() || ProcessAlive(name.pid)) return;
    std::error_code ignored;
    fs::remove(entry.path(), ignored);
  });
}

}  // namespace

std::vector<Leftover> LeftoversBeside(const fs::path& file) {
  std::vector<Leftover> found;
  ForEachLeftover(file, [&found](const fs::directory_entry& entry, const LeftoverName& name) {
    std::error_code unreadable;
    if (!entry.is_regular_file(unreadable)) return;
    const fs::file_time_type written = entry.last_write_time(unreadable);
    if (!unreadable) found.push_back({entry.path(), name.backup, written});
  });
  std::sort(found.begin(), found.end(), [](const Leftover& a, const Leftover& b) {
    return a.written != b.written ? a.written > b.written : a.backup < b.backup;
  });
  return found;
}

namespace {

// A new file beside the one a save replaces, under a name of its own, as
// Qt's QSaveFile has it: it takes the bytes, then the file's place, and
// removes itself if it does not get there, unless it holds the only copy.
class TemporaryFile {
 public:
  explicit TemporaryFile(const SaveTarget& target) : target_(target), path_(UnusedNameBeside(target.path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    std::error_code ignored;
    if (created_ && !kept_) fs::remove(path_, ignored);
  }

  std::error_code Write(const std::string& bytes) { return WriteNewFile(target_, path_, bytes, created_); }
  std::error_code Commit() {
    const std::error_code error = PutInPlace(target_, path_, kept_);
    if (!error) kept_ = true;  // it is the file now
    return error;
  }

 private:
  const SaveTarget& target_;
  const fs::path path_;
  bool created_ = false;
  bool kept_ = false;
};

}  // namespace

std::error_code ReplaceFileContent(const fs::path& file, const std::string& bytes) {
  SaveTarget target;
  std::error_code error = FindSaveTarget(file, target);
  if (error) return error;
  TemporaryFile temporary(target);
  error = temporary.Write(bytes);
  if (!error) error = temporary.Commit();
  if (!error) RemoveLeftovers(target.path);
  return error;
}

FileProblem ProblemOf(const std::error_code& error) {
  using std::errc;
  if (const std::optional<FileProblem> problem = PlatformProblemOf(error)) return *problem;
  if (error == errc::device_or_resource_busy || error == errc::text_file_busy) return FileProblem::InUse;
  if (error == errc::permission_denied || error == errc::operation_not_permitted)
    return FileProblem::Denied;
  if (error == errc::read_only_file_system) return FileProblem::ReadOnlyDisk;
  if (error == errc::no_space_on_device) return FileProblem::DiskFull;
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
