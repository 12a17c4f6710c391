// A function of a Windows DLL looked up when first needed instead of
// imported: for functions that some Windows the program runs on lacks, and
// for DLLs the program loads only when it needs them.
#pragma once

#include <windows.h>

namespace duedate::win32 {

// `name` in `module`, or nullptr where it has none (or there is no module).
template <class Function>
Function SystemFunction(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(
      module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr);
}

// `name` in the already loaded `dll`, or nullptr where this Windows has none.
template <class Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
  return SystemFunction<Function>(GetModuleHandleW(dll), name);
}

}  // namespace duedate::win32
