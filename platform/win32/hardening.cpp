#include "platform/win32/hardening.h"

#include <windows.h>

namespace plinor {

namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
#endif

}  // namespace

void HardenProcess() {
  // Windows 7 has SetDefaultDllDirectories only with its update of 2011
  // (KB2533623), so it is looked up rather than imported.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Takes the current directory out of the search where the above is missing.
  ::SetDllDirectoryW(L"");
  ::HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
}

}  // namespace plinor
