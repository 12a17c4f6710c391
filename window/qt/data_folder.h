// The program's own data folder, where "time.txt" is kept when the program
// is started from the desktop's menu (--data-folder).
#pragma once

#include <QString>

namespace duedate {

// $XDG_DATA_HOME/yuchanqi, or ~/.local/share/yuchanqi where XDG_DATA_HOME is
// unset, empty or not an absolute path.
QString DataFolder();

// Makes `folder` the working folder, creating it and any missing parent with
// mode 0700 first; a folder that exists keeps its mode. Returns an empty text
// when that worked; otherwise the working folder stays as it was and the
// text, in Chinese, says what went wrong and where the entries go instead.
QString EnterDataFolder(const QString& folder);

}  // namespace duedate
