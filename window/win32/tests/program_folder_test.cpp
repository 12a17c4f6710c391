#include "window/win32/program_folder.h"

#include <gtest/gtest.h>

namespace duedate::win32 {
namespace {

struct NotepadCase {
  std::wstring program, directory, commandLine;
};

TEST(NotepadCommand, QuotesTheInstructionsPathBesideTheProgram) {
  for (const NotepadCase& c : {
           NotepadCase{L"C:\\Tools\\yuchanqi.exe", L"C:\\Tools", L"notepad.exe \"C:\\Tools\\详细说明.txt\""},
           NotepadCase{L"C:\\My Tools\\预产期\\yuchanqi.exe", L"C:\\My Tools\\预产期",
                       L"notepad.exe \"C:\\My Tools\\预产期\\详细说明.txt\""},
           NotepadCase{L"C:\\yuchanqi.exe", L"C:", L"notepad.exe \"C:\\详细说明.txt\""},
           NotepadCase{L"\\\\server\\share\\yuchanqi.exe", L"\\\\server\\share",
                       L"notepad.exe \"\\\\server\\share\\详细说明.txt\""}}) {
    EXPECT_TRUE(ProgramDirectory(c.program) == c.directory);
    EXPECT_TRUE(NotepadCommandLine(ProgramDirectory(c.program) + L"\\详细说明.txt") == c.commandLine);
  }
}

}  // namespace
}  // namespace duedate::win32
