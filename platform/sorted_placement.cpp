#include "platform/sorted_placement.h"

#include <algorithm>

namespace plinor {

namespace {

// Counts per slot, with sums of the slots before a given one (a Fenwick
// tree): n log n where counting by hand would be quadratic.
class Counts {
 public:
  explicit Counts(std::size_t size) : tree_(size + 1, 0) {}
  void Add(std::size_t slot, int amount = 1) {
    for (std::size_t i = slot + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += amount;
  }
  std::size_t Before(std::size_t slot) const {
    std::size_t sum = 0;
    for (std::size_t i = slot; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }
  // The slot holding the k-th count (from 0), every slot holding 0 or 1.
  std::size_t Nth(std::size_t k) const {
    std::size_t slot = 0;
    std::size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    for (; step > 0; step /= 2)
      if (slot + step < tree_.size() && static_cast<std::size_t>(tree_[slot + step]) <= k) {
        slot += step;
        k -= tree_[slot];
      }
    return slot;
  }

 private:
  std::vector<int> tree_;
};

}  // namespace

std::size_t InsertPosition(std::size_t count, std::size_t first, std::size_t equal) {
  std::size_t low = 0;
  std::size_t end = count;  // the search's range is [low, end)
  while (low < end) {
    const std::size_t middle = low + (end - 1 - low) / 2;
    if (middle < first)
      low = middle + 1;
    else if (middle >= first + equal)
      end = middle;
    else
      return middle;
  }
  return low;
}

std::vector<std::size_t> PlaceAsOneByOne(const std::vector<std::size_t>& groupOf) {
  const std::size_t n = groupOf.size();
  const std::size_t groups = n == 0 ? 0 : *std::max_element(groupOf.begin(), groupOf.end()) + 1;
  // When string i comes, i strings are listed: `ahead` of them in earlier
  // groups and size[g] in its own. It goes at[i] places into its group.
  std::vector<std::size_t> at(n);
  std::vector<std::size_t> size(groups, 0);
  Counts listed(groups);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t g = groupOf[i];
    const std::size_t ahead = listed.Before(g);
    at[i] = InsertPosition(i, ahead, size[g]) - ahead;
    ++size[g];
    listed.Add(g);
  }
  // Each group's members in the order they came, the groups in order.
  std::vector<std::size_t> start(groups + 1, 0);
  for (std::size_t g = 0; g < groups; ++g) start[g + 1] = start[g] + size[g];
  std::vector<std::size_t> members(n);
  std::vector<std::size_t> filled(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < n; ++i) members[filled[groupOf[i]]++] = i;
  // Within a group, the last to come took place at[i] among those before
  // it, and keeps it; going backwards, each takes the at[i]-th slot still
  // free of its group's.
  std::vector<std::size_t> order(n);
  for (std::size_t g = 0; g < groups; ++g) {
    Counts open(size[g]);
    for (std::size_t s = 0; s < size[g]; ++s) open.Add(s);
    for (std::size_t m = size[g]; m-- > 0;) {
      const std::size_t i = members[start[g] + m];
      const std::size_t slot = open.Nth(at[i]);
      open.Add(slot, -1);
      order[start[g] + slot] = i;
    }
  }
  return order;
}

}  // namespace plinor
