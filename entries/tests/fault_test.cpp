// Saving under faults: a process killed at random moments while saving, a
// full disk, and two programs saving at once. "time.txt" is afterwards
// always one whole version, byte for byte, and never lost.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "entries/saved_entries.h"
#include "tests/support/child_process.h"
#include "tests/support/folder_test.h"

namespace duedate {
namespace {
namespace fs = std::filesystem;

using SaveFaultTest = testing_support::FolderTest;
using testing_support::InChild;

SavedEntries Version(int n) {
  const std::string v = std::to_string(n);
  return {"2011", v, "27", "28", "2011", "5", v, n % 2 ? CalcMethod::FromConception
                                                       : CalcMethod::FromLastPeriod};
}

// Saves version 1 and version 2 alternately until killed.
[[noreturn]] void SaveForever(const fs::path& file, int first) {
  for (int n = first;; n = 3 - n) {
    if (!SaveEntries(file, Version(n)).ok()) _exit(3);
  }
}

TEST_F(SaveFaultTest, AKillAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
  ASSERT_TRUE(SaveEntries(file_, Version(0)).ok());
  const std::set<std::string> whole{EntriesFileText(Version(0)), EntriesFileText(Version(1)),
                                    EntriesFileText(Version(2))};
  std::mt19937 random(20111001);
  int kills = 0, leftBehind = 0;
  for (int round = 0; round < 300; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) SaveForever(file_, 1 + round % 2);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped by itself";
    ++kills;
    ASSERT_EQ(whole.count(Read()), 1u) << "after kill " << kills << ": " << Read();
    leftBehind += Strays();
    if (round % 50 == 49) {  // the next successful save clears what was left behind
      ASSERT_TRUE(SaveEntries(file_, Version(0)).ok());
      ASSERT_EQ(Strays(), 0);
    }
  }
  ASSERT_TRUE(SaveEntries(file_, Version(0)).ok());
  EXPECT_EQ(Strays(), 0);
  EXPECT_EQ(Read(), EntriesFileText(Version(0)));
  std::printf("[ figures  ] %d kills while saving, %d temporary files left by them and cleared\n",
              kills, leftBehind);
}

TEST_F(SaveFaultTest, AFullDiskFailsTheSaveAndKeepsThePreviousFile) {
  // A small tmpfs of our own where the machine allows one, filled up.
  const int status = InChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k") != 0) {
      return 77;  // not allowed here
    }
    if (!SaveEntries(file_, Version(1)).ok()) return 1;
    {  // every page of it taken
      std::ofstream fill(dir_ / "filler", std::ios::binary);
      const std::string block(4096, 'x');
      while (fill.write(block.data(), static_cast<std::streamsize>(block.size())).flush()) {
      }
    }
    const auto saved = SaveEntries(file_, Version(2));
    if (saved.ok()) return 2;
    if (saved.error().error != std::errc::no_space_on_device) return 3;
    if (Read() != EntriesFileText(Version(1))) return 4;
    if (Strays() != 1) return 5;  // the filler, no temporary file
    return 0;
  });
  if (status == 77) {
    std::printf("[ figures  ] no tmpfs allowed here: the full disk is injected as a size limit\n");
  } else {
    EXPECT_EQ(status, 0) << "1: first save, 2: saved on a full disk, 3: another reason, "
                            "4: old file changed, 5: temporary file left";
  }

  // Everywhere: the file layer refuses to grow files past a few bytes.
  ASSERT_TRUE(SaveEntries(file_, Version(1)).ok());
  const int limited = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8, 8};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
    const auto saved = SaveEntries(file_, Version(2));
    if (saved.ok()) return 2;
    if (saved.error().error != std::errc::file_too_large) return 3;
    return 0;
  });
  EXPECT_EQ(limited, 0) << "1: no limit, 2: saved anyway, 3: another reason";
  EXPECT_EQ(Read(), EntriesFileText(Version(1)));
  EXPECT_EQ(Strays(), 0);
}

TEST_F(SaveFaultTest, TwoProgramsSavingAtOnceAlwaysLeaveOneWholeVersion) {
  ASSERT_TRUE(SaveEntries(file_, Version(0)).ok());
  const std::set<std::string> whole{EntriesFileText(Version(0)), EntriesFileText(Version(3)),
                                    EntriesFileText(Version(4))};
  constexpr int kSaves = 300;
  pid_t children[2];
  for (int i = 0; i < 2; ++i) {
    children[i] = fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) {
      for (int n = 0; n < kSaves; ++n)
        if (!SaveEntries(file_, Version(3 + i)).ok()) _exit(1);
      _exit(0);
    }
  }
  int reads = 0, bad = 0;
  int statuses[2] = {-1, -1};
  while (statuses[0] < 0 || statuses[1] < 0) {
    const std::string seen = Read();
    ++reads;
    if (whole.count(seen) != 1) ++bad;
    for (int i = 0; i < 2; ++i) {
      int status = 0;
      if (statuses[i] < 0 && waitpid(children[i], &status, WNOHANG) == children[i])
        statuses[i] = WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }
  }
  EXPECT_EQ(statuses[0], 0) << "a save failed in the first program";
  EXPECT_EQ(statuses[1], 0) << "a save failed in the second program";
  EXPECT_EQ(bad, 0) << "of " << reads << " reads";
  EXPECT_EQ(whole.count(Read()), 1u);
  EXPECT_EQ(Strays(), 0);
  std::printf("[ figures  ] %d saves by two programs at once, %d reads between, %d not whole\n",
              2 * kSaves, reads, bad);
}

}  // namespace
}  // namespace duedate
