#include "engine/api/wave_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/byte_order.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::size_t kSampleBytes = 2;

// The header fields in file order, read from any source of bytes that can
// also skip ahead and tell how many bytes it still holds.
template <typename Source>
bool ParseHeader(Source& in, WaveFormat* format) {
  unsigned char head[36];
  if (!in.Read(head, sizeof head)) return false;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0 ||
      std::memcmp(head + 12, "fmt ", 4) != 0)
    return false;
  const std::uint32_t format_bytes = LoadLittleEndian32(head + 16);
  const std::uint16_t format_tag = LoadLittleEndian16(head + 20);
  const std::uint16_t channels = LoadLittleEndian16(head + 22);
  const std::uint32_t rate = LoadLittleEndian32(head + 24);
  const std::uint16_t bits = LoadLittleEndian16(head + 34);
  if (format_bytes < kFormatChunkBytes || format_tag != 1 || channels != 1 || bits != 16) return false;
  if (rate != kEngineSampleRate && rate != kDoubleSampleRate) return false;
  if (!in.Skip(format_bytes - kFormatChunkBytes)) return false;
  unsigned char chunk[8];
  if (!in.Read(chunk, sizeof chunk)) return false;
  if (std::memcmp(chunk, "data", 4) != 0) {
    if (!in.Skip(LoadLittleEndian32(chunk + 4)) || !in.Read(chunk, sizeof chunk)) return false;
    if (std::memcmp(chunk, "data", 4) != 0) return false;
  }
  format->sample_rate = rate;
  format->data_offset = static_cast<std::uint32_t>(in.position());
  format->data_bytes =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(LoadLittleEndian32(chunk + 4), in.remaining()));
  return true;
}

class MemorySource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Read(unsigned char* out, std::size_t n) {
    if (n > remaining()) return false;
    std::memcpy(out, bytes_.data() + at_, n);
    at_ += n;
    return true;
  }
  bool Skip(std::uint64_t n) {
    if (n > remaining()) return false;
    at_ += static_cast<std::size_t>(n);
    return true;
  }
  std::uint64_t position() const { return at_; }
  std::uint64_t remaining() const { return bytes_.size() - at_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

class FileSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {
    std::fseek(file_, 0, SEEK_END);
    const long end = std::ftell(file_);
    size_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
    std::fseek(file_, 0, SEEK_SET);
  }
  bool Read(unsigned char* out, std::size_t n) {
    if (n > remaining() || std::fread(out, 1, n, file_) != n) return false;
    at_ += n;
    return true;
  }
  bool Skip(std::uint64_t n) {
    // Wave files of the engine stay far below 2 GB; the data size field
    // itself is 32 bits.
    if (n > remaining() || std::fseek(file_, static_cast<long>(at_ + n), SEEK_SET) != 0) return false;
    at_ += n;
    return true;
  }
  std::uint64_t position() const { return at_; }
  std::uint64_t remaining() const { return size_ - at_; }

 private:
  std::FILE* file_;
  std::uint64_t size_ = 0;
  std::uint64_t at_ = 0;
};

}  // namespace

std::array<std::uint8_t, kWaveHeaderBytes> WaveHeader(std::uint32_t data_bytes) {
  std::array<std::uint8_t, kWaveHeaderBytes> header{};
  unsigned char* p = header.data();
  std::memcpy(p, "RIFF", 4);
  StoreLittleEndian32(p + 4, 36 + data_bytes);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  StoreLittleEndian32(p + 16, kFormatChunkBytes);
  StoreLittleEndian16(p + 20, 1);
  StoreLittleEndian16(p + 22, 1);
  StoreLittleEndian32(p + 24, kEngineSampleRate);
  StoreLittleEndian32(p + 28, kEngineSampleRate * kSampleBytes);
  StoreLittleEndian16(p + 32, kSampleBytes);
  StoreLittleEndian16(p + 34, 16);
  std::memcpy(p + 36, "data", 4);
  StoreLittleEndian32(p + 40, data_bytes);
  return header;
}

bool ParseWaveHeader(std::span<const std::uint8_t> bytes, WaveFormat* format) {
  MemorySource source(bytes);
  WaveFormat parsed;
  if (!ParseHeader(source, &parsed)) return false;
  if (format != nullptr) *format = parsed;
  return true;
}

CWaveFile::~CWaveFile() { Close(); }

bool CWaveFile::OpenForReading(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  reading_ = true;
  if (!ReadHeader()) {
    Close();
    return false;
  }
  return true;
}

bool CWaveFile::ReadHeader() {
  FileSource source(file_);
  format_ = WaveFormat{};
  read_offset_ = 0;
  return ParseHeader(source, &format_);
}

bool CWaveFile::OpenForWriting(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "w+b");
  if (file_ == nullptr) return false;
  reading_ = false;
  format_ = WaveFormat{kEngineSampleRate, kWaveHeaderBytes, 0};
  write_offset_ = 0;
  if (!WriteHeader()) {
    Close();
    return false;
  }
  return true;
}

bool CWaveFile::WriteHeader() {
  const auto header = WaveHeader(format_.data_bytes);
  return std::fseek(file_, 0, SEEK_SET) == 0 &&
         std::fwrite(header.data(), 1, header.size(), file_) == header.size() && std::fflush(file_) == 0;
}

bool CWaveFile::Close() {
  if (file_ == nullptr) return true;
  const bool written = reading_ || WriteHeader();
  std::fclose(file_);
  file_ = nullptr;
  format_ = WaveFormat{};
  read_offset_ = write_offset_ = 0;
  return written;
}

void CWaveFile::SetReadPosition(std::uint32_t sample) {
  read_offset_ = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(std::uint64_t{sample} * kSampleBytes, format_.data_bytes & ~1u));
}

std::size_t CWaveFile::Read(std::span<std::int16_t> out) {
  if (file_ == nullptr) return 0;
  const std::size_t available = (format_.data_bytes - read_offset_) / kSampleBytes;
  const std::size_t wanted = std::min(out.size(), available);
  if (wanted == 0 || std::fseek(file_, static_cast<long>(format_.data_offset + read_offset_), SEEK_SET) != 0)
    return 0;
  std::vector<unsigned char> bytes(wanted * kSampleBytes);
  const std::size_t read = std::fread(bytes.data(), kSampleBytes, wanted, file_);
  for (std::size_t i = 0; i < read; ++i)
    out[i] = static_cast<std::int16_t>(LoadLittleEndian16(bytes.data() + kSampleBytes * i));
  read_offset_ += static_cast<std::uint32_t>(read * kSampleBytes);
  return read;
}

bool CWaveFile::Append(std::span<const std::int16_t> samples) {
  if (file_ == nullptr || reading_) return false;
  if (samples.empty()) return true;
  std::vector<unsigned char> bytes(samples.size() * kSampleBytes);
  for (std::size_t i = 0; i < samples.size(); ++i)
    StoreLittleEndian16(bytes.data() + kSampleBytes * i, static_cast<std::uint16_t>(samples[i]));
  if (std::fseek(file_, static_cast<long>(format_.data_offset + write_offset_), SEEK_SET) != 0) return false;
  const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file_);
  write_offset_ += static_cast<std::uint32_t>(written);
  if (write_offset_ > format_.data_bytes) {
    format_.data_bytes = write_offset_;
    if (!WriteHeader()) return false;
  }
  return written == bytes.size();
}

bool IsValidWaveFile(const std::string& path) {
  CWaveFile file;
  return file.OpenForReading(path);
}

}  // namespace vok::api
