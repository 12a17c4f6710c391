// The reader of "time.txt" on any bytes: never a crash, never more than
// kMaxEntriesBytes read, words after the eighth value never taken for saved
// entries, and what it gives is written back and read again unchanged.
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

  if (first.result.ok() && bytes.size() + 64 < duedate::kMaxEntriesBytes) {
    // Blank lines after saved entries change nothing; words after them make
    // the file someone else's.
    Require(Same(first, Read(bytes + "\r\n \t\r\n")), "blank lines after the entries change nothing");
    const Outcome words = Read(bytes + "\r\nnotes");
    Require(!words.result.ok() && words.result.error().kind == duedate::EntriesFailure::NotEntries,
            "words after the entries make the file someone else's");
  }
  if (first.result.ok()) {
    // Saved again, the entries read back the same.
    const Outcome again = Read(duedate::EntriesFileText(*first.result));
    Require(again.result.ok() && *again.result == *first.result, "save and load round trip");
  }
  return 0;
}
