// Win32Platform and the launch logic's registry and file code against the
// real registry, files and string table under Wine.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "core/address_history.h"
#include "core/registry_lookups.h"
#include "core/texts.h"
#include "tests/support/machine_state.h"
#include "tests/support/recording_list.h"
#include "tests/support/string_table.h"
#include "tests/support/win32_helpers.h"

namespace plinor {
namespace {

// A case that hangs past the runner's patience says so, with the screen.
const bool watchdog = plinor::testing::RegisterWatchdog();
// What a killed run left saved is put back before anything else.
const bool putBack = testing::PutBackWhatAKilledRunSaved();

constexpr const char* kInstallKey = IDS_INSTALL_KEY_TEXT;

class Win32 : public ::testing::Test {
 protected:
  // The keys these tests change are saved first and put back at the end.
  Win32() : platform(::GetModuleHandleA(nullptr)) { testing::SaveMachineKeys(); }
  ~Win32() override {
    testing::PutMachineBack();
    if (!folder.empty()) {
      ::DeleteFileA((folder + "host.cfg").c_str());
      ::RemoveDirectoryA(folder.c_str());
    }
  }

  void SetPath(DWORD type, const std::string& bytes) {
    testing::SetRegistryValue(HKEY_LOCAL_MACHINE, kInstallKey, "Path", type, bytes);
  }

  // A folder of the test's own, ending in a backslash.
  std::string MakeFolder() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "plinor-platform-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() +
             "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA((folder + "host.cfg").c_str());
    return folder;
  }

  Win32Platform platform;
  std::string folder;
};

TEST_F(Win32, StringTableHoldsTheTextsExactly) {
  for (const auto& [id, text] : testing::kStringTable) EXPECT_EQ(platform.LoadStringA(id), text) << id;
  EXPECT_EQ(platform.LoadStringA(IDS_INSTALL_KEY),
            "Software\\Talvor Systems\\Plinor 2.1\\en");
  EXPECT_EQ(platform.LoadStringA(IDS_JAVA_MISSING).substr(85, 35),
            "PC.\n Plinor may not work properly.\n");
  EXPECT_EQ(platform.LoadStringA(999), "");
}

TEST_F(Win32, InstallPathReadsValuesUpTo128BytesThroughTheRealRegistry) {
  for (std::size_t bytes : {49u, 50u, 51u, 60u, 127u, 128u}) {
    const std::string text = std::string(bytes - 2, 'p') + "\\";
    SetPath(REG_SZ, text + std::string(1, '\0'));
    EXPECT_EQ(ReadInstallPath(platform), text) << bytes << " bytes";
  }
  for (std::size_t bytes : {129u, 200u, 5000u}) {
    SetPath(REG_SZ, std::string(bytes - 1, 'q') + std::string(1, '\0'));
    EXPECT_EQ(ReadInstallPath(platform), "") << bytes << " bytes";
  }
}

TEST_F(Win32, InstallPathTakesAnyTypeAsBytes) {
  SetPath(REG_BINARY, std::string("C:\\x\\\0junk", 10));
  EXPECT_EQ(ReadInstallPath(platform), "C:\\x\\");
  SetPath(REG_DWORD, std::string("AB\0\0", 4));
  EXPECT_EQ(ReadInstallPath(platform), "AB");
  SetPath(REG_EXPAND_SZ, std::string("%TEMP%\\", 7) + std::string(1, '\0'));
  EXPECT_EQ(ReadInstallPath(platform), "%TEMP%\\");
  SetPath(REG_BINARY, std::string(70, 'b'));  // no zero at all
  EXPECT_EQ(ReadInstallPath(platform), std::string(70, 'b'));
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Talvor Systems");
  EXPECT_EQ(ReadInstallPath(platform), "");
}

// The real registry writes the value's bytes and nothing past them: what the
// lookups' buffer holds beyond the stored size is what it held before.
TEST_F(Win32, RegQueryValueExWritesNothingPastTheStoredSize) {
  SetPath(REG_SZ, std::string("C:\\x\\\0", 6));
  RegHandle key = 0;
  ASSERT_EQ(platform.RegOpenKeyExA(kHkeyLocalMachine, kInstallKey, 0, kKeyRead, &key), 0);
  unsigned char buffer[128];
  std::memset(buffer, 0xBD, sizeof buffer);
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(platform.RegQueryValueExA(key, "Path", nullptr, buffer, &size), 0);
  platform.RegCloseKey(key);
  ASSERT_EQ(size, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), std::string("C:\\x\\\0", 6));
  for (std::size_t i = size; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xBD) << "byte " << i;
}

// Every value type and odd sizes, through the real registry, for the two
// default values the launcher reads.
TEST_F(Win32, DefaultValuesOfEveryTypeAndSize) {
  struct Case {
    DWORD type;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {REG_SZ, std::string(1, '\0'), ""},
      {REG_SZ, "", ""},
      {REG_NONE, "x", "x"},
      {REG_BINARY, std::string("\0abc", 4), ""},
      {REG_DWORD, std::string("\x31\x32\x33\0", 4), "123"},
      {REG_QWORD, std::string("ABCDEFGH", 8), "ABCDEFGH"},
      {REG_MULTI_SZ, std::string("one\0two\0\0", 9), "one"},
      {REG_EXPAND_SZ, std::string("%SystemRoot%\\x.exe\0", 19), "%SystemRoot%\\x.exe"},
      {REG_SZ, std::string(127, 'c') + std::string(1, '\0'), std::string(127, 'c')},
      {REG_BINARY, std::string(128, 'd'), std::string(128, 'd')},
      {REG_SZ, std::string(128, 'e') + std::string(1, '\0'), ""},
      {REG_BINARY, std::string(129, 'f'), ""},
  };
  // Written where the launcher reads them; the fixture puts them back.
  const std::pair<HKEY, const char*> keys[] = {
      {HKEY_CLASSES_ROOT, "http\\shell\\open\\command"},
      {HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe"}};
  for (const Case& c : cases) {
    for (const auto& [root, path] : keys) testing::SetRegistryValue(root, path, nullptr, c.type, c.bytes);
    const std::string what = "type " + std::to_string(c.type) + ", " +
                             std::to_string(c.bytes.size()) + " bytes";
    EXPECT_EQ(ReadDefaultBrowserCommand(platform), c.text) << what;
    EXPECT_EQ(ReadInternetExplorerPath(platform), c.text) << what;
  }
}

TEST_F(Win32, HistoryFileIsCreatedSeededAndAppendedInTextMode) {
  const std::string dir = MakeFolder();
  SetPath(REG_SZ, dir + std::string(1, '\0'));
  testing::RecordingList list;
  LoadAddressHistory(platform, list);
  EXPECT_EQ(testing::ReadFileBytes(dir + "host.cfg"), "192.168.0.1");
  EXPECT_TRUE(AppendAddressHistory(platform, list, "10.1.1.1"));
  EXPECT_TRUE(AppendAddressHistory(platform, list, "10.1.1.1"));
  EXPECT_EQ(testing::ReadFileBytes(dir + "host.cfg"), "192.168.0.1\r\n10.1.1.1");
  EXPECT_EQ(list.items, (std::vector<std::string>{"192.168.0.1", "10.1.1.1"}));
}

TEST_F(Win32, HistoryFileIsHeldExclusively) {
  const std::string path = MakeFolder() + "host.cfg";
  EXPECT_EQ(platform.CreateFileA(path.c_str(), FileDisposition::OpenExisting), 0u);
  EXPECT_EQ(platform.GetLastError(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  FileHandle first = platform.CreateFileA(path.c_str(), FileDisposition::OpenAlways);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(platform.CreateFileA(path.c_str(), FileDisposition::OpenAlways), 0u);
  EXPECT_EQ(platform.GetLastError(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
  HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ |
                                FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform.CloseHandle(first));
}

TEST_F(Win32, ErrorTextIsTheSystemsWithoutLineBreaks) {
  const std::string text = platform.ErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find('\n'), std::string::npos);
  EXPECT_EQ(platform.ErrorText(0xDEADu), "Error 57005.");
}

// The application box names the program in its caption and adds the
// exclamation icon only to a type that names no icon, as the real box shows.
TEST_F(Win32, TheApplicationBoxAddsTheExclamationIconToATypeWithoutOne) {
  const std::pair<UINT, LPCSTR> cases[] = {{MB_OK, IDI_EXCLAMATION},
                                           {MB_OK | MB_ICONINFORMATION, IDI_ASTERISK}};
  for (const auto& [type, icon] : cases) {
    HICON shown = nullptr;
    std::thread reader([&shown] {
      HWND box = nullptr;
      if (!testing::WaitUntil(
              [&] {
                box = ::FindWindowA("#32770", "platform_tests");
                return box && ::IsWindowVisible(box);
              },
              "the application box"))
        return;
      for (HWND child = ::GetWindow(box, GW_CHILD); child && !shown;
           child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        ::GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0)
          shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
      }
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(platform.AppMessageBox("text", type), IDOK);
    reader.join();
    EXPECT_EQ(shown, ::LoadIconA(nullptr, icon)) << "type " << type;
  }
}

// The lead bytes of code page 932.
struct ShiftJis : CodePage {
  bool IsDBCSLeadByte(unsigned char byte) const override {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  }
};

TEST_F(Win32, ApplicationTitleIsTheFileNameWithoutExtension) {
  EXPECT_EQ(platform.ApplicationTitle(), "platform_tests");
  // \x83\x5C is one character whose second byte is a backslash.
  EXPECT_EQ(FileTitle("C:\\\x83\x5C\\Plinor\x83\x5C.exe", ShiftJis()), "Plinor\x83\x5C");
  EXPECT_EQ(FileTitle("C:\\a/b\\PlinorLauncher.EXE", ShiftJis()), "PlinorLauncher");
  // Only the last dot starts the extension; a forward slash separates too.
  EXPECT_EQ(FileTitle("C:\\Apps\\Plinor.v2.exe", ShiftJis()), "Plinor.v2");
  EXPECT_EQ(FileTitle("C:\\Apps\\x.y/PlinorLauncher.exe", ShiftJis()), "PlinorLauncher");
}

}  // namespace
}  // namespace plinor
