// A test in a fresh folder of its own, and the files the tests look at.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "entries/saved_entries.h"

namespace duedate::testing_support {

// The bytes of `file`; nothing where it cannot be read.
inline std::string FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A test with a folder of its own, `dir_`, named after the test and removed
// afterwards with all in it, whatever permissions the test left on it;
// `file_` is "time.txt" there.
class FolderTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("yuchanqi-") + test.test_suite_name() + "-" + test.name() + "-" +
                       std::to_string(std::random_device{}());
    std::replace(name.begin(), name.end(), '/', '-');  // the names of a table's tests hold slashes
    dir_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(dir_);
    file_ = dir_ / kEntriesFileName;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  void Write(const std::string& bytes) const { std::ofstream(file_, std::ios::binary) << bytes; }
  std::string Read() const { return FileBytes(file_); }
  // Files in the folder other than time.txt (temporary files left behind).
  int Strays() const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      if (entry.path().filename() != kEntriesFileName) ++n;
    return n;
  }

  std::filesystem::path dir_;
  std::filesystem::path file_;
};

}  // namespace duedate::testing_support
