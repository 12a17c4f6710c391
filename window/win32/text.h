// The window's names for the conversions between UTF-8 and Windows' UTF-16,
// which live with the entries (entries/windows_text.h).
#pragma once

#include "entries/windows_text.h"

namespace duedate::win32 {

using duedate::Utf8;
using duedate::Wide;

}  // namespace duedate::win32
