#include "kernel/tests/synthetic_dictionary.h"

#include <algorithm>
#include <cstdlib>

#include "kernel/cell_analysis.h"
#include "kernel/feature_file.h"
#include "kernel/segment_list_file.h"
#include "platform/file_access.h"
#include "platform/system_info.h"

namespace kernel_testing {
namespace {

class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint32_t>(high - low + 1));
  }

 private:
  std::uint32_t state_;
};

struct Point {
  int x;
  int y;
};

kernel::CellAnalysis Analyze(const std::vector<wrendle::StrokeEntry>& strokes,
                             const kernel::DictionaryLayout& layout) {
  const auto view = wrendle::StrokeListView::Parse(strokes);
  const auto cell = kernel::TakeCell(*view);
  const auto quick =
      kernel::ExtractSegments(kernel::SegmentMode::kQuick, cell->points, kernel::kKernelSegmentLimit);
  return kernel::AnalyzeCell(*cell, quick.segments, layout, kernel::kKernelSegmentLimit);
}

std::int64_t CoarseDistance(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  std::int64_t sum = 0;
  for (std::size_t j = 0; j < a.size(); ++j) {
    const std::int64_t half = (static_cast<std::int32_t>(a[j]) - b[j]) >> 1;
    sum += half * half;
  }
  return sum / 128;
}

}  // namespace

std::vector<wrendle::StrokeEntry> SyntheticCharacter(std::uint32_t character, std::uint32_t variant) {
  Random shape(character);
  Random jitter(character * 7919u + variant * 104729u + 1);
  const int strokes = shape.Between(2, 6);
  const int origin_x = 100 + jitter.Between(-30, 30);
  const int origin_y = 80 + jitter.Between(-30, 30);
  const int scale = 90 + jitter.Between(0, 20);  // percent
  wrendle::StrokeListBuilder builder;
  for (int s = 0; s < strokes; ++s) {
    const int legs = shape.Between(1, 2);
    std::vector<Point> corners;
    for (int c = 0; c <= legs; ++c) {
      corners.push_back(
          {shape.Between(0, 200) + jitter.Between(-3, 3), shape.Between(0, 200) + jitter.Between(-3, 3)});
    }
    std::vector<wrendle::StrokeEntry> points;
    for (std::size_t c = 0; c + 1 < corners.size(); ++c) {
      const Point a = corners[c];
      const Point b = corners[c + 1];
      const int steps = std::max(2, std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) / 6);
      for (int i = (c == 0 ? 0 : 1); i <= steps; ++i) {
        const int x = a.x + (b.x - a.x) * i / steps;
        const int y = a.y + (b.y - a.y) * i / steps;
        points.push_back({origin_x + x * scale / 100, origin_y + y * scale / 100});
      }
    }
    builder.AddStroke(points);
  }
  return builder.Build();
}

std::uint16_t CharacterCode(kernel::CodePage code_page, std::uint32_t index) {
  if (code_page == kernel::CodePage::kBig5) {
    // Trail bytes 0x40-0x7E and 0xA1-0xFE, 157 per lead byte from 0xA4.
    const std::uint32_t lead = 0xA4 + index / 157;
    const std::uint32_t offset = index % 157;
    const std::uint32_t trail = offset < 63 ? 0x40 + offset : 0xA1 + (offset - 63);
    return static_cast<std::uint16_t>(lead | trail << 8);
  }
  const std::uint32_t lead = 0xB0 + index / 94;
  const std::uint32_t trail = 0xA1 + index % 94;
  return static_cast<std::uint16_t>(lead | trail << 8);
}

kernel::DictionaryLayout TestLayout(kernel::CodePage code_page) {
  kernel::DictionaryLayout layout;
  layout.code_page = code_page;
  layout.bounds = {0, 80, 144, 184, 224};
  layout.fine_divisors.resize(kernel::kFineFeatureCount);
  for (std::size_t i = 0; i < kernel::kFineFeatureCount; ++i) {
    std::uint16_t divisor = 64;
    if (i < 16)
      divisor = 16;
    else if (i < 32)
      divisor = 4;
    else if (i < 48)
      divisor = 24;
    else if (i < 80)
      divisor = 4;
    layout.fine_divisors[i] = divisor;
  }
  layout.coarse_divisors.assign(layout.fine_divisors.begin(),
                                layout.fine_divisors.begin() + kernel::kCoarseFeatureCount);
  return layout;
}

std::vector<Sample> SyntheticSamples(kernel::CodePage code_page, std::uint32_t characters,
                                     std::uint32_t variants, std::uint32_t first_character) {
  std::vector<Sample> samples;
  for (std::uint32_t c = first_character; c < first_character + characters; ++c) {
    for (std::uint32_t v = 0; v < variants; ++v)
      samples.push_back({CharacterCode(code_page, c), SyntheticCharacter(c, v)});
  }
  return samples;
}

BaseFiles BuildBaseFiles(kernel::CodePage code_page, const std::vector<Sample>& samples,
                         std::size_t cluster_count, std::int32_t merged) {
  const kernel::DictionaryLayout layout = TestLayout(code_page);
  std::vector<kernel::FeatureRecord> records;
  std::vector<kernel::SegmentList> lists;
  std::vector<std::vector<std::uint8_t>> coarse;
  for (const Sample& sample : samples) {
    const kernel::CellAnalysis analysis = Analyze(sample.strokes, layout);
    records.push_back({analysis.description.fine, sample.code});
    lists.push_back(analysis.segments);
    coarse.push_back(analysis.description.coarse);
  }
  cluster_count = std::max<std::size_t>(1, std::min(cluster_count, samples.size()));
  std::vector<kernel::ClusterDefinition> clusters(cluster_count);
  for (std::size_t k = 0; k < cluster_count; ++k)
    clusters[k].centroid = coarse[k * samples.size() / cluster_count];
  for (std::size_t r = 0; r < samples.size(); ++r) {
    std::vector<std::pair<std::int64_t, std::size_t>> nearest;
    for (std::size_t k = 0; k < cluster_count; ++k)
      nearest.push_back({CoarseDistance(clusters[k].centroid, coarse[r]), k});
    std::sort(nearest.begin(), nearest.end());
    for (std::size_t n = 0; n < std::min<std::size_t>(2, nearest.size()); ++n) {
      clusters[nearest[n].second].members.push_back(static_cast<std::int32_t>(r));
    }
  }
  BaseFiles files;
  files.features = kernel::WriteFeatureFile(code_page, layout.bounds, layout.fine_divisors, records);
  files.segment_lists = kernel::WriteSegmentListFile(code_page, 1, 5, 1, lists);
  files.clusters = kernel::WriteClusterFile(
      code_page, layout.coarse_divisors, static_cast<std::int32_t>(samples.size()), 5000, merged, clusters);
  return files;
}

void WriteBaseFiles(const std::string& directory, const BaseFiles& files) {
  const kernel::BaseFileNames names;
  platform::WriteWholeFile(platform::JoinPath(directory, names.features), files.features);
  platform::WriteWholeFile(platform::JoinPath(directory, names.segment_lists), files.segment_lists);
  platform::WriteWholeFile(platform::JoinPath(directory, names.clusters), files.clusters);
}

std::vector<std::uint16_t> RecognizeStrokes(const kernel::KernelCore& core,
                                            const std::vector<wrendle::StrokeEntry>& strokes) {
  const auto view = wrendle::StrokeListView::Parse(strokes);
  if (!view) return {};
  const auto cell = kernel::TakeCell(*view);
  if (!cell) return {};
  return core.Recognize(*cell, core.QuickSegments(*cell).segments);
}

}  // namespace kernel_testing
