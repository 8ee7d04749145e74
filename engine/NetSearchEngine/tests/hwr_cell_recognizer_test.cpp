#include "engine/NetSearchEngine/hwr_cell_recognizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/NetSearchEngine/hwr_code_conversion.h"
#include "engine/NetSearchEngine/tests/hwr_test_support.h"

namespace {

using vok::HwrCandidate;
using vok_test::Candidates;

std::vector<uint16_t> Codes(const HwrCandidate* list, int n) {
  std::vector<uint16_t> codes;
  for (int i = 0; i < n; ++i) codes.push_back(list[i].code);
  return codes;
}

TEST(HwrCellRecognizerTest, MergeByOrderKeySkipsTakenCodes) {
  const HwrCandidate a[] = {{1, 0, 10, 0}, {2, 0, 30, 0}, {3, 0, 50, 0}};
  const HwrCandidate b[] = {{4, 0, 10, 0}, {2, 0, 20, 0}, {5, 0, 60, 0}};
  HwrCandidate out[8];
  EXPECT_EQ(Codes(out, vok::MergeByOrderKey(a, 3, b, 3, out, 8)), (std::vector<uint16_t>{1, 4, 2, 3, 5}));
  EXPECT_EQ(Codes(out, vok::MergeByOrderKey(a, 3, b, 3, out, 2)), (std::vector<uint16_t>{1, 4}));
}

TEST(HwrCellRecognizerTest, FullWidthCodesOfBothScripts) {
  const struct {
    char ch;
    uint16_t simplified;
    uint16_t traditional;
  } cases[] = {{'0', 0xA3B0, 0xA2AF}, {'9', 0xA3B9, 0xA2B8}, {'A', 0xA3C1, 0xA2CF},
               {'Z', 0xA3DA, 0xA2E8}, {'a', 0xA3E1, 0xA2E9}, {'v', 0xA3F6, 0xA2FE},
               {'w', 0xA3F7, 0xA340}, {'z', 0xA3FA, 0xA343}, {':', 0xA3BA, ':' << 8}};
  for (const auto& c : cases) {
    const auto code = static_cast<uint16_t>(c.ch << 8);
    EXPECT_EQ(vok::FullWidthCode(code, vok::kHwrScriptSimplified), c.simplified) << c.ch;
    EXPECT_EQ(vok::FullWidthCode(code, vok::kHwrScriptTraditional), c.traditional) << c.ch;
  }
  EXPECT_EQ(vok::FullWidthCode(0xB0A1, vok::kHwrScriptSimplified), 0xB0A1);
  EXPECT_EQ(vok::FullWidthCode('{' << 8, vok::kHwrScriptSimplified), '{' << 8);
}

class HwrCellRecognizerScriptsTest : public ::testing::Test {
 protected:
  HwrCellRecognizerScriptsTest() : record_(&conversion_) {
    // GB B0A1 <-> Big5 B0DA, GB B0A2 <-> Big5 AB73; Big5 A440 has no GB line.
    const std::string text = "\xB0\xA1\xB0\xDA\n\xB0\xA2\xAB\x73\n";
    conversion_.Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    auto sc = Candidates({0xB0A1, 0xB0A2, 0xB0A3});
    auto tc = Candidates({0xB0DA, 0xA440, 0xAB73});
    tc[0].order_key = 95;  // ahead of the first simplified candidate
    record_.set_sc_recognizer(std::make_unique<vok_test::ScriptedChineseRecognizer>(sc));
    record_.set_tc_recognizer(std::make_unique<vok_test::ScriptedChineseRecognizer>(tc));
  }

  std::vector<uint16_t> Run(int32_t range, int32_t script) {
    record_.settings.range = range;
    record_.set_result_script(script);
    const auto stroke = vok_test::Line(0, 0, 40, 40);
    const int count = static_cast<int>(stroke.size());
    HwrCandidate out[vok::HwrCellRecognizer::kMaxCandidates];
    return Codes(out, recognizer_.Recognize(record_, stroke.data(), 1, &count, out));
  }

  vok::HwrCodeConversion conversion_;
  vok::HWRRecognizerRecord record_;
  vok::HwrCellRecognizer recognizer_;
};

TEST_F(HwrCellRecognizerScriptsTest, ResultsOfTheOtherScriptAreConvertedOrDropped) {
  const int32_t both = vok::kHwrRangeSimplified | vok::kHwrRangeTraditional;
  // Simplified results: B0DA becomes B0A1 (taken first, by its key), A440
  // has no simplified form, AB73 becomes the B0A2 already taken.
  EXPECT_EQ(Run(both, vok::kHwrScriptSimplified), (std::vector<uint16_t>{0xB0A1, 0xB0A2, 0xB0A3}));
  // Traditional results: B0A3 has no traditional form.
  EXPECT_EQ(Run(both, vok::kHwrScriptTraditional), (std::vector<uint16_t>{0xB0DA, 0xAB73, 0xA440}));
  EXPECT_EQ(Run(vok::kHwrRangeTraditional, vok::kHwrScriptSimplified),
            (std::vector<uint16_t>{0xB0A1, 0xB0A2}));
  EXPECT_EQ(Run(vok::kHwrRangeSimplified, vok::kHwrScriptSimplified),
            (std::vector<uint16_t>{0xB0A1, 0xB0A2, 0xB0A3}));
}

}  // namespace
