#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "kernel/cluster_file.h"
#include "kernel/feature_file.h"
#include "kernel/olzun.h"
#include "kernel/segment_list_file.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "tests/support/temporary_directory.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_dictionaries/stroke_data.h"

namespace {

using build_dictionaries::CodePageMap;
using kernel::CodePage;

TEST(StrokeDataTest, ParsesMedians) {
  const auto medians = build_dictionaries::ParseMedians(
      R"({"strokes": ["M 1 2 Z"], "medians": [[[121, 393], [193, 372]], [[ 5 ,-6 ], [7.5, 8]]]})");
  ASSERT_TRUE(medians);
  ASSERT_EQ(medians->size(), 2u);
  EXPECT_EQ((*medians)[0].size(), 2u);
  EXPECT_DOUBLE_EQ((*medians)[0][1].x, 193);
  EXPECT_DOUBLE_EQ((*medians)[1][0].y, -6);
  EXPECT_DOUBLE_EQ((*medians)[1][1].x, 7.5);
}

TEST(StrokeDataTest, TakesTheTopLevelMediansOnly) {
  const auto medians = build_dictionaries::ParseMedians(
      R"({"radical": {"medians": [[[1, 2]]]}, "note": "\"medians\": [[[3, 4]]]", "medians": [[[5, 6]]]})");
  ASSERT_TRUE(medians);
  ASSERT_EQ(medians->size(), 1u);
  EXPECT_DOUBLE_EQ((*medians)[0][0].x, 5);
}

TEST(StrokeDataTest, RefusesMalformedMedians) {
  for (const char* json :
       {"", "[]", R"({"strokes": []})", R"({"medians": []})", R"({"medians": [[[1, 2], [3]]]})",
        R"({"medians": [[]]})", R"({"medians": [[[1, 2]])", R"({"medians": [[[1, 2]]]} x)",
        R"({"radical": {"medians": [[[1, 2]]]}})", R"({"note": "\"medians\": [[[3, 4]]]"})",
        R"({"medians": "[[[1, 2]]]"})"}) {
    EXPECT_FALSE(build_dictionaries::ParseMedians(json)) << json;
  }
}

TEST(StrokeDataTest, LoadsOneCharacterFilesAndListsTheRejected) {
  testing_support::TemporaryDirectory directory;
  const auto write = [&](const char* name, const char* text) {
    std::ofstream(directory.path() / name, std::ios::binary) << text;
  };
  write("十.json", R"({"medians": [[[100, 400], [900, 400]], [[500, 850], [500, -50]]]})");
  write("一.json", R"({"medians": [[[100, 400], [900, 400]]]})");
  write("二.json", R"({"medians": [[[100, 400], [900]]]})");
  write("all.json", R"({"medians": [[[1, 2]]]})");
  write("口.txt", R"({"medians": [[[1, 2]]]})");
  std::vector<std::string> rejected;
  const auto characters = build_dictionaries::LoadStrokeData(directory.path().string(), &rejected);
  ASSERT_EQ(characters.size(), 2u);
  EXPECT_EQ(characters[0].utf8, "一");
  EXPECT_EQ(characters[1].utf8, "十");
  EXPECT_EQ(characters[1].medians.size(), 2u);
  ASSERT_EQ(rejected.size(), 1u);
  EXPECT_EQ(std::filesystem::path(rejected[0]).filename(), "二.json");
}

TEST(CodePageMapTest, CodesInTheCallersForm) {
  struct Case {
    CodePage code_page;
    const char* utf8;
    std::optional<std::uint16_t> code;
  };
  const Case cases[] = {
      {CodePage::kGb2312, "一", 0xBBD2},  // D2 BB
      {CodePage::kBig5, "一", 0x40A4},    // A4 40
      {CodePage::kGb2312, "齄", 0xFEF7},  // last GB2312 character, F7 FE
      {CodePage::kGb2312, "a", std::nullopt},    {CodePage::kGb2312, "們", std::nullopt},  // traditional only
      {CodePage::kBig5, "们", std::nullopt},                                               // simplified only
      {CodePage::kGb2312, "一二", std::nullopt},
  };
  EXPECT_EQ(CodePageMap(CodePage::kGb2312).TextOf(0), "");
  for (const Case& c : cases) {
    const CodePageMap map(c.code_page);
    ASSERT_TRUE(map.valid());
    EXPECT_EQ(map.CodeOf(c.utf8), c.code) << c.utf8;
    if (c.code) {
      EXPECT_EQ(map.TextOf(*c.code), c.utf8);
    }
  }
}

TEST(InkSynthesisTest, SameSeedSameInkOtherSeedOtherInk) {
  const std::vector<build_dictionaries::Median> medians = {{{100, 800}, {900, 800}},
                                                           {{500, 850}, {500, -50}}};
  const auto style = build_dictionaries::VeryHastyStyle();
  const auto a = build_dictionaries::SynthesizeInk(medians, style, 7);
  const auto b = build_dictionaries::SynthesizeInk(medians, style, 7);
  const auto c = build_dictionaries::SynthesizeInk(medians, style, 8);
  const auto same = [](const auto& x, const auto& y) {
    return x.size() == y.size() &&
           std::equal(x.begin(), x.end(), y.begin(), [](auto p, auto q) { return p.x == q.x && p.y == q.y; });
  };
  EXPECT_TRUE(same(a, b));
  EXPECT_FALSE(same(a, c));
  const auto view = wrendle::StrokeListView::Parse(a);
  ASSERT_TRUE(view);
  EXPECT_GE(view->stroke_count(), 1u);
  EXPECT_LE(view->stroke_count(), 2u);
}

// Writes a dictionary's three files into `folder`.
void WriteBaseFiles(const build_dictionaries::BaseDictionary& dictionary, const std::string& folder) {
  const kernel::BaseFileNames names;
  platform::WriteWholeFile(platform::JoinPath(folder, names.features), dictionary.features);
  platform::WriteWholeFile(platform::JoinPath(folder, names.segment_lists), dictionary.segment_lists);
  platform::WriteWholeFile(platform::JoinPath(folder, names.clusters), dictionary.clusters);
}

// A few characters of simple strokes; each one's first sample, written again
// under the builder's seed, is found through the cluster masks of the files
// the builder wrote. Accuracy on unseen writing is the benchmark's matter.
TEST(DictionaryBuilderTest, BuiltFilesLoadAndRecognizeTheirCharacters) {
  using build_dictionaries::Median;
  const std::vector<build_dictionaries::StrokeCharacter> characters = {
      {"二", {{{200, 700}, {800, 700}}, {{100, 100}, {900, 100}}}},
      {"十", {{{100, 400}, {900, 400}}, {{500, 850}, {500, -50}}}},
      {"人", {{{500, 850}, {450, 500}, {100, 0}}, {{500, 450}, {900, 0}}}},
      {"口", {{{200, 700}, {200, 100}}, {{200, 700}, {800, 700}, {800, 100}}, {{200, 100}, {800, 100}}}},
      {"們", {{{100, 100}, {900, 100}}}},  // not in GB2312: skipped
      // Big5 second level, not in GB2312
      {"乂", {{{150, 750}, {850, 50}}, {{850, 750}, {150, 50}}, {{400, 500}, {500, 400}}}},
  };
  for (const CodePage code_page : {CodePage::kGb2312, CodePage::kBig5}) {
    const CodePageMap map(code_page);
    build_dictionaries::BuildOptions options;
    options.clusters = 3;
    options.jobs = 2;
    options.lists_per_record = 3;
    options.big5_first_level_lists = 2;
    options.big5_second_level_lists = 4;
    options.refining_passes = 0;
    const auto dictionary = build_dictionaries::BuildBaseDictionary(code_page, characters, map, options);
    const std::size_t expected = code_page == CodePage::kGb2312 ? 4 : 6;
    EXPECT_EQ(dictionary.characters, expected);
    EXPECT_EQ(dictionary.records, expected * 8);  // two neat and six hasty groups each
    const auto features = kernel::ParseFeatureFile(dictionary.features, code_page);
    ASSERT_TRUE(std::holds_alternative<kernel::FeatureFile>(features));
    const auto lists = kernel::ParseSegmentListFile(dictionary.segment_lists, code_page);
    ASSERT_TRUE(std::holds_alternative<kernel::SegmentListFile>(lists));
    // GB2312: three lists per record, taken from the record's group. Big5:
    // four for the second level, two then two empty ones for the first.
    const kernel::SegmentListFile& list_file = std::get<kernel::SegmentListFile>(lists);
    const std::size_t per_record = code_page == CodePage::kGb2312 ? 3 : 4;
    ASSERT_EQ(list_file.lists_per_record, static_cast<std::int32_t>(per_record));
    const kernel::PagedRecords& records = std::get<kernel::FeatureFile>(features).records;
    ASSERT_EQ(list_file.lists.size(), records.size() * per_record);
    for (std::size_t r = 0; r < records.size(); ++r) {
      const std::uint16_t code = kernel::RecordCode(records.Record(r));
      const bool first_level_big5 =
          code_page == CodePage::kBig5 && kernel::GetCharCategory(code_page, code) == 1;
      for (std::size_t l = 0; l < per_record; ++l) {
        EXPECT_EQ(list_file.lists[r * per_record + l].empty(), first_level_big5 && l >= 2)
            << map.TextOf(code) << " " << l;
      }
    }
    EXPECT_TRUE(std::holds_alternative<kernel::ClusterFile>(
        kernel::ParseClusterFile(dictionary.clusters, code_page)));

    testing_support::TemporaryDirectory directory;
    const std::string folder = directory.path().string();
    WriteBaseFiles(dictionary, folder);
    auto olzun = kernel::Olzun::Create({code_page, folder, folder});
    ASSERT_NE(olzun, nullptr);
    olzun->SetRange(kernel::kRangeChinese);
    for (std::size_t c = 0; c < characters.size(); ++c) {
      // A single level stroke is the quick pass's "one".
      if (!map.CodeOf(characters[c].utf8) || characters[c].medians.size() < 2) continue;
      const auto ink =
          build_dictionaries::SynthesizeInk(characters[c].medians, build_dictionaries::DictionaryStyle(0),
                                            build_dictionaries::DictionarySeed(c, 0));
      std::array<std::uint16_t, 10> codes{};
      ASSERT_GE(olzun->Recognize(ink, codes, 0), 1) << characters[c].utf8;
      EXPECT_EQ(map.TextOf(codes[0]), characters[c].utf8);
    }
  }
}

// Characters that differ in the length of a stroke or two: many of their
// hasty probes go to the other one. A refining pass turns the probes each
// character lost into records of its own, so that the refined dictionary
// loses fewer of those same probes.
TEST(DictionaryBuilderTest, RefiningAddsRecordsForTheLostProbes) {
  const std::vector<build_dictionaries::StrokeCharacter> characters = {
      {"土", {{{300, 550}, {700, 550}}, {{500, 800}, {500, 100}}, {{250, 100}, {750, 100}}}},
      {"士", {{{250, 550}, {750, 550}}, {{500, 800}, {500, 100}}, {{300, 100}, {700, 100}}}},
      {"干", {{{250, 750}, {750, 750}}, {{150, 450}, {850, 450}}, {{500, 750}, {500, -50}}}},
      {"千", {{{650, 800}, {250, 750}}, {{150, 450}, {850, 450}}, {{500, 750}, {500, -50}}}},
  };
  const CodePage code_page = CodePage::kBig5;
  const CodePageMap map(code_page);
  build_dictionaries::BuildOptions options;
  options.samples = 8;
  options.clusters = 2;
  options.jobs = 2;
  options.probes = 12;
  options.records_per_pass = 3;
  const auto build = [&](int passes) {
    options.refining_passes = passes;
    return build_dictionaries::BuildBaseDictionary(code_page, characters, map, options);
  };
  // The probes of the first pass that a dictionary does not put first.
  const auto lost_probes = [&](const build_dictionaries::BaseDictionary& dictionary) {
    testing_support::TemporaryDirectory directory;
    const std::string folder = directory.path().string();
    WriteBaseFiles(dictionary, folder);
    auto olzun = kernel::Olzun::Create({code_page, folder, folder});
    std::vector<std::size_t> lost(characters.size());
    if (!olzun) {
      ADD_FAILURE() << "the files do not load";
      return lost;
    }
    olzun->SetRange(kernel::kRangeChinese);
    for (std::size_t c = 0; c < characters.size(); ++c) {
      for (std::size_t n = 0; n < static_cast<std::size_t>(options.probes); ++n) {
        const auto ink = build_dictionaries::SynthesizeInk(
            characters[c].medians, build_dictionaries::DictionaryStyle(build_dictionaries::ProbeVariant(n)),
            build_dictionaries::ProbeSeed(0, c, n));
        std::array<std::uint16_t, 10> codes{};
        if (olzun->Recognize(ink, codes, 0) < 1 || map.TextOf(codes[0]) != characters[c].utf8) ++lost[c];
      }
    }
    return lost;
  };
  const auto unrefined = build(0);
  const auto refined = build(1);
  const std::vector<std::size_t> before = lost_probes(unrefined);
  const std::vector<std::size_t> after = lost_probes(refined);
  std::size_t added = 0;
  std::size_t lost_before = 0;
  std::size_t lost_after = 0;
  for (std::size_t c = 0; c < characters.size(); ++c) {
    added += std::min<std::size_t>(before[c], static_cast<std::size_t>(options.records_per_pass));
    lost_before += before[c];
    lost_after += after[c];
  }
  EXPECT_EQ(refined.refining_passes, 1u);
  ASSERT_GT(lost_before, 0u);
  EXPECT_EQ(refined.records, unrefined.records + added);
  EXPECT_LT(lost_after, lost_before);
}

}  // namespace
