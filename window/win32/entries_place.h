// Where the entries go when the working folder will not keep them: a copy
// unpacked under Program Files, whose folder the user may not write, or a
// read-only medium. The program's manifest names an execution level, so
// Windows does not redirect its writes there as it did for older programs.
#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

#include "window/form1.h"

namespace duedate::win32 {

// Whether the working folder's `file` cannot be created or written because
// the folder or its medium is protected, given what loading it met (no
// error where it was read or created): then the entries go to the data
// folder, %APPDATA%\Tavoren\预产期计算器, and are read at start from the
// one written last of the data folder's file, `file` itself and the copy
// Windows kept in %LOCALAPPDATA%\VirtualStore for an older program. A file
// another program holds, a full disk or a file the user made read-only is no
// protected folder: those are reported on leaving, as anywhere. A file
// marked read-only on a read-only volume (a CD or DVD marks them all) is.
std::optional<EntriesElsewhere> EntriesElsewhereIfProtected(const std::filesystem::path& file,
                                                            const std::error_code& loading);

}  // namespace duedate::win32
