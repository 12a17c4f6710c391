#include "entries/saved_entries.h"

#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

#include "calc/calendar.h"
#include "entries/file_system.h"

namespace duedate {
namespace fs = std::filesystem;

namespace {

EntriesFailure Unreadable(const fs::path& path, std::error_code error) {
  return {EntriesFailure::Unreadable, error, path};
}

// The longest value kept: the longest number NumberText writes is about 340
// characters.
constexpr std::size_t kMaxValueLength = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Takes off the front of `text` the characters `drop` says.
template <class Drop>
void DropWhile(std::string_view& text, Drop drop) {
  while (!text.empty() && drop(text.front())) text.remove_prefix(1);
}

Failure<EntriesFailure> Refused(EntriesFailure::Kind kind) { return Fail(EntriesFailure{kind, {}, {}}); }

// A value as this program writes it: a decimal number with an optional
// sign and point ("2011", "-3", "28.5", ".5", "5."), or nothing at all.
bool IsNumberValue(std::string_view value) {
  std::size_t at = 0;
  if (at < value.size() && (value[at] == '+' || value[at] == '-')) ++at;
  bool digits = false, point = false;
  for (; at < value.size(); ++at) {
    if (value[at] >= '0' && value[at] <= '9') {
      digits = true;
    } else if (value[at] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits || value.empty();
}

}  // namespace

int MethodFlag(CalcMethod method) { return method == CalcMethod::FromConception ? 1 : 0; }

std::string EntriesFailure::Reason() const {
  switch (kind) {
    case NothingSaved:
      return "nothing saved yet";
    case Incomplete:
      return "fewer than eight values";
    case NotEntries:
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
  const std::error_code error = ReplaceFileContent(file, EntriesFileText(entries));
  if (error) return Fail(Unreadable(file, error));
  return Done{};
}

Result<SavedEntries, EntriesFailure> ParseEntries(std::string_view bytes) {
  if (bytes.empty()) return Refused(EntriesFailure::NothingSaved);
  // Bytes past the limit are not looked at, and a text that reaches it may
  // go on: a value or a line that runs into the limit is no saved entry.
  const bool overLimit = bytes.size() >= kMaxEntriesBytes;
  std::string_view rest = bytes.substr(0, kMaxEntriesBytes);
  const Failure<EntriesFailure> notEntries = Refused(EntriesFailure::NotEntries);

  // A UTF-8 byte-order mark at the start is no part of the first value.
  if (rest.front() == '\xEF') {
    if (!rest.starts_with("\xEF\xBB\xBF")) return notEntries;
    rest.remove_prefix(3);
  }
  std::string_view values[8];
  int count = 0;
  bool atLineStart = true;  // blank lines between records are no values
  while (count < 8) {
    DropWhile(rest, [&](char c) { return IsBlank(c) || (atLineStart && IsLineEnd(c)); });
    if (rest.empty()) {
      if (overLimit) return notEntries;
      // A comma just before the end leaves one empty value.
      if (!atLineStart) ++count;
      break;
    }
    std::string_view& value = values[count];
    if (rest.front() == '"') {
      // Quoted: the number between the quotes, blanks around it allowed.
      const std::size_t close = rest.find('"', 1);
      if (close == std::string_view::npos) return notEntries;  // never closed
      value = rest.substr(1, close - 1);
      rest.remove_prefix(close + 1);
      DropWhile(rest, IsBlank);
    } else {
      value = rest.substr(0, rest.find_first_of(",\r\n"));
      rest.remove_prefix(value.size());
    }
    if (value.size() > kMaxValueLength || (rest.empty() && overLimit)) return notEntries;
    DropWhile(value, IsBlank);
    while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
    if (!IsNumberValue(value) || (!rest.empty() && rest.front() != ',' && !IsLineEnd(rest.front())))
      return notEntries;
    ++count;
    if (rest.empty()) {
      // A lone number is anybody's; a save cut short has its commas.
      if (count == 1) return notEntries;
      break;
    }
    // Four values a line: a line ends after the fourth value and the eighth,
    // and only there. A column of numbers is not a file of saved entries.
    atLineStart = IsLineEnd(rest.front());
    rest.remove_prefix(1);
    if ((count % 4 == 0) != atLineStart) return notEntries;
  }
  // What may follow the last value: line ends, blanks, and the zero bytes a
  // crash can leave at the end of a file. A ninth value, even an empty one,
  // is not ours.
  DropWhile(rest, [](char c) { return c == '\0' || IsBlank(c) || IsLineEnd(c); });
  if (!rest.empty()) return notEntries;
  if (count < 8) return Refused(EntriesFailure::Incomplete);

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

Result<SavedEntries, EntriesFailure> ReadEntries(const std::function<int()>& next) {
  std::string bytes;
  for (int c = 0; bytes.size() < kMaxEntriesBytes && (c = next()) >= 0;) bytes += static_cast<char>(c);
  return ParseEntries(bytes);
}

namespace {

// The first kMaxEntriesBytes of `file`.
std::error_code ReadBytes(const fs::path& file, std::string& bytes) {
  std::error_code error;
  std::FILE* in = OpenForReading(file, error);
  if (in == nullptr) return error;
  bytes.assign(kMaxEntriesBytes, '\0');
  errno = 0;
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
  if (std::ferror(in) != 0) error = {errno != 0 ? errno : EIO, std::generic_category()};
  std::fclose(in);
  return error;
}

// The newest whole entries that a save cut short left beside `file`. A
// backup is the old file moved aside whole, and counts when it holds saved
// entries; a new copy counts only as a save writes it, byte for byte, so
// that one cut short in the writing is never taken.
std::optional<std::pair<Leftover, SavedEntries>> LeftBehind(const fs::path& file) {
  for (const Leftover& leftover : LeftoversBeside(SaveTargetOf(file))) {
    std::string bytes;
    if (ReadBytes(leftover.path, bytes)) continue;
    auto read = ParseEntries(bytes);
    if (read && (leftover.backup || EntriesFileText(*read) == bytes)) return std::pair{leftover, *read};
  }
  return std::nullopt;
}

bool Absent(const EntriesFailure& failure) {
  return failure.kind == EntriesFailure::Unreadable && failure.error == std::errc::no_such_file_or_directory;
}
bool Missing(const EntriesFailure& failure) {
  return failure.kind == EntriesFailure::NothingSaved || Absent(failure);
}

// What `file` itself holds.
Result<SavedEntries, EntriesFailure> ReadOwnContent(const fs::path& file) {
  std::string bytes;
  const std::error_code error = ReadBytes(file, bytes);
  if (error) return Fail(Unreadable(file, error));
  auto read = ParseEntries(bytes);
  if (read) return read;
  EntriesFailure failure = read.error();
  failure.path = file;
  return Fail(std::move(failure));
}

// `read` of `file`, or where it found the file missing or empty, the
// entries a save cut short left beside it.
Result<SavedEntries, EntriesFailure> OrLeftBehind(Result<SavedEntries, EntriesFailure> read,
                                                  const fs::path& file) {
  if (!read && Missing(read.error())) {
    if (auto left = LeftBehind(file)) return std::move(left->second);
  }
  return read;
}

}  // namespace

std::optional<Leftover> EntriesLeftBeside(const fs::path& file) {
  auto left = LeftBehind(file);
  if (!left) return std::nullopt;
  return left->first;
}

Result<SavedEntries, EntriesFailure> ReadEntriesFile(const fs::path& file) {
  return OrLeftBehind(ReadOwnContent(file), file);
}

Result<SavedEntries, EntriesFailure> LoadEntries(const fs::path& file) {
  auto read = ReadOwnContent(file);
  if (!read && Absent(read.error())) {
    // First start, or a save cut short: leave an empty file, as the program
    // always has. A folder that refuses it says so here, whatever lies
    // beside the file.
    const std::error_code error = CreateEmptyFile(file);
    if (error) return Fail(Unreadable(file, error));
    read = Fail(EntriesFailure{EntriesFailure::NothingSaved, {}, file});
  }
  return OrLeftBehind(std::move(read), file);
}

}  // namespace duedate
