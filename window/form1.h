// What the window does: start-up, calculate, exit, About and instructions,
// written once against FormView so that every front end (and the tests)
// shares them. The window's controls hold all of the program's state; these
// actions read and write them and keep nothing of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "calc/calendar.h"
#include "calc/due_date.h"
#include "entries/saved_entries.h"
#include "window/form_layout.h"

namespace duedate {

enum class MessageIcon { Information, Warning };

// How an attempt to show the instructions file went.
enum class OpenResult { Opened, FileMissing, CannotStart };

// The window as the actions see it. Texts are UTF-8.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual std::string Text(Control control) const = 0;
  virtual void SetText(Control control, const std::string& text) = 0;
  // What a box says when the pointer rests on it, and what a screen reader
  // reads as its description; several lines joined by "\n".
  virtual void SetDescription(Control control, const std::string& text) = 0;
  virtual bool IsSelected(Control option) const = 0;
  // Selects Option1 or Option2, clearing the other.
  virtual void Select(Control option) = 0;
  // A modal message box owned by the window, with an OK button.
  virtual void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) = 0;
  // A modal warning that asks whether to go on with something that cannot
  // be undone. True only when the user chose to go on: the default answer
  // (Enter, Esc, closing the box) is no.
  virtual bool Confirm(const std::string& title, const std::string& question) = 0;
  // Opens `file` in the system's text editor without waiting for it.
  virtual OpenResult OpenInTextEditor(const std::filesystem::path& file) = 0;
  // Closes the window and ends the program at once.
  virtual void EndProgram() = 0;
};

// Where the entries are kept when the working folder will not keep them (a
// program folder the user may not write, a read-only medium).
struct EntriesElsewhere {
  // Saved to on leaving; its folder is made when the entries are first
  // saved.
  std::filesystem::path file;
  // Read in turn at start, the newest first (`file` among them): the first
  // that holds anything is shown. One that is absent, empty or cannot be
  // read is passed over.
  std::vector<std::filesystem::path> copies;
};

struct FormSettings {
  // The saved entries, relative to the working directory.
  std::filesystem::path entriesFile = kEntriesFileName;
  // Asked once at start, after loading `entriesFile`, with what loading it
  // met (no error where it was read, or created empty): where the entries
  // go instead when its folder is protected; nothing where they stay.
  // Unset, they stay whatever loading met.
  std::function<std::optional<EntriesElsewhere>(const std::filesystem::path& file,
                                                const std::error_code& loading)>
      protectedFolder;
  // Where the instructions may be, the first that exists is opened.
  std::vector<std::filesystem::path> instructionFiles;
  // Today's date, read at each press of 计算.
  std::function<CalendarDate()> today = Today;
};

inline constexpr const char* kInstructionsFileName = "详细说明.txt";
inline constexpr const char* kAboutTitle = "关于预产期计算器";
inline constexpr const char* kMessageTitle = "预产期计算器";
// The answers to the question before a file of the user's own is replaced.
inline constexpr const char* kReplaceAnswer = "替换文件";
inline constexpr const char* kKeepAnswer = "保留文件，不退出";
// What the user is told when an action met an error the program did not
// foresee; the window stays, with everything typed in it.
inline constexpr const char* kInternalErrorText = "程序内部出错，这次操作没有完成。您输入的内容都还在。";
// The maker's instant-messaging account, shown in the About notice.
inline constexpr const char* kMakerAccount = "20110427";

// The two lines of the About notice, joined by CR LF.
std::string AboutText();

// What the user is told when a calculation stops at a date.
std::string DateFailureText(const DueDateFailure& failure);
// … and when the entries cannot be saved on leaving.
std::string SaveFailureText(const EntriesFailure& failure);
// … and what is asked before a file that holds no saved entries is replaced.
std::string ReplaceQuestionText(const std::filesystem::path& file);
// The reason a save failed, in Chinese, with the system's own text in brackets.
std::string ReasonText(const EntriesFailure& failure);
// … and of any failed file operation: the reason for `error` in Chinese, or
// `otherwise` where there is no better one, then `system` in brackets.
std::string ProblemText(const std::error_code& error, const std::string& system,
                        const char* otherwise);
// … and when the instructions cannot be shown.
std::string InstructionsFailureText(OpenResult result, const std::filesystem::path& file);

// The seven entry boxes, each with the field of the saved entries it is
// kept in, in the order of the saved entries.
struct EntryField {
  Control box;
  std::string SavedEntries::*text;
};
inline constexpr EntryField kEntryFields[] = {
    {Control::Text1, &SavedEntries::lastPeriodYear},  {Control::Text2, &SavedEntries::lastPeriodMonth},
    {Control::Text3, &SavedEntries::lastPeriodDay},   {Control::Text4, &SavedEntries::cycleLength},
    {Control::Text14, &SavedEntries::conceptionYear}, {Control::Text13, &SavedEntries::conceptionMonth},
    {Control::Text12, &SavedEntries::conceptionDay}};

// The seven result boxes, each with the figure of the result it shows, in
// the order they are written.
struct ResultField {
  Control box;
  std::int32_t DueDateResult::*figure;
};
inline constexpr ResultField kResultFields[] = {
    {Control::Text8, &DueDateResult::dueYear},         {Control::Text9, &DueDateResult::dueMonth},
    {Control::Text10, &DueDateResult::dueDay},         {Control::Text11, &DueDateResult::monthsElapsed},
    {Control::Text5, &DueDateResult::weeksElapsed},    {Control::Text6, &DueDateResult::daysElapsed},
    {Control::Text7, &DueDateResult::daysRemaining}};

class Form1 {
 public:
  Form1(FormView& view, FormSettings settings);

  // Before the window is first shown: Text4 is described, and the saved
  // entries, if any, replace the initial ones. Nothing is said when there
  // are none or they cannot be read. Where the working folder is protected,
  // the entries are kept elsewhere from then on, without a word: nothing
  // failed for the user.
  void Load();
  // Routes a press of Command1 to Command4 to its action; after 退出 has
  // ended the program, nothing. An error an action meets is shown, not
  // thrown on.
  void Press(Control button);
  // Whether 退出 has ended the program.
  bool Ended() const { return ended_; }

  void Calculate();         // 计算
  // 退出: save, then end. The window stays open when saving fails, and when
  // "time.txt" is a file of the user's own that the user would not have
  // replaced.
  void Exit();
  void ShowAbout();         // 关于
  void ShowInstructions();  // 说明

 private:
  CalcMethod SelectedMethod() const;

  void Run(Control button);

  FormView& view_;
  FormSettings settings_;
  bool makeEntriesFolder_ = false;  // the entries are kept elsewhere, in a folder made on saving
  bool ended_ = false;
};

}  // namespace duedate
