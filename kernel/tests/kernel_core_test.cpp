#include "kernel/kernel_core.h"
#include "kernel/tests/code_page_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "kernel/feature_file.h"
#include "kernel/pen_ink_file.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/file_access.h"
#include "tests/support/temporary_directory.h"

namespace {

using kernel::CodePage;
using kernel::KernelCore;
using kernel_testing::Sample;

class KernelCoreTest : public ::testing::TestWithParam<CodePage> {
 protected:
  std::unique_ptr<KernelCore> Make(const std::vector<Sample>& samples, std::size_t clusters = 4) {
    kernel_testing::WriteBaseFiles(program_.path().string(),
                                   kernel_testing::BuildBaseFiles(GetParam(), samples, clusters));
    auto created = KernelCore::Create({GetParam(), program_.path().string(), learning_.path().string()});
    if (auto* error = std::get_if<kernel::LoadError>(&created)) {
      ADD_FAILURE() << "load error " << static_cast<int>(*error);
      return nullptr;
    }
    return std::move(std::get<std::unique_ptr<KernelCore>>(created));
  }

  testing_support::TemporaryDirectory program_;
  testing_support::TemporaryDirectory learning_;
};

TEST_P(KernelCoreTest, ExactRecordRanksFirst) {
  const auto samples = kernel_testing::SyntheticSamples(GetParam(), 40, 2);
  auto core = Make(samples);
  ASSERT_TRUE(core);
  int first = 0;
  for (const Sample& sample : samples) {
    const auto codes = kernel_testing::RecognizeStrokes(*core, sample.strokes);
    ASSERT_FALSE(codes.empty());
    if (codes[0] == sample.code) ++first;
  }
  EXPECT_EQ(first, static_cast<int>(samples.size()));
}

// A character that the base dictionary does not hold.
constexpr std::uint32_t kNewCharacter = 500;

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  return platform::ReadWholeFile(path).value_or(std::vector<std::uint8_t>{});
}

std::int32_t HeaderCount(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 32) return -1;
  return static_cast<std::int32_t>(bytes[28] | bytes[29] << 8 | bytes[30] << 16 | bytes[31] << 24);
}

TEST_P(KernelCoreTest, LearnedCharacterIsRecognizedAfterReload) {
  const auto samples = kernel_testing::SyntheticSamples(GetParam(), 20, 2);
  const auto strokes = kernel_testing::SyntheticCharacter(kNewCharacter, 0);
  const std::uint16_t code = kernel_testing::CharacterCode(GetParam(), kNewCharacter);
  {
    auto core = Make(samples);
    ASSERT_TRUE(core);
    ASSERT_EQ(core->slots().size(), 2u);
    EXPECT_EQ(core->slots()[1]->record_count(), 0u);
    ASSERT_TRUE(core->Learn(strokes, code));
    EXPECT_EQ(kernel_testing::RecognizeStrokes(*core, strokes).at(0), code);
  }
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnst0.dbs"))), 1);
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnsg0.dbs"))), 1);
  auto reloaded = KernelCore::Create({GetParam(), program_.path().string(), learning_.path().string()});
  auto& core = std::get<std::unique_ptr<KernelCore>>(reloaded);
  ASSERT_EQ(core->slots()[1]->record_count(), 1u);
  EXPECT_EQ(core->slots()[1]->base_index(), static_cast<std::int32_t>(samples.size()));
  EXPECT_EQ(kernel_testing::RecognizeStrokes(*core, strokes).at(0), code);
  // The pen ink holds the list as given: code, entry count, entries.
  const auto ink = FileBytes(learning_.File("tpenink.dbs"));
  ASSERT_EQ(ink.size(), 4 + strokes.size() * 4);
  EXPECT_EQ(ink[0] | ink[1] << 8, code);
  EXPECT_EQ(static_cast<std::size_t>(ink[2] | ink[3] << 8), strokes.size());
}

TEST_P(KernelCoreTest, LearningStoresTheSegmentsOfTheLearnedCell) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 10, 1));
  ASSERT_TRUE(core);
  const auto learned = kernel_testing::SyntheticCharacter(kNewCharacter, 0);
  kernel_testing::RecognizeStrokes(*core, kernel_testing::SyntheticCharacter(3, 0));
  ASSERT_TRUE(core->Learn(learned, 0x40A4));
  const auto view = wrendle::StrokeListView::Parse(learned);
  const auto cell = kernel::TakeCell(*view);
  const auto expected = core->Analyze(*cell, core->QuickSegments(*cell).segments).segments;
  const auto lists = core->SegmentListsOf(core->slots()[1]->base_index());
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], expected);
}

TEST_P(KernelCoreTest, LearningRefusesTooSmallCell) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  const auto dot = wrendle::StrokeListBuilder().AddStroke({{10, 10}, {15, 14}}).Build();
  EXPECT_FALSE(core->Learn(dot, 0x40A4));
  EXPECT_FALSE(platform::FileExists(learning_.File("tpenink.dbs")));
}

TEST_P(KernelCoreTest, AttachOfMissingFilesGivesEmptyDictionaryUnderNewNames) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  const auto result = core->AttachLearn({"userst.dbs", "usersg.dbs", "userink.dbs", "usercls.dbs"});
  EXPECT_EQ(result.error, kernel::LoadError::kNone);
  EXPECT_EQ(core->learning_names().features, "userst.dbs");
  ASSERT_TRUE(core->Learn(kernel_testing::SyntheticCharacter(kNewCharacter, 0), 0x40A4));
  EXPECT_TRUE(platform::FileExists(learning_.File("userst.dbs")));
  EXPECT_TRUE(platform::FileExists(learning_.File("usersg.dbs")));
  EXPECT_TRUE(platform::FileExists(learning_.File("userink.dbs")));
  EXPECT_FALSE(platform::FileExists(learning_.File("tlrnst0.dbs")));
  EXPECT_EQ(core->AttachLearn({}).error, kernel::LoadError::kNone);
  EXPECT_EQ(core->slots()[1]->record_count(), 1u);
}

TEST_P(KernelCoreTest, FailedAttachKeepsNamesAndDictionary) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  ASSERT_TRUE(core->Learn(kernel_testing::SyntheticCharacter(kNewCharacter, 0), 0x40A4));
  auto cut = FileBytes(learning_.File("tlrnst0.dbs"));
  cut.resize(cut.size() - 1);
  platform::WriteWholeFile(learning_.File("broken.dbs"), cut);
  const auto result = core->AttachLearn({"broken.dbs", "brokensg.dbs", std::nullopt, std::nullopt});
  EXPECT_EQ(result.error, kernel::LoadError::kShortRead);
  EXPECT_EQ(core->learning_names().features, "tlrnst0.dbs");
  EXPECT_EQ(core->learning_names().segment_lists, "tlrnsg0.dbs");
  EXPECT_EQ(core->slots()[1]->record_count(), 1u);
}

TEST_P(KernelCoreTest, FileOfOtherCodePageIsNeitherAttachedNorConverted) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  const CodePage other = GetParam() == CodePage::kBig5 ? CodePage::kGb2312 : CodePage::kBig5;
  const auto layout = kernel_testing::TestLayout(other);
  const auto foreign = kernel::WriteFeatureFile(other, layout.bounds, layout.fine_divisors, {});
  platform::WriteWholeFile(learning_.File("other.dbs"), foreign);
  platform::WriteWholeFile(learning_.File("otherink.dbs"), {});
  const kernel::LearningNameChanges names{"other.dbs", "othersg.dbs", "otherink.dbs", std::nullopt};
  const auto result = core->AttachLearn(names);
  EXPECT_EQ(result.error, kernel::LoadError::kMismatch);
  EXPECT_FALSE(result.convertible);
  EXPECT_FALSE(core->ConvertLearn(names));
  EXPECT_EQ(FileBytes(learning_.File("other.dbs")), foreign);
}

TEST_P(KernelCoreTest, OlderLayoutIsConvertedFromThePenInk) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 10, 1));
  ASSERT_TRUE(core);
  const auto strokes = kernel_testing::SyntheticCharacter(kNewCharacter, 0);
  const std::uint16_t code = kernel_testing::CharacterCode(GetParam(), kNewCharacter);
  ASSERT_TRUE(core->Learn(strokes, code));
  auto layout = kernel_testing::TestLayout(GetParam());
  layout.fine_divisors[7] += 1;
  platform::WriteWholeFile(learning_.File("tlrnst0.dbs"),
                           kernel::WriteFeatureFile(GetParam(), layout.bounds, layout.fine_divisors, {}));
  const auto result = core->AttachLearn({});
  EXPECT_EQ(result.error, kernel::LoadError::kMismatch);
  EXPECT_TRUE(result.convertible);
  std::vector<std::pair<std::size_t, std::size_t>> progress;
  EXPECT_TRUE(core->ConvertLearn({}, [&](std::size_t done, std::size_t total) {
    progress.push_back({done, total});
  }));
  EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1}, {1, 1}}));
  EXPECT_EQ(core->AttachLearn({}).error, kernel::LoadError::kNone);
  ASSERT_EQ(core->slots()[1]->record_count(), 1u);
  EXPECT_EQ(kernel_testing::RecognizeStrokes(*core, strokes).at(0), code);
}

TEST_P(KernelCoreTest, ConversionThatCannotWriteKeepsTheOldFiles) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 10, 1));
  ASSERT_TRUE(core);
  const auto strokes = kernel_testing::SyntheticCharacter(kNewCharacter, 0);
  const std::uint16_t code = kernel_testing::CharacterCode(GetParam(), kNewCharacter);
  ASSERT_TRUE(core->Learn(strokes, code));
  auto layout = kernel_testing::TestLayout(GetParam());
  layout.fine_divisors[7] += 1;
  platform::WriteWholeFile(learning_.File("tlrnst0.dbs"),
                           kernel::WriteFeatureFile(GetParam(), layout.bounds, layout.fine_divisors, {}));
  platform::WriteWholeFile(learning_.File("tlrncls.dbs"), std::vector<std::uint8_t>{1, 2, 3});
  const auto features = FileBytes(learning_.File("tlrnst0.dbs"));
  const auto lists = FileBytes(learning_.File("tlrnsg0.dbs"));
  // The rebuilt segment-list file can't be written (as on a full disk).
  std::filesystem::create_directory(learning_.File("tlrnsg0.dbs.new"));
  EXPECT_FALSE(core->ConvertLearn({}));
  EXPECT_EQ(FileBytes(learning_.File("tlrnst0.dbs")), features);
  EXPECT_EQ(FileBytes(learning_.File("tlrnsg0.dbs")), lists);
  EXPECT_TRUE(platform::FileExists(learning_.File("tlrncls.dbs")));
  EXPECT_FALSE(platform::FileExists(learning_.File("tlrnst0.dbs.new")));

  std::filesystem::remove(learning_.File("tlrnsg0.dbs.new"));
  EXPECT_TRUE(core->ConvertLearn({})) << "the old files can still be converted";
  EXPECT_EQ(kernel_testing::RecognizeStrokes(*core, strokes).at(0), code);
}

TEST_P(KernelCoreTest, ConvertingEmptyPenInkGivesEmptyFiles) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  platform::WriteWholeFile(learning_.File("tpenink.dbs"), {});
  platform::WriteWholeFile(learning_.File("tlrncls.dbs"), std::vector<std::uint8_t>{1, 2, 3});
  int calls = 0;
  EXPECT_TRUE(core->ConvertLearn({}, [&](std::size_t, std::size_t) { ++calls; }));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnst0.dbs"))), 0);
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnsg0.dbs"))), 0);
  EXPECT_FALSE(platform::FileExists(learning_.File("tlrncls.dbs")));
}

TEST_P(KernelCoreTest, ConvertingMissingPenInkFails) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  EXPECT_FALSE(core->ConvertLearn({std::nullopt, std::nullopt, "none.dbs", std::nullopt}));
  EXPECT_EQ(core->learning_names().pen_ink, "tpenink.dbs");
}

TEST_P(KernelCoreTest, ConvertingMixedPenInkLearnsTheUsableRecords) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 10, 1));
  ASSERT_TRUE(core);
  const auto good = kernel_testing::SyntheticCharacter(kNewCharacter, 0);
  const auto second = kernel_testing::SyntheticCharacter(kNewCharacter + 1, 0);
  const std::vector<wrendle::StrokeEntry> malformed = {{5, 0}, {1, 1}, {0, 0}};
  const std::vector<wrendle::StrokeEntry> too_long(5001, wrendle::StrokeEntry{0, 0});
  std::vector<std::uint8_t> ink;
  auto add = [&](std::uint16_t code, const std::vector<wrendle::StrokeEntry>& entries) {
    const auto record = kernel::SerializeInkRecord(code, entries);
    ink.insert(ink.end(), record.begin(), record.end());
  };
  add(0x4101, good);
  add(0x4102, {});
  add(0x4103, malformed);
  add(0x4104, too_long);
  add(0x4105, second);
  const auto tail = kernel::SerializeInkRecord(0x4106, good);
  ink.insert(ink.end(), tail.begin(), tail.begin() + 10);
  platform::WriteWholeFile(learning_.File("tpenink.dbs"), ink);
  std::size_t total = 0;
  EXPECT_TRUE(core->ConvertLearn({}, [&](std::size_t, std::size_t all) { total = all; }));
  EXPECT_EQ(total, 4u);
  const auto& learned = *core->slots()[1];
  ASSERT_EQ(learned.record_count(), 2u);
  EXPECT_EQ(learned.Code(learned.base_index()), 0x4101);
  EXPECT_EQ(learned.Code(learned.base_index() + 1), 0x4105);
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnsg0.dbs"))), 2);
}

TEST_P(KernelCoreTest, CodeInBothDictionariesAppearsOnce) {
  const auto samples = kernel_testing::SyntheticSamples(GetParam(), 10, 1);
  auto core = Make(samples);
  ASSERT_TRUE(core);
  ASSERT_TRUE(core->Learn(samples[4].strokes, samples[4].code));
  const auto codes = kernel_testing::RecognizeStrokes(*core, samples[4].strokes);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes[0], samples[4].code);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), samples[4].code), 1);
}

TEST_P(KernelCoreTest, RangeFilterCanRejectEveryCandidate) {
  const auto samples = kernel_testing::SyntheticSamples(GetParam(), 10, 1);
  auto core = Make(samples);
  ASSERT_TRUE(core);
  core->set_range_flags(kernel::kRangeDigits);
  EXPECT_TRUE(kernel_testing::RecognizeStrokes(*core, samples[0].strokes).empty());
}

TEST_P(KernelCoreTest, MissingBaseFileFailsCreation) {
  kernel_testing::WriteBaseFiles(
      program_.path().string(),
      kernel_testing::BuildBaseFiles(GetParam(), kernel_testing::SyntheticSamples(GetParam(), 3, 1), 1));
  platform::RemoveFile(program_.File("bqothcla.dbs"));
  auto created = KernelCore::Create({GetParam(), program_.path().string(), learning_.path().string()});
  ASSERT_TRUE(std::holds_alternative<kernel::LoadError>(created));
  EXPECT_EQ(std::get<kernel::LoadError>(created), kernel::LoadError::kMissing);
}

TEST_P(KernelCoreTest, BaseOfOtherCodePageIsRefused) {
  const CodePage other = GetParam() == CodePage::kBig5 ? CodePage::kGb2312 : CodePage::kBig5;
  kernel_testing::WriteBaseFiles(
      program_.path().string(),
      kernel_testing::BuildBaseFiles(other, kernel_testing::SyntheticSamples(other, 3, 1), 1));
  auto created = KernelCore::Create({GetParam(), program_.path().string(), learning_.path().string()});
  ASSERT_TRUE(std::holds_alternative<kernel::LoadError>(created));
  EXPECT_EQ(std::get<kernel::LoadError>(created), kernel::LoadError::kMismatch);
}

TEST_P(KernelCoreTest, DegenerateCellsGiveAWellDefinedResult) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 10, 1));
  ASSERT_TRUE(core);
  std::vector<wrendle::StrokeEntry> dots;
  {
    wrendle::StrokeListBuilder builder;
    for (int i = 0; i < 12; ++i) builder.AddStroke({{i * 20, (i % 3) * 30}});
    dots = builder.Build();
  }
  const std::vector<std::pair<const char*, std::vector<wrendle::StrokeEntry>>> cells = {
      {"horizontal", wrendle::StrokeListBuilder().AddStroke({{0, 100}, {50, 100}, {300, 100}}).Build()},
      {"vertical", wrendle::StrokeListBuilder().AddStroke({{40, 0}, {40, 300}}).Build()},
      {"single points", dots},
      {"one long repeated point",
       wrendle::StrokeListBuilder().AddStroke({{0, 0}, {0, 0}, {90, 90}, {90, 90}}).Build()},
  };
  for (const auto& [name, strokes] : cells) {
    const auto view = wrendle::StrokeListView::Parse(strokes);
    const auto cell = kernel::TakeCell(*view);
    ASSERT_TRUE(cell) << name;
    const auto analysis = core->Analyze(*cell, core->QuickSegments(*cell).segments);
    const auto codes = core->AssembleCandidates(core->Match(analysis), analysis);
    EXPECT_LE(codes.size(), kernel::kMaxCandidates) << name;
  }
}

TEST_P(KernelCoreTest, FailedSegmentListWriteKeepsRecordsAligned) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  // A folder in the place of the segment-list file makes its write fail.
  std::filesystem::create_directory(learning_.path() / "tlrnsg0.dbs");
  const auto first = kernel_testing::SyntheticCharacter(kNewCharacter, 0);
  const auto second = kernel_testing::SyntheticCharacter(kNewCharacter + 1, 0);
  ASSERT_TRUE(core->Learn(first, 0x4101));
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnst0.dbs"))), 1);
  std::filesystem::remove(learning_.path() / "tlrnsg0.dbs");
  ASSERT_TRUE(core->Learn(second, 0x4102));
  auto reloaded = KernelCore::Create({GetParam(), program_.path().string(), learning_.path().string()});
  auto& fresh = std::get<std::unique_ptr<KernelCore>>(reloaded);
  const auto& learned = *fresh->slots()[1];
  ASSERT_EQ(learned.record_count(), 2u);
  EXPECT_EQ(HeaderCount(FileBytes(learning_.File("tlrnsg0.dbs"))), 2);
  EXPECT_TRUE(fresh->SegmentListsOf(learned.base_index()).front().empty());
  const auto cell = kernel::TakeCell(*wrendle::StrokeListView::Parse(second));
  EXPECT_EQ(fresh->SegmentListsOf(learned.base_index() + 1).front(),
            fresh->Analyze(*cell, fresh->QuickSegments(*cell).segments).segments);
}

TEST_P(KernelCoreTest, FailedFeatureWriteLeavesFileAndCountAsTheyWere) {
  auto core = Make(kernel_testing::SyntheticSamples(GetParam(), 5, 1));
  ASSERT_TRUE(core);
  ASSERT_TRUE(core->Learn(kernel_testing::SyntheticCharacter(kNewCharacter, 0), 0x4101));
  const auto before = FileBytes(learning_.File("tlrnst0.dbs"));
  // The replacement file cannot be made while a folder holds its name.
  std::filesystem::create_directory(learning_.path() / "tlrnst0.dbs.new");
  core->Learn(kernel_testing::SyntheticCharacter(kNewCharacter + 1, 0), 0x4102);
  EXPECT_EQ(FileBytes(learning_.File("tlrnst0.dbs")), before);
  EXPECT_EQ(core->slots()[1]->record_count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothCodePages, KernelCoreTest, ::testing::Values(CodePage::kBig5, CodePage::kGb2312),
                         kernel::CodePageName);

}  // namespace
