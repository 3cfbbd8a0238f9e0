// The sorted fill of a real combo box, against adding the strings one by one.
#include "platform/win32/sorted_combo.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

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
       // "\xe9t\xe9s" is valid text in both code pages.
       "a b", "\xe9t\xe9s", "Etz", "e", "10.0.0.1 ", std::string("n\0ul", 4)},
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

// A box that refuses an insertion part way (out of memory) is emptied and
// filled again with one CB_ADDSTRING per line; one that refuses a line of
// those too is left empty, and the fill says so: never a partly filled list.
WNDPROC boxProcedure = nullptr;
int insertsLeft = 0;
int addsLeft = 0;
int adds = 0;
LRESULT CALLBACK RefusingBox(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == CB_INSERTSTRING && insertsLeft-- == 0) return CB_ERRSPACE;
  if (message == CB_ADDSTRING) {
    ++adds;
    if (addsLeft-- == 0) return CB_ERRSPACE;
  }
  return ::CallWindowProcW(boxProcedure, window, message, wParam, lParam);
}

TEST_F(SortedCombo, ARefusedInsertionRefillsTheListLineByLineOrLeavesItEmpty) {
  ASSERT_TRUE(parent) << "needs a display";
  const std::vector<std::string> strings = {"zeta", "10.0.0.2", "Alpha", "alpha", "b", "B"};
  for (const int refusedAdd : {-1, 2}) {
    HWND combo = NewCombo();
    boxProcedure = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingBox)));
    insertsLeft = 3;
    addsLeft = refusedAdd;
    adds = 0;
    const bool filled = AddStringsSorted(combo, strings);
    EXPECT_EQ(filled, refusedAdd < 0);
    EXPECT_EQ(adds, refusedAdd < 0 ? static_cast<int>(strings.size()) : refusedAdd + 1);
    EXPECT_EQ(Items(combo), refusedAdd < 0 ? OneByOne(strings) : std::vector<std::string>{});
  }
}

// Users get the common controls of the program's manifest, version 6; the
// same fill runs in a test program with that manifest and in one without.
TEST_F(SortedCombo, RunsWithTheCommonControlsExpected) {
  const char* expected = std::getenv("PLINOR_EXPECT_COMMON_CONTROLS");
  if (!expected) GTEST_SKIP() << "no version asked for";
  ASSERT_TRUE(NewCombo());
  char path[MAX_PATH] = "";
  if (HMODULE controls = ::GetModuleHandleA("comctl32.dll"))
    ::GetModuleFileNameA(controls, path, MAX_PATH);
  std::string folder = path;
  for (char& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // Version 6 lives side by side, in WinSxS; the old one in the system folder.
  EXPECT_EQ(folder.find("winsxs") != std::string::npos, std::string(expected) == "6") << path;
}

}  // namespace
}  // namespace plinor
