// A question whose buttons name its answers, as Windows' guidelines ask,
// in a task dialog of Common Controls 6.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace duedate::win32 {

// Asks `question`, modal to `owner`, with a warning icon and two buttons,
// `yes` and `no`; `no` is the default, and Esc and the close box answer it
// too. True only for `yes`. Nothing where this Windows has no task dialogs
// (Common Controls 6 is missing), and the caller asks otherwise.
std::optional<bool> AskWithNamedAnswers(HWND owner, const std::wstring& title,
                                        const std::wstring& question, const std::wstring& yes,
                                        const std::wstring& no);

}  // namespace duedate::win32
