// 预产期计算器 for 32-bit Windows.
#include "entries/windows_text.h"
#include "window/win32/accessible_name.h"
#include "window/win32/entries_place.h"
#include "window/win32/form1_window.h"
#include "window/win32/system_folder.h"
#include "window/win32/temporary_folder.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  using namespace duedate;
  win32::LoadDllsFromSystemFolderOnly();
  const std::wstring programDirectory = win32::RunningProgramDirectory();
  FormSettings settings;
  settings.instructionFiles = {std::filesystem::path(programDirectory + L"\\" + Wide(kInstructionsFileName))};
  settings.protectedFolder = win32::EntriesElsewhereIfProtected;

  win32::Form1Window window(instance, std::move(settings));
  if (!window.Create()) return 1;
  window.Load();
  window.Show(showCommand);
  if (const auto temporary = win32::FolderInTemporaryFolder(programDirectory))
    window.ShowMessage(MessageIcon::Warning, kMessageTitle, win32::TemporaryFolderWarning(*temporary));

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window.Handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  win32::EndScreenReaderSupport();  // OLE, if a screen reader started it
  return static_cast<int>(message.wParam);
}
