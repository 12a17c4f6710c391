#include "entries/saved_entries.h"

#include <cerrno>
#include <cstdio>
#include <functional>

#include "calc/calendar.h"
#include "entries/file_system.h"

namespace duedate {
namespace fs = std::filesystem;

namespace {

EntriesFailure Unreadable(const fs::path& path, std::error_code error) {
  return {EntriesFailure::Unreadable, error, path};
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

// A value as this program writes it: a decimal number with an optional
// sign and point ("2011", "-3", "28.5", ".5", "5."), or nothing at all.
bool IsNumberValue(const std::string& value) {
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

Result<SavedEntries, EntriesFailure> ReadEntries(const std::function<int()>& next) {
  ByteReader reader(next);
  std::string values[8];
  int count = 0;
  bool sawAnything = false;
  bool foreign = false;  // something no save of ours leaves

  // A UTF-8 byte-order mark at the start is no part of the first value.
  int c = reader.Get();
  if (c == 0xEF) {
    const int b = reader.Get();
    const int d = (b == 0xBB) ? reader.Get() : ByteReader::kEnd;
    if (b != 0xBB || d != 0xBF) return Fail(EntriesFailure{EntriesFailure::NotEntries, {}, {}});
    sawAnything = true;
    c = reader.Get();
  }

  bool atLineStart = true;  // blank lines between records are no values
  while (count < 8 && !foreign) {
    while (IsBlank(c) || (atLineStart && IsLineEnd(c))) {
      sawAnything = true;
      c = reader.Get();
    }
    if (c == ByteReader::kOverLimit) {
      foreign = true;
      break;
    }
    if (c == ByteReader::kEnd) {
      // A comma just before the end leaves one empty value.
      if (!atLineStart) ++count;
      break;
    }
    sawAnything = true;
    std::string& value = values[count];
    if (c == '"') {
      // Quoted: the number between the quotes, blanks around it allowed.
      for (c = reader.Get(); c >= 0 && c != '"' && !foreign; c = reader.Get()) {
        value += static_cast<char>(c);
        foreign = value.size() > kMaxValueLength;
      }
      if (c != '"') {
        foreign = true;  // never closed
      } else {
        c = reader.Get();
        while (IsBlank(c)) c = reader.Get();
      }
      while (!value.empty() && IsBlank(static_cast<unsigned char>(value.front()))) value.erase(0, 1);
    } else {
      while (c >= 0 && c != ',' && !IsLineEnd(c) && !foreign) {
        value += static_cast<char>(c);
        foreign = value.size() > kMaxValueLength;
        c = reader.Get();
      }
    }
    while (!value.empty() && IsBlank(static_cast<unsigned char>(value.back()))) value.pop_back();
    if (foreign || c == ByteReader::kOverLimit || (c >= 0 && c != ',' && !IsLineEnd(c)) ||
        !IsNumberValue(value)) {
      foreign = true;
      break;
    }
    ++count;
    if (c == ByteReader::kEnd) {
      // A lone number is anybody's; a save cut short has its commas.
      foreign = count == 1;
      break;
    }
    // Four values a line: a line ends after the fourth value and the eighth,
    // and only there. A column of numbers is not a file of saved entries.
    if ((count % 4 == 0) != IsLineEnd(c)) {
      foreign = true;
      break;
    }
    if (count == 8) {
      // What may follow the last value: line ends, blanks, and the zero
      // bytes a crash can leave at the end of a file. A ninth value, even
      // an empty one, is not ours.
      while (c == 0 || IsBlank(c) || IsLineEnd(c)) c = reader.Get();
      foreign = c != ByteReader::kEnd && c != ByteReader::kOverLimit;
      break;
    }
    if (c == '\r') {
      const int next_byte = reader.Get();
      if (next_byte != '\n') reader.Unget(next_byte);
    }
    atLineStart = IsLineEnd(c);
    c = reader.Get();
  }

  if (foreign) return Fail(EntriesFailure{EntriesFailure::NotEntries, {}, {}});
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

Result<SavedEntries, EntriesFailure> ReadEntriesFile(const fs::path& file) {
  std::error_code openError;
  std::FILE* in = OpenForReading(file, openError);
  if (in == nullptr) return Fail(Unreadable(file, openError));

  int readErrno = 0;  // taken when the read fails, before anything else can change errno
  const std::function<int()> next = [in, &readErrno] {
    const int c = std::getc(in);
    if (c == EOF && std::ferror(in) != 0) readErrno = errno;
    return c;
  };
  auto read = ReadEntries(next);
  const bool failed = std::ferror(in) != 0;
  const std::error_code readError =
      failed && readErrno != 0 ? std::error_code(readErrno, std::generic_category()) : std::error_code{};
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

Result<SavedEntries, EntriesFailure> LoadEntries(const fs::path& file) {
  auto read = ReadEntriesFile(file);
  if (read || read.error().kind != EntriesFailure::Unreadable ||
      read.error().error != std::errc::no_such_file_or_directory) {
    return read;
  }
  // First start: leave an empty file, as the program always has.
  const std::error_code error = CreateEmptyFile(file);
  if (error) return Fail(Unreadable(file, error));
  return Fail(EntriesFailure{EntriesFailure::NothingSaved, {}, file});
}

}  // namespace duedate
