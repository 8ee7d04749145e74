// One wave file of the engine's audio: 16-bit PCM mono at 11025 Hz (written
// and read) or 22050 Hz (read; the audio session converts it). The header is
// 44 bytes, little-endian:
//   "RIFF", u32 36 + data size, "WAVE", "fmt ", u32 16, u16 format 1,
//   u16 channels 1, u32 rate, u32 bytes per second, u16 block align 2,
//   u16 bits 16, "data", u32 data size.
// A reader also takes a longer format chunk (its extra bytes are skipped)
// and one foreign chunk (a "LIST" for example) between it and the data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace vok::api {

inline constexpr std::size_t kWaveHeaderBytes = 44;
inline constexpr std::uint32_t kEngineSampleRate = 11025;
inline constexpr std::uint32_t kDoubleSampleRate = 22050;

// The header the engine writes for `data_bytes` bytes of 11025 Hz samples.
std::array<std::uint8_t, kWaveHeaderBytes> WaveHeader(std::uint32_t data_bytes);

// What a reader accepts of a header: the facts behind the sample data.
struct WaveFormat {
  std::uint32_t sample_rate = 0;
  std::uint32_t data_offset = 0;  // of the first sample
  std::uint32_t data_bytes = 0;   // clamped to the bytes the file holds
};

class CWaveFile {
 public:
  CWaveFile() = default;
  ~CWaveFile();
  CWaveFile(const CWaveFile&) = delete;
  CWaveFile& operator=(const CWaveFile&) = delete;

  // Opens the file for reading ("rb") and checks its header: "RIFF", "WAVE",
  // a format chunk of at least 16 bytes, format 1, 1 channel, 11025 or
  // 22050 Hz, 16 bits, then "data" (at most one other chunk before it).
  // False, with the file closed, for anything else.
  bool OpenForReading(const std::string& path);
  // Creates or empties the file ("w+b") and writes a header with data size 0.
  bool OpenForWriting(const std::string& path);
  // Closes; a file opened for writing gets its header written once more.
  // False when that last header could not be written.
  bool Close();

  bool is_open() const { return file_ != nullptr; }
  std::uint32_t sample_rate() const { return format_.sample_rate; }
  // Data bytes / block align.
  std::uint32_t SampleCount() const { return format_.data_bytes / 2; }

  // Reading side. The position is a sample offset, bounded by the data.
  void SetReadPosition(std::uint32_t sample);
  std::uint32_t read_position() const { return read_offset_ / 2; }
  // Reads up to `out.size()` samples from the position; returns how many.
  std::size_t Read(std::span<std::int16_t> out);

  // Writing side: appends the samples at the write offset; when the file
  // grows past the size in its header, the header is written again with the
  // new sizes. False when a write failed (the header keeps the bytes that
  // were written before).
  bool Append(std::span<const std::int16_t> samples);

 private:
  bool ReadHeader();
  bool WriteHeader();

  std::FILE* file_ = nullptr;
  bool reading_ = false;
  WaveFormat format_;
  std::uint32_t read_offset_ = 0;   // bytes past the data start
  std::uint32_t write_offset_ = 0;  // bytes past the data start
};

// True when the path names a wave file that CWaveFile reads.
bool IsValidWaveFile(const std::string& path);

// The header test on bytes already in memory (the fuzz target, tests).
bool ParseWaveHeader(std::span<const std::uint8_t> bytes, WaveFormat* format);

}  // namespace vok::api
