// Saving on Windows when ReplaceFileW fails part-way: stand-ins for the calls
// leave the files as Microsoft's page for ReplaceFileW says each failure
// does, which Wine never shows. "time.txt" then holds the old or the new
// entries; where it cannot, both are kept beside it and the next start
// shows the new.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "entries/file_system.h"
#include "entries/file_system_windows.h"
#include "entries/saved_entries.h"
#include "tests/support/folder_test.h"
#include "tests/support/table_row.h"

namespace duedate {
namespace {
namespace fs = std::filesystem;

constexpr char kOld[] = "2000,1,1,30\r\n2000,1,15,1\r\n";
constexpr char kNew[] = "2011,4,27,28\r\n2011,5,15,0\r\n";

// What ReplaceFileW fails with, and how many calls of it and of MoveFileExW
// fail before they work; 1177 moves the old file to the backup name first,
// as may a failure that says nothing of it, and one may lose it.
struct Outcome {
  DWORD error;
  int replaceFailures, moveFailures;
  bool movesOldAside = false;
  bool losesOld = false;
} outcome;
int replaceCalls, moveCalls;

BOOL WINAPI FakeReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID) {
  if (replaceCalls++ >= outcome.replaceFailures) return ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
  if (outcome.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 || outcome.movesOldAside) MoveFileExW(replaced, backup, 0);
  if (outcome.losesOld) DeleteFileW(replaced);
  SetLastError(outcome.error);
  return FALSE;
}

BOOL WINAPI FakeMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (moveCalls++ >= outcome.moveFailures) return MoveFileExW(from, to, flags);
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

void WINAPI NoPause(DWORD) {}

struct ReplaceCase : testing_support::Row {
  Outcome outcome;
  const char* after;                 // what time.txt holds afterwards
  std::multiset<std::string> strays;  // what the files beside it hold
  const char* loads = nullptr;       // what the next start shows, where not `after`
};

class ReplaceFails : public testing_support::FolderTest, public testing::WithParamInterface<ReplaceCase> {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    outcome = GetParam().outcome;
    replaceCalls = moveCalls = 0;
    FileSteps() = {FakeReplace, FakeMove, NoPause};
  }
  void TearDown() override {
    FileSteps() = {};
    FolderTest::TearDown();
  }
};

TEST_P(ReplaceFails, TheFileKeepsItsOldOrNewContent) {
  const ReplaceCase& c = GetParam();
  Write(kOld);
  SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_HIDDEN);
  const auto saved = SaveEntries(file_, {"2011", "4", "27", "28", "2011", "5", "15", CalcMethod::FromLastPeriod});
  EXPECT_EQ(saved.ok(), c.after == kNew);
  if (!saved.ok()) {
    EXPECT_EQ(ProblemOf(saved.error().error), FileProblem::InUse) << saved.error().Reason();
  }
  EXPECT_EQ(Read(), c.after);
  if (fs::exists(file_)) {
    EXPECT_NE(GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "no longer hidden";
  }
  std::multiset<std::string> strays;
  for (const auto& entry : fs::directory_iterator(dir_))
    if (entry.path() != file_) strays.insert(testing_support::FileBytes(entry.path()));
  EXPECT_EQ(strays, c.strays);
  const auto loaded = LoadEntries(file_);
  ASSERT_TRUE(loaded.ok()) << loaded.error().Reason();
  EXPECT_EQ(EntriesFileText(*loaded), c.loads ? c.loads : c.after);
}

constexpr DWORD kRemove = ERROR_UNABLE_TO_REMOVE_REPLACED, kRename = ERROR_UNABLE_TO_MOVE_REPLACEMENT,
                kMove2 = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ReplaceFails,
    testing::Values(
        ReplaceCase{"works", {0, 0, 0}, kNew, {}},
        ReplaceCase{"1175 while a scanner holds the old file a moment", {kRemove, 3, 0}, kNew, {}},
        ReplaceCase{"1175 for good: nothing changed", {kRemove, 99, 0}, kOld, {}},
        ReplaceCase{"1176 once: tried again a moment later", {kRename, 1, 0}, kNew, {}},
        ReplaceCase{"1176 twice: nothing changed", {kRename, 2, 0}, kOld, {}},
        ReplaceCase{"1177: the new content moved into place", {kMove2, 1, 0}, kNew, {}},
        ReplaceCase{"1177, the new content cannot move: the old goes back", {kMove2, 1, 1}, kOld, {}},
        ReplaceCase{"1177, neither can move: both kept, the new shown next", {kMove2, 1, 99}, "", {kOld, kNew}, kNew},
        ReplaceCase{"1176 with the old file gone: the new goes into place", {kRename, 99, 0, false, true}, kNew, {}},
        ReplaceCase{"held, after moving the old file aside", {ERROR_LOCK_VIOLATION, 99, 0, true}, kNew, {}},
        ReplaceCase{"a share that refuses ReplaceFileW but renames", {ERROR_INVALID_PARAMETER, 99, 0}, kNew, {}},
        ReplaceCase{"a drive that denies ReplaceFileW but renames", {ERROR_ACCESS_DENIED, 99, 0}, kNew, {}}));

}  // namespace
}  // namespace duedate
