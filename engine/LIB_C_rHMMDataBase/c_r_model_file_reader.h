// Field reader of HMM model files: 4-byte fields in the byte order that the
// leading magic announces, one-byte codes, and length-prefixed texts, each
// read only after checking that the file still holds it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class C_rModelFileReader {
 public:
  static constexpr std::int32_t kMagic = 0x12345678;
  static constexpr std::int32_t kSwappedMagic = 0x78563412;

  // Thrown once the reason has been printed.
  struct Failure {};

  explicit C_rModelFileReader(std::FILE* stream);

  // The leading magic: decides whether 4-byte fields are swapped. Returns
  // false (with the magic message) when it is neither byte order.
  bool readByteOrder(const char* location, int line);
  bool swapped() const { return swapped_; }

  void expectMagic(const char* location, int line);
  std::int32_t readInt32();
  float readFloat();
  std::uint8_t readByte();
  // A text of at most maxLength bytes.
  std::string readText(std::int32_t maxLength = 4096);
  // A count of entries, each taking at least minBytes of the file.
  std::int32_t readCount(const char* what, std::int64_t minBytes);
  // A vector record: magic, label, element count (must equal expected),
  // elements, magic.
  void readByteVector(const char* name, std::int32_t expected, std::uint8_t* out);
  void readFloatVector(const char* name, std::int32_t expected, float* out);

  [[noreturn]] void fail(const char* format, ...);

 private:
  void need(std::int64_t bytes);
  void vectorHeader(const char* name, std::int32_t expected, std::int64_t elementSize);

  void consume(void* buffer, std::int64_t bytes);

  std::FILE* stream_;
  std::int64_t remaining_;  // bytes of the file not read yet
  bool swapped_ = false;
};
