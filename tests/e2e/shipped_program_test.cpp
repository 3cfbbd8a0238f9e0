// The built PlinorLauncher.exe as Windows reads it before running it: the PE
// header's fields and the manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "launcher_session.h"

namespace e2e {
namespace {

std::string ProgramPath() { return Machine::BuildFolder() + "PlinorLauncher.exe"; }

std::string ProgramBytes() {
  std::ifstream file(ProgramPath(), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

template <typename Header>
bool ReadAt(const std::string& bytes, std::size_t at, Header& header) {
  if (at > bytes.size() || bytes.size() - at < sizeof header) return false;
  std::memcpy(&header, bytes.data() + at, sizeof header);
  return true;
}

TEST(ShippedProgram, HeaderIsThatOfAVistaOrLaterProgramWithNoBuildTime) {
  const std::string bytes = ProgramBytes();
  IMAGE_DOS_HEADER dos{};
  ASSERT_TRUE(ReadAt(bytes, 0, dos));
  DWORD signature = 0;
  IMAGE_FILE_HEADER file{};
  ASSERT_TRUE(ReadAt(bytes, dos.e_lfanew, signature));
  ASSERT_EQ(signature, IMAGE_NT_SIGNATURE);
  ASSERT_TRUE(ReadAt(bytes, dos.e_lfanew + 4, file));
  // The fields read here sit at the same places in both optional headers.
  IMAGE_OPTIONAL_HEADER32 optional{};
  ASSERT_TRUE(ReadAt(bytes, dos.e_lfanew + 4 + sizeof file, optional));

  EXPECT_EQ(file.TimeDateStamp, 0u) << "a build-time stamp";
  EXPECT_EQ(optional.MajorSubsystemVersion, 6);
  EXPECT_EQ(optional.MinorSubsystemVersion, 0);
  WORD expected = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                  IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE;
  if (file.Machine == IMAGE_FILE_MACHINE_I386) expected |= IMAGE_DLLCHARACTERISTICS_NO_SEH;
  EXPECT_EQ(optional.DllCharacteristics & expected, expected)
      << std::hex << "DllCharacteristics 0x" << optional.DllCharacteristics;
  // The stack protector's report of a smashed stack is linked in.
  EXPECT_NE(bytes.find("stack smashing detected"), std::string::npos);
}

TEST(ShippedProgram, ManifestAsksForCommonControls6NoExecutionLevelAndNoPerMonitorV1) {
  HMODULE program = ::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(program);
  HRSRC found = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_TRUE(found) << "no manifest";
  const std::string manifest(
      static_cast<const char*>(::LockResource(::LoadResource(program, found))),
      ::SizeofResource(program, found));
  ::FreeLibrary(program);
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  // Without a requested level Windows virtualizes a standard user's writes
  // under Program Files, which keeps host.cfg writable there.
  EXPECT_EQ(manifest.find("<requestedExecutionLevel"), std::string::npos);
  EXPECT_EQ(manifest.find("<trustInfo"), std::string::npos);
  // System awareness where dpiAware is read (Windows 7 to 10 1511), then
  // per-monitor v2 or system: no version is left with per-monitor v1.
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
}

}  // namespace
}  // namespace e2e
