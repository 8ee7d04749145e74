#include "engine/NetSearchEngine/hwr_code_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Parse(vok::HwrCodeConversion* table, const std::string& text) {
  return table->Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(HwrCodeConversionTest, FirstAlternativeAndTheBestPlacedReverse) {
  vok::HwrCodeConversion table;
  // GB B7A2 (fa) -> Big5 B56F, B6BE; GB B8C9 (gan) -> Big5 B0AE, A47A; GB
  // C7AC (qian) -> Big5 B0AE.
  const std::string text =
      "\xB7\xA2\xB5\x6F\xB6\xBE\n"
      "\xB8\xC9\xA4\x7A\xB0\xAE\r\n"
      "\xC7\xAC\xB0\xAE";
  EXPECT_EQ(Parse(&table, text), 3);
  EXPECT_EQ(table.GbToBig5(0xB7A2), 0xB56F);
  EXPECT_EQ(table.GbToBig5(0xC7AC), 0xB0AE);  // the last line needs no newline
  EXPECT_EQ(table.Big5ToGb(0xB6BE), 0xB7A2);
  EXPECT_EQ(table.Big5ToGb(0xB0AE), 0xC7AC);  // first on its line beats second
  EXPECT_EQ(table.Big5ToGb(0xA47A), 0xB8C9);
  EXPECT_EQ(table.GbToBig5(0xB0A1), -1);
  EXPECT_EQ(table.Big5ToGb(0xA440), -1);
}

TEST(HwrCodeConversionTest, ShortAndOddLinesAreSkipped) {
  vok::HwrCodeConversion table;
  EXPECT_EQ(Parse(&table, "\xB0\xA1\n\xB0\xA2\xA4\x40\x41\n\n\xB0\xA3\xA4\x41\n"), 1);
  EXPECT_EQ(table.GbToBig5(0xB0A1), -1);
  EXPECT_EQ(table.GbToBig5(0xB0A2), -1);
  EXPECT_EQ(table.GbToBig5(0xB0A3), 0xA441);
}

}  // namespace
