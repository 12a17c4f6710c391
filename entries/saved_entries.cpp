#include "entries/saved_entries.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

#include "calc/calendar.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace duedate {
namespace fs = std::filesystem;

namespace {

// The C runtime's file calls, with the wide paths Windows needs and the
// flush to disk that stdio itself does not offer.
#ifdef _WIN32
std::FILE* OpenFile(const fs::path& path, const char* mode) {
  const std::wstring wide(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path.c_str(), wide.c_str());
}
bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }
void SyncDirectory(const fs::path&) {}  // NTFS journals the rename itself
unsigned long ProcessId() { return static_cast<unsigned long>(_getpid()); }
bool ProcessAlive(unsigned long pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}
#else
std::FILE* OpenFile(const fs::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }
bool SyncFile(std::FILE* file) { return fsync(fileno(file)) == 0; }
void SyncDirectory(const fs::path& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;  // the rename stands; only its durability is not forced
  fsync(fd);
  close(fd);
}
unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
bool ProcessAlive(unsigned long pid) {
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
#endif

std::error_code LastError() { return {errno, std::generic_category()}; }

EntriesFailure Unreadable(const fs::path& path, std::error_code error) {
  return {EntriesFailure::Unreadable, error, path};
}

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
void RemoveAbandonedTemporaries(const fs::path& file) {
  const std::string prefix = file.filename().string() + ".";
  const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
      continue;
    }
    char* end_of_pid = nullptr;
    const unsigned long pid = std::strtoul(name.c_str() + prefix.size(), &end_of_pid, 10);
    if (end_of_pid == nullptr || *end_of_pid != '.' || pid == ProcessId() || ProcessAlive(pid))
      continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

// Takes bytes from the source one at a time and never more than the values
// asked for; one byte may be pushed back.
class ByteReader {
 public:
  static constexpr int kEnd = -1;
  static constexpr int kOverLimit = -2;

  explicit ByteReader(const std::function<int()>& next) : next_(next) {}

  int Get() {
    if (pushed_ != kNone) {
      const int c = pushed_;
      pushed_ = kNone;
      return c;
    }
    if (consumed_ >= kMaxEntriesBytes) return kOverLimit;
    const int c = next_();
    if (c < 0) return kEnd;
    ++consumed_;
    return c;
  }
  void Unget(int c) { pushed_ = c; }

 private:
  static constexpr int kNone = -3;
  const std::function<int()>& next_;
  std::size_t consumed_ = 0;
  int pushed_ = kNone;
};

// The longest value kept: the longest number NumberText writes is about 340
// characters.
constexpr std::size_t kMaxValueLength = 4096;

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

}  // namespace

int MethodFlag(CalcMethod method) { return method == CalcMethod::FromConception ? 1 : 0; }

std::string EntriesFailure::Reason() const {
  switch (kind) {
    case NothingSaved:
      return "nothing saved yet";
    case Incomplete:
      return "fewer than eight values";
    case TooLong:
      return "not a file of saved entries";
    case Unreadable:
      break;
  }
  return error.message();
}

std::string EntriesFileText(const SavedEntries& e) {
  const auto value = [](const std::string& text) { return NumberText(LeadingNumber(text)); };
  return value(e.lastPeriodYear) + "," + value(e.lastPeriodMonth) + "," + value(e.lastPeriodDay) +
         "," + value(e.cycleLength) + "\r\n" + value(e.conceptionYear) + "," +
         value(e.conceptionMonth) + "," + value(e.conceptionDay) + "," +
         std::to_string(MethodFlag(e.method)) + "\r\n";
}

Result<Done, EntriesFailure> SaveEntries(const fs::path& file, const SavedEntries& entries) {
  const std::string text = EntriesFileText(entries);

  // A file the user may not write (read-only, or a folder of that name) is
  // not replaced, although the folder would allow the rename.
  if (std::FILE* existing = OpenFile(file, "r+b")) {
    std::fclose(existing);
  } else if (errno != ENOENT) {
    return Fail(Unreadable(file, LastError()));
  }

  const fs::path temporary = TemporaryName(file);

  std::FILE* out = OpenFile(temporary, "wb");
  if (out == nullptr) return Fail(Unreadable(file, LastError()));

  std::error_code error;
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0 ||
      !SyncFile(out)) {
    error = LastError();
  }
  if (std::fclose(out) != 0 && !error) error = LastError();
  if (!error) fs::rename(temporary, file, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    if (!error.value()) error = std::make_error_code(std::errc::io_error);
    return Fail(Unreadable(file, error));
  }
  const fs::path dir = file.parent_path();
  SyncDirectory(dir.empty() ? fs::path(".") : dir);
  RemoveAbandonedTemporaries(file);
  return Done{};
}

Result<SavedEntries, EntriesFailure> ReadEntries(const std::function<int()>& next) {
  ByteReader reader(next);
  std::string values[8];
  int count = 0;
  bool sawAnything = false;
  bool tooLong = false;

  // A UTF-8 byte-order mark at the start is no part of the first value.
  int c = reader.Get();
  if (c == 0xEF) {
    const int b = reader.Get();
    const int d = (b == 0xBB) ? reader.Get() : ByteReader::kEnd;
    if (b == 0xBB && d == 0xBF) {
      sawAnything = true;
      c = reader.Get();
    } else {
      // Not a mark: these bytes start a value, and no number starts so.
      values[0] = "\xEF";
      if (b >= 0) values[0] += static_cast<char>(b);
      if (d >= 0) values[0] += static_cast<char>(d);
      c = reader.Get();
    }
  }

  bool atLineStart = true;  // blank lines between records are no values
  while (count < 8) {
    while (IsBlank(c) || (atLineStart && IsLineEnd(c) && values[count].empty())) {
      sawAnything = true;
      c = reader.Get();
    }
    if (c == ByteReader::kOverLimit) {
      tooLong = true;
      break;
    }
    if (c == ByteReader::kEnd) {
      // A comma just before the end leaves one empty value.
      if (!atLineStart || !values[count].empty()) ++count;
      break;
    }
    sawAnything = true;
    std::string& value = values[count];
    if (c == '"' && value.empty()) {
      // Quoted: everything to the closing quote, commas included.
      for (c = reader.Get(); c >= 0 && c != '"'; c = reader.Get()) {
        if (value.size() < kMaxValueLength) value += static_cast<char>(c);
      }
      if (c == '"') c = reader.Get();
      while (c >= 0 && c != ',' && !IsLineEnd(c)) c = reader.Get();
    } else {
      while (c >= 0 && c != ',' && !IsLineEnd(c)) {
        if (value.size() >= kMaxValueLength) {
          tooLong = true;
          break;
        }
        value += static_cast<char>(c);
        c = reader.Get();
      }
      if (tooLong) break;
      while (!value.empty() && IsBlank(static_cast<unsigned char>(value.back()))) value.pop_back();
    }
    if (c == ByteReader::kOverLimit) {
      tooLong = true;
      break;
    }
    ++count;
    if (count == 8) break;  // nothing after the eighth value is read
    if (c == ByteReader::kEnd) break;
    if (c == '\r') {
      const int next_byte = reader.Get();
      if (next_byte != '\n') reader.Unget(next_byte);
    }
    atLineStart = IsLineEnd(c);
    c = reader.Get();
  }

  if (tooLong) return Fail(EntriesFailure{EntriesFailure::TooLong, {}, {}});
  if (!sawAnything && count == 0) return Fail(EntriesFailure{EntriesFailure::NothingSaved, {}, {}});
  if (count < 8) return Fail(EntriesFailure{EntriesFailure::Incomplete, {}, {}});

  const auto text = [&](int i) { return NumberText(LeadingNumber(values[i])); };
  SavedEntries entries;
  entries.lastPeriodYear = text(0);
  entries.lastPeriodMonth = text(1);
  entries.lastPeriodDay = text(2);
  entries.cycleLength = text(3);
  entries.conceptionYear = text(4);
  entries.conceptionMonth = text(5);
  entries.conceptionDay = text(6);
  entries.method =
      LeadingNumber(values[7]) == 0 ? CalcMethod::FromLastPeriod : CalcMethod::FromConception;
  return entries;
}

Result<SavedEntries, EntriesFailure> LoadEntries(const fs::path& file) {
  std::FILE* in = OpenFile(file, "rb");
  if (in == nullptr) {
    const std::error_code error = LastError();
    if (error != std::errc::no_such_file_or_directory) return Fail(Unreadable(file, error));
    // First start: leave an empty file, as the program always has.
    std::FILE* created = OpenFile(file, "ab");
    if (created == nullptr) return Fail(Unreadable(file, LastError()));
    std::fclose(created);
    return Fail(EntriesFailure{EntriesFailure::NothingSaved, {}, file});
  }

  const std::function<int()> next = [in] { return std::getc(in); };
  auto read = ReadEntries(next);
  const bool failed = std::ferror(in) != 0;
  const std::error_code readError = failed ? LastError() : std::error_code{};
  std::fclose(in);
  if (failed) {
    return Fail(Unreadable(file, readError ? readError : std::make_error_code(std::errc::io_error)));
  }
  if (!read) {
    EntriesFailure failure = read.error();
    failure.path = file;
    return Fail(std::move(failure));
  }
  return read;
}

}  // namespace duedate
