// A DLL that does nothing but leave a mark that it was loaded: an empty file
// named after itself with ".loaded" added (oleacc.dll.loaded), beside itself.
// The driver plants it beside the program under the names of DLLs Windows
// could take from there. It imports kernel32 alone and has no C runtime.
#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  constexpr wchar_t kSuffix[] = L".loaded";
  constexpr DWORD kSuffixLength = sizeof kSuffix / sizeof kSuffix[0];  // with the terminator
  wchar_t path[MAX_PATH + kSuffixLength];
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  for (DWORD i = 0; i < kSuffixLength; ++i) path[length + i] = kSuffix[i];
  HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
  return TRUE;
}
