#include "engine/api/wave_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temporary_directory.h"

namespace vok::api {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}
std::string Le32(std::uint32_t v) {
  return Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)});
}
std::string Le16(std::uint16_t v) { return Bytes({v & 0xFF, v >> 8}); }

// A header assembled field by field, with the knobs the refusals need.
struct HeaderSpec {
  std::string riff = "RIFF";
  std::uint32_t format_bytes = 16;
  std::uint16_t format = 1;
  std::uint16_t channels = 1;
  std::uint32_t rate = 11025;
  std::uint16_t bits = 16;
  std::string format_extra;
  std::string foreign_chunk;  // id, size and body, as bytes
  std::uint32_t data_bytes = 4;
  std::string data = Bytes({1, 0, 0xFF, 0xFF});
};

std::string Image(const HeaderSpec& spec) {
  std::string body = "WAVEfmt " + Le32(spec.format_bytes) + Le16(spec.format) + Le16(spec.channels) +
                     Le32(spec.rate) + Le32(spec.rate * 2) + Le16(2) + Le16(spec.bits) + spec.format_extra +
                     spec.foreign_chunk + "data" + Le32(spec.data_bytes) + spec.data;
  return spec.riff + Le32(static_cast<std::uint32_t>(body.size())) + body;
}

std::vector<std::uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WaveHeader, GoldenBytesForDataSizes) {
  const std::string fixed = "RIFF";
  for (std::uint32_t data : {0u, 1u, 2u, 4291u, 0x12345u}) {
    const auto header = WaveHeader(data);
    const std::string expected = "RIFF" + Le32(36 + data) + "WAVEfmt " + Bytes({16, 0, 0, 0, 1, 0, 1, 0}) +
                                 Bytes({0x11, 0x2B, 0, 0, 0x22, 0x56, 0, 0, 2, 0, 16, 0}) + "data" +
                                 Le32(data);
    EXPECT_EQ(std::string(header.begin(), header.end()), expected) << data;
  }
}

TEST(WaveHeader, AcceptedForms) {
  struct Case {
    const char* name;
    HeaderSpec spec;
    std::uint32_t rate, offset, bytes;
  };
  HeaderSpec plain;
  HeaderSpec doubled;
  doubled.rate = 22050;
  HeaderSpec extra;
  extra.format_bytes = 18;
  extra.format_extra = Bytes({0, 0});
  HeaderSpec list;
  list.foreign_chunk = "LIST" + Le32(6) + "INFOab";
  HeaderSpec overstated;  // the data size says more than the file holds
  overstated.data_bytes = 1000;
  HeaderSpec odd;
  odd.data_bytes = 3;
  odd.data = Bytes({1, 0, 7});
  const Case cases[] = {
      {"plain", plain, 11025, 44, 4},          {"22050 Hz", doubled, 22050, 44, 4},
      {"format size 18", extra, 11025, 46, 4}, {"LIST chunk", list, 11025, 58, 4},
      {"clamped", overstated, 11025, 44, 4},   {"odd size", odd, 11025, 44, 3},
  };
  for (const Case& c : cases) {
    WaveFormat format;
    ASSERT_TRUE(ParseWaveHeader(AsBytes(Image(c.spec)), &format)) << c.name;
    EXPECT_EQ(format.sample_rate, c.rate) << c.name;
    EXPECT_EQ(format.data_offset, c.offset) << c.name;
    EXPECT_EQ(format.data_bytes, c.bytes) << c.name;
  }
}

TEST(WaveHeader, RefusedForms) {
  struct Case {
    const char* name;
    HeaderSpec spec;
  };
  HeaderSpec rate8000;
  rate8000.rate = 8000;
  HeaderSpec stereo;
  stereo.channels = 2;
  HeaderSpec eight_bit;
  eight_bit.bits = 8;
  HeaderSpec float_format;
  float_format.format = 3;
  HeaderSpec short_format;  // a format chunk under 16 bytes
  short_format.format_bytes = 14;
  HeaderSpec not_riff;
  not_riff.riff = "RIFX";
  HeaderSpec two_foreign;
  two_foreign.foreign_chunk = "LIST" + Le32(0) + "fact" + Le32(0);
  HeaderSpec foreign_past_end;
  foreign_past_end.foreign_chunk = "LIST" + Le32(1000);
  const Case cases[] = {{"8000 Hz", rate8000},
                        {"stereo", stereo},
                        {"8-bit", eight_bit},
                        {"format 3", float_format},
                        {"format size 14", short_format},
                        {"RIFX", not_riff},
                        {"two foreign chunks", two_foreign},
                        {"chunk past the end", foreign_past_end}};
  for (const Case& c : cases) EXPECT_FALSE(ParseWaveHeader(AsBytes(Image(c.spec)), nullptr)) << c.name;

  const std::string whole = Image(HeaderSpec{});
  for (std::size_t cut : {0u, 11u, 35u, 43u}) {
    EXPECT_FALSE(ParseWaveHeader(AsBytes(whole.substr(0, cut)), nullptr)) << "truncated at " << cut;
  }
}

TEST(WaveFile, WritesThenReadsBack) {
  testing_support::TemporaryDirectory folder;
  const std::string path = folder.File("one.wav");
  CWaveFile out;
  ASSERT_TRUE(out.OpenForWriting(path));
  EXPECT_EQ(folder.Read("one.wav"), std::string(reinterpret_cast<const char*>(WaveHeader(0).data()), 44));
  const std::vector<std::int16_t> first = {0, 1, -1, 32767};
  const std::vector<std::int16_t> second = {-32768, 258};
  ASSERT_TRUE(out.Append(first));
  // The header follows the file as it grows, before the file is closed.
  EXPECT_EQ(folder.Read("one.wav").substr(0, 44),
            std::string(reinterpret_cast<const char*>(WaveHeader(8).data()), 44));
  ASSERT_TRUE(out.Append(second));
  ASSERT_TRUE(out.Close());
  const std::string bytes = folder.Read("one.wav");
  EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(WaveHeader(12).data()), 44) +
                       Bytes({0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0x80, 2, 1}));

  CWaveFile in;
  ASSERT_TRUE(in.OpenForReading(path));
  EXPECT_EQ(in.SampleCount(), 6u);
  EXPECT_EQ(in.sample_rate(), 11025u);
  std::vector<std::int16_t> read(10, 99);
  ASSERT_EQ(in.Read(std::span(read).first(4)), 4u);
  ASSERT_EQ(in.Read(read), 2u);
  EXPECT_EQ(read[0], -32768);
  EXPECT_EQ(read[1], 258);
  EXPECT_EQ(in.Read(read), 0u);
  in.SetReadPosition(2);
  ASSERT_EQ(in.Read(std::span(read).first(1)), 1u);
  EXPECT_EQ(read[0], -1);
  in.SetReadPosition(1000);  // bounded by the data
  EXPECT_EQ(in.read_position(), 6u);
  EXPECT_EQ(in.Read(read), 0u);
}

TEST(WaveFile, ReadsOnlyTheBytesPresent) {
  testing_support::TemporaryDirectory folder;
  HeaderSpec overstated;
  overstated.data_bytes = 4000;
  overstated.data = Bytes({5, 0, 6, 0, 7});  // two samples and a half
  folder.Write("short.wav", Image(overstated));
  CWaveFile in;
  ASSERT_TRUE(in.OpenForReading(folder.File("short.wav")));
  EXPECT_EQ(in.SampleCount(), 2u);
  std::vector<std::int16_t> read(8);
  ASSERT_EQ(in.Read(read), 2u);
  EXPECT_EQ(read[1], 6);
  EXPECT_FALSE(IsValidWaveFile(folder.File("missing.wav")));
  folder.Write("stereo.wav", Image([] {
                 HeaderSpec s;
                 s.channels = 2;
                 return s;
               }()));
  EXPECT_FALSE(in.OpenForReading(folder.File("stereo.wav")));
  EXPECT_FALSE(in.is_open());
}

}  // namespace
}  // namespace vok::api
