// The reader of "time.txt" on any bytes: never a crash, never more than
// kMaxEntriesBytes read, nothing after the eighth value read, and what it
// gives is written back and read again unchanged.
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "entries/saved_entries.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "violated: %s\n", what);
    std::abort();
  }
}

struct Outcome {
  duedate::Result<duedate::SavedEntries, duedate::EntriesFailure> result;
  std::size_t consumed;
};

Outcome Read(const std::string& bytes) {
  std::size_t at = 0;
  const std::function<int()> next = [&]() -> int {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at++]) : (++at, -1);
  };
  auto result = duedate::ReadEntries(next);
  return {std::move(result), at};
}

bool Same(const Outcome& a, const Outcome& b) {
  if (a.result.ok() != b.result.ok()) return false;
  return a.result.ok() ? *a.result == *b.result : a.result.error().kind == b.result.error().kind;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const Outcome first = Read(bytes);
  Require(first.consumed <= duedate::kMaxEntriesBytes + 1, "reads no more than the limit");

  if (first.result.ok() && first.consumed <= bytes.size()) {
    // The eighth value ended before the end of the bytes: the reader stopped
    // on the separator that ended it, and whatever follows is never looked at.
    const char last = bytes[first.consumed - 1];
    Require(last == ',' || last == '\r' || last == '\n', "the reader stops at the eighth value's end");
    const std::string prefix = bytes.substr(0, std::min(first.consumed, bytes.size()));
    const Outcome longer = Read(prefix + "\r\n9,9,9,9\r\n\"garbage" + std::string(100, 'x'));
    Require(Same(first, longer), "bytes after the eighth value change nothing");
    Require(longer.consumed == first.consumed, "bytes after the eighth value are not read");
  }
  if (first.result.ok()) {
    // Saved again, the entries read back the same.
    const Outcome again = Read(duedate::EntriesFileText(*first.result));
    Require(again.result.ok() && *again.result == *first.result, "save and load round trip");
  }
  return 0;
}
