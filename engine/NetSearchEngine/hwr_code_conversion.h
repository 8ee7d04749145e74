// The code-conversion table between the two Chinese scripts of the
// handwriting recognizers, read from the character table "G2bchar.tab":
// each line is one GB2312 character followed by its Big5 alternatives,
// commonest first, two bytes each without separators. Codes carry the lead
// byte high.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vok {

class HwrCodeConversion {
 public:
  HwrCodeConversion();

  // Lines of 2 bytes or fewer and lines of an odd length are skipped; line
  // ends (LF, CR LF) are stripped first. The number of lines taken.
  int Parse(const uint8_t* data, std::size_t size);
  // Parse of the file; -1 when it cannot be read.
  int Load(const char* path);

  // The first Big5 alternative of a GB2312 code, or -1.
  int GbToBig5(uint16_t gb) const;
  // The GB2312 code whose line lists the Big5 code nearest its start (the
  // earlier line on a tie), or -1.
  int Big5ToGb(uint16_t big5) const;

 private:
  std::vector<uint16_t> to_big5_;
  std::vector<uint16_t> to_gb_;
  std::vector<uint8_t> to_gb_position_;
};

}  // namespace vok
