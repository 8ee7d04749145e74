#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "shapes/letters/letter_recognizer.h"
#include "shapes/letters/template_file_reader.h"
#include "shapes/letters/template_file_writer.h"
#include "tests/support/temporary_directory.h"
#include "tools/build_letter_templates/letter_corpus.h"
#include "tools/build_letter_templates/letter_ink.h"
#include "tools/build_letter_templates/svg_font_glyphs.h"
#include "tools/build_letter_templates/template_builder.h"

namespace {

using letter_templates::GlyphStrokes;

TEST(GlyphPath, MovesStartStrokesAndCurvesAreFlattened) {
  const auto strokes = letter_templates::ParseGlyphPath("M 180 636 L 198 636 M 205 447 L 214 44.1 233,25.2");
  ASSERT_TRUE(strokes);
  ASSERT_EQ(strokes->size(), 2u);
  EXPECT_EQ((*strokes)[0].size(), 2u);
  ASSERT_EQ((*strokes)[1].size(), 3u);
  EXPECT_DOUBLE_EQ((*strokes)[1][2].x, 233);
  EXPECT_DOUBLE_EQ((*strokes)[1][2].y, 25.2);

  const auto curve = letter_templates::ParseGlyphPath("M 0 0 C 0 100 100 100 100 0");
  ASSERT_TRUE(curve);
  ASSERT_EQ((*curve)[0].size(), 9u);
  EXPECT_DOUBLE_EQ((*curve)[0][4].x, 50);
  EXPECT_DOUBLE_EQ((*curve)[0][4].y, 75);
  EXPECT_DOUBLE_EQ((*curve)[0][8].x, 100);

  for (const char* bad : {"", "L 1 2", "M 1", "M 1 2 Q 3 4 5 6", "M 1 2 L x"}) {
    EXPECT_FALSE(letter_templates::ParseGlyphPath(bad)) << bad;
  }
}

TEST(SvgFont, ReadsTheGlyphsAsked) {
  testing_support::TemporaryDirectory folder;
  folder.Write("font.svg",
               "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"><defs><font id=\"f\">"
               "<glyph unicode=\"L\" d=\"M 10 700 L 10 0 L 400 0\"/>"
               "<glyph unicode=\"!\" d=\"M 1 1 L 2 2\"/>"
               "<glyph unicode=\"&#x22;\" d=\"M 1 1 L 2 2\"/>"
               "<glyph unicode=\"i\" d=\"M 180 636 L 198 636 M 205 447 L 214 44\"/>"
               "<glyph unicode=\"x\" d=\"M 1 2 Q 3 4 5 6\"/>"
               "</font></defs></svg>");
  const auto glyphs = letter_templates::ReadSvgFontGlyphs(folder.File("font.svg"), "Lix");
  ASSERT_TRUE(glyphs);
  ASSERT_EQ(glyphs->size(), 2u);
  EXPECT_EQ(glyphs->at('L').size(), 1u);
  EXPECT_EQ(glyphs->at('i').size(), 2u);  // the dot stays a stroke of its own
  folder.Write("not-a-font.svg", "<svg/>");
  EXPECT_FALSE(letter_templates::ReadSvgFontGlyphs(folder.File("not-a-font.svg"), "L"));
  EXPECT_FALSE(letter_templates::ReadSvgFontGlyphs(folder.File("missing.svg"), "L"));
}

TEST(Seeds, GeneratorAndBenchmarkNeverMeet) {
  EXPECT_LT(letter_templates::TemplateSeed(61, 3, (1u << 20) - 1), build_dictionaries::kBenchmarkSeedBase);
  EXPECT_GE(letter_templates::HeldOutSeed(0, 0, 0), build_dictionaries::kBenchmarkSeedBase);
}

TEST(FeatureScales, PutThePercentileNear255AndStayPositive) {
  std::vector<letter_templates::LetterSample> samples(100);
  for (std::size_t s = 0; s < samples.size(); ++s) {
    samples[s].features[0] = static_cast<double>(s);  // percentile 0.99 -> 98
    samples[s].features[1] = 0.0001;                  // tiny values still get scale 1
  }
  const auto scales = letter_templates::FeatureScales(samples, 0.99);
  EXPECT_EQ(scales[0], 384);  // 98 x 1000 / 255
  EXPECT_EQ(scales[1], 1);
  EXPECT_TRUE(std::all_of(scales.begin(), scales.end(), [](std::int16_t s) { return s >= 1; }));
}

// Three letters written as ink, built into templates, written, read back and
// recognized: the generator's whole path on a small scale.
TEST(BuildTemplates, TemplatesRecognizeTheirOwnLetters) {
  std::vector<letter_templates::FontGlyphs> fonts(1);
  fonts[0]['L'] = *letter_templates::ParseGlyphPath("M 100 700 L 100 0 L 450 0");
  fonts[0]['O'] = *letter_templates::ParseGlyphPath(
      "M 300 700 L 500 600 L 560 350 L 500 100 L 300 0 L 100 100 L 40 350 L 100 600 L 300 700");
  fonts[0]['T'] = *letter_templates::ParseGlyphPath("M 0 700 L 600 700 M 300 700 L 300 0");
  const auto ink = letter_templates::WriteLetters(fonts, letter_templates::TemplateInkStyle(),
                                                  letter_templates::TemplateSeed, 30);
  ASSERT_EQ(ink.size(), 90u);
  const auto samples = letter_templates::SampleFeatures(ink, 2);
  ASSERT_EQ(samples.size(), 90u);
  letter_templates::TemplateBuildOptions options;
  options.clusters = 4;
  const letters::TemplateFileContent content = letter_templates::BuildTemplates(samples, options);
  for (const auto& group : content.groups) {
    EXPECT_EQ(group.size(), 12u);
    // Such different letters seldom come near each other: most clusters
    // have no foreign sample nearer than their own.
    EXPECT_GE(std::count_if(group.begin(), group.end(), [](const auto& r) { return r.kind == 1; }), 6);
    for (const auto& record : group) EXPECT_GT(record.threshold_a, 0);
  }

  const auto table = letters::ReadTemplateFile(letters::WriteTemplateFile(content)).table;
  ASSERT_NE(table, nullptr);
  const auto held_out = letter_templates::WriteLetters(fonts, letter_templates::HeldOutInkStyle(),
                                                       letter_templates::HeldOutSeed, 10);
  int right = 0;
  for (const auto& sample : held_out) {
    const auto result = letters::RecognizeLetter(*table, *wrendle::StrokeListView::Parse(sample.ink));
    right += result.status > 0 && result.codes.front() == static_cast<std::uint8_t>(sample.code);
  }
  EXPECT_GE(right, 24);  // 80 % of held-out letters
}

}  // namespace
