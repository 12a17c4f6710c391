#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <chrono>
#include <utility>
#include <vector>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "entries/file_system.h"
#include "entries/saved_entries.h"
#include "tests/support/folder_test.h"
#include "tests/support/table_row.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>

#include "tests/support/child_process.h"
#endif

namespace duedate {
namespace {
namespace fs = std::filesystem;

using EntriesFileTest = testing_support::FolderTest;
using testing_support::Row;

SavedEntries Initial() {
  return {"2011", "04", "27", "28", "2011", "05", "15", CalcMethod::FromLastPeriod};
}

constexpr char kExample[] = "2011,4,27,28\r\n2011,5,15,0\r\n";

TEST_F(EntriesFileTest, SavesTheInitialEntriesAsThe27ByteExample) {
  ASSERT_TRUE(SaveEntries(file_, Initial()).ok());
  EXPECT_EQ(Read(), kExample);
  EXPECT_EQ(Read().size(), 27u);
  EXPECT_EQ(Strays(), 0);
}

TEST_F(EntriesFileTest, SavesEachTextAsItsLeadingNumber) {
  SavedEntries e{"2011年", "4.50", "-3", "", "abc", "０５", "1e3", CalcMethod::FromConception};
  ASSERT_TRUE(SaveEntries(file_, e).ok());
  EXPECT_EQ(Read(), "2011,4.5,-3,0\r\n0,5,1,1\r\n");
}

TEST_F(EntriesFileTest, ReplacesAnEarlierFileWhole) {
  Write(std::string(500, 'x'));
  ASSERT_TRUE(SaveEntries(file_, Initial()).ok());
  EXPECT_EQ(Read(), kExample);
  EXPECT_EQ(Strays(), 0);
}

// What saves of a process that no longer runs left: a new copy and the old
// file moved aside.
constexpr char kLeftCopy[] = "time.txt.99999999.0123456789abcdef.tmp";
constexpr char kLeftBackup[] = "time.txt.99999999.0123456789abcdef.bak";
constexpr char kOlder[] = "2000,1,1,30\r\n2000,1,15,1\r\n";

// Files beside time.txt, oldest first, each written a minute after the one
// before.
using Leftovers = std::vector<std::pair<const char*, std::string>>;

TEST_F(EntriesFileTest, ASaveClearsOnlyWhatKilledSavesLeft) {
  const char* const users[] = {"time.txt.2024.tmp", "time.txt.99999999.old.tmp",
                               "time.txt.99999998.0123456789ABCDEF.tmp", "time.txt.bak"};
  for (const char* name : {kLeftCopy, kLeftBackup}) std::ofstream(dir_ / name) << kOlder;
  for (const char* name : users) std::ofstream(dir_ / name) << "mine";
  ASSERT_TRUE(SaveEntries(file_, Initial()).ok());
  for (const char* name : {kLeftCopy, kLeftBackup}) EXPECT_FALSE(fs::exists(dir_ / name)) << name;
  for (const char* name : users) EXPECT_TRUE(fs::exists(dir_ / name)) << name;
}

TEST_F(EntriesFileTest, FirstStartCreatesAnEmptyFileAndGivesNothing) {
  const auto loaded = LoadEntries(file_);
  ASSERT_FALSE(loaded.ok());
  EXPECT_EQ(loaded.error().kind, EntriesFailure::NothingSaved);
  ASSERT_TRUE(fs::exists(file_));
  EXPECT_EQ(fs::file_size(file_), 0u);
  // And the next start finds it empty.
  EXPECT_EQ(LoadEntries(file_).error().kind, EntriesFailure::NothingSaved);
}

struct LoadCase : Row {
  std::string bytes;
  SavedEntries expected;
  Leftovers leftovers = {};
  bool missing = false;  // no time.txt at all
};

class LeftoversTest : public EntriesFileTest {
 protected:
  // A load reads what lies beside the file and removes none of it.
  void Plant(const Leftovers& leftovers) const {
    auto written = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& [name, bytes] : leftovers) {
      std::ofstream(dir_ / name, std::ios::binary) << bytes;
      fs::last_write_time(dir_ / name, written += std::chrono::minutes(1));
    }
  }
  void ExpectKept(const Leftovers& leftovers) const {
    for (const auto& [name, bytes] : leftovers) EXPECT_EQ(testing_support::FileBytes(dir_ / name), bytes) << name;
  }
};
class LoadEntriesTest : public LeftoversTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadEntriesTest, ReadsEightValues) {
  const LoadCase& c = GetParam();
  if (!c.missing) Write(c.bytes);
  Plant(c.leftovers);
  const auto loaded = LoadEntries(file_);
  ASSERT_TRUE(loaded.ok()) << c.what << ": " << loaded.error().Reason();
  EXPECT_EQ(*loaded, c.expected) << c.what;
  if (!c.missing) {
    EXPECT_EQ(Read(), c.bytes) << "the file was changed";
  }
  ExpectKept(c.leftovers);
}

const SavedEntries kSaved{"2011", "4", "27", "28", "2011", "5", "15", CalcMethod::FromLastPeriod};
SavedEntries WithMethod(SavedEntries e, CalcMethod m) {
  e.method = m;
  return e;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadEntriesTest,
    testing::Values(
        LoadCase{"the example", kExample, kSaved},
        LoadCase{"method 1", "2011,4,27,28\r\n2011,5,15,1\r\n",
                 WithMethod(kSaved, CalcMethod::FromConception)},
        LoadCase{"method 7", "2011,4,27,28\r\n2011,5,15,7\r\n",
                 WithMethod(kSaved, CalcMethod::FromConception)},
        LoadCase{"LF only", "2011,4,27,28\n2011,5,15,0\n", kSaved},
        LoadCase{"CR only", "2011,4,27,28\r2011,5,15,0\r", kSaved},
        LoadCase{"no last line end", "2011,4,27,28\r\n2011,5,15,1",
                 WithMethod(kSaved, CalcMethod::FromConception)},
        LoadCase{"blanks and tabs", " 2011 ,\t4\t, 27 ,28\r\n2011, 5,15 ,0\r\n", kSaved},
        LoadCase{"quotes", "\"2011\",\"4\",27,\"28\"\r\n2011,\"5\",15,\"1\"\r\n",
                 WithMethod(kSaved, CalcMethod::FromConception)},
        LoadCase{"byte-order mark", "\xEF\xBB\xBF" "2011,4,27,28\r\n2011,5,15,0\r\n", kSaved},
        LoadCase{"empty values", "2011,,27,28\r\n2011,5,,0\r\n",
                 {"2011", "0", "27", "28", "2011", "5", "0", CalcMethod::FromLastPeriod}},
        LoadCase{"blank lines", "\r\n\r\n2011,4,27,28\r\n\r\n2011,5,15,0\r\n", kSaved},
        LoadCase{"negative and fractional numbers", "-3,+4,.5,28.50\r\n2011,5.,-0,1\r\n",
                 {"-3", "4", "0.5", "28.5", "2011", "5", "0", CalcMethod::FromConception}},
        LoadCase{"blanks inside quotes", "\" 2011 \" ,\"4\t\",27,28\r\n2011,5,15,0\r\n", kSaved},
        LoadCase{"blank lines and zero bytes after the last value",
                 std::string(kExample) + "\r\n \t\n" + std::string(16, '\0'), kSaved},
        // A save cut short: the newest whole entries left beside the file.
        LoadCase{"missing, beside it the old file moved aside and a newer copy: the copy", "", kSaved,
                 {{kLeftBackup, kOlder}, {kLeftCopy, kExample}}, true},
        LoadCase{"empty, beside it the old file moved aside, as an editor left it", "", kSaved,
                 {{kLeftBackup, "\"2011\", 4,27,28\n2011,5,15,0\n"}}},
        LoadCase{"missing, the newer copy cut short in its last value: the old file", "", kSaved,
                 {{kLeftBackup, kExample}, {kLeftCopy, "2000,1,1,30\r\n2000,1,1"}}, true},
        LoadCase{"the file's own entries come before any newer copy beside it", kExample, kSaved,
                 {{kLeftCopy, kOlder}}}));



struct BadCase : Row {
  std::string bytes;
  EntriesFailure::Kind kind;
  Leftovers leftovers = {};
};

class LoadEntriesRefuses : public LeftoversTest, public testing::WithParamInterface<BadCase> {};

TEST_P(LoadEntriesRefuses, GivesNothingAndLeavesTheFileAlone) {
  const BadCase& c = GetParam();
  Write(c.bytes);
  Plant(c.leftovers);
  const auto loaded = LoadEntries(file_);
  ASSERT_FALSE(loaded.ok()) << c.what;
  EXPECT_EQ(loaded.error().kind, c.kind) << c.what;
  EXPECT_EQ(Read(), c.bytes);
  ExpectKept(c.leftovers);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadEntriesRefuses,
    testing::Values(BadCase{"empty", "", EntriesFailure::NothingSaved},
                    BadCase{"seven values", "2011,4,27,28\r\n2011,5,15", EntriesFailure::Incomplete},
                    BadCase{"a second line of three", "2011,4,27,28\r\n2011,5,15\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"one line", "2011,4,27,28\r\n", EntriesFailure::Incomplete},
                    BadCase{"only blanks", "  \r\n\t\r\n", EntriesFailure::Incomplete},
                    BadCase{"only a byte-order mark", "\xEF\xBB\xBF", EntriesFailure::Incomplete},
                    BadCase{"a save cut short", "2011,4,27,28\r\n20", EntriesFailure::Incomplete},
                    BadCase{"one endless value", std::string(100000, '7'), EntriesFailure::NotEntries},
                    BadCase{"endless blanks", std::string(100000, ' '), EntriesFailure::NotEntries},
                    // Someone else's file of that name: never taken for entries.
                    BadCase{"notes", "Call the midwife on Monday.\n", EntriesFailure::NotEntries},
                    BadCase{"Chinese text", "记得带产检本\r\n", EntriesFailure::NotEntries},
                    BadCase{"a shopping list", "milk\neggs\n", EntriesFailure::NotEntries},
                    BadCase{"a timesheet", "2026-11-02,7.5,2026-11-03,8\r\n2026-11-04,6,total,21.5\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"dates as values", "2026-11-02\n", EntriesFailure::NotEntries},
                    BadCase{"a number with a unit", "2011年,4,27,28\r\n2011,5,15,0\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"the method a word", "2011,4,27,28\r\n2011,5,15,x\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"exponents", "2011,4,27,2.8e1\r\n2011,5,15,0\r\n", EntriesFailure::NotEntries},
                    BadCase{"a comma inside quotes", "\"2011,9\",4,27,28\r\n2011,5,15,0\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"an unclosed quote", "2011,4,27,28\r\n2011,\"5,15,0\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"lines not of four", "2011,4,27\r\n28,2011,5,15,1\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"a lone number", "8.5", EntriesFailure::NotEntries},
                    BadCase{"a save cut in its first value", "20", EntriesFailure::NotEntries},
                    BadCase{"hours worked, a number a line", "8.5\n7.25\n6\n", EntriesFailure::NotEntries},
                    BadCase{"eight numbers in a column", "100\n200\n300\n400\n500\n600\n700\n800\n",
                            EntriesFailure::NotEntries},
                    BadCase{"one line of eight", "2011,4,27,28,2011,5,15,0\r\n", EntriesFailure::NotEntries},
                    BadCase{"more than eight numbers", "1,2,3,4\r\n5,6,7,8\r\n9,10,11,12\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"a ninth value, empty", "2011,4,27,28\r\n2011,5,15,0,\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"words after the eighth value", std::string(kExample) + "garbage",
                            EntriesFailure::NotEntries},
                    BadCase{"control characters", "\x01\x02,4,27,28\r\n2011,5,15,0\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"a broken byte-order mark", "\xEF\xBB" "2011,4,27,28\r\n2011,5,15,0\r\n",
                            EntriesFailure::NotEntries},
                    BadCase{"UTF-16", std::string("\xFF\xFE" "2\0" "0\0", 6), EntriesFailure::NotEntries},
                    // Nothing beside an empty file that is not whole entries of ours.
                    BadCase{"empty, beside it a copy short of its last line end", "", EntriesFailure::NothingSaved,
                            {{kLeftCopy, "2011,4,27,28\r\n2011,5,15,0"}}},
                    BadCase{"empty, beside it the user's own file moved aside", "", EntriesFailure::NothingSaved,
                            {{kLeftBackup, "Call the midwife on Monday.\n"}}},
                    BadCase{"empty, beside it entries under names of the user's own", "",
                            EntriesFailure::NothingSaved,
                            {{"time.txt.bak", kExample}, {"time.txt.2024.tmp", kExample}}}));

TEST_F(EntriesFileTest, AHugeFileCostsNoMoreThanItsFirstValues) {
  Write(kExample);
  fs::resize_file(file_, 100u * 1024 * 1024);  // 100 MB: the example, then zero bytes
  const auto loaded = LoadEntries(file_);
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(*loaded, kSaved);

  std::ofstream(file_, std::ios::binary | std::ios::trunc) << "";
  fs::resize_file(file_, 100u * 1024 * 1024);  // 100 MB of zero bytes: no value ends
  EXPECT_EQ(LoadEntries(file_).error().kind, EntriesFailure::NotEntries);
}

TEST_F(EntriesFileTest, RoundTripsManyEntrySets) {
  std::mt19937 random(7);
  const auto number = [&] {
    switch (random() % 4) {
      case 0: return std::to_string(random() % 10000);
      case 1: return std::to_string(static_cast<int>(random() % 2000) - 1000) + "." +
                     std::to_string(random() % 1000);
      case 2: return std::string("０") + std::to_string(random() % 100);
      default: return std::string(random() % 2 ? "" : "x");
    }
  };
  for (int i = 0; i < 500; ++i) {
    const SavedEntries typed{number(), number(), number(), number(), number(), number(), number(),
                             random() % 2 ? CalcMethod::FromConception : CalcMethod::FromLastPeriod};
    ASSERT_TRUE(SaveEntries(file_, typed).ok());
    const auto loaded = LoadEntries(file_);
    ASSERT_TRUE(loaded.ok());
    // What comes back is what the window would show for each text.
    const auto shown = [](const std::string& t) { return NumberText(LeadingNumber(t)); };
    const SavedEntries expected{shown(typed.lastPeriodYear), shown(typed.lastPeriodMonth),
                                shown(typed.lastPeriodDay), shown(typed.cycleLength),
                                shown(typed.conceptionYear), shown(typed.conceptionMonth),
                                shown(typed.conceptionDay), typed.method};
    ASSERT_EQ(*loaded, expected) << EntriesFileText(typed);
    // Saving what was loaded writes the same bytes again.
    ASSERT_EQ(EntriesFileText(*loaded), EntriesFileText(typed));
  }
  EXPECT_EQ(Strays(), 0);
}

TEST_F(EntriesFileTest, ExtremeNumbersRoundTrip) {
  const SavedEntries typed{std::string(400, '9'), "0." + std::string(330, '0') + "1", "-0", "28.5",
                           "1e15", "-" + std::string(20, '8'), "123456789012345678", CalcMethod::FromConception};
  ASSERT_TRUE(SaveEntries(file_, typed).ok());
  const auto loaded = LoadEntries(file_);
  ASSERT_TRUE(loaded.ok()) << loaded.error().Reason();
  EXPECT_EQ(loaded->lastPeriodYear, NumberText(LeadingNumber(typed.lastPeriodYear)));
  EXPECT_EQ(loaded->lastPeriodMonth, "0");
  EXPECT_EQ(loaded->lastPeriodDay, "0");
  EXPECT_EQ(loaded->conceptionYear, "1");
  EXPECT_EQ(loaded->conceptionMonth, "-88888888888888900000");
  EXPECT_EQ(loaded->conceptionDay, "123456789012346000");
}

TEST_F(EntriesFileTest, SaveIntoAMissingDirectoryFailsWithTheReason) {
  const fs::path file = dir_ / "gone" / kEntriesFileName;
  const auto saved = SaveEntries(file, Initial());
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().kind, EntriesFailure::Unreadable);
  EXPECT_EQ(saved.error().error, std::errc::no_such_file_or_directory);
  EXPECT_EQ(saved.error().path, file);
  EXPECT_FALSE(saved.error().Reason().empty());
}

TEST_F(EntriesFileTest, SaveOverADirectoryFailsAndLeavesNoTemporaryFile) {
  fs::create_directory(file_);
  const auto saved = SaveEntries(file_, Initial());
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().kind, EntriesFailure::Unreadable);
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_EQ(Strays(), 0);
  // Reading it fails as well, and the directory stays.
  const auto loaded = LoadEntries(file_);
  ASSERT_FALSE(loaded.ok());
  EXPECT_EQ(loaded.error().kind, EntriesFailure::Unreadable);
  EXPECT_TRUE(fs::is_directory(file_));
}

#ifndef _WIN32
using testing_support::AsNobody;

TEST_F(EntriesFileTest, AReadOnlyFileStillLoads) {
  Write(kExample);
  fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(dir_, fs::perms::all);
  const fs::path file = file_;
  const int status = AsNobody([&] {
    const auto loaded = LoadEntries(file);
    if (!loaded.ok()) return 1;
    if (!(*loaded == kSaved)) return 2;
    // The same user really cannot open it for writing: the load did not need to.
    std::FILE* rw = std::fopen(file.c_str(), "r+");
    if (rw != nullptr) std::fclose(rw);
    return rw != nullptr ? 3 : 0;
  });
  EXPECT_EQ(status, 0) << "1: not loaded, 2: wrong entries, 3: the file was writable after all";
}

TEST_F(EntriesFileTest, AReadOnlyDirectoryFailsTheSaveAndKeepsTheOldFile) {
  Write("2000,1,1,30\r\n2000,1,15,1\r\n");
  fs::permissions(file_, fs::perms::all);
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  const fs::path file = file_;
  const int status = AsNobody([&] {
    const auto saved = SaveEntries(file, Initial());
    if (saved.ok()) return 1;
    if (saved.error().error != std::errc::permission_denied) return 2;
    // Loading at start needs no write access at all.
    return LoadEntries(file).ok() ? 0 : 3;
  });
  EXPECT_EQ(status, 0) << "1: saved anyway, 2: another reason, 3: not loaded";
  EXPECT_EQ(Read(), "2000,1,1,30\r\n2000,1,15,1\r\n");
  EXPECT_EQ(Strays(), 0);
}

constexpr fs::perms kPrivate = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms kGroupReads = kPrivate | fs::perms::group_read;
constexpr fs::perms kEveryoneReads = kGroupReads | fs::perms::others_read;
constexpr fs::perms kGroupWrites = kPrivate | fs::perms::group_read | fs::perms::group_write;

// A POSIX access list as Linux stores it: the owner and user 1000 may read
// and write, the owning group and the others nothing (its mask shows as the
// group bits, rw). Set as a folder's default, it is what new files there get.
std::string SharedWithOneUser() {
  std::string acl;
  const auto put = [&acl](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) acl += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(2, 4);  // version
  const std::uint32_t anyone = 0xFFFFFFFF;
  for (const auto& [tag, perm, id] : {std::tuple{0x01u, 6u, anyone}, std::tuple{0x02u, 6u, 1000u},
                                      std::tuple{0x04u, 0u, anyone}, std::tuple{0x10u, 6u, anyone},
                                      std::tuple{0x20u, 0u, anyone}}) {
    put(tag, 2);
    put(perm, 2);
    put(id, 4);
  }
  return acl;
}

// What the user set on "time.txt" survives a save: its permission bits,
// owner and access list, and a link stays a link whose target takes the
// entries. A file the program creates is its owner's alone.
TEST_F(EntriesFileTest, ASaveKeepsThePermissionsOwnerAndLinksOfTheFile) {
  enum class Standing { NoFile, PlainFile, RelativeLink, AbsoluteLinkElsewhere, LinkToALink, DanglingLink };
  const struct {
    const char* what;
    Standing standing;
    fs::perms mode;    // of the file that holds the entries, before and after
    bool othersOwnIt;  // owned by nobody:nogroup (a save as root keeps that)
    bool acl;          // shared with one more user through an access list
    bool folderShares = false;  // the folder gives new files such a list; the file has none
  } cases[] = {
      {"a private file", Standing::PlainFile, kPrivate, false, false},
      {"a file its group reads", Standing::PlainFile, kGroupReads, false, false},
      {"a file everyone reads", Standing::PlainFile, kEveryoneReads, false, false},
      {"another user's file", Standing::PlainFile, kGroupReads, true, false},
      {"a file shared through an access list", Standing::PlainFile, kGroupWrites, false, true},
      {"a file in a folder that shares new files", Standing::PlainFile, kGroupWrites, false, false, true},
      {"a link beside its target", Standing::RelativeLink, kPrivate, false, false},
      {"a link into a synced folder", Standing::AbsoluteLinkElsewhere, kGroupReads, false, false},
      {"a link to a link", Standing::LinkToALink, kPrivate, false, false},
      {"a link to a file not yet there", Standing::DanglingLink, kPrivate, false, false},
      {"no file yet", Standing::NoFile, kPrivate, false, false},
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.othersOwnIt && getuid() != 0) {
      std::printf("[ skipped  ] %s: only root may give a file to another user\n", c.what);
      continue;
    }
    const fs::path dir = dir_ / std::to_string(++row);
    const fs::path elsewhere = dir / "synced" / "notes";
    fs::create_directories(elsewhere);
    const fs::path file = dir / kEntriesFileName;
    fs::path real = file;
    switch (c.standing) {
      case Standing::NoFile:
      case Standing::PlainFile: break;
      case Standing::RelativeLink:
        real = dir / "real.txt";
        fs::create_symlink("real.txt", file);
        break;
      case Standing::AbsoluteLinkElsewhere:
      case Standing::DanglingLink:
        real = elsewhere / "time.txt";
        fs::create_symlink(real, file);
        break;
      case Standing::LinkToALink:
        real = elsewhere / "time.txt";
        fs::create_symlink("synced/notes/middle.txt", file);
        fs::create_symlink("time.txt", elsewhere / "middle.txt");
        break;
    }
    const bool linked = c.standing != Standing::NoFile && c.standing != Standing::PlainFile;
    const std::string acl = SharedWithOneUser();
    if (c.folderShares &&
        setxattr(dir.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0) {
      std::printf("[ skipped  ] %s: no access lists on %s (%s)\n", c.what, dir.c_str(),
                  std::strerror(errno));
      continue;
    }
    if (c.standing != Standing::DanglingLink && c.standing != Standing::NoFile) {
      std::ofstream(real, std::ios::binary) << "2000,1,1,30\r\n2000,1,15,1\r\n";
      if (c.folderShares) {
        ASSERT_EQ(removexattr(real.c_str(), "system.posix_acl_access"), 0);
      }
      fs::permissions(real, c.mode);
      if (c.othersOwnIt) {
        ASSERT_EQ(chown(real.c_str(), 65534, 65534), 0);
      }
    }
    if (c.acl && setxattr(real.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
      std::printf("[ skipped  ] %s: no access lists on %s (%s)\n", c.what, dir.c_str(),
                  std::strerror(errno));
      continue;
    }
    const mode_t mask = umask(0);  // the process's mask may not widen a new file
    const bool saved = SaveEntries(file, Initial()).ok();
    umask(mask);
    EXPECT_TRUE(saved);
    if (!saved) continue;

    EXPECT_EQ(testing_support::FileBytes(real), kExample);
    EXPECT_EQ(fs::is_symlink(file), linked);
    if (c.standing == Standing::LinkToALink) {
      EXPECT_TRUE(fs::is_symlink(elsewhere / "middle.txt"));
    }
    EXPECT_EQ(fs::status(real).permissions(), c.mode);
    struct stat st {};
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.othersOwnIt ? 65534u : getuid());
    if (c.othersOwnIt) {
      EXPECT_EQ(st.st_gid, 65534u);
    }
    char kept[256];
    const ssize_t size = getxattr(real.c_str(), "system.posix_acl_access", kept, sizeof kept);
    // The list the file had, and none where it had none.
    EXPECT_EQ(std::string(kept, static_cast<std::size_t>(size > 0 ? size : 0)), c.acl ? acl : "");
    // Beside time.txt: the synced folder, and real.txt; no temporary file.
    std::size_t beside = 0, left = 0;
    for (const auto& entry : fs::directory_iterator(dir)) beside += entry.path().filename() != kEntriesFileName;
    for (const auto& entry : fs::directory_iterator(elsewhere)) left += entry.path().extension() == ".tmp";
    EXPECT_EQ(beside, c.standing == Standing::RelativeLink ? 2u : 1u);
    EXPECT_EQ(left, 0u);
  }
}

TEST_F(EntriesFileTest, AGroupTheSaverMayNotGiveLosesItsBits) {
  // nobody saves over its own file whose group is root's: the new file
  // cannot have that group, and its group bits would open it to nobody's.
  Write(kExample);
  ASSERT_EQ(chown(file_.c_str(), 65534, 0), 0);
  fs::permissions(file_, kGroupReads);
  fs::permissions(dir_, fs::perms::all);
  const fs::path file = file_;
  const int status = AsNobody([&] { return SaveEntries(file, Initial()).ok() ? 0 : 1; });
  ASSERT_EQ(status, 0);
  struct stat st {};
  ASSERT_EQ(stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_NE(st.st_gid, 0u);
  EXPECT_EQ(fs::status(file_).permissions(), kPrivate);
}

TEST_F(EntriesFileTest, FilesTheProgramCreatesAreItsOwnersAlone) {
  const mode_t mask = umask(0);
  const auto loaded = LoadEntries(file_);  // the first start leaves an empty file
  umask(mask);
  ASSERT_FALSE(loaded.ok());
  EXPECT_EQ(loaded.error().kind, EntriesFailure::NothingSaved);
  EXPECT_EQ(fs::status(file_).permissions(), kPrivate);
}

TEST_F(EntriesFileTest, APipeOfThatNameIsNeitherWaitedOnNorReplaced) {
  ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
  const auto loaded = LoadEntries(file_);  // would hang if it waited for a writer
  ASSERT_FALSE(loaded.ok());
  EXPECT_EQ(loaded.error().kind, EntriesFailure::Unreadable);
  const auto saved = SaveEntries(file_, Initial());
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(ProblemOf(saved.error().error), FileProblem::NotAFile);
  EXPECT_EQ(fs::status(file_).type(), fs::file_type::fifo);
  EXPECT_EQ(Strays(), 0);
}

TEST_F(EntriesFileTest, AMissingFileThatCannotBeCreatedGivesTheReason) {
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const fs::path file = file_;
  const int status = AsNobody([&] {
    const auto loaded = LoadEntries(file);
    if (loaded.ok()) return 1;
    if (loaded.error().kind != EntriesFailure::Unreadable) return 2;
    return loaded.error().error == std::errc::permission_denied ? 0 : 3;
  });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(fs::exists(file_));
}
#endif

}  // namespace
}  // namespace duedate
