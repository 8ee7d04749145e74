// The kernel's raster, features, distances, matching and segment-list
// distances against the plain implementations kept in reference_features.cpp,
// reference_matching.cpp and reference_segment_distance.cpp: every cell must
// give the same raster, the same feature values and the same candidates in
// the same order with the same scores.
//
// Release builds (also the Windows builds run under wine) take 20,000 cells;
// the sanitizer build takes 800, which keeps it at a few seconds.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "kernel/feature_distance.h"
#include "kernel/kernel_core.h"
#include "kernel/segment_distance.h"
#include "kernel/tests/reference_features.h"
#include "kernel/tests/reference_matching.h"
#include "kernel/tests/reference_segment_distance.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "tests/support/temporary_directory.h"

namespace {

using kernel::CodePage;

#if defined(NDEBUG)
constexpr std::size_t kCellsPerCodePage = 10000;
#else
constexpr std::size_t kCellsPerCodePage = 400;
#endif

constexpr std::uint32_t kCharacters = 200;

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t n, int low, int high) {
  std::uniform_int_distribution<int> value(low, high);
  std::vector<std::uint8_t> bytes(n);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(value(random));
  return bytes;
}

TEST(FeatureDistanceTest, FastSumsEqualThePlainOnes) {
  std::mt19937 random(11);
  for (std::size_t n = 0; n <= 300; ++n) {
    // Random bytes, and the extremes that could overflow a narrow lane.
    for (const auto& [low, high] : {std::pair{0, 255}, std::pair{0, 0}, std::pair{255, 255}}) {
      const auto a = RandomBytes(random, n, low, high);
      const auto b = RandomBytes(random, n, 255 - high, 255 - low);
      std::int64_t absolute = 0, squared = 0, halved = 0;
      for (std::size_t j = 0; j < n; ++j) {
        const int d = a[j] - b[j];
        absolute += d < 0 ? -d : d;
        squared += d * d;
        halved += (d >> 1) * (d >> 1);
      }
      EXPECT_EQ(kernel::AbsoluteDifferenceSum(a.data(), b.data(), n), absolute) << n;
      EXPECT_EQ(kernel::portable::AbsoluteDifferenceSum(a.data(), b.data(), n), absolute) << n;
      EXPECT_EQ(kernel::SquaredDifferenceSum(a.data(), b.data(), n), squared) << n;
      EXPECT_EQ(kernel::portable::SquaredDifferenceSum(a.data(), b.data(), n), squared) << n;
      EXPECT_EQ(kernel::HalvedSquaredDifferenceSum(a.data(), b.data(), n), halved) << n;
      EXPECT_EQ(kernel::portable::HalvedSquaredDifferenceSum(a.data(), b.data(), n), halved) << n;
    }
  }
}

// Random segment lists: short and long ones, joined and apart, connecting
// strokes, removed ligatures, and the same direction several times.
kernel::SegmentList RandomSegments(std::mt19937& random, std::size_t n) {
  std::uniform_int_distribution<int> coordinate(0, 90);
  std::uniform_int_distribution<int> link(0, 4);
  constexpr std::uint8_t kLinks[] = {0, kernel::kLinkNext, kernel::kLinkPrevious, kernel::kLinkBoth,
                                     kernel::kLinkRemoved};
  kernel::SegmentList list;
  for (std::size_t i = 0; i < n; ++i) {
    kernel::SegmentRecord s{static_cast<std::uint8_t>(coordinate(random)),
                            static_cast<std::uint8_t>(coordinate(random)),
                            static_cast<std::uint8_t>(coordinate(random)),
                            static_cast<std::uint8_t>(coordinate(random)), kLinks[link(random)]};
    if (i > 0 && random() % 3 == 0) {
      // Continues the previous segment.
      s.x0 = list.back().x1;
      s.y0 = list.back().y1;
    }
    list.push_back(s);
  }
  return list;
}

TEST(SegmentDistanceDifferentialTest, FastDistancesEqualThePlainOnes) {
  std::mt19937 random(17);
  for (int trial = 0; trial < 3000; ++trial) {
    const std::size_t s = static_cast<std::size_t>(trial % 50);
    const std::size_t c = 1 + static_cast<std::size_t>(random() % 44);
    const kernel::SegmentList cell = RandomSegments(random, s);
    const kernel::SegmentList list = RandomSegments(random, c);
    const std::string what = "trial " + std::to_string(trial);
    ASSERT_EQ(kernel::SegmentDistanceA(cell, list), kernel_reference::ReferenceSegmentDistanceA(cell, list))
        << what;
    ASSERT_EQ(kernel::SegmentDistanceA(list, cell), kernel_reference::ReferenceSegmentDistanceA(list, cell))
        << what;
    ASSERT_EQ(kernel::SegmentDistanceB(cell, list), kernel_reference::ReferenceSegmentDistanceB(cell, list))
        << what;
    ASSERT_EQ(kernel::SegmentDistanceB(list, cell), kernel_reference::ReferenceSegmentDistanceB(list, cell))
        << what;
    if (s == 0) continue;
    const std::span<const kernel::SegmentRecord> cut =
        std::span<const kernel::SegmentRecord>(cell).first(std::min(s, kernel::kMaxComparedSegments));
    const long n = static_cast<long>(cut.size());
    const long expected = kernel_reference::ReferenceSegmentDistanceB(cut, list) / n +
                          kernel_reference::ReferenceSegmentDistanceB(list, cut) / static_cast<long>(c) +
                          kernel_reference::ReferenceSegmentDistanceA(cut, list) / n +
                          kernel_reference::ReferenceSegmentDistanceA(list, cut) / static_cast<long>(c);
    kernel::SegmentComparer comparer(cell);
    ASSERT_EQ(comparer.cell_size(), cut.size()) << what;
    ASSERT_EQ(comparer.Distance(list), expected) << what;
  }
}

// Strokes of random points anywhere in a random box, some of them long.
std::vector<wrendle::StrokeEntry> RandomStrokes(std::mt19937& random) {
  std::uniform_int_distribution<int> strokes(1, 8);
  std::uniform_int_distribution<int> points(1, 40);
  const int width = std::uniform_int_distribution<int>(5, 600)(random);
  const int height = std::uniform_int_distribution<int>(5, 600)(random);
  std::uniform_int_distribution<int> x(0, width);
  std::uniform_int_distribution<int> y(0, height);
  wrendle::StrokeListBuilder builder;
  const int count = strokes(random);
  for (int s = 0; s < count; ++s) {
    std::vector<wrendle::StrokeEntry> stroke;
    const int n = points(random);
    for (int i = 0; i < n; ++i) stroke.push_back({x(random), y(random)});
    builder.AddStroke(stroke);
  }
  return builder.Build();
}

// Raw entries as a reader of untrusted input would see them: a random stroke
// list layout with random counts, kept only when it parses.
std::vector<wrendle::StrokeEntry> RandomEntries(std::mt19937& random) {
  std::uniform_int_distribution<int> small(-2, 12);
  std::uniform_int_distribution<int> coordinate(-50, 4000);
  std::vector<wrendle::StrokeEntry> entries;
  const int strokes = std::uniform_int_distribution<int>(1, 6)(random);
  for (int s = 0; s < strokes; ++s) {
    const int count = small(random);
    entries.push_back({count, 0});
    for (int i = 0; i < std::max(count, 0); ++i) entries.push_back({coordinate(random), coordinate(random)});
  }
  entries.push_back({0, 0});
  return entries;
}

void ExpectSameAnalysis(const kernel::KernelCore& core, const kernel::Cell& cell, const std::string& what) {
  const kernel::CellAnalysis analysis = core.Analyze(cell, core.QuickSegments(cell).segments);
  const kernel::Raster raster = kernel_reference::ReferenceRasterizeInk(analysis.points, cell.box);
  ASSERT_EQ(analysis.raster.pixels, raster.pixels) << what;
  ASSERT_EQ(analysis.raster.empty, raster.empty) << what;
  ASSERT_EQ(analysis.raster.box.left, raster.box.left) << what;
  ASSERT_EQ(analysis.raster.box.top, raster.box.top) << what;
  ASSERT_EQ(analysis.raster.box.right, raster.box.right) << what;
  ASSERT_EQ(analysis.raster.box.bottom, raster.box.bottom) << what;
  ASSERT_EQ(analysis.raw, kernel_reference::ReferenceRawFeatures(raster)) << what;
  if (!raster.empty) {
    for (const int bands : {6, 8}) {
      const kernel::Cuts fast = kernel::EqualMassCuts(raster, bands);
      const kernel::Cuts plain = kernel_reference::ReferenceEqualMassCuts(raster, bands);
      ASSERT_EQ(fast.columns, plain.columns) << what;
      ASSERT_EQ(fast.rows, plain.rows) << what;
    }
  }
  kernel::MatchTrace fast_trace;
  kernel::MatchTrace plain_trace;
  const auto fast = core.Match(analysis, &fast_trace);
  const auto plain = kernel_reference::ReferenceMatchAll(core, analysis.description, &plain_trace);
  ASSERT_EQ(fast.size(), plain.size()) << what;
  for (std::size_t i = 0; i < fast.size(); ++i) {
    ASSERT_EQ(fast[i].score, plain[i].score) << what << " candidate " << i;
    ASSERT_EQ(fast[i].record, plain[i].record) << what << " candidate " << i;
  }
  ASSERT_EQ(fast_trace.in_mask, plain_trace.in_mask) << what;
  ASSERT_EQ(fast_trace.after_segment_filter, plain_trace.after_segment_filter) << what;
  ASSERT_EQ(fast_trace.first_scored, plain_trace.first_scored) << what;
  ASSERT_EQ(fast_trace.second_stage, plain_trace.second_stage) << what;
  ASSERT_EQ(fast_trace.final_stage, plain_trace.final_stage) << what;
}

class FastPathDifferentialTest : public ::testing::TestWithParam<CodePage> {};

TEST_P(FastPathDifferentialTest, CellsGiveTheReferenceRasterFeaturesAndCandidates) {
  testing_support::TemporaryDirectory program;
  testing_support::TemporaryDirectory learning;
  const CodePage code_page = GetParam();
  kernel_testing::WriteBaseFiles(
      program.path().string(),
      kernel_testing::BuildBaseFiles(code_page, kernel_testing::SyntheticSamples(code_page, kCharacters, 3),
                                     40));
  auto created = kernel::KernelCore::Create({code_page, program.path().string(), learning.path().string()});
  ASSERT_TRUE(std::holds_alternative<std::unique_ptr<kernel::KernelCore>>(created));
  kernel::KernelCore& core = *std::get<std::unique_ptr<kernel::KernelCore>>(created);
  // A learned dictionary with records, matched without clusters.
  for (std::uint32_t c = 0; c < 8; ++c) {
    ASSERT_TRUE(core.Learn(kernel_testing::SyntheticCharacter(c * 7, 9),
                           kernel_testing::CharacterCode(code_page, c * 7)));
  }

  std::mt19937 random(code_page == CodePage::kBig5 ? 5 : 6);
  std::size_t cells = 0;
  for (std::uint32_t i = 0; cells < kCellsPerCodePage; ++i) {
    std::vector<wrendle::StrokeEntry> strokes;
    std::string what;
    switch (i % 4) {
      case 0:
      case 1:
        strokes = kernel_testing::SyntheticCharacter(i % kCharacters, 3 + i / kCharacters);
        what = "synthetic ink " + std::to_string(i);
        break;
      case 2:
        strokes = RandomStrokes(random);
        what = "random strokes " + std::to_string(i);
        break;
      default:
        strokes = RandomEntries(random);
        what = "random entries " + std::to_string(i);
        break;
    }
    const auto view = wrendle::StrokeListView::Parse(strokes);
    if (!view) continue;
    const std::optional<kernel::Cell> cell = kernel::TakeCell(*view);
    if (!cell) continue;
    ++cells;
    ExpectSameAnalysis(core, *cell, what);
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(CodePages, FastPathDifferentialTest,
                         ::testing::Values(CodePage::kGb2312, CodePage::kBig5),
                         [](const auto& test) { return test.param == CodePage::kBig5 ? "Big5" : "Gb2312"; });

}  // namespace
