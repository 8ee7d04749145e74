// Explicit byte order of the engine's files (binary convention).
// Fields are assembled byte by byte, so the host's order never reaches a file.
#pragma once

#include <cstdint>
#include <cstring>

namespace vok {

// Exchanges the two bytes of a 16-bit field in place.
inline void Swap16(void* value) {
  auto* b = static_cast<unsigned char*>(value);
  const unsigned char t = b[0];
  b[0] = b[1];
  b[1] = t;
}

// Reverses the four bytes of a 32-bit field in place.
inline void Swap32(void* value) {
  auto* b = static_cast<unsigned char*>(value);
  unsigned char t = b[0];
  b[0] = b[3];
  b[3] = t;
  t = b[1];
  b[1] = b[2];
  b[2] = t;
}

inline uint16_t LoadBigEndian16(const unsigned char* b) { return static_cast<uint16_t>((b[0] << 8) | b[1]); }
inline uint32_t LoadBigEndian32(const unsigned char* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}
inline uint16_t LoadLittleEndian16(const unsigned char* b) {
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t LoadLittleEndian32(const unsigned char* b) {
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

inline void StoreBigEndian16(unsigned char* b, uint16_t v) {
  b[0] = static_cast<unsigned char>(v >> 8);
  b[1] = static_cast<unsigned char>(v);
}
inline void StoreBigEndian32(unsigned char* b, uint32_t v) {
  b[0] = static_cast<unsigned char>(v >> 24);
  b[1] = static_cast<unsigned char>(v >> 16);
  b[2] = static_cast<unsigned char>(v >> 8);
  b[3] = static_cast<unsigned char>(v);
}
inline void StoreLittleEndian16(unsigned char* b, uint16_t v) {
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreLittleEndian32(unsigned char* b, uint32_t v) {
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
  b[2] = static_cast<unsigned char>(v >> 16);
  b[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace vok
