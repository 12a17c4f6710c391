// The one place where the program's UTF-8 texts meet Windows' UTF-16: names,
// the system's messages and the window's texts. Built for Windows only.
#pragma once

#include <string>

namespace duedate {

std::wstring Wide(const std::string& utf8);
// A lone surrogate, which Windows allows in names, becomes U+FFFD.
std::string Utf8(const std::wstring& wide);

}  // namespace duedate
