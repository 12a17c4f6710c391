// The window's start-up and exit when "time.txt" or its folder misbehave:
// no crash, no message at start, a clear message at exit, the window left
// open and nothing typed lost. Each case runs in a child process as the
// unprivileged user nobody, since root writes through any permission bits.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/folder_test.h"
#include "tests/support/table_row.h"
#include "window/form1.h"
#include "window/tests/fake_view.h"

namespace duedate {
namespace {
namespace fs = std::filesystem;
using testing_support::FakeView;
using testing_support::InChild;

constexpr char kSaved[] = "2000,1,1,30\r\n2000,1,15,1\r\n";

enum class Setup { ReadOnlyFile, ReadOnlyFolder, RemovedFolder, FolderNamedLikeTheFile, WriteOnlyFile };

struct FaultCase : testing_support::Row {
  Setup setup;
  bool loads;          // the saved entries still come back at start
  const char* reason;  // what the exit message says
};

class Form1Faults : public testing_support::FolderTest, public testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    fs::permissions(dir_, fs::perms::all);
  }
};

// Exit codes of the child: which expectation failed.
enum Verdict { kPassed = 0, kNotNobody, kLoadedWrongly, kMessageAtStart, kEnded, kNoMessage,
               kWrongMessage, kTypingLost, kFileChanged };

TEST_P(Form1Faults, StartsQuietlyAndExplainsAFailedExit) {
  const FaultCase& c = GetParam();
  const fs::path file = dir_ / kEntriesFileName;
  switch (c.setup) {
    case Setup::ReadOnlyFile:
      std::ofstream(file, std::ios::binary) << kSaved;
      fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
      break;
    case Setup::ReadOnlyFolder:
      std::ofstream(file, std::ios::binary) << kSaved;
      fs::permissions(file, fs::perms::all);
      fs::permissions(dir_, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
      break;
    case Setup::RemovedFolder:
      break;
    case Setup::FolderNamedLikeTheFile:
      fs::create_directory(file);
      break;
    case Setup::WriteOnlyFile:
      // Whether it holds saved entries cannot be told: it is not replaced.
      std::ofstream(file, std::ios::binary) << kSaved;
      fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_write);
      break;
  }

  const int status = InChild([&] {
    if (chdir(dir_.c_str()) != 0) return kNotNobody;
    // The working directory disappears while the program runs.
    if (c.setup == Setup::RemovedFolder && rmdir(dir_.c_str()) != 0) return kNotNobody;
    if (!testing_support::BecomeNobody()) return kNotNobody;
    FakeView view;
    FormSettings settings;  // "time.txt" in the working directory, as the program has it
    settings.today = [] { return CalendarDate{2011, 10, 1}; };
    Form1 form(view, settings);
    form.Load();
    if ((view.Text(Control::Text1) == "2000") != c.loads) return kLoadedWrongly;
    if (!view.messages.empty()) return kMessageAtStart;
    view.SetText(Control::Text1, "1999");
    form.Press(Control::Command1);
    if (view.ended != 0) return kEnded;
    if (view.messages.size() != 1) return kNoMessage;
    const std::string& text = view.messages[0].text;
    if (text.find("无法保存") == std::string::npos || text.find(c.reason) == std::string::npos ||
        text.find("time.txt") == std::string::npos) {
      return kWrongMessage;
    }
    if (view.Text(Control::Text1) != "1999") return kTypingLost;
    return kPassed;
  });
  ASSERT_LT(status, testing_support::kKilledBySignal) << "the program crashed";
  EXPECT_EQ(status, kPassed)
      << "1: could not become nobody, 2: start-up entries wrong, 3: message at start, "
         "4: the program ended, 5: no message at exit, 6: the message does not explain, "
         "7: typing lost";
  if (c.setup == Setup::ReadOnlyFile || c.setup == Setup::ReadOnlyFolder ||
      c.setup == Setup::WriteOnlyFile) {
    EXPECT_EQ(testing_support::FileBytes(file), kSaved) << "the file changed";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Form1Faults,
    testing::Values(
        FaultCase{"read-only time.txt", Setup::ReadOnlyFile, true, "没有读写这个文件或文件夹的权限"},
        FaultCase{"read-only working folder", Setup::ReadOnlyFolder, true,
                  "没有读写这个文件或文件夹的权限"},
        FaultCase{"working folder removed", Setup::RemovedFolder, false, "文件夹不存在"},
        FaultCase{"time.txt is a folder", Setup::FolderNamedLikeTheFile, false,
                  "已有一个同名的文件夹"},
        FaultCase{"time.txt may be written but not read", Setup::WriteOnlyFile, false,
                  "没有读写这个文件或文件夹的权限"}));

}  // namespace
}  // namespace duedate
