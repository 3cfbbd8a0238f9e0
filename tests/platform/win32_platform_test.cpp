// Win32Platform and the launch logic's registry and file code against the
// real registry, files and string table under Wine.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/address_history.h"
#include "core/registry_lookups.h"
#include "core/strings.h"

namespace plinor {
namespace {

constexpr const char* kInstallKey = IDS_INSTALL_KEY_TEXT;

class Win32 : public ::testing::Test {
 protected:
  Win32() : platform(::GetModuleHandleA(nullptr)) {}
  ~Win32() override {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Talvor Systems");
    if (!folder.empty()) {
      ::DeleteFileA((folder + "host.cfg").c_str());
      ::RemoveDirectoryA(folder.c_str());
    }
  }

  void SetPath(DWORD type, const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key, "Path", 0, type,
                               reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
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

  std::string ReadBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<absent>";
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
      bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
  }

  Win32Platform platform;
  std::string folder;
};

TEST_F(Win32, StringTableHoldsTheTextsExactly) {
  const std::pair<unsigned, const char*> texts[] = {
      {IDS_ABOUTBOX, IDS_ABOUTBOX_TEXT},
      {IDS_JAVA_MISSING, IDS_JAVA_MISSING_TEXT},
      {IDS_HOST_EMPTY, IDS_HOST_EMPTY_TEXT},
      {IDS_HOST_SPACES, IDS_HOST_SPACES_TEXT},
      {IDS_HOST_QUESTION, IDS_HOST_QUESTION_TEXT},
      {IDS_HOST_TOO_LONG, IDS_HOST_TOO_LONG_TEXT},
      {IDS_INVALID_IP, IDS_INVALID_IP_TEXT},
      {IDS_INSTALL_KEY, IDS_INSTALL_KEY_TEXT},
      {IDS_NOT_INSTALLED, IDS_NOT_INSTALLED_TEXT},
      {IDS_BROWSER_FAILED, IDS_BROWSER_FAILED_TEXT},
      {IDS_HISTORY_FAILED, IDS_HISTORY_FAILED_TEXT},
      {IDS_HOST_QUOTE, IDS_HOST_QUOTE_TEXT},
  };
  for (const auto& [id, text] : texts) EXPECT_EQ(platform.LoadStringA(id), text) << id;
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
  const char* keys[] = {
      "Software\\Classes\\http\\shell\\open\\command",
      "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe"};
  for (const Case& c : cases) {
    for (const char* path : keys) {
      HKEY key;
      ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
      ::RegSetValueExA(key, nullptr, 0, c.type,
                       reinterpret_cast<const BYTE*>(c.bytes.data()),
                       static_cast<DWORD>(c.bytes.size()));
      ::RegCloseKey(key);
    }
    const std::string what = "type " + std::to_string(c.type) + ", " +
                             std::to_string(c.bytes.size()) + " bytes";
    EXPECT_EQ(ReadDefaultBrowserCommand(platform), c.text) << what;
    EXPECT_EQ(ReadInternetExplorerPath(platform), c.text) << what;
  }
  for (const char* path : keys) ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
}

TEST_F(Win32, HistoryFileIsCreatedSeededAndAppendedInTextMode) {
  const std::string dir = MakeFolder();
  SetPath(REG_SZ, dir + std::string(1, '\0'));
  struct : AddressList {
    std::vector<std::string> items;
    void AddString(const std::string& text) override { items.push_back(text); }
  } list;
  LoadAddressHistory(platform, list);
  EXPECT_EQ(ReadBytes(dir + "host.cfg"), "192.168.0.1");
  EXPECT_TRUE(AppendAddressHistory(platform, list, "10.1.1.1"));
  EXPECT_TRUE(AppendAddressHistory(platform, list, "10.1.1.1"));
  EXPECT_EQ(ReadBytes(dir + "host.cfg"), "192.168.0.1\r\n10.1.1.1");
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
}

}  // namespace
}  // namespace plinor

// The fuzz tests count arguments the way CommandLineToArgvW splits a command
// line; here that count meets the real splitter.
#include <shellapi.h>

#include "core/browser_launch.h"
#include "tests/fuzz/argv_count.h"

namespace plinor {
namespace {

int RealArgumentCount(const std::string& line) {
  const int size = ::MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, wide.data(), size);
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(wide.c_str(), &count);
  ::LocalFree(arguments);
  return count;
}

TEST(CommandLineSplit, CountsAsTheRealSplitterDoes) {
  const char* lines[] = {
      "a",
      "\"C:\\B\\IEXPLORE.EXE\" file:///C:/P/common/common/launcher.html?ROUTER=x",
      "C:\\NS\\NETSCP.EXE  file:///\"C:/P/launcher.html\"?USEHTTPS=1?ROUTER=1.2",
      "\"C file:///::/Apps/;common?ROUTER=\"%",
      "p file:///0?ROUTER=.:\\\t\n\n",
      "p a\\\"b c",
      "p \"a\"\"b c\" d",
      "p \"a\"\"\"b c",
      "p a\\\\\"b c\" d",
      "p \t  ",
      "\"unterminated program name",
      "p \"\" \"\"",
      "p a\"b\"\"c d",
  };
  for (const char* line : lines)
    EXPECT_EQ(testing::CountArguments(line), RealArgumentCount(line))
        << ::testing::PrintToString(std::string(line));
}

}  // namespace
}  // namespace plinor

#include "platform/win32/sorted_combo.h"

namespace plinor {
namespace {

// A sorted combo box of its own, in a window of its own.
class SortedCombo : public ::testing::Test {
 protected:
  SortedCombo() {
    parent = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr,
                             nullptr, nullptr, nullptr);
  }
  ~SortedCombo() override { ::DestroyWindow(parent); }

  HWND NewCombo() {
    return ::CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWN | CBS_SORT,
                           0, 0, 100, 100, parent, nullptr, nullptr, nullptr);
  }
  static std::vector<std::string> Items(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::string text(
          static_cast<std::size_t>(::SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
      text.resize(static_cast<std::size_t>(::SendMessageA(
          combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
      items.push_back(text);
    }
    return items;
  }
  // The list as adding the strings one by one makes it.
  std::vector<std::string> OneByOne(const std::vector<std::string>& strings) {
    HWND combo = NewCombo();
    for (const std::string& text : strings)
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return Items(combo);
  }
  std::vector<std::string> AtOnce(const std::vector<std::string>& strings) {
    HWND combo = NewCombo();
    AddStringsSorted(combo, strings);
    // Later additions still find their place.
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("10.0.0.5"));
    return Items(combo);
  }

  HWND parent;
};

TEST_F(SortedCombo, FillingAtOnceListsExactlyAsAddingOneByOne) {
  ASSERT_TRUE(parent) << "needs a display";
  if (const char* acp = std::getenv("PLINOR_EXPECT_ACP")) {
    ASSERT_EQ(::GetACP(), static_cast<UINT>(std::atoi(acp)));
  }
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"192.168.0.1"},
      {"zeta", "10.0.0.2", "Alpha", "", "_x", "~z", "10.0.0.10", "a-b", "ab",
       "a b", "\xe9t\xe9", "Etz", "e", "10.0.0.1 ", std::string("n\0ul", 4)},
      // Equal but for case, repeated, empty, cut at a NUL, trailing blanks,
      // and double-byte text (in code page 932, \x82\x81 and \x82\x60 are a
      // full-width a and A).
      {"Host", "host", "HOST", "b", "a", "host", "10.0.0.1", "10.0.0.1", "HOst", "hOST",
       "", "", std::string("host\0x", 6), "host ", "host", "\x83\x5C", "\x82\x81",
       "\x82\x60", "\x82\x81", "\x83\x61", "B", "A", "a"},
  };
  for (const auto& strings : cases) {
    std::vector<std::string> expected = strings;
    expected.push_back("10.0.0.5");
    EXPECT_EQ(AtOnce(strings), OneByOne(expected));
  }
  // Many addresses in recording order, as real histories hold them: host
  // names in mixed case, repeats, blanks, long lines.
  std::vector<std::string> many;
  for (int i = 0; i < 3000; ++i) {
    const int j = i * 7919 % 3000;
    std::string line = "10." + std::to_string(j / 256) + "." + std::to_string(j % 256);
    if (j % 4 == 0) line = (j % 20 ? "sw-core-" : "SW-CORE-") + std::to_string(j % 97);
    if (j % 50 == 0) line += "  ";
    if (j % 333 == 0) line = std::string(200, 'x') + std::to_string(j);
    if (j % 100 == 1 && !many.empty()) line = many[many.size() / 2];
    many.push_back(line);
  }
  std::vector<std::string> expected = many;
  expected.push_back("10.0.0.5");
  EXPECT_EQ(AtOnce(many), OneByOne(expected));
}

}  // namespace
}  // namespace plinor
