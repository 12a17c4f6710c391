#include "window/form1.h"

#include <system_error>

#include "entries/file_system.h"
#include "window/descriptions.h"

namespace duedate {

namespace {

const char* FieldName(DateField field) {
  return field == DateField::LastPeriod ? "末次月经第一天日期" : "排卵受精日期";
}

}  // namespace

std::string AboutText() {
  return std::string("预产期计算器，Tavoren软件，TAB键在文本框之间切换。") + "\r\n" +
         std::string(13, ' ') + "------" + "Tavoren软件" + "QQ" + kMakerAccount + "。";
}

std::string DateFailureText(const DueDateFailure& failure) {
  const std::string field = FieldName(failure.field);
  if (failure.fault == DateFault::InvalidDate) {
    return field + "不是有效的日期。\n请检查：年为四位数字（1000～9999），月为1～12，"
                   "日不超过该月的天数。";
  }
  if (failure.field == DateField::LastPeriod) {
    return "由末次月经第一天日期和月经周期算出的日期超出了可以计算的范围（公元1年～9999年）。\n"
           "请检查末次月经第一天日期和月经周期的天数。";
  }
  return "由排卵受精日期算出的日期超出了可以计算的范围（公元1年～9999年）。\n请检查排卵受精日期。";
}

std::string ReasonText(const EntriesFailure& failure) {
  return ProblemText(failure.error, failure.Reason(), "保存时出错");
}

std::string ProblemText(const std::error_code& error, const std::string& system,
                        const char* otherwise) {
  const char* reason = otherwise;
  switch (ProblemOf(error)) {
    case FileProblem::InUse:
      reason = "文件正被另一个程序（例如编辑器、同步软件或杀毒软件）使用，请关闭那个程序或稍等片刻";
      break;
    case FileProblem::Denied: reason = "没有读写这个文件或文件夹的权限"; break;
    case FileProblem::ReadOnlyDisk: reason = "磁盘是只读的"; break;
    case FileProblem::DiskFull: reason = "磁盘已满"; break;
    case FileProblem::QuotaExceeded: reason = "超出了您在这个磁盘上的空间配额"; break;
    case FileProblem::NoFolder: reason = "文件夹不存在"; break;
    case FileProblem::IsFolder: reason = "已有一个同名的文件夹"; break;
    case FileProblem::NotAFile: reason = "同名的不是普通文件"; break;
    case FileProblem::InputOutput: reason = "读写磁盘或网络时出错"; break;
    case FileProblem::NameTooLong: reason = "文件的路径太长"; break;
    case FileProblem::TooManyOpen: reason = "系统或程序打开的文件太多"; break;
    case FileProblem::TooLarge: reason = "系统不允许本程序写入这么大的文件"; break;
    case FileProblem::Other: break;
  }
  return std::string(reason) + "（" + system + "）";
}

namespace {

std::string FullPathText(const std::filesystem::path& path) {
  std::error_code ignored;
  const std::filesystem::path full = std::filesystem::absolute(path, ignored);
  return PathText(full.empty() ? path : full);
}

}  // namespace

std::string ReplaceQuestionText(const std::filesystem::path& file) {
  return "文件：" + FullPathText(file) +
         "\n这个文件里不是本程序保存的日期，可能是您自己的文件。\n"
         "如果保存，它原有的内容将会丢失，无法恢复。\n\n"
         "要用您输入的日期替换这个文件吗？\n（不替换时，程序不退出，文件保持原样。）";
}

std::string SaveFailureText(const EntriesFailure& failure) {
  return "无法保存您输入的日期。\n文件：" + FullPathText(failure.path) +
         "\n原因：" + ReasonText(failure) +
         "\n\n程序没有退出，您输入的内容都还在。请解决问题后再按“退出”，或直接关闭窗口（不保存）。";
}

std::string InstructionsFailureText(OpenResult result, const std::filesystem::path& file) {
  if (result == OpenResult::FileMissing) return "找不到说明文件：\n" + PathText(file);
  return "无法打开说明文件：\n" + PathText(file) + "\n没有找到可以打开文本文件的程序。";
}

Form1::Form1(FormView& view, FormSettings settings) : view_(view), settings_(std::move(settings)) {}

namespace {

// The entries kept elsewhere: from the first copy that holds anything and
// can be read; nothing saved where there is none. Of the copies only read,
// one that cannot be read is passed over; the file saved to, when there but
// unreadable, gives its failure, so that nothing older is shown and then
// saved over it.
Result<SavedEntries, EntriesFailure> LoadElsewhere(const EntriesElsewhere& elsewhere) {
  for (const auto& copy : elsewhere.copies) {
    auto read = ReadEntriesFile(copy);
    if (read) return read;
    const EntriesFailure& failure = read.error();
    const bool passedOver =
        failure.kind == EntriesFailure::NothingSaved ||
        (failure.kind == EntriesFailure::Unreadable &&
         (copy != elsewhere.file || failure.error == std::errc::no_such_file_or_directory));
    if (!passedOver) return read;
  }
  return Fail(EntriesFailure{EntriesFailure::NothingSaved, {}, elsewhere.file});
}

}  // namespace

void Form1::Load() {
  view_.SetDescription(Control::Text4, kCycleDescription);
  auto loaded = LoadEntries(settings_.entriesFile);
  if (settings_.protectedFolder) {
    const std::error_code met =
        !loaded && loaded.error().kind == EntriesFailure::Unreadable ? loaded.error().error : std::error_code{};
    if (const auto elsewhere = settings_.protectedFolder(settings_.entriesFile, met)) {
      settings_.entriesFile = elsewhere->file;
      makeEntriesFolder_ = true;
      loaded = LoadElsewhere(*elsewhere);
    }
  }
  if (!loaded) return;  // the initial entries stay
  for (const EntryField& field : kEntryFields) view_.SetText(field.box, (*loaded).*field.text);
  view_.Select(loaded->method == CalcMethod::FromLastPeriod ? Control::Option1 : Control::Option2);
}

void Form1::Press(Control button) {
  if (ended_) return;
  // Nothing an action meets may escape into the toolkit's event loop. The
  // library's own text for it (std::bad_alloc, map::at) would tell the user
  // nothing, in English.
  try {
    Run(button);
  } catch (...) {
    view_.ShowMessage(MessageIcon::Warning, kMessageTitle, kInternalErrorText);
  }
}

void Form1::Run(Control button) {
  switch (button) {
    case Control::Command1: Exit(); break;
    case Control::Command2: ShowAbout(); break;
    case Control::Command3: ShowInstructions(); break;
    case Control::Command4: Calculate(); break;
    default: break;
  }
}

CalcMethod Form1::SelectedMethod() const {
  return view_.IsSelected(Control::Option1) ? CalcMethod::FromLastPeriod
                                            : CalcMethod::FromConception;
}

void Form1::Calculate() {
  DueDateInput input;
  input.method = SelectedMethod();
  if (input.method == CalcMethod::FromLastPeriod) {
    input.lastPeriodYear = view_.Text(Control::Text1);
    input.lastPeriodMonth = view_.Text(Control::Text2);
    input.lastPeriodDay = view_.Text(Control::Text3);
    input.cycleLength = view_.Text(Control::Text4);
  } else {
    input.conceptionYear = view_.Text(Control::Text14);
    input.conceptionMonth = view_.Text(Control::Text13);
    input.conceptionDay = view_.Text(Control::Text12);
  }
  input.today = settings_.today();

  const auto result = CalculateDueDate(input);
  if (!result) {
    view_.ShowMessage(MessageIcon::Warning, kMessageTitle, DateFailureText(result.error()));
    return;
  }
  for (const ResultField& field : kResultFields) view_.SetText(field.box, NumberText((*result).*field.figure));
  for (const BoxDescription& d : ResultDescriptions(input, *result)) view_.SetDescription(d.box, d.text);
}

void Form1::Exit() {
  SavedEntries e;
  for (const EntryField& field : kEntryFields) e.*field.text = view_.Text(field.box);
  e.method = SelectedMethod();

  // A file of the user's own that happens to bear the name is replaced only
  // when the user says so; saved entries, even damaged ones, are replaced.
  // A file that cannot be read now cannot be told apart, so it is not
  // replaced either: the user hears why.
  const auto current = ReadEntriesFile(settings_.entriesFile);
  if (!current) {
    const EntriesFailure& failure = current.error();
    if (failure.kind == EntriesFailure::Unreadable &&
        failure.error != std::errc::no_such_file_or_directory) {
      view_.ShowMessage(MessageIcon::Warning, kMessageTitle, SaveFailureText(failure));
      return;
    }
    if (failure.kind == EntriesFailure::NotEntries &&
        !view_.Confirm(kMessageTitle, ReplaceQuestionText(settings_.entriesFile))) {
      return;
    }
  }

  if (makeEntriesFolder_) {
    // A folder that cannot be made is reported by the save, with its reason.
    std::error_code ignored;
    std::filesystem::create_directories(settings_.entriesFile.parent_path(), ignored);
  }
  const auto saved = SaveEntries(settings_.entriesFile, e);
  if (!saved) {
    view_.ShowMessage(MessageIcon::Warning, kMessageTitle, SaveFailureText(saved.error()));
    return;
  }
  ended_ = true;
  view_.EndProgram();
}

void Form1::ShowAbout() { view_.ShowMessage(MessageIcon::Information, kAboutTitle, AboutText()); }

void Form1::ShowInstructions() {
  if (settings_.instructionFiles.empty()) return;
  std::filesystem::path file = settings_.instructionFiles.front();
  for (const auto& candidate : settings_.instructionFiles) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored)) {
      file = candidate;
      break;
    }
  }
  const OpenResult result = view_.OpenInTextEditor(file);
  if (result != OpenResult::Opened)
    view_.ShowMessage(MessageIcon::Warning, kMessageTitle, InstructionsFailureText(result, file));
}

}  // namespace duedate
