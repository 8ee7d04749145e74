#include "engine/core/hwr_code_mapping.h"

#include <algorithm>

namespace vok {
namespace {

int Lead(uint16_t code) { return code >> 8; }
int Trail(uint16_t code) { return code & 0xFF; }

bool GbTrail(int trail) { return trail >= 0xA1 && trail <= 0xFE; }

// Position of a Big5 trail byte among the 157 trails, or -1.
int Big5Trail(int trail) {
  if (trail >= 0x40 && trail <= 0x7E) return trail - 0x40;
  if (trail >= 0xA1 && trail <= 0xFE) return trail - 0x62;
  return -1;
}

int Big5Code(int row, int position) {
  int trail = position + 0x40;
  if (trail > 0x7E) trail += 0x22;
  return ((row & 0xFF) << 8) | trail;
}

int GbIndex(uint16_t code, int lead_offset, int count) {
  if (!GbTrail(Trail(code))) return -1;
  const int index = Lead(code) * 94 + Trail(code) - lead_offset;
  return index >= 0 && index < count ? index : -1;
}

int GbCode(int index, uint16_t first, int count) {
  if (index < 0 || index >= count) return -1;
  return (((index / 94) << 8) | (index % 94)) + first;
}

}  // namespace

int ScLevel1Index(uint16_t code) { return GbIndex(code, 16705, kScLevel1Count); }
int ScLevel1Code(int index) { return GbCode(index, kScLevel1First, kScLevel1Count); }
int ScLevel2Index(uint16_t code) { return GbIndex(code, 20465, kScLevel2Count); }
int ScLevel2Code(int index) { return GbCode(index, kScLevel2First, kScLevel2Count); }

int ScIndex(uint16_t code) {
  if (code < kScLevel2First) return ScLevel1Index(code);
  const int index = ScLevel2Index(code);
  return index < 0 ? -1 : index + kScLevel1Count;
}

int ScCode(int index) {
  return index < kScLevel1Count ? ScLevel1Code(index) : ScLevel2Code(index - kScLevel1Count);
}

int TcLevel1Index(uint16_t code) {
  const int t = Big5Trail(Trail(code));
  if (t < 0) return -1;
  const int index = ((Lead(code) + 92) % 256) * 157 + t;
  return index < kTcLevel1Count ? index : -1;
}

int TcLevel1Code(int index) {
  if (index < 0 || index >= kTcLevel1Count) return -1;
  return Big5Code(index / 157 - 92, index % 157);
}

int TcLevel2Index(uint16_t code) {
  if (code >= kTcLevel1First && code < 0xF9DD) {
    const int t = Big5Trail(Trail(code));
    if (t < 0 || code < kTcLevel2First) return -1;
    return ((Lead(code) + 55) % 256) * 157 + t;
  }
  const uint16_t* further = TcFurtherCodes();
  const uint16_t* end = further + kTcFurtherCodeCount;
  const uint16_t* found = std::lower_bound(further, end, code);
  if (found == end || *found != code) return -1;
  return kTcFurtherFirstIndex + static_cast<int>(found - further);
}

int TcLevel2Code(int index) {
  if (index < 0 || index >= kTcFurtherFirstIndex + kTcFurtherCodeCount) return -1;
  if (index >= kTcFurtherFirstIndex) return TcFurtherCodes()[index - kTcFurtherFirstIndex];
  return Big5Code(index / 157 - 55, index % 157);
}

int TcIndex(uint16_t code) {
  if (code >= kTcLevel1First && code < kTcLevel2First) return TcLevel1Index(code);
  const int index = TcLevel2Index(code);
  return index < 0 ? -1 : index + kTcLevel1Count;
}

int TcCode(int index) {
  return index < kTcLevel1Count ? TcLevel1Code(index) : TcLevel2Code(index - kTcLevel1Count);
}

int LatinIndex(uint16_t code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'A' && code <= 'Z') return code - 'A' + 10;
  if (code >= 'a' && code <= 'z') return code - 'a' + 36;
  return -1;
}

int LatinCode(int index) {
  if (index < 0 || index >= kLatinClasses) return -1;
  if (index < 10) return '0' + index;
  if (index < 36) return 'A' + index - 10;
  return 'a' + index - 36;
}

}  // namespace vok
