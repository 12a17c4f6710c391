#include "window/win32/program_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

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

// The folders the entries go to when the working folder is protected, and
// where Windows kept an older program's writes.
TEST(EntriesElsewhere, TheDataFolderAndTheVirtualStoreCopy) {
  const std::wstring local = L"C:\\Users\\李\\AppData\\Local";
  int row = 0;
  for (const auto& [appData, file, dataFile, copy] : {
           std::tuple<std::wstring, std::wstring, std::wstring, std::wstring>{
               L"C:\\Users\\李\\AppData\\Roaming", L"C:\\Program Files (x86)\\预产期\\time.txt",
               L"C:\\Users\\李\\AppData\\Roaming\\Tavoren\\预产期计算器\\time.txt",
               L"C:\\Users\\李\\AppData\\Local\\VirtualStore\\Program Files (x86)\\预产期\\time.txt"},
           {L"D:\\Roaming\\", L"e:\\time.txt", L"D:\\Roaming\\Tavoren\\预产期计算器\\time.txt",
            L"C:\\Users\\李\\AppData\\Local\\VirtualStore\\time.txt"},
           {L"\\\\server\\home\\Roaming", L"\\\\server\\share\\time.txt",
            L"\\\\server\\home\\Roaming\\Tavoren\\预产期计算器\\time.txt", L""},
           {L"", L"C:time.txt", L"", L""},
           {L"Roaming", L"\\time.txt", L"", L""},
           {L"C:", L"C:\\\\time.txt", L"", L""}}) {
    ++row;
    EXPECT_TRUE(DataFolderEntriesFile(appData) == dataFile) << "APPDATA of row " << row;
    EXPECT_TRUE(VirtualStoreCopy(local, file) == copy) << "file of row " << row;
  }
  EXPECT_TRUE(VirtualStoreCopy(L"", L"C:\\Tools\\time.txt").empty());
}

// Of the data folder's file, the folder's own and the VirtualStore copy, in
// that order: the one written last is read first, an empty one never; then
// whether a refusal to write means a protected folder, the volume asked only
// for a file marked read-only.
TEST(EntriesElsewhere, TheCopyWrittenLastFirstAndAReadOnlyVolume) {
  using Files = std::vector<std::wstring>;
  for (const auto& [data, own, store, ownSize, order] : {
           std::tuple<std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t, Files>{
               10, 20, 30, 27, {L"store", L"own", L"data"}},
           {10, 30, 20, 27, {L"own", L"store", L"data"}},
           {20, 20, 20, 27, {L"data", L"own", L"store"}},
           {10, 30, 20, 0, {L"store", L"data"}}})
    EXPECT_EQ(NewestFirst({{L"data", 27, data}, {L"own", ownSize, own}, {L"store", 27, store}}), order) << data << own;
  for (const auto& [refusal, readOnly, volumeReadOnly, protects, asked] : {
           std::tuple{WriteRefusal::WriteProtected, true, false, true, false},
           {WriteRefusal::AccessDenied, false, false, true, false},  // a folder of Program Files
           {WriteRefusal::AccessDenied, true, false, false, true},   // made read-only by the user
           {WriteRefusal::AccessDenied, true, true, true, true},     // on a CD or DVD
           {WriteRefusal::Other, true, true, false, false}}) {       // held by another program
    bool volumeAsked = false;
    EXPECT_EQ(RefusalProtects(refusal, false, readOnly, [&, v = volumeReadOnly] { return volumeAsked = true, v; }),
              protects);
    EXPECT_EQ(volumeAsked, asked);
  }
}

}  // namespace
}  // namespace duedate::win32
