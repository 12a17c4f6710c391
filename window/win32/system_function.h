// A function of a Windows DLL looked up when first needed instead of
// imported, for functions that some Windows the program runs on lacks.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

namespace duedate::win32 {

// `name` in the already loaded `dll`, or nullptr where this Windows has none.
template <class Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = GetModuleHandleW(dll);
  return reinterpret_cast<Function>(
      module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr);
}

}  // namespace duedate::win32
