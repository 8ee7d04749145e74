#include "tools/build_dictionaries/variant_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using build_dictionaries::GroupVariants;
using build_dictionaries::VariantGroup;

struct GroupingCase {
  std::string name;
  std::vector<std::vector<std::uint8_t>> vectors;
  std::size_t count;
  // Each expected group as sorted member indices, the medoid first.
  std::vector<std::vector<std::size_t>> groups;
};

class GroupVariantsTest : public ::testing::TestWithParam<GroupingCase> {};

TEST_P(GroupVariantsTest, FindsTheGroupsAndTheirMedoids) {
  const GroupingCase& c = GetParam();
  std::vector<std::span<const std::uint8_t>> vectors(c.vectors.begin(), c.vectors.end());
  std::vector<std::vector<std::size_t>> found;
  for (const VariantGroup& group : GroupVariants(vectors, c.count)) {
    std::vector<std::size_t> members = group.members;
    ASSERT_NE(std::find(members.begin(), members.end(), group.medoid), members.end());
    members.erase(std::find(members.begin(), members.end(), group.medoid));
    std::sort(members.begin(), members.end());
    members.insert(members.begin(), group.medoid);
    found.push_back(members);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::vector<std::size_t>> expected = c.groups;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupVariantsTest,
    ::testing::Values(GroupingCase{"Nothing", {}, 3, {}}, GroupingCase{"OneVector", {{5, 5}}, 3, {{0}}},
                      // Two tight pairs and a far outlier: three groups, each medoid the
                      // member nearest to the others (ties to the earlier one).
                      GroupingCase{"TwoPairsAndAnOutlier",
                                   {{0, 0}, {2, 0}, {100, 100}, {101, 100}, {250, 0}},
                                   3,
                                   {{0, 1}, {2, 3}, {4}}},
                      // One group asked for: the medoid is the vector of the least summed
                      // squared distance, pulled towards the outlier.
                      GroupingCase{"OneGroup", {{0}, {10}, {11}, {12}, {40}}, 1, {{3, 0, 1, 2, 4}}},
                      // Equal vectors never make groups of their own.
                      GroupingCase{"EqualVectors", {{7, 7}, {7, 7}, {7, 7}}, 3, {{0, 1, 2}}},
                      // Three clear groups of three, asked for two: neighbours stay together
                      // and the merged group's medoid lies between its halves.
                      GroupingCase{"FewerGroupsThanClusters",
                                   {{0}, {1}, {2}, {100}, {101}, {102}, {200}, {201}, {202}},
                                   2,
                                   {{1, 0, 2}, {5, 3, 4, 6, 7, 8}}}),
    [](const auto& param_info) { return param_info.param.name; });

}  // namespace
