#include "engine/LIB_C_rHMMDataBase/c_r_model_file_reader.h"

#include <bit>
#include <cstdarg>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"

C_rModelFileReader::C_rModelFileReader(std::FILE* stream)
    : stream_(stream), remaining_(vok::FileRemainingBytes(stream)) {}

void C_rModelFileReader::fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  throw Failure{};
}

void C_rModelFileReader::consume(void* buffer, std::int64_t bytes) {
  need(bytes);
  if (bytes > 0 && vok::FileRead(stream_, buffer, static_cast<std::size_t>(bytes), vok::RM_EOFBAD) !=
                       static_cast<std::size_t>(bytes))
    fail("Error: model file could not be read.\n");
  remaining_ -= bytes;
}

void C_rModelFileReader::need(std::int64_t bytes) {
  if (bytes < 0 || remaining_ < bytes)
    fail("Error: model file ends before a field of %lld bytes.\n", static_cast<long long>(bytes));
}

bool C_rModelFileReader::readByteOrder(const char* location, int line) {
  std::int32_t magic = 0;
  if (remaining_ >= 4) consume(&magic, 4);
  if (magic == kSwappedMagic) {
    swapped_ = true;
  } else if (magic != kMagic) {
    std::printf("Error: magic_number is in error. Location = %s, Line = %d.\n", location, line);
    return false;
  }
  return true;
}

void C_rModelFileReader::expectMagic(const char* location, int line) {
  if (readInt32() != kMagic)
    fail("Error: magic_number is in error. Location = %s, Line = %d.\n", location, line);
}

std::int32_t C_rModelFileReader::readInt32() {
  std::int32_t value = 0;
  consume(&value, 4);
  if (swapped_) vok::Swap32(&value);
  return value;
}

float C_rModelFileReader::readFloat() { return std::bit_cast<float>(readInt32()); }

std::uint8_t C_rModelFileReader::readByte() {
  std::uint8_t value = 0;
  consume(&value, 1);
  return value;
}

std::string C_rModelFileReader::readText(std::int32_t maxLength) {
  const std::int32_t length = readInt32();
  if (length < 0 || length > maxLength) fail("Error: text length %d in model file out of range.\n", length);
  need(length);
  std::string text(static_cast<std::size_t>(length), '\0');
  consume(text.data(), length);
  return text;
}

std::int32_t C_rModelFileReader::readCount(const char* what, std::int64_t minBytes) {
  const std::int32_t count = readInt32();
  if (count < 0 || static_cast<std::int64_t>(count) * minBytes > remaining_)
    fail("Error: %s count %d does not fit the model file.\n", what, count);
  return count;
}

void C_rModelFileReader::vectorHeader(const char* name, std::int32_t expected, std::int64_t elementSize) {
  expectMagic("C_rModelFileReader::fread_vector", __LINE__);
  readText();
  const std::int32_t m = readInt32();
  if (m != expected) fail("fread_vector error, Vec = %s, v_m = %d, read m = %d\n", name, expected, m);
  need(static_cast<std::int64_t>(m) * elementSize);
}

void C_rModelFileReader::readByteVector(const char* name, std::int32_t expected, std::uint8_t* out) {
  vectorHeader(name, expected, 1);
  consume(out, expected);
  expectMagic("C_rModelFileReader::fread_vector", __LINE__);
}

void C_rModelFileReader::readFloatVector(const char* name, std::int32_t expected, float* out) {
  vectorHeader(name, expected, 4);
  for (std::int32_t i = 0; i < expected; ++i) out[i] = readFloat();
  expectMagic("C_rModelFileReader::fread_vector", __LINE__);
}
