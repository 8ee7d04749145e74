// The benchmark's lattices decoded and read out: the N-best lists with their
// scores and order, the alternatives and the counts must stay those of the
// known-good decoder whose read-outs the digests hold, whatever is done to
// make the search faster. Equal scores are common here, so the order in
// which the stacks hand out theories of one score (the order of their
// pushes) is checked as well.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/SyllableLatticeEngine/stack_decoder.h"
#include "engine/SyllableLatticeEngine/testing/decoder_workload.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/messages.h"

namespace {

struct Workload {
  const char* name;
  int frames;
  int per_frame;
  int span;
  bool syllables;  // through the pronunciation tree
  int beam;
  int max_extend;
  int window;  // left and right word start windows
  int offset_pen;
  uint64_t digest;
};

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
  return text;
}

TEST(StackDecoderWorkloadTest, ReadOutsStayThoseOfTheKnownGoodDecoder) {
  const vok_testing::DecoderLanguage language(vok_test::LatticeTempPath(""));
  ASSERT_TRUE(language.ok());
  const Workload workloads[] = {
      {"word lattice 300 x 30", 300, 30, 4, false, 300, 5000, 0, 0, 0xd4336c99ebc42c29ull},
      {"40 syllables through the tree", 40, 10, 1, true, 300, 5000, 0, 0, 0xa89f1d78588d499eull},
      {"syllables, wide beam, 20 extensions", 40, 10, 1, true, 3000, 20, 0, 0, 0x536a0f82ff7e8d6aull},
      {"word lattice, widest beam, 30 extensions", 300, 30, 4, false, 32767, 30, 0, 0, 0xd983354ec2308df4ull},
      {"word lattice with start windows", 120, 30, 4, false, 300, 500, 2, -20, 0xbb629097d63148fcull},
  };
  // One decoder for all: its pools and caches carry over from decode to decode.
  auto decoder = vok_testing::MakeWorkloadDecoder(language);
  vok::BackTraceTable table(20000, 10, 1);
  for (const Workload& w : workloads) {
    SCOPED_TRACE(w.name);
    vok_testing::FillWorkloadLattice(
        &table, w.frames, w.per_frame, w.span,
        w.syllables ? vok_testing::kWorkloadSyllables : vok_testing::kWorkloadWords, w.syllables ? 0 : 3);
    decoder->set_word_start_windows(w.window, w.window);
    decoder->set_word_start_offset_pen(w.offset_pen);
    const int result =
        decoder->Decode(&table, w.syllables ? language.tree.get() : nullptr, w.beam, w.max_extend);
    const std::string text = vok_testing::DescribeDecode(decoder.get(), result);
    EXPECT_EQ(Hex(vok_testing::Digest(text)), Hex(w.digest)) << text.substr(0, 2000);
  }
}

// With the widest beam and no limit on extensions a word lattice of 900 frames
// needs more theory records than the pool holds: the decode says so instead
// of ending quietly short, and the next decode has the whole pool again.
TEST(StackDecoderWorkloadTest, ARunOutTheoryPoolIsReportedAndTheNextDecodeHasItAll) {
  const vok_testing::DecoderLanguage language(vok_test::LatticeTempPath(""));
  ASSERT_TRUE(language.ok());
  auto decoder = vok_testing::MakeWorkloadDecoder(language);
  vok::BackTraceTable table(20000, 10, 1);
  vok_testing::FillWorkloadLattice(&table, 900, 30, 4, vok_testing::kWorkloadWords, 3);
  vok::ErrorClear();
  decoder->Decode(&table, nullptr, 32767, 32767);
  EXPECT_TRUE(decoder->theory_pool_full());
  EXPECT_TRUE(vok::ErrorRecorded("errTheoryPoolFull"));

  vok_testing::FillWorkloadLattice(&table, 300, 30, 4, vok_testing::kWorkloadWords, 3);
  vok::ErrorClear();
  const int result = decoder->Decode(&table, nullptr, 300, 5000);
  EXPECT_FALSE(decoder->theory_pool_full());
  EXPECT_FALSE(vok::ErrorRecorded("errTheoryPoolFull"));
  EXPECT_EQ(Hex(vok_testing::Digest(vok_testing::DescribeDecode(decoder.get(), result))),
            Hex(0xd4336c99ebc42c29ull));
}

}  // namespace
