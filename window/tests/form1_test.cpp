#include <gtest/gtest.h>

#include <filesystem>
#include <cerrno>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "entries/file_system.h"
#include "tests/support/folder_test.h"
#include "tests/support/table_row.h"
#include "window/descriptions.h"
#include "window/form1.h"
#include "window/tests/fake_view.h"

#ifdef _WIN32
#include <windows.h>

#include "entries/file_system_windows.h"
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L  // not in every version of the headers
#endif
#endif

namespace duedate {
namespace {
namespace fs = std::filesystem;
using testing_support::FakeView;
using testing_support::Row;

// A window whose working directory is a fresh temporary one and whose
// clock says 2011-10-01.
class Form1Test : public testing_support::FolderTest {
 protected:
  FormSettings Settings() const {
    FormSettings s;
    s.entriesFile = dir_ / kEntriesFileName;
    s.instructionFiles = {dir_ / "bin" / kInstructionsFileName, dir_ / "share" / kInstructionsFileName};
    s.today = [this] { return today_; };
    return s;
  }
  // The result boxes in the order of the figures, written out here rather
  // than taken from the form's table: a figure shown in another's box is
  // seen.
  std::string Results() const {
    std::string all;
    for (Control box : {Control::Text8, Control::Text9, Control::Text10, Control::Text11, Control::Text5,
                        Control::Text6, Control::Text7})
      all += view_.Text(box) + " ";
    return all;
  }

  CalendarDate today_{2011, 10, 1};
  FakeView view_;
};

TEST_F(Form1Test, FirstStartKeepsTheInitialEntriesAndLeavesAnEmptyFile) {
  Form1 form(view_, Settings());
  form.Load();
  EXPECT_EQ(view_.Text(Control::Text1), "2011");
  EXPECT_EQ(view_.Text(Control::Text2), "04");
  EXPECT_EQ(view_.Text(Control::Text13), "05");
  EXPECT_EQ(view_.selected, Control::Option1);
  EXPECT_EQ(Results(), "       ");
  // Only the cycle box is described before the first calculation.
  EXPECT_EQ(view_.descriptions, (std::map<Control, std::string>{{Control::Text4, kCycleDescription}}));
  EXPECT_TRUE(fs::exists(dir_ / kEntriesFileName));
  EXPECT_TRUE(view_.messages.empty());
}

struct CalcCase : Row {
  Control option;
  std::string results;
  std::string today, due;  // the first lines of the elapsed and the due-date boxes' descriptions
  std::string remaining;   // Text7's
};

class Form1Calculate : public Form1Test, public testing::WithParamInterface<CalcCase> {};

TEST_P(Form1Calculate, WritesTheSevenFiguresAndKeepsTheEntries) {
  Form1 form(view_, Settings());
  form.Load();
  view_.Select(GetParam().option);
  form.Press(Control::Command4);
  EXPECT_EQ(Results(), GetParam().results);
  EXPECT_EQ(view_.Text(Control::Text2), "04");  // not rewritten
  auto& d = view_.descriptions;
  const auto firstLine = [&d](Control box) { return d[box].substr(0, d[box].find('\n')); };
  for (Control box : {Control::Text8, Control::Text9, Control::Text10}) EXPECT_EQ(firstLine(box), GetParam().due);
  for (Control box : {Control::Text11, Control::Text5, Control::Text6}) EXPECT_EQ(firstLine(box), GetParam().today);
  // Each elapsed box says what its own total counts.
  EXPECT_NE(d[Control::Text11].find("跨过的月份数"), std::string::npos);
  EXPECT_NE(d[Control::Text5].find("满7天的整周数"), std::string::npos);
  EXPECT_EQ(d[Control::Text7], GetParam().remaining);
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(Read(), "");  // nothing saved
}

INSTANTIATE_TEST_SUITE_P(Methods, Form1Calculate,
                         testing::Values(CalcCase{"last period", Control::Option1,
                                                  "2012 2 1 6 22 157 123 ", "今天：孕22周+3天，孕中期",
                                                  "预产期：2012年2月1日，星期三，农历壬辰年正月初十",
                                                  "距预产期（2012年2月1日，星期三）还有17周4天，共123天。"},
                                         CalcCase{"conception", Control::Option2,
                                                  "2012 2 5 5 21 153 127 ", "今天：孕21周+6天，孕中期",
                                                  "预产期：2012年2月5日，星期日，农历壬辰年正月十四",
                                                  "距预产期（2012年2月5日，星期日）还有18周1天，共127天。"}));

// What the boxes say, by the cycle and the day of the calculation.
TEST_F(Form1Test, DescriptionsReadTheResultAsAClinicDoes) {
  const struct {
    const char* cycle;
    CalendarDate today;
    Control box;
    std::vector<std::string> says;
    const char* saysNot;
  } cases[] = {
      {"35", {2011, 9, 24}, Control::Text6,
       {"今天：孕20周+3天，孕中期\n本框的天数：从末次月经第一天到今天的天数。\n"
        "按月经周期35天推算，上面的孕周比本框的天数少算7天，与预产期一致。"},
       "21～35"},
      {"28.5", {2011, 9, 24}, Control::Text6, {"今天：孕21周+3天，孕中期\n本框的天数：从末次月经第一天到今天的天数。"}, "\n按"},
      {"21", {2012, 2, 8}, Control::Text6, {"今天：孕42周+0天，孕晚期，过期妊娠。请尽快去医院", "多算7天"}, "不在"},
      {"21", {2012, 2, 1}, Control::Text5, {"今天：孕41周+0天，孕晚期，已足月。已满孕41周"}, "过期"},
      // A cycle unlikely to be one is questioned, not explained.
      {"", {2011, 9, 24}, Control::Text6, {"\n月经周期通常为21～35天，这次按0天计算，不在此范围内"}, "多算"},
      {"21", {2011, 9, 24}, Control::Text5,
       {"今天：孕22周+3天，孕中期\n本框的周数：", "\n上面的孕周已按月经周期调整，说明见本行的“天”框。"}, "多算"},
      {"28", {2011, 4, 26}, Control::Text6,
       {"今天不在孕期之内：今天早于孕期的第一天", "\n您输入的末次月经第一天在今天之后，请核对日期。"}, "推算"},
      // A longer cycle moves the first day past a last period already begun.
      {"35", {2011, 5, 1}, Control::Text6,
       {"今天早于孕期的第一天", "\n按月经周期35天推算，孕期的第一天比末次月经第一天晚7天，还在今天之后。"}, "核对"},
      // No weeks to adjust outside the pregnancy.
      {"35", {2012, 3, 20}, Control::Text6, {"今天不在孕期之内：今天已超过孕44周+0天"}, "推算"},
      {"28", {2012, 2, 1}, Control::Text7, {"今天就是预产期（2012年2月1日，星期三）。"}, "还有"},
      {"28", {2012, 2, 11}, Control::Text7, {"已超过预产期（2012年2月1日，星期三）10天。请按医生约定"}, "过期"},
      {"28", {2012, 2, 15}, Control::Text7, {"已超过预产期（2012年2月1日，星期三）14天，已是过期妊娠"}, "还有"},
      {"28", {2011, 10, 1}, Control::Text10,
       {"预产期：2012年2月1日，星期三，农历壬辰年正月初十\n这是估计的日期：", "\n各次产检的日期见预产期的“年”框。"},
       "孕6"},
      {"28", {2011, 10, 1}, Control::Text8,
       {"《孕前和孕期保健指南（2018）》", "\n第1次产检（孕6周+0天～13周+6天）：2011年6月8日～8月2日\n",
        "\nNT检查（孕11周+0天～13周+6天）：2011年7月13日～8月2日\n",
        "\n第3次产检（孕20周+0天～24周+6天）：2011年9月14日～10月18日\n",
        "\n第6次产检（孕33周+0天～36周+6天）：2011年12月14日～2012年1月10日\n",
        "\n第7～11次产检（孕37周+0天～41周+6天，每周1次）：2012年1月11日～2月14日"},
       "今天"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("cycle ") + c.cycle + " on " + std::to_string(c.today.month) + "/" +
                 std::to_string(c.today.day));
    FakeView view;
    Form1 form(view, Settings());
    today_ = c.today;
    view.SetText(Control::Text4, c.cycle);
    form.Calculate();
    ASSERT_TRUE(view.messages.empty());
    const std::string& text = view.descriptions[c.box];
    for (const std::string& part : c.says) EXPECT_NE(text.find(part), std::string::npos) << text;
    EXPECT_EQ(text.find(c.saysNot), std::string::npos) << text;
  }
}

TEST_F(Form1Test, CalculateReadsOnlyTheSelectedMethodsFieldsAndTodayAtThePress) {
  Form1 form(view_, Settings());
  view_.SetText(Control::Text14, "not a year");
  form.Calculate();
  EXPECT_EQ(Results(), "2012 2 1 6 22 157 123 ");
  view_.Select(Control::Option2);
  view_.SetText(Control::Text14, "2011");
  view_.SetText(Control::Text1, "garbage");
  view_.SetText(Control::Text4, "garbage");
  today_ = {2012, 2, 15};
  form.Calculate();
  EXPECT_EQ(Results(), "2012 2 5 9 41 290 -10 ");
}

struct BadDateCase : Row {
  Control option;
  Control field;
  std::string text;
  std::string mentions;
};

class Form1BadDate : public Form1Test, public testing::WithParamInterface<BadDateCase> {};

TEST_P(Form1BadDate, WarnsWhichDateAndChangesNoResult) {
  Form1 form(view_, Settings());
  form.Calculate();
  const auto described = view_.descriptions;
  for (const ResultField& field : kResultFields) view_.SetText(field.box, "old");
  view_.Select(GetParam().option);
  view_.SetText(GetParam().field, GetParam().text);
  view_.messages.clear();
  form.Calculate();
  EXPECT_EQ(Results(), "old old old old old old old ");
  EXPECT_EQ(view_.descriptions, described);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].icon, MessageIcon::Warning);
  EXPECT_NE(view_.messages[0].text.find(GetParam().mentions), std::string::npos)
      << view_.messages[0].text;
}

INSTANTIATE_TEST_SUITE_P(
    Dates, Form1BadDate,
    testing::Values(
        BadDateCase{"month 13", Control::Option1, Control::Text2, "13", "末次月经第一天日期不是有效的日期"},
        BadDateCase{"29 February 2011", Control::Option1, Control::Text3, "31", "末次月经第一天日期"},
        BadDateCase{"empty day", Control::Option2, Control::Text12, "", "排卵受精日期不是有效的日期"},
        BadDateCase{"year 99", Control::Option2, Control::Text14, "99", "排卵受精日期"},
        BadDateCase{"huge cycle", Control::Option1, Control::Text4, std::string(400, '9'),
                    "超出了可以计算的范围"},
        BadDateCase{"conception at the end of time", Control::Option2, Control::Text14, "9999",
                    "超出了可以计算的范围"}));

TEST_F(Form1Test, ExitSavesThe27ByteFileAndTheNextStartShowsItsNumbers) {
  {
    Form1 form(view_, Settings());
    form.Load();
    form.Press(Control::Command1);
    EXPECT_EQ(view_.ended, 1);
    EXPECT_TRUE(view_.messages.empty());
  }
  EXPECT_EQ(Read(), "2011,4,27,28\r\n2011,5,15,0\r\n");

  FakeView next;
  Form1 form(next, Settings());
  form.Load();
  EXPECT_EQ(next.Text(Control::Text2), "4");
  EXPECT_EQ(next.Text(Control::Text13), "5");
  EXPECT_EQ(next.Text(Control::Text1), "2011");
  EXPECT_EQ(next.selected, Control::Option1);
}

TEST_F(Form1Test, ExitRemembersTheSelectedMethodAndTheTypedEntries) {
  Form1 form(view_, Settings());
  view_.Select(Control::Option2);
  view_.SetText(Control::Text12, "２０");
  view_.SetText(Control::Text4, "30天");
  form.Exit();
  EXPECT_EQ(Read(), "2011,4,27,30\r\n2011,5,20,1\r\n");

  FakeView next;
  Form1 again(next, Settings());
  again.Load();
  EXPECT_EQ(next.selected, Control::Option2);
  EXPECT_EQ(next.Text(Control::Text12), "20");
  EXPECT_EQ(next.Text(Control::Text4), "30");
}

// Each entry box takes its own value from the file and gives it back to it,
// written out here rather than taken from the form's table.
TEST_F(Form1Test, EachEntryBoxLoadsAndSavesItsOwnValue) {
  const std::string saved = "1001,2,3,40\r\n1005,6,7,1\r\n";
  Write(saved);
  Form1 form(view_, Settings());
  form.Load();
  for (const auto& [box, text] : {std::pair{Control::Text1, "1001"}, {Control::Text2, "2"}, {Control::Text3, "3"},
                                  {Control::Text4, "40"}, {Control::Text14, "1005"}, {Control::Text13, "6"},
                                  {Control::Text12, "7"}})
    EXPECT_EQ(view_.Text(box), text) << ControlName(SpecOf(box));
  EXPECT_EQ(view_.selected, Control::Option2);
  form.Exit();
  EXPECT_EQ(Read(), saved);
}

TEST_F(Form1Test, AFailedSaveKeepsTheWindowOpenAndSaysWhereAndWhy) {
  FormSettings settings = Settings();
  settings.entriesFile = dir_ / "no such directory" / kEntriesFileName;
  Form1 form(view_, settings);
  view_.SetText(Control::Text1, "1999");
  form.Exit();
  EXPECT_EQ(view_.ended, 0);
  EXPECT_EQ(view_.Text(Control::Text1), "1999");
  ASSERT_EQ(view_.messages.size(), 1u);
  const std::string& text = view_.messages[0].text;
  EXPECT_NE(text.find("无法保存"), std::string::npos);
  EXPECT_NE(text.find(PathText(settings.entriesFile)), std::string::npos) << text;
  // The system's own text follows in brackets: its C library's, or Windows'.
  EXPECT_NE(text.find("原因：文件夹不存在（"), std::string::npos) << text;
  EXPECT_EQ(text.find("（）"), std::string::npos) << text;
}

// A working folder that will not keep the entries: they are read from the
// first place that has any and saved to the data folder, without a word.
TEST_F(Form1Test, AProtectedFolderKeepsTheEntriesInTheDataFolder) {
  const std::string data = "2001,1,1,30\r\n2001,1,15,0\r\n", own = "2002,2,2,31\r\n2002,2,16,0\r\n",
                    older = "2003,3,3,32\r\n2003,3,17,1\r\n", notes = "产检：B超\r\n";
  const struct {
    const char* what;
    std::string inData, inWorkingFolder, inVirtualStore;
    bool isProtected;
    std::string saved;  // then, with 1999 typed into Text1
  } cases[] = {
      {"nothing saved anywhere", "", "", "", true, "1999,4,27,28\r\n2011,5,15,0\r\n"},
      {"the data folder's entries first", data, own, older, true, "1999" + data.substr(4)},
      {"then the working folder's own", "", own, older, true, "1999" + own.substr(4)},
      // Past the working folder's empty file, which the start made here.
      {"then the copy Windows kept for an older program", "", "", older, true, "1999" + older.substr(4)},
      {"the user's own file in the data folder", notes, own, older, true, notes},
      {"a writable folder keeps its file", data, own, older, false, "1999" + own.substr(4)},
  };
  fs::create_directories(dir_ / "a folder, passed over");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path working = dir_ / c.what / kEntriesFileName, dataFile = dir_ / c.what / "data" / kEntriesFileName,
                   copy = dir_ / c.what / "VirtualStore" / kEntriesFileName;
    fs::create_directories(working.parent_path());
    for (const auto& [file, bytes] : {std::pair{working, c.inWorkingFolder}, {dataFile, c.inData}, {copy, c.inVirtualStore}}) {
      if (bytes.empty()) continue;  // the data folder is then made on saving
      fs::create_directories(file.parent_path());
      std::ofstream(file, std::ios::binary) << bytes;
    }
    FormSettings settings = Settings();
    settings.entriesFile = working;
    settings.protectedFolder = [&](const fs::path& file, const std::error_code&) -> std::optional<EntriesElsewhere> {
      EXPECT_EQ(file, working);
      if (!c.isProtected) return std::nullopt;
      return EntriesElsewhere{dataFile, {dataFile, working, dir_ / "a folder, passed over", copy}};
    };
    FakeView view;
    Form1 form(view, settings);
    form.Load();
    view.SetText(Control::Text1, "1999");
    form.Press(Control::Command1);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.questions.size(), c.saved == notes ? 1u : 0u);  // and the answer is no
    EXPECT_EQ(testing_support::FileBytes(c.isProtected ? dataFile : working), c.saved);
    if (c.isProtected) {
      EXPECT_EQ(testing_support::FileBytes(working), c.inWorkingFolder);
    }
  }
}

TEST_F(Form1Test, AnUnreadableOrIncompleteFileIsIgnoredQuietlyAtStart) {
  std::ofstream(dir_ / kEntriesFileName, std::ios::binary) << "1999,1,1,30\r\n";
  Form1 form(view_, Settings());
  form.Load();
  EXPECT_EQ(view_.Text(Control::Text1), "2011");
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(Read(), "1999,1,1,30\r\n");
}

// What stands in "time.txt" at 退出, and whether the user is asked first.
TEST_F(Form1Test, ExitReplacesSavedEntriesButAsksBeforeReplacingTheUsersOwnFile) {
  const struct {
    const char* what;
    std::string bytes;
    bool asks;  // the file holds no saved entries: the user's own
  } cases[] = {
      {"notes", "Remember: scan on the 12th.\nAsk about iron.\n", true},
      {"a timesheet", "date,hours\r\n2026-11-02,7.5\r\n2026-11-03,8\r\n", true},
      {"a short shopping list", "牛奶\n鸡蛋\n", true},
      {"hours worked, a number a line", "8.5\n7.25\n6\n", true},
      {"a lone number, as an editor leaves it", "8.5", true},
      {"eight numbers, then words", "0,0,0,0\r\n0,0,0,0\r\nnotes\r\n", true},
      {"saved entries", "2000,1,1,30\r\n2000,1,15,1\r\n", false},
      {"a save cut short", "2000,1,1,30\r\n20", false},
      {"an empty file", "", false},
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path file = dir_ / std::to_string(++row) / kEntriesFileName;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << c.bytes;
    const auto bytes = [&file] { return testing_support::FileBytes(file); };
    FormSettings settings = Settings();
    settings.entriesFile = file;
    FakeView view;
    Form1 form(view, settings);
    form.Load();
    if (c.asks) {
      // At start the user's file leaves the initial entries in place.
      EXPECT_EQ(view.Text(Control::Text2), "04");
      EXPECT_EQ(view.Text(Control::Text13), "05");
    }
    view.SetText(Control::Text1, "2026");

    // The default answer: nothing replaced, nothing lost, the window stays.
    form.Press(Control::Command1);
    if (!c.asks) {
      EXPECT_TRUE(view.questions.empty());
      EXPECT_EQ(view.ended, 1);
      EXPECT_EQ(bytes().substr(0, 5), "2026,");
      continue;
    }
    ASSERT_EQ(view.questions.size(), 1u);
    const std::string& question = view.questions[0].text;
    EXPECT_NE(question.find(PathText(fs::absolute(file))), std::string::npos) << question;
    EXPECT_NE(question.find("原有的内容将会丢失"), std::string::npos) << question;
    EXPECT_EQ(view.questions[0].title, kMessageTitle);
    EXPECT_EQ(view.ended, 0);
    EXPECT_EQ(bytes(), c.bytes);
    EXPECT_EQ(view.Text(Control::Text1), "2026");
    EXPECT_TRUE(view.messages.empty());

    // Only an explicit yes replaces it.
    view.confirms = true;
    form.Press(Control::Command1);
    EXPECT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(view.ended, 1);
    EXPECT_EQ(bytes(), "2026,4,27,28\r\n2011,5,15,0\r\n");
  }
}

TEST_F(Form1Test, ExitWithoutAFileSavesWithoutAsking) {
  Form1 form(view_, Settings());
  form.Exit();
  EXPECT_TRUE(view_.questions.empty());
  EXPECT_EQ(view_.ended, 1);
  EXPECT_EQ(Read(), "2011,4,27,28\r\n2011,5,15,0\r\n");
}

// The reason a save failed, for each error a save can meet: Chinese first,
// the system's own text in brackets.
TEST_F(Form1Test, ASaveFailureGivesItsReasonInChineseWithTheSystemsTextInBrackets) {
  const struct {
    std::error_code error;
    const char* reason;
  } cases[] = {
      {std::make_error_code(std::errc::permission_denied), "没有读写这个文件或文件夹的权限"},
      {std::make_error_code(std::errc::read_only_file_system), "磁盘是只读的"},
      {std::make_error_code(std::errc::no_space_on_device), "磁盘已满"},
      {std::make_error_code(std::errc::io_error), "读写磁盘或网络时出错"},
      {std::make_error_code(std::errc::filename_too_long), "文件的路径太长"},
      {std::make_error_code(std::errc::too_many_files_open), "打开的文件太多"},
      {std::make_error_code(std::errc::too_many_files_open_in_system), "打开的文件太多"},
      {std::make_error_code(std::errc::text_file_busy), "正被另一个程序"},
      {std::make_error_code(std::errc::is_a_directory), "已有一个同名的文件夹"},
      {std::make_error_code(std::errc::no_such_file_or_directory), "文件夹不存在"},
      {std::make_error_code(std::errc::file_too_large), "这么大的文件"},
#ifdef EDQUOT
      {std::error_code(EDQUOT, std::generic_category()), "配额"},
#endif
#ifdef _WIN32
      // Told apart by the Windows error: a file held open is no denial.
      {std::error_code(ERROR_SHARING_VIOLATION, WindowsErrors()), "正被另一个程序"},
      {std::error_code(ERROR_LOCK_VIOLATION, WindowsErrors()), "正被另一个程序"},
      {std::error_code(ERROR_UNABLE_TO_REMOVE_REPLACED, WindowsErrors()), "正被另一个程序"},
      {std::error_code(ERROR_ACCESS_DENIED, WindowsErrors()), "没有读写这个文件或文件夹的权限"},
      {std::error_code(ERROR_DISK_QUOTA_EXCEEDED, WindowsErrors()), "配额"},
      {std::error_code(ERROR_HANDLE_DISK_FULL, WindowsErrors()), "磁盘已满"},
      {std::error_code(ERROR_WRITE_PROTECT, WindowsErrors()), "磁盘是只读的"},
      {std::error_code(ERROR_PATH_NOT_FOUND, WindowsErrors()), "文件夹不存在"},
      {std::error_code(ERROR_FILENAME_EXCED_RANGE, WindowsErrors()), "文件的路径太长"},
      {std::error_code(ERROR_TOO_MANY_OPEN_FILES, WindowsErrors()), "打开的文件太多"},
      {std::error_code(ERROR_CRC, WindowsErrors()), "读写磁盘或网络时出错"},
#endif
      {std::make_error_code(std::errc::connection_reset), "保存时出错"},
  };
  for (const auto& c : cases) {
    const std::string text = ReasonText(EntriesFailure{EntriesFailure::Unreadable, c.error, "time.txt"});
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_NE(text.find("（" + c.error.message() + "）"), std::string::npos) << text;
    EXPECT_EQ(text.find("权限") != std::string::npos, c.error == std::errc::permission_denied) << text;
  }
}

TEST_F(Form1Test, AboutShowsTheNoticeAndChangesNothing) {
  Form1 form(view_, Settings());
  const auto before = view_.texts;
  form.Press(Control::Command2);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(view_.messages[0].title, "关于预产期计算器");
  EXPECT_EQ(view_.messages[0].text,
            "预产期计算器，Tavoren软件，TAB键在文本框之间切换。\r\n"
            "             ------Tavoren软件QQ20110427。");
  EXPECT_EQ(view_.texts, before);
  EXPECT_EQ(view_.ended, 0);
}

TEST_F(Form1Test, InstructionsOpenTheFirstFileThatExists) {
  Form1 form(view_, Settings());
  fs::create_directories(dir_ / "share");
  std::ofstream(dir_ / "share" / kInstructionsFileName) << "说明";
  form.Press(Control::Command3);
  ASSERT_EQ(view_.opened.size(), 1u);
  EXPECT_EQ(view_.opened[0], dir_ / "share" / kInstructionsFileName);
  EXPECT_TRUE(view_.messages.empty());

  fs::create_directories(dir_ / "bin");
  std::ofstream(dir_ / "bin" / kInstructionsFileName) << "说明";
  form.ShowInstructions();
  EXPECT_EQ(view_.opened.back(), dir_ / "bin" / kInstructionsFileName);
}

TEST_F(Form1Test, InstructionsThatCannotBeShownAreReportedWithThePath) {
  Form1 form(view_, Settings());
  for (OpenResult result : {OpenResult::FileMissing, OpenResult::CannotStart}) {
    view_.messages.clear();
    view_.openResult = result;
    form.ShowInstructions();
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(PathText(dir_ / "bin" / kInstructionsFileName)),
              std::string::npos);
    EXPECT_NE(view_.messages[0].text.find(result == OpenResult::FileMissing ? "找不到" : "无法打开"),
              std::string::npos);
  }
}

#ifdef _WIN32
TEST_F(Form1Test, APathWithALoneSurrogateIsShownNotThrownOn) {
  const std::wstring name = std::wstring(L"C:\\笔记") + wchar_t(0xD800) + L"\\time.txt";
  EXPECT_EQ(PathText(std::filesystem::path(name)), "C:\\笔记\xEF\xBF\xBD\\time.txt");
  EXPECT_EQ(PathText(std::filesystem::path(L"C:\\\xD83D\xDE00")), "C:\\\xF0\x9F\x98\x80");
}
#endif

}  // namespace
}  // namespace duedate
