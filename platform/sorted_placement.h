// Where a sorted list box puts strings added one by one, worked out for all
// of them at once: the arithmetic of the sorted combo box's fill
// (platform/win32/sorted_combo.h), apart from the box and testable alone.
#pragma once

#include <cstddef>
#include <vector>

namespace plinor {

// Where the box puts a new string when `count` entries are listed and the
// `equal` ones from `first` on compare equal to it (none when `equal` is 0):
// it searches by halving, and puts the string before the first equal entry
// the search meets, or where the search ends.
std::size_t InsertPosition(std::size_t count, std::size_t first, std::size_t equal);

// The order in which the box lists strings added one by one, as indices
// into `groupOf`: groupOf[i] is the group of the i-th string added, groups
// being numbered in the box's order and holding the strings it finds equal.
// Groups follow one another; within one, each string goes where the box's
// search puts it when it comes. n log n, also for one group of all.
std::vector<std::size_t> PlaceAsOneByOne(const std::vector<std::size_t>& groupOf);

}  // namespace plinor
