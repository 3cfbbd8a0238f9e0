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
// (repeats, case variants) are placed among themselves where the box's
// search would put them one by one; the list is then filled in that order
// with CB_INSERTSTRING at the end, which does not search. Only documented
// messages go to the box, never to its list window.
//
// Where equal strings go is not documented by Windows: the placement
// follows the list box's search as Wine implements it (a halving search
// that stops at the first equal entry it meets). Only the order of entries
// that differ in case alone, such as "Router" and "router", could differ on
// Windows; every other entry's place is defined by the sort keys.
//
// A box that is not empty, strings with equal sort keys that the box's
// comparison does not find equal, and a box that refuses an insertion (out
// of memory) get one CB_ADDSTRING per line instead, after CB_RESETCONTENT
// in the last case. When the box refuses one of those too, it is emptied
// and the result is false: the list is never left partly filled.
bool AddStringsSorted(HWND combo, const std::vector<std::string>& strings);

}  // namespace plinor
