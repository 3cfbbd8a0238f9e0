// The stack protector's guard value and its failure, linked into every
// Windows program of this build as an object of its own, so that a second
// definition fails the link instead of winning silently.
//
// Why the build has its own: gcc for mingw-w64 takes them from libssp, whose
// start-up draws the guard through CryptAcquireContext (it loads a crypto
// provider DLL, about 5 to 10 ms of every start under Wine, for 4 random
// bytes) and whose failure prints a message and aborts, running handlers in
// the corrupted process on the way. MSVC's /GS brings its own guard and check
// (__security_cookie, __security_check_cookie), and a build with it would
// use those instead.
#include <windows.h>

#include <cstdint>

extern "C" {

// Checked on the way out of every protected function. Its value is drawn by
// the constructor below, before every constructor without a priority runs.
std::uintptr_t __stack_chk_guard = 0x2F8E3D5Au;

// Carried only by this guard: the test that reads the shipped program looks
// for it.
__attribute__((used)) extern const char plinor_stack_guard_mark[] =
    "Plinor stack guard: fast fail on a smashed stack";

// A smashed stack ends the process at once with the code Windows gives a
// failed stack check: by fast fail where Windows has it (8 and later), which
// no handler can catch and Windows Error Reporting records, else by
// TerminateProcess. No message is written and no handler runs first.
[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail() {
  if (::IsProcessorFeaturePresent(23 /* PF_FASTFAIL_AVAILABLE */)) {
    // __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE): gcc has no intrinsic
    // for it; the code goes in ecx (rcx).
    asm volatile("int $0x29" : : "c"(2 /* FAST_FAIL_STACK_COOKIE_CHECK_FAILURE */) : "memory");
  }
  ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  for (;;) {
  }
}

}  // extern "C"

namespace {

using RtlGenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);

// Priority 102: after the program's first step (101, which limits where
// DLLs are looked for), before every constructor without a priority, which
// then run with the drawn guard. No protected function is running yet, so
// none can take the change for a smashed stack. RtlGenRandom has no import
// library and is looked up here: the DLL it is forwarded to is then loaded
// by the search the first step has set, not by the loader before it.
__attribute__((constructor(102), no_stack_protector)) void DrawStackGuard() {
  HMODULE advapi = ::LoadLibraryW(L"advapi32.dll");
  if (!advapi) return;
  const auto generate = reinterpret_cast<RtlGenRandomFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(advapi, "SystemFunction036")));
  std::uintptr_t guard = 0;
  if (generate && generate(&guard, sizeof guard) && guard != 0) __stack_chk_guard = guard;
}

}  // namespace
