// The built PlinorLauncher.exe as Windows reads it before running it: the PE
// header's fields, the import table and the manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

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
  // The program's own stack guard is linked in, not the compiler's.
  EXPECT_NE(bytes.find("Plinor stack guard: fast fail on a smashed stack"), std::string::npos);
}

// Each DLL the program imports, upper-cased, with the names it imports from
// it ("#N" for an ordinal); empty when the table cannot be read.
std::map<std::string, std::vector<std::string>> Imports(const std::string& bytes) {
  std::map<std::string, std::vector<std::string>> imports;
  IMAGE_DOS_HEADER dos{};
  IMAGE_FILE_HEADER file{};
  if (!ReadAt(bytes, 0, dos) || !ReadAt(bytes, dos.e_lfanew + 4, file)) return imports;
  const std::size_t optional = dos.e_lfanew + 4 + sizeof file;
  const bool wide = file.Machine == IMAGE_FILE_MACHINE_AMD64;
  IMAGE_DATA_DIRECTORY directory{};
  if (!ReadAt(bytes, optional + (wide ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                      : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory)) +
                         IMAGE_DIRECTORY_ENTRY_IMPORT * sizeof directory,
              directory))
    return imports;
  const auto offset = [&](DWORD rva) -> std::size_t {
    IMAGE_SECTION_HEADER section{};
    for (WORD i = 0; i < file.NumberOfSections; ++i) {
      if (!ReadAt(bytes, optional + file.SizeOfOptionalHeader + i * sizeof section, section)) break;
      const DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
      if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size)
        return rva - section.VirtualAddress + section.PointerToRawData;
    }
    return bytes.size();
  };
  const auto text = [&](DWORD rva) { return std::string(bytes.c_str() + std::min(offset(rva), bytes.size())); };
  IMAGE_IMPORT_DESCRIPTOR dll{};
  for (std::size_t at = offset(directory.VirtualAddress);
       ReadAt(bytes, at, dll) && dll.Name != 0; at += sizeof dll) {
    std::string name = text(dll.Name);
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::vector<std::string>& names = imports[name];
    const std::size_t width = wide ? 8 : 4;
    ULONGLONG thunk = 0;
    for (std::size_t entry = offset(dll.OriginalFirstThunk ? dll.OriginalFirstThunk : dll.FirstThunk);
         entry + width <= bytes.size(); entry += width) {
      std::memcpy(&thunk, bytes.data() + entry, width);
      if (thunk == 0) break;
      const ULONGLONG ordinal = wide ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
      names.push_back(thunk & ordinal ? "#" + std::to_string(thunk & 0xFFFF)
                                      : text(static_cast<DWORD>(thunk) + 2));
    }
  }
  return imports;
}

// Nothing the loader resolves before the program's first step is looked for
// in the program's folder: every DLL imported is a known DLL of Windows 7
// to 11, or the common controls, which the manifest takes from the
// side-by-side store, and no import is one Windows may forward to a DLL
// outside them. Export listings of Windows' advapi32 show SystemFunction036
// forwarded to CRYPTBASE; the rest of the SystemFunction and Crypt families
// is kept out too, since no page says which of them are forwarded where.
TEST(ShippedProgram, ImportsNothingWindowsLooksForInTheProgramsFolder) {
  const std::map<std::string, std::vector<std::string>> imports = Imports(ProgramBytes());
  ASSERT_TRUE(imports.count("KERNEL32.DLL")) << "the import table could not be read";
  const std::vector<std::string> allowed = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL",
                                            "KERNEL32.DLL", "MSVCRT.DLL",   "USER32.DLL"};
  for (const auto& [dll, names] : imports) {
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), dll), allowed.end()) << dll;
    if (dll != "ADVAPI32.DLL") continue;
    for (const std::string& name : names)
      EXPECT_FALSE(name.starts_with("SystemFunction") || name.starts_with("Crypt"))
          << dll << "!" << name << " is forwarded outside the known DLLs";
  }
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
