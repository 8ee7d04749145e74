#include "tools/train_acoustic_model/wave_file.h"

#include <cstring>

#include "platform/file_access.h"

namespace train_acoustic_model {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::optional<std::vector<std::int16_t>> Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::int16_t>> ParseWave(std::span<const std::uint8_t> bytes, int rate,
                                                   std::string* error) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return Fail(error, "not a RIFF wave file");
  bool have_format = false;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::uint8_t* chunk = bytes.data() + at;
    const std::uint32_t size = Le32(chunk + 4);
    const std::size_t body = at + 8;
    if (size > bytes.size() - body) return Fail(error, "a chunk runs past the end of the file");
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return Fail(error, "the format chunk is too short");
      const std::uint16_t format = Le16(chunk + 8);
      const std::uint16_t channels = Le16(chunk + 10);
      const std::uint32_t sample_rate = Le32(chunk + 12);
      const std::uint16_t bits = Le16(chunk + 22);
      if (format != 1) return Fail(error, "not PCM (format " + std::to_string(format) + ")");
      if (channels != 1) return Fail(error, std::to_string(channels) + " channels, mono expected");
      if (bits != 16) return Fail(error, std::to_string(bits) + "-bit samples, 16-bit expected");
      if (sample_rate != static_cast<std::uint32_t>(rate))
        return Fail(error, std::to_string(sample_rate) + " Hz, " + std::to_string(rate) + " Hz expected");
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) return Fail(error, "the data chunk comes before the format chunk");
      std::vector<std::int16_t> samples(size / 2);
      for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(Le16(bytes.data() + body + 2 * i));
      return samples;
    }
    at = body + size + (size & 1);
  }
  return Fail(error, have_format ? "no data chunk" : "no format chunk");
}

std::optional<std::vector<std::int16_t>> ReadWave(const std::string& path, int rate, std::string* error) {
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return Fail(error, "cannot read the file");
  return ParseWave(*bytes, rate, error);
}

std::vector<std::uint8_t> WaveImage(std::span<const std::int16_t> samples, int rate) {
  std::vector<std::uint8_t> out;
  const auto data_size = static_cast<std::uint32_t>(samples.size() * 2);
  PutTag(out, "RIFF");
  Put32(out, 36 + data_size);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, static_cast<std::uint32_t>(rate));
  Put32(out, static_cast<std::uint32_t>(rate) * 2);
  Put16(out, 2);
  Put16(out, 16);
  PutTag(out, "data");
  Put32(out, data_size);
  for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
  return out;
}

}  // namespace train_acoustic_model
