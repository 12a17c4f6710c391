// What only the Windows build of the file layer has.
#pragma once

#include <system_error>

namespace duedate {

// Windows' own error numbers (GetLastError), which the file operations give
// on Windows, with the system's text for each.
const std::error_category& WindowsErrors();

}  // namespace duedate
