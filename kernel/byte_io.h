// Little-endian reading with bounds checks and writing into byte vectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kernel {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }
  bool Skip(std::size_t count) {
    if (count > remaining()) return false;
    position_ += count;
    return true;
  }
  bool ReadU8(std::uint8_t& value) {
    if (remaining() < 1) return false;
    value = bytes_[position_++];
    return true;
  }
  bool ReadU16(std::uint16_t& value) {
    if (remaining() < 2) return false;
    value = static_cast<std::uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
    position_ += 2;
    return true;
  }
  bool ReadI16(std::int16_t& value) {
    std::uint16_t raw = 0;
    if (!ReadU16(raw)) return false;
    value = static_cast<std::int16_t>(raw);
    return true;
  }
  bool ReadU32(std::uint32_t& value) {
    if (remaining() < 4) return false;
    value = static_cast<std::uint32_t>(bytes_[position_]) |
            static_cast<std::uint32_t>(bytes_[position_ + 1]) << 8 |
            static_cast<std::uint32_t>(bytes_[position_ + 2]) << 16 |
            static_cast<std::uint32_t>(bytes_[position_ + 3]) << 24;
    position_ += 4;
    return true;
  }
  bool ReadI32(std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!ReadU32(raw)) return false;
    value = static_cast<std::int32_t>(raw);
    return true;
  }
  // The next `count` bytes; empty and nothing consumed when fewer remain.
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > remaining()) return {};
    const std::span<const std::uint8_t> taken = bytes_.subspan(position_, count);
    position_ += count;
    return taken;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

class ByteWriter {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void Bytes(std::span<const std::uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> Release() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace kernel
