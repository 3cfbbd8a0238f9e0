// The fill's placement against a plain simulation of the list box: each
// string added in turn, by a halving search over what is listed, before the
// first equal entry the search meets.
#include "platform/sorted_placement.h"

#include <gtest/gtest.h>

#include <random>

namespace plinor {
namespace {

std::vector<std::size_t> AddedOneByOne(const std::vector<std::size_t>& groupOf) {
  std::vector<std::size_t> listed;  // indices into groupOf
  for (std::size_t i = 0; i < groupOf.size(); ++i) {
    std::ptrdiff_t low = 0;
    std::ptrdiff_t high = static_cast<std::ptrdiff_t>(listed.size()) - 1;
    std::ptrdiff_t at = -1;
    while (low <= high && at < 0) {
      const std::ptrdiff_t middle = (low + high) / 2;
      const std::size_t there = groupOf[listed[static_cast<std::size_t>(middle)]];
      if (there < groupOf[i])
        low = middle + 1;
      else if (there > groupOf[i])
        high = middle - 1;
      else
        at = middle;
    }
    listed.insert(listed.begin() + (at < 0 ? low : at), i);
  }
  return listed;
}

TEST(SortedPlacement, PlacesAsTheBoxsSearchDoesOneByOne) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 3000; ++round) {
    // Few groups for many strings, many for few: long runs of equal
    // strings, and groups of one.
    const std::size_t size = random() % 120;
    const std::size_t groups = 1 + random() % (round % 3 == 0 ? 3 : 40);
    std::vector<std::size_t> groupOf(size);
    for (std::size_t& group : groupOf) group = random() % groups;
    ASSERT_EQ(PlaceAsOneByOne(groupOf), AddedOneByOne(groupOf)) << "round " << round;
  }
}

TEST(SortedPlacement, OneLargeGroupAndTheEdgesOfTheSearch) {
  EXPECT_TRUE(PlaceAsOneByOne({}).empty());
  const std::vector<std::size_t> same(5000, 0);
  EXPECT_EQ(PlaceAsOneByOne(same), AddedOneByOne(same));
  // Nothing equal listed: where the search ends; all of it equal: the middle.
  EXPECT_EQ(InsertPosition(0, 0, 0), 0u);
  EXPECT_EQ(InsertPosition(4, 4, 0), 4u);
  EXPECT_EQ(InsertPosition(4, 0, 0), 0u);
  EXPECT_EQ(InsertPosition(5, 0, 5), 2u);
}

}  // namespace
}  // namespace plinor
