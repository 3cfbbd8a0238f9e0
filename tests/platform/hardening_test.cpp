// The program's first step, in a process of its own: once it has run, a DLL
// planted in the current directory is no longer loaded by its bare name.
#include "platform/win32/hardening.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

extern "C" std::uintptr_t __stack_chk_guard;

namespace plinor {
namespace {

constexpr const char* kProbe = "plinor_dll_probe.dll";

std::string ExeFolder() {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, length);
  return full.substr(0, full.find_last_of('\\') + 1);
}

TEST(Hardening, ADllInTheCurrentDirectoryIsNotLoadedByNameAfterStartUp) {
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "plinor-dll-search\\";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  const std::string planted = folder + kProbe;
  ASSERT_TRUE(::CopyFileA((ExeFolder() + "probe\\" + kProbe).c_str(), planted.c_str(), FALSE));
  char previous[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryA(folder.c_str()));

  HMODULE before = ::LoadLibraryW(L"plinor_dll_probe.dll");
  EXPECT_TRUE(before) << "the probe must load from the current directory at first";
  if (before) ::FreeLibrary(before);
  HardenProcess();
  HMODULE after = ::LoadLibraryW(L"plinor_dll_probe.dll");
  EXPECT_FALSE(after) << "a DLL in the current directory was loaded after start-up";
  if (after) ::FreeLibrary(after);

  ::SetCurrentDirectoryA(previous);
  ::DeleteFileA(planted.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

// The stack protector's guard is drawn at random before the program's own
// code runs, not left at the value it is built with.
TEST(Hardening, TheStackGuardIsDrawnAtStart) {
  EXPECT_NE(__stack_chk_guard, 0x2F8E3D5Au);
  EXPECT_NE(__stack_chk_guard, 0u);
}

// Writes `count` bytes into an 8-byte array on the stack.
__attribute__((noinline)) void Overrun(std::size_t count) {
  char buffer[8];
  volatile char* write = buffer;
  for (std::size_t i = 0; i < count; ++i) write[i] = 'x';
}

// The check on the way out ends the process with the code of a failed stack
// check, before the overwritten return address is used.
TEST(HardeningDeathTest, ASmashedStackEndsTheProcess) {
  Overrun(4);  // within the array: nothing happens
  EXPECT_EXIT(Overrun(64), ::testing::ExitedWithCode(static_cast<int>(STATUS_STACK_BUFFER_OVERRUN)),
              "");
}

}  // namespace
}  // namespace plinor
