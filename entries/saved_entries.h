// The file of saved entries, "time.txt".
//
// Two lines of four comma-separated numbers, each line ended by CR LF:
//   last-period year, month, day, cycle length
//   conception year, month, day, method flag (0 or 1)
// The entries of the window when it was left through its exit button:
//   2011,4,27,28<CR><LF>2011,5,15,0<CR><LF>
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "calc/due_date.h"
#include "calc/result.h"
#include "entries/file_system.h"

namespace duedate {

// The file's name, relative to the working directory of the program.
inline constexpr const char* kEntriesFileName = "time.txt";

// The seven entry texts and the method, in the order of the file.
struct SavedEntries {
  std::string lastPeriodYear, lastPeriodMonth, lastPeriodDay, cycleLength;
  std::string conceptionYear, conceptionMonth, conceptionDay;
  CalcMethod method = CalcMethod::FromLastPeriod;

  friend bool operator==(const SavedEntries&, const SavedEntries&) = default;
};

// 0 for FromLastPeriod, 1 for FromConception.
int MethodFlag(CalcMethod method);

// Why entries could not be saved or given back.
struct EntriesFailure {
  enum Kind {
    NothingSaved,  // the file is absent (it is then created empty) or empty
    Incomplete,    // the file holds fewer than eight values: a save cut short
    NotEntries,    // the file holds something else: the user's own file
    Unreadable,    // the file could not be opened, created, read or written
  } kind;
  std::error_code error;  // the system's reason, for Unreadable
  std::filesystem::path path;

  // The system's own text for `error`, or a short English note.
  std::string Reason() const;
};

// Writes the entries to `file`, replacing it whole: the two lines go to a
// temporary file beside it, which is flushed to disk and then takes the
// file's place, so that a failure part-way leaves the previous file as it
// was. The file keeps its permissions, its owner and its links (see
// ReplaceFileContent). Whether `file` may be replaced at all is the
// caller's question: this replaces whatever stands there.
Result<Done, EntriesFailure> SaveEntries(const std::filesystem::path& file,
                                         const SavedEntries& entries);

// The entries saved last. When `file` does not exist it is created empty
// (readable and writable by its owner only), or its failure given. Where
// it is missing or empty and a save cut short left whole entries beside it
// (see Leftover), the newest of them; else NothingSaved. A file that cannot
// be read, holds fewer than eight values or holds anything but saved
// entries is left untouched and gives its failure. Nothing left beside it
// is removed: the next save that succeeds does that.
Result<SavedEntries, EntriesFailure> LoadEntries(const std::filesystem::path& file);
// The same without creating anything: what `file` holds now.
Result<SavedEntries, EntriesFailure> ReadEntriesFile(const std::filesystem::path& file);
// Where `file` is missing or empty: the file left beside it whose entries
// reading it gives, if any.
std::optional<Leftover> EntriesLeftBeside(const std::filesystem::path& file);

// The saved entries in `bytes`: the parser behind LoadEntries. It looks at
// no more than the first kMaxEntriesBytes, and takes a text that fills them
// to go on beyond.
//
// Saved entries are what this program writes and what a save cut short or
// an editor leaves of it: two lines of four values separated by commas, or
// the beginning of them; lines ended by CR LF, CR or LF, with blank lines
// between them; each value a decimal number with an optional sign and
// point, or empty, with blanks, tabs or double quotes around it; a UTF-8
// byte-order mark before the first; after the eighth value nothing but
// blanks, line ends and zero bytes (what a crash leaves). Anything else
// (words, Chinese text, a date such as 2026-11-02, a column of numbers,
// more than eight values) is someone else's file: NotEntries.
Result<SavedEntries, EntriesFailure> ParseEntries(std::string_view bytes);
// The same over any source of bytes: `next` gives the next byte (0 to 255),
// or a negative number at the end. It reads no more than kMaxEntriesBytes,
// then parses them.
Result<SavedEntries, EntriesFailure> ReadEntries(const std::function<int()>& next);
inline constexpr std::size_t kMaxEntriesBytes = 64 * 1024;

// The two lines SaveEntries writes, CR LF included.
std::string EntriesFileText(const SavedEntries& entries);

}  // namespace duedate
