#include "window/win32/task_dialog.h"

#include <commctrl.h>

#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"

namespace duedate::win32 {
namespace {

constexpr int kYes = 1001;
constexpr int kNo = 1002;

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up, not imported: comctl32 is taken, through the manifest, from
// Windows' side-by-side store, and only Common Controls 6 has task dialogs.
TaskDialogIndirectFunction TaskDialogs() {
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  if (controls == nullptr) controls = LoadSystemDll(L"comctl32.dll");
  return SystemFunction<TaskDialogIndirectFunction>(controls, "TaskDialogIndirect");
}

}  // namespace

std::optional<bool> AskWithNamedAnswers(HWND owner, const std::wstring& title,
                                        const std::wstring& question, const std::wstring& yes,
                                        const std::wstring& no) {
  const TaskDialogIndirectFunction taskDialog = TaskDialogs();
  if (taskDialog == nullptr) return std::nullopt;
  const TASKDIALOG_BUTTON buttons[] = {{kYes, yes.c_str()}, {kNo, no.c_str()}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = question.c_str();
  config.cButtons = 2;
  config.pButtons = buttons;
  config.nDefaultButton = kNo;
  int answer = 0;
  if (FAILED(taskDialog(&config, &answer, nullptr, nullptr))) return std::nullopt;
  return answer == kYes;
}

}  // namespace duedate::win32
