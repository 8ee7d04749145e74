#include "shapes/letters/letter_decision.h"

#include <string_view>

namespace letters {
namespace {

// Partners of each code that has any; the relation is symmetric.
std::string_view Partners(int code) {
  switch (code) {
    case '0':
      return "oO";
    case 'o':
    case 'O':
      return code == 'o' ? "O0" : "o0";
    case '1':
      return "l";
    case 'l':
      return "1";
    case '2':
      return "zZ";
    case 'z':
      return "Z2";
    case 'Z':
      return "z2";
    case '6':
      return "b";
    case 'b':
      return "6";
    case '9':
      return "q";
    case 'q':
      return "9";
    case 'c':
      return "C";
    case 'C':
      return "c";
    case 'k':
      return "K";
    case 'K':
      return "k";
    case 'm':
      return "M";
    case 'M':
      return "m";
    case 'n':
      return "N";
    case 'N':
      return "n";
    case 'p':
      return "P";
    case 'P':
      return "p";
    case 's':
      return "S";
    case 'S':
      return "s";
    case 'u':
      return "U";
    case 'U':
      return "u";
    case 'v':
      return "V";
    case 'V':
      return "v";
    case 'w':
      return "W";
    case 'W':
      return "w";
    case 'x':
      return "X";
    case 'X':
      return "x";
    case 'y':
      return "Y";
    case 'Y':
      return "y";
    default:
      return "";
  }
}

bool Same(int a, int b) { return a >= 0 && a == b; }

// A look-alike pair of two different codes.
bool LookAlikePair(int a, int b) { return a >= 0 && b >= 0 && a != b && CodesAlike(a, b); }

}  // namespace

bool CodesAlike(int first, int second) {
  if (first < 0 || second < 0) return false;
  return first == second || Partners(first).find(static_cast<char>(second)) != std::string_view::npos;
}

RankedMatch RankOf(std::span<const TemplateMatch> best, const TemplateGroup& group, std::size_t rank) {
  if (rank >= best.size()) return {};
  const TemplateMatch& match = best[rank];
  const LetterTemplate& t = group.templates[static_cast<std::size_t>(match.index)];
  RankedMatch ranked;
  ranked.code = match.code;
  const bool under_a = match.distance < t.threshold_a;
  ranked.under_a_with_kind_1 = t.kind == kSeparatedKind && under_a;
  ranked.under_threshold = t.kind == kSeparatedKind ? under_a : match.distance < t.threshold_b;
  return ranked;
}

int GroupConfidence(const RankedMatch& r0, const RankedMatch& r1, const RankedMatch& r2) {
  const bool alike01 = CodesAlike(r0.code, r1.code);
  const bool alike02 = CodesAlike(r0.code, r2.code);
  if (alike01 && alike02) {
    if (r0.under_a_with_kind_1 || r1.under_a_with_kind_1 || r2.under_a_with_kind_1) return 1;
    const int under = r0.under_threshold + r1.under_threshold + r2.under_threshold;
    return under > 1 ? 11 : 10;
  }
  if (alike01) {
    if (r0.under_a_with_kind_1 && r1.under_a_with_kind_1) return 31;
    if ((r0.under_a_with_kind_1 || r1.under_a_with_kind_1) && !r2.under_threshold) return 51;
    return 50;
  }
  if (alike02) return r0.under_threshold && !r1.under_threshold ? 61 : 60;
  const bool r0_alone = r2.code != r1.code || (!r1.under_threshold && !r2.under_threshold);
  return r0.under_threshold && r0_alone ? 91 : 90;
}

int DecisionScore(const int confidence[3], const int top_code[3]) {
  const int k0 = confidence[0] % 10, k1 = confidence[1] % 10, k2 = confidence[2] % 10;
  const int t0 = top_code[0], t1 = top_code[1], t2 = top_code[2];
  if (k1 == 1 || k2 == 1) {
    if (Same(t1, t2)) {
      if (k0 + k1 + k2 < 2) return Same(t0, t1) ? 70 : 60;
      if (k0 == 1) return Same(t0, t1) ? 100 : 70;
      return Same(t0, t1) ? 80 : 60;
    }
    if (LookAlikePair(t1, t2) && k0 == 1 && Same(t0, t1) && k1 == 1) return 75;
    if (LookAlikePair(t1, t2) && k0 == 1 && Same(t0, t2) && k2 == 1) return 80;
    return 60;
  }
  if (Same(t1, t2)) {
    if (k0 == 1 && Same(t0, t1)) {
      return confidence[0] == 91 && (confidence[1] == 90 || confidence[2] == 90) ? 65 : 75;
    }
    if (k0 == 1) return 60;
    return Same(t0, t1) ? 70 : 60;
  }
  return k0 == 1 && (Same(t0, t1) || Same(t0, t2)) ? 70 : 60;
}

}  // namespace letters
