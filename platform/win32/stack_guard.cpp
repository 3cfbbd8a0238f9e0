// The stack protector's guard value and its failure, for everything built
// with -fstack-protector-strong. They stand in for the compiler's libssp,
// whose start-up draws the guard through CryptAcquireContext: that loads a
// crypto provider DLL, about 5 to 10 ms of every start under Wine, for 4
// random bytes. RtlGenRandom gives the same randomness without it.
#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

extern "C" {

// Checked on the way out of every protected function. Its value is drawn
// before any of the program's own code runs.
std::uintptr_t __stack_chk_guard = 0x2F8E3D5Au;

// A smashed stack ends the process at once, past every exception handler,
// with the code Windows gives a failed stack check of its own compilers.
[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail() {
  ::OutputDebugStringA("*** stack smashing detected ***: PlinorLauncher terminated\n");
  ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  for (;;) {
  }
}

}  // extern "C"

namespace {

// Runs before the program's other static constructors: a protected function
// that was running while the guard changed would take it for a smashed
// stack, and none is running yet.
__attribute__((constructor(101), no_stack_protector)) void DrawStackGuard() {
  std::uintptr_t guard = 0;
  if (::RtlGenRandom(&guard, sizeof guard) && guard != 0) __stack_chk_guard = guard;
}

}  // namespace
