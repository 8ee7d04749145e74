#include "engine/SyllableLatticeEngine/tree_child_cache.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/SyllableLatticeEngine/testing/decoder_workload.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"

namespace {

// More pairs than the cache has slots, so that pairs share slots: every
// lookup, first or again, in either order and after a clear, answers what the
// tree answers.
TEST(TreeChildCacheTest, AnswersAsTheTreeWhenPairsShareSlots) {
  const vok_testing::DecoderLanguage language(vok_test::LatticeTempPath(""));
  ASSERT_TRUE(language.ok());
  const vok::CLexTree& tree = *language.tree;
  constexpr int kNodes = 2000;
  static_assert(std::int64_t{kNodes} * vok_testing::kWorkloadSyllables >
                (std::int64_t{1} << vok::TreeChildCache::kSlotBits));
  ASSERT_GE(tree.node_count(), kNodes);
  vok::TreeChildCache cache;
  int children = 0;
  const auto check_all = [&](bool backwards) {
    for (int i = 0; i < kNodes; ++i) {
      const int node = backwards ? kNodes - 1 - i : i;
      for (int s = 0; s < vok_testing::kWorkloadSyllables; ++s) {
        const auto syllable = static_cast<std::uint16_t>(s);
        const int expected = tree.FindChild(node, syllable);
        if (expected >= 0) ++children;
        ASSERT_EQ(cache.Find(tree, node, syllable), expected) << node << " " << s;
      }
    }
  };
  check_all(false);
  check_all(true);
  cache.Clear();
  check_all(false);
  EXPECT_GT(children, 0);
}

}  // namespace
