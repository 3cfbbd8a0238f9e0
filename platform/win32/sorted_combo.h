// Fills a sorted combo box (CBS_SORT) with many strings at once, leaving its
// list exactly as adding them one by one with CB_ADDSTRING would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plinor {

// A sorted combo box places each added string by comparing it with its
// entries (CompareString, ignoring case, in the box's locale): thousands of
// comparisons through the window for a long list. When no two strings
// compare equal, that order is unique, so the strings are sorted here by
// their sort keys and appended in that order with CB_INSERTSTRING. When some
// do compare equal, where each lands depends on the box's own search, so
// they are added one by one as before.
void AddStringsSorted(HWND combo, const std::vector<std::string>& strings);

}  // namespace plinor
