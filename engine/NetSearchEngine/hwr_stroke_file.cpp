#include "engine/NetSearchEngine/hwr_stroke_file.h"

#include <limits>

namespace vok {
namespace {

// Reads numbers as "%5d" does: blanks skipped, then an optional sign and
// digits, five characters at most.
class FieldScanner {
 public:
  static constexpr int kWidth = 5;

  FieldScanner(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Next(int* value) {
    while (pos_ < size_ && IsBlank(data_[pos_])) ++pos_;
    std::size_t end = pos_ + kWidth < size_ ? pos_ + kWidth : size_;
    bool negative = false;
    if (pos_ < end && (data_[pos_] == '-' || data_[pos_] == '+')) negative = data_[pos_++] == '-';
    int digits = 0;
    int result = 0;
    while (pos_ < end && data_[pos_] >= '0' && data_[pos_] <= '9') {
      result = result * 10 + (data_[pos_++] - '0');
      ++digits;
    }
    if (digits == 0) return false;
    *value = negative ? -result : result;
    return true;
  }

 private:
  static bool IsBlank(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

bool FitsInt16(int v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

int Fail(HwrStrokeFileContent* content) {
  content->points.clear();
  content->lengths.clear();
  return -1;
}

}  // namespace

int ParseStrokeFile(const uint8_t* data, std::size_t size, int max_points, HwrStrokeFileContent* content) {
  content->points.clear();
  content->lengths.clear();
  FieldScanner scanner(data, size);
  int strokes = 0;
  if (!scanner.Next(&strokes) || strokes < 0 || strokes > max_points) return Fail(content);
  int64_t total = 0;
  for (int s = 0; s < strokes; ++s) {
    int count = 0;
    if (!scanner.Next(&count) || count < 1) return Fail(content);
    total += count;
    if (total > max_points) return Fail(content);
    content->lengths.push_back(count);
  }
  int unused = 0;
  if (!scanner.Next(&unused)) return Fail(content);
  content->points.reserve(static_cast<std::size_t>(total));
  for (int64_t i = 0; i < total; ++i) {
    int y = 0, x = 0;
    if (!scanner.Next(&y) || !scanner.Next(&x) || !FitsInt16(y) || !FitsInt16(x)) return Fail(content);
    content->points.push_back({static_cast<int16_t>(y), static_cast<int16_t>(x)});
  }
  return 0;
}

}  // namespace vok
