#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "tools/train_acoustic_model/acoustic_training.h"
#include "tools/train_acoustic_model/byte_quantiser.h"
#include "tools/train_acoustic_model/code_book.h"
#include "tools/train_acoustic_model/corpus_list.h"
#include "tools/train_acoustic_model/units.h"
#include "tools/train_acoustic_model/wave_file.h"

namespace {

using namespace train_acoustic_model;

// Wave images with one header field changed.
std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> image, std::size_t at, std::uint32_t value,
                                  int bytes) {
  for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  return image;
}

TEST(WaveFile, ReadsOnlySixteenBitMonoAtTheFrontEndRate) {
  const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 1234};
  const std::vector<std::uint8_t> good = WaveImage(samples, kSamplingRate);
  std::string error;
  const auto read = ParseWave(good, kSamplingRate, &error);
  ASSERT_TRUE(read.has_value()) << error;
  EXPECT_EQ(*read, samples);

  struct Case {
    const char* what;
    std::vector<std::uint8_t> image;
    const char* message;
  };
  const Case cases[] = {
      {"22050 Hz", Patched(good, 24, 22050, 4), "22050 Hz, 11025 Hz expected"},
      {"stereo", Patched(good, 22, 2, 2), "2 channels, mono expected"},
      {"8-bit", Patched(good, 34, 8, 2), "8-bit samples, 16-bit expected"},
      {"float", Patched(good, 20, 3, 2), "not PCM (format 3)"},
      {"not RIFF", Patched(good, 0, 0x46464952u + 1, 4), "not a RIFF wave file"},
      {"data past the end", Patched(good, 40, 1000, 4), "a chunk runs past the end of the file"},
      {"no data", std::vector<std::uint8_t>(good.begin(), good.begin() + 36), "no data chunk"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_FALSE(ParseWave(c.image, kSamplingRate, &reason).has_value()) << c.what;
    EXPECT_EQ(reason, c.message) << c.what;
  }
}

TEST(ByteQuantiser, CodesFewValuesExactlyAndManyClosely) {
  const std::vector<float> few = {-3.0f, 0.5f, 0.5f, 2.25f, std::nanf(""), INFINITY};
  const ByteQuantiser exact = ByteQuantiser::Fit(few);
  for (float v : {-3.0f, 0.5f, 2.25f}) EXPECT_EQ(exact.Decode(exact.Encode(v)), v);
  EXPECT_TRUE(std::is_sorted(exact.Levels().begin(), exact.Levels().end()));

  std::mt19937 random(7);
  std::normal_distribution<float> normal(0.0f, 2.0f);
  std::vector<float> many(20000);
  for (float& v : many) v = normal(random);
  const ByteQuantiser fitted = ByteQuantiser::Fit(many);
  double worst = 0.0;
  for (float v : many)
    worst = std::max(worst, std::fabs(static_cast<double>(fitted.Decode(fitted.Encode(v))) - v));
  // 256 levels over a few standard deviations: errors of a few hundredths
  // in the body, larger only in the sparse tails.
  double squared = 0.0;
  for (float v : many) squared += std::pow(fitted.Decode(fitted.Encode(v)) - v, 2);
  EXPECT_LT(std::sqrt(squared / many.size()), 0.02);
  EXPECT_LT(worst, 0.5);
  EXPECT_EQ(fitted.Encode(-1e30f), 0);
  EXPECT_EQ(fitted.Encode(1e30f), 255);
  const ByteQuantiser empty = ByteQuantiser::Fit({});
  for (float level : empty.Levels()) EXPECT_EQ(level, 0.0f);
}

TEST(CodeBook, KMeansFindsSeparatedClustersForAnyNumberOfJobs) {
  const float centres[3][2] = {{-5.0f, 0.0f}, {5.0f, 1.0f}, {0.0f, 8.0f}};
  std::mt19937 random(3);
  std::normal_distribution<float> noise(0.0f, 0.3f);
  std::vector<float> data;
  for (int i = 0; i < 900; ++i)
    for (int d = 0; d < 2; ++d) data.push_back(centres[i % 3][d] + noise(random));
  KMeansOptions options;
  options.size = 3;
  const CodeBook one = TrainCodeBook(data, 2, options);
  options.jobs = 3;
  const CodeBook three = TrainCodeBook(data, 2, options);
  EXPECT_EQ(one.centres, three.centres);
  ASSERT_EQ(one.size(), 3u);
  std::set<std::size_t> found;
  for (const auto& c : centres) {
    const std::size_t g = NearestCentre(one, c);
    found.insert(g);
    EXPECT_NEAR(one.Centre(g)[0], c[0], 0.1);
    EXPECT_NEAR(one.Centre(g)[1], c[1], 0.1);
    EXPECT_NEAR(one.variances[g * 2], 0.09, 0.03);
  }
  EXPECT_EQ(found.size(), 3u);
}

TEST(CodeBook, IdenticalVectorsGiveFiniteFlooredGaussians) {
  // More clusters than distinct vectors: clusters stay empty or hold one
  // value; nothing may turn into NaN or a zero variance.
  std::vector<float> data;
  for (int i = 0; i < 50; ++i) data.insert(data.end(), {1.0f, 2.0f, 3.0f});
  for (int i = 0; i < 50; ++i) data.insert(data.end(), {1.0f, 2.0f, 4.0f});
  KMeansOptions options;
  options.size = 8;
  const CodeBook book = TrainCodeBook(data, 3, options);
  ASSERT_EQ(book.size(), 8u);
  for (float c : book.centres) EXPECT_TRUE(std::isfinite(c));
  for (float v : book.variances) EXPECT_GE(v, options.varianceFloor);
  EXPECT_NEAR(book.Centre(NearestCentre(book, data.data() + 150))[2], 4.0f, 1e-3);
}

TEST(CodeBook, GaussianScoreIsMinusTheScaledSquaredDistance) {
  const float centre[3] = {1.0f, -2.0f, 0.5f};
  const float x[3] = {0.0f, 1.0f, 0.5f};
  EXPECT_NEAR(GaussianScore(centre, x, 3, 0.25f), -0.25f * (1.0f + 9.0f), 1e-5);
  EXPECT_EQ(GaussianScore(centre, centre, 3, 4.0f), 0.0f);
}

TEST(CorpusList, SkipsAndReportsWhatCannotBeTrained) {
  const std::set<std::string> inventory = {"NI3", "HAO3", "MA5"};
  const std::string text =
      "# corpus\n"
      "wav/a.wav\tm1\tM\tni3 hao3 ma5\n"
      "/data/b.wav\tf1\tF\tNI3 HAO3\r\n"
      "wav/c.wav\tf1\tF\tni3 xyz9 hao3\n"
      "wav/d.wav\tf1\tX\tni3\n"
      "wav/e.wav\tm1\tM\n"
      "wav/f.wav\tm1\t-\t \n"
      "\n";
  std::vector<std::string> problems;
  const std::vector<CorpusEntry> entries = ParseCorpusList(text, "/corpus", inventory, &problems);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].wave, "/corpus/wav/a.wav");
  EXPECT_EQ(entries[0].syllables, (std::vector<std::string>{"NI3", "HAO3", "MA5"}));
  EXPECT_EQ(entries[0].gender, 'M');
  EXPECT_EQ(entries[1].wave, "/data/b.wav");
  EXPECT_EQ(entries[1].speaker, "f1");
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_EQ(problems[0], "line 4 (wav/c.wav): syllables outside the inventory: XYZ9");
  EXPECT_EQ(problems[3], "line 7 (wav/f.wav): no syllables");
}

TEST(Units, SpellTranscriptsAsTheVocabularyStageSpellsSyllables) {
  const UnitLabels labels = LabelSyllables({"ZHONG1", "A1", "NV3"});
  EXPECT_EQ(labels.phones, (std::vector<std::string>{"SIL", "zh", "ong1", "a1", "n", "v3", "SIL"}));
  EXPECT_EQ(labels.contexts, (std::vector<std::string>{"SIL", "zh(#,ong1)", "ong1(zh,#)", "a1(#,#)",
                                                       "n(#,v3)", "v3(n,#)", "SIL"}));
  EXPECT_EQ(CenterPhone("ong1(zh,#)"), "ong1");
  EXPECT_EQ(CenterPhone("SIL"), "SIL");
  const std::string syllable_text =
      "# comment\n%BEGIN <SYLLABLE>\nA1 a1\nZHONG1 zh ong1\n# inside\n%END\n%BEGIN <FANOUT>\nx y\n%END\n";
  EXPECT_EQ(ReadSyllableInventory(syllable_text), (std::vector<std::string>{"A1", "ZHONG1"}));
}

// The decoder scores a syllable with the models its "Syllable" line names:
// the in-context models where they exist, and no syllable may drop out, or
// the pronunciations' syllable numbers would point at other syllables.
TEST(Units, SyllableTableNamesTheContextModelsAndKeepsEverySyllable) {
  AcousticModel model;
  for (const char* phone : {"SIL", "zh", "ong1", "a1"}) model.AddHmm(phone);
  model.CloneHmm("zh(#,ong1)", model.HmmIndex("zh"));
  model.TieHmm("a1(#,#)", model.HmmIndex("a1"));
  const std::vector<std::string> inventory = {"ZHONG1", "A1", "NV3"};
  const std::string text = SyllableSpelling(model, inventory);
  EXPECT_EQ(text,
            "# Toned syllables (tone 5 neutral) and the HMM names that spell them.\n"
            "%BEGIN <SYLLABLE>\n"
            "ZHONG1 zh(#,ong1) ong1\n"
            "A1 a1(#,#)\n"
            "NV3 n v3\n"
            "%END\n");
  EXPECT_EQ(ReadSyllableInventory(text), inventory);
}

}  // namespace
