// Fills a sorted combo box (CBS_SORT) with many strings at once, leaving its
// list exactly as adding them one by one with CB_ADDSTRING would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plinor {

// A sorted combo box places each added string by a search through its
// entries, comparing with CompareString ignoring case in the box's locale:
// thousands of comparisons through the window for a long list. Here the
// strings are sorted once by their sort keys, and strings that compare equal
// (repeats, case variants) are placed among themselves exactly where the
// box's search would put them one by one; the list is then appended in that
// order with insertions at the end, which do not search. The result is the same
// list as adding every string with CB_ADDSTRING, in order. A box that is not
// empty, or strings with equal sort keys that the box's comparison does not
// find equal, get one CB_ADDSTRING each.
void AddStringsSorted(HWND combo, const std::vector<std::string>& strings);

}  // namespace plinor
