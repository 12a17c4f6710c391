// The one place where the program's UTF-8 texts meet Windows' UTF-16.
#pragma once

#include <string>

namespace duedate::win32 {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

}  // namespace duedate::win32
