#include "engine/NetSearchEngine/hwr_cell_recognizer.h"

#include <algorithm>

#include "engine/NetSearchEngine/hwr_code_conversion.h"

namespace vok {
namespace {

bool Taken(const HwrCandidate* list, int count, uint16_t code) {
  return std::any_of(list, list + count, [code](const HwrCandidate& c) { return c.code == code; });
}

bool IsUpper(int ch) { return ch >= 'A' && ch <= 'Z'; }
bool IsLower(int ch) { return ch >= 'a' && ch <= 'z'; }
bool IsDigit(int ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

int MergeByOrderKey(const HwrCandidate* a, int a_count, const HwrCandidate* b, int b_count, HwrCandidate* out,
                    int room) {
  int i = 0, j = 0, n = 0;
  while (n < room && (i < a_count || j < b_count)) {
    const bool from_a = j >= b_count || (i < a_count && a[i].order_key <= b[j].order_key);
    const HwrCandidate& next = from_a ? a[i++] : b[j++];
    if (!Taken(out, n, next.code)) out[n++] = next;
  }
  return n;
}

uint16_t FullWidthCode(uint16_t code, int32_t script) {
  const int ch = code >> 8;
  if ((code & 0xFF) != 0 || ch < 48 || ch > 122) return code;
  if (script == kHwrScriptSimplified) return static_cast<uint16_t>(0xA380 + ch);
  if (IsDigit(ch)) return static_cast<uint16_t>(0xA2AF + (ch - '0'));
  if (IsUpper(ch)) return static_cast<uint16_t>(0xA2CF + (ch - 'A'));
  if (ch >= 'a' && ch <= 'v') return static_cast<uint16_t>(0xA2E9 + (ch - 'a'));
  if (ch >= 'w' && ch <= 'z') return static_cast<uint16_t>(0xA340 + (ch - 'w'));
  return code;
}

int HwrCellRecognizer::RunChinese(CHWRRecognizer* recognizer, int32_t script,
                                  const HWRRecognizerRecord& record, const InkPoint* points, int strokes,
                                  const int* point_counts, HwrCandidate* out) {
  if (!recognizer) return 0;
  const int found = recognizer->Recognize(points, strokes, point_counts, out, kMaxCandidates);
  if (script == record.result_script()) return found;
  const HwrCodeConversion* conversion = record.conversion();
  int kept = 0;
  for (int i = 0; i < found; ++i) {
    const int code = !conversion                      ? -1
                     : script == kHwrScriptSimplified ? conversion->GbToBig5(out[i].code)
                                                      : conversion->Big5ToGb(out[i].code);
    if (code < 0) continue;
    out[kept] = out[i];
    out[kept++].code = static_cast<uint16_t>(code);
  }
  return kept;
}

int HwrCellRecognizer::RunLatin(const HWRRecognizerRecord& record, const InkPoint* points, int strokes,
                                const int* point_counts, HwrCandidate* out) {
  const int32_t range = record.settings.range;
  const int found = record.rom()->Recognize(points, strokes, point_counts, out, kMaxCandidates);
  const bool letters = (range & (kHwrRangeUpperCase | kHwrRangeLowerCase)) != 0;
  const bool digits = (range & kHwrRangeDigits) != 0;
  int kept = 0;
  for (int i = 0; i < found; ++i) {
    int ch = out[i].code >> 8;
    if (digits && !letters && (ch == 'l' || ch == 'I')) ch = '1';
    const bool admitted = (IsUpper(ch) && (range & kHwrRangeUpperCase)) ||
                          (IsLower(ch) && (range & kHwrRangeLowerCase)) || (IsDigit(ch) && digits);
    if (!admitted) continue;
    const auto code = static_cast<uint16_t>(ch << 8);
    if (Taken(out, kept, code)) continue;
    out[kept] = out[i];
    out[kept++].code = code;
  }
  return kept;
}

int HwrCellRecognizer::Recognize(const HWRRecognizerRecord& record, const InkPoint* points, int strokes,
                                 const int* point_counts, HwrCandidate* out) {
  const int32_t range = record.settings.range;
  const int simplified = (range & kHwrRangeSimplified) ? RunChinese(record.sc(), kHwrScriptSimplified, record,
                                                                    points, strokes, point_counts, first_)
                                                       : 0;
  const int traditional =
      (range & kHwrRangeTraditional)
          ? RunChinese(record.tc(), kHwrScriptTraditional, record, points, strokes, point_counts, second_)
          : 0;
  int count = MergeByOrderKey(first_, simplified, second_, traditional, out, kMaxCandidates);
  if ((range & kHwrRangeLatin) && record.rom() && strokes <= kMaxLatinStrokes) {
    const int latin = RunLatin(record, points, strokes, point_counts, first_);
    std::copy(out, out + count, merged_);
    count = MergeByOrderKey(merged_, count, first_, latin, out, kMaxCandidates);
  }
  if (range & kHwrRangeFullWidth) {
    for (int i = 0; i < count; ++i) out[i].code = FullWidthCode(out[i].code, record.result_script());
  }
  return count;
}

}  // namespace vok
