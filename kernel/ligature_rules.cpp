#include "kernel/ligature_rules.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace kernel {
namespace {

// Neighbour joins that marking a segment clears.
enum class Adjust { kBoth, kPreviousOnly, kNextOnly };

bool Right(const SegmentRecord& s) { return s.dx() > 0; }
bool Left(const SegmentRecord& s) { return s.dx() < 0; }
bool Up(const SegmentRecord& s) { return s.dy() > 0; }
bool Down(const SegmentRecord& s) { return s.dy() < 0; }

double Offset(const SegmentRecord& line, int x, int y) {
  return SignedOffset(x, y, line.x0, line.y0, line.x1, line.y1);
}

// Product of the offsets of `other`'s end points from `line`'s line:
// negative when the line separates them.
double SideTest(const SegmentRecord& line, const SegmentRecord& other) {
  return Offset(line, other.x0, other.y0) * Offset(line, other.x1, other.y1);
}

bool Cross(const SegmentRecord& a, const SegmentRecord& b) {
  return SideTest(a, b) < 0 && SideTest(b, a) < 0;
}

double CosineWith(const SegmentRecord& s, double ux, double uy) { return Cosine(s.dx(), s.dy(), ux, uy); }
double CosineBetween(const SegmentRecord& a, const SegmentRecord& b) {
  return Cosine(a.dx(), a.dy(), b.dx(), b.dy());
}

bool StrictlyBetween(int value, int a, int b) { return value > std::min(a, b) && value < std::max(a, b); }

class Segments {
 public:
  Segments(std::span<SegmentRecord> segments, RuleTrace* trace) : s_(segments), trace_(trace) {}

  int size() const { return static_cast<int>(s_.size()); }
  bool exists(int j) const { return j >= 0 && j < size(); }
  bool present(int j) const { return exists(j) && !s_[j].removed(); }
  SegmentRecord& operator[](int j) { return s_[static_cast<std::size_t>(j)]; }

  void Mark(int j, std::string_view rule, Adjust adjust = Adjust::kBoth) {
    if (!exists(j)) return;
    if (trace_ != nullptr) trace_->push_back({rule, j});
    s_[j].link = kLinkRemoved;
    if (adjust != Adjust::kNextOnly && exists(j - 1)) {
      std::uint8_t& previous = s_[j - 1].link;
      if ((previous & 1) != 0 && previous != kLinkRemoved) --previous;
    }
    if (adjust != Adjust::kPreviousOnly && exists(j + 1)) {
      std::uint8_t& next = s_[j + 1].link;
      if (next > 15 && next != kLinkRemoved) next = static_cast<std::uint8_t>(next - 16);
    }
  }

  // Index of the first segment after `j` that is not marked.
  std::optional<int> FirstPresentAfter(int j) const {
    for (int k = j + 1; k < size(); ++k) {
      if (!s_[k].removed()) return k;
    }
    return std::nullopt;
  }

  // Largest x of the ends of the segments before `j`.
  int MaxXBefore(int j) const {
    int x = 0;
    for (int k = 0; k < j; ++k) x = std::max({x, int{s_[k].x0}, int{s_[k].x1}});
    return x;
  }

 private:
  std::span<SegmentRecord> s_;
  RuleTrace* trace_;
};

void FirstPass(Segments& s) {
  for (int j = 0; j < s.size(); ++j) {
    SegmentRecord& seg = s[j];
    if (seg.link == kLinkNext && s.present(j + 1)) {
      const SegmentRecord& next = s[j + 1];
      if (seg.length() != 0 && next.length() / seg.length() > 4 &&
          !(seg.direction() == 0 && next.direction() == 6)) {
        s.Mark(j, "1:10", Adjust::kNextOnly);
      }
    } else if (seg.link == kLinkPrevious && s.present(j - 1)) {
      const SegmentRecord& prev = s[j - 1];
      if (seg.length() == 0) continue;
      const int q = prev.length() / seg.length();
      if (q >= 2 && q <= 4 && seg.direction() == 2) {
        s.Mark(j, "1:25", Adjust::kPreviousOnly);
      } else if (q >= 5) {
        bool aligned = false;
        if (j >= 2) {
          const double ratio = static_cast<double>(seg.x0 - s[j - 2].x0) / prev.length();
          aligned = ratio > 0.8 && ratio < 1.3;
        }
        if (!aligned) s.Mark(j, "1:20", Adjust::kPreviousOnly);
      }
    } else if (seg.link == kLinkBoth && s.present(j - 1) && s.present(j + 1)) {
      SegmentRecord& prev = s[j - 1];
      SegmentRecord& next = s[j + 1];
      const bool short_between =
          next.manhattan() > 4 * seg.manhattan() && prev.manhattan() > 4 * seg.manhattan();
      if (short_between) s.Mark(j, "1:30");
      if (CosineWith(seg, 1, 0) <= 0 && seg.direction() == 2 &&
          !(prev.direction() == 0 && next.direction() == 4)) {
        s.Mark(j, "1:40");
      }
      if (short_between || seg.removed()) continue;
      if (Left(prev) && Up(prev) && Right(seg) && Left(next) && Down(next) && Cross(prev, next) &&
          next.joined_to_next() && s.exists(j + 2)) {
        if (s[j + 2].x1 <= s[j + 2].x0) {
          s.Mark(j - 1, "1:60");
        } else {
          s.Mark(j - 1, "1:50");
          s.Mark(j + 1, "1:50");
          seg.link = 0;
        }
      } else if (Left(prev) && Down(prev) && Right(seg) && Left(next) && Up(next) && Cross(prev, next) &&
                 prev.link > 15) {
        int d = 0;
        int after_direction = -1;
        if (s.present(j + 2) && next.joined_to_next()) {
          d = s[j + 2].dx();
          after_direction = s[j + 2].direction();
        } else if (s.exists(j - 2)) {
          d = s[j - 2].dx();
        }
        if (d < 1 || seg.direction() == after_direction || (next.y1 <= prev.y0 && next.y1 <= prev.y1)) {
          s.Mark(j + 1, "1:80");
        } else {
          s.Mark(j - 1, "1:70");
          s.Mark(j + 1, "1:70");
          seg.link = 0;
        }
      }
    }
  }
}

// Tests of the second pass on a reversal of `j` into its next segment.
// Returns whether a rule fired.
bool Reversal(Segments& s, int j, int max_x) {
  SegmentRecord& seg = s[j];
  if (!seg.joined_to_next() || !s.present(j + 1)) return false;
  SegmentRecord& next = s[j + 1];
  if (next.x1 > max_x || CosineBetween(seg, next) > -0.97) return false;
  if (seg.direction() == 2 && CosineWith(seg, 0, -1) <= -0.98) {
    s.Mark(j, "1:100");
    return true;
  }
  if (next.direction() == 2) {
    if (CosineWith(next, 0, -1) <= -0.97) {
      s.Mark(j + 1, "1:110");
      return true;
    }
    if (next.joined_to_next() && s.exists(j + 2) && Right(next)) {
      const SegmentRecord& successor = s[j + 2];
      if (Up(next) && CosineWith(successor, 0, 1) <= -0.096) {
        s.Mark(j + 1, "1:120");
        return true;
      }
      if (Up(next) && Right(successor) && Down(successor)) {
        s.Mark(j + 1, "1:121");
        return true;
      }
    }
  }
  if (seg.direction() == 0 && CosineWith(next, 0, 1) <= -0.96) {
    s.Mark(j, "1:125");
    return true;
  }
  return false;
}

void InsideChainRules(Segments& s, int j) {
  SegmentRecord& seg = s[j];
  SegmentRecord& prev = s[j - 1];
  SegmentRecord& next = s[j + 1];
  if (Left(prev) && Down(prev) && Up(seg) && Right(next) && Down(next) && SideTest(prev, next) < 0 &&
      prev.y0 < next.y0) {
    s.Mark(j, "1:140");
    return;
  }
  if (Down(prev) && seg.direction() != 0 && Right(seg) && Up(seg) && Left(next) && Down(next) &&
      Cross(prev, next)) {
    s.Mark(j, "1:150");
    return;
  }
  if (Right(prev) && Left(seg) && Down(seg) && Up(next) && Cross(prev, next)) {
    if (next.dx() < 1) {
      s.Mark(j + 1, "1:165");  // the tests go on
    } else {
      s.Mark(j, "1:160");
      return;
    }
  }
  if (Left(prev) && Up(prev) && Down(seg) && Right(next) && Up(next) && Cross(prev, next)) {
    s.Mark(j - 1, "1:170");
    s.Mark(j + 1, "1:170");
    seg.link = 0;
    return;
  }
  if (Right(prev) && Up(prev) && Left(seg) && Down(seg) && Right(next) && Down(next) && Cross(prev, next)) {
    s.Mark(j, "1:175");
    return;
  }
  if ((Right(prev) && Left(seg) && Up(seg) && Down(next) && Cross(prev, next)) ||
      (prev.direction() == 6 && Left(seg) && Up(seg) && Right(next) && Cross(prev, next))) {
    s.Mark(j, "1:180");
  }
}

void SecondPass(Segments& s) {
  for (int j = 0; j < s.size(); ++j) {
    SegmentRecord& seg = s[j];
    if (seg.removed()) continue;
    const int max_x = s.MaxXBefore(j);
    if (CosineWith(seg, 1, 0) <= -0.98) {
      s.Mark(j, "1:90");
      continue;
    }
    if (Reversal(s, j, max_x)) continue;
    if (s.present(j - 1) && s[j - 1].direction() == 0 && s[j - 1].joined_to_next() && Left(seg) && Up(seg)) {
      s.Mark(j, "1:130");
      continue;
    }
    if (seg.link == kLinkBoth && s.present(j - 1) && s.present(j + 1)) InsideChainRules(s, j);
  }
}

// The running values X, Y and Y0 of rule set 3.
struct Extent {
  int max_x = 0;
  int y = 0;
  int first_y0 = 0;

  void Take(const SegmentRecord& seg, bool first) {
    max_x = std::max({max_x, int{seg.x0}, int{seg.x1}});
    if (first) {
      first_y0 = seg.y0;
      y = seg.y1;
    }
    for (const int value : {int{seg.y0}, int{seg.y1}}) {
      if (value > y) y = value;
      if (value < first_y0) y = value;
    }
  }
};

// 3:20 to 3:40. Returns whether j was marked.
bool StackedVerticals(Segments& s, int j) {
  SegmentRecord& prev = s[j - 1];
  SegmentRecord& next = s[j + 1];
  if (!(prev.direction() == 6 && next.direction() == 6 && next.x0 >= prev.x0 &&
        next.y0 <= (prev.y0 + prev.y1) / 2)) {
    return false;
  }
  bool mark = false;
  std::string_view tag;
  if (next.joined_to_next() && s.exists(j + 2)) {
    mark = Offset(next, s[j + 2].x1, s[j + 2].y1) < 0;
    tag = "3:20";
  } else if (j + 1 == s.size() - 1) {
    mark = true;
    tag = "3:30";
  } else if (const std::optional<int> after = s.FirstPresentAfter(j + 1)) {
    const SegmentRecord& other = s[*after];
    mark = SideTest(next, other) < 0 && Offset(next, other.x1, other.y1) > 0;
    tag = "3:40";
  }
  if (mark) s.Mark(j, tag);
  return mark;
}

// 3:60 and 3:70. Returns whether a rule fired.
bool RepeatedPair(Segments& s, int j) {
  SegmentRecord& prev = s[j - 1];
  SegmentRecord& next = s[j + 1];
  if (prev.direction() != next.direction() || !s.exists(j + 3) || s[j + 2].link != kLinkBoth) return false;
  const SegmentRecord& third = s[j + 3];
  if (!StrictlyBetween(next.x0, prev.x0, third.x0) && !StrictlyBetween(next.y0, prev.y0, third.y0))
    return false;
  if (next.joined_to_next() && next.y1 < third.y1 && third.direction() == prev.direction()) {
    s.Mark(j, "3:60");
    s.Mark(j + 2, "3:60");
    return true;
  }
  if (Left(prev) && Down(prev) && s.present(j + 2) && s[j + 2].direction() == 6 &&
      StrictlyBetween(s[j + 2].x0, next.x1, next.x0)) {
    s.Mark(j, "3:70");
    return true;
  }
  return false;
}

void InsideChainRules3(Segments& s, int j, const Extent& extent, int grid_height) {
  SegmentRecord& seg = s[j];
  SegmentRecord& prev = s[j - 1];
  SegmentRecord& next = s[j + 1];
  const int prev_dir = prev.direction();
  const int next_dir = next.direction();
  if ((prev_dir == 6 || prev_dir == 7) && Left(seg) && Down(seg) && seg.direction() == 4 && next_dir == 0) {
    s.Mark(j, "3:10");
    return;
  }
  if (Right(prev) && Down(prev) && prev_dir != 0 && next_dir == 0 &&
      2 * std::abs(seg.y1 - seg.y0) < grid_height) {
    s.Mark(j, "3:15");
    return;
  }
  if (StackedVerticals(s, j)) return;
  if (Right(seg) && Up(seg) && Right(next) && std::abs(seg.dy()) >= (extent.first_y0 + extent.y) / 2 &&
      seg.x1 > extent.max_x && !(Left(prev) && Down(prev))) {
    s.Mark(j, "3:50");
    return;
  }
  if (Left(prev) && Down(prev) && Right(seg) && Up(seg) && Down(next) && next_dir == 6 &&
      StrictlyBetween(seg.x1, prev.x1, prev.x0)) {
    s.Mark(j, "3:55");
    return;
  }
  if (RepeatedPair(s, j)) return;
  if (prev_dir == 0 && next_dir == 0 && !next.joined_to_next() && s.FirstPresentAfter(j + 1) &&
      s.exists(j + 2) && Cross(next, s[j + 2])) {
    s.Mark(j, "3:80");
  }
}

}  // namespace

void ApplyRuleSet1(std::span<SegmentRecord> segments, RuleTrace* trace) {
  Segments s(segments, trace);
  FirstPass(s);
  SecondPass(s);
}

void ApplyRuleSet3(std::span<SegmentRecord> segments, int grid_height, RuleTrace* trace) {
  Segments s(segments, trace);
  Extent extent;
  for (int j = 0; j < s.size(); ++j) {
    const SegmentRecord before = s[j];
    if (!s[j].removed()) {
      SegmentRecord& seg = s[j];
      if (seg.link == kLinkBoth && s.present(j - 1) && s.present(j + 1)) {
        InsideChainRules3(s, j, extent, grid_height);
      } else if (Right(seg) && Up(seg) && std::abs(seg.dy()) >= (extent.first_y0 + extent.y) / 2 &&
                 seg.x1 > extent.max_x && seg.y0 < extent.y) {
        s.Mark(j, "3:jump");
      }
    }
    extent.Take(before, j == 0);
  }
}

void ApplyPenRule(std::span<SegmentRecord> segments, RuleTrace* trace) {
  Segments s(segments, trace);
  for (int j = 2; j < s.size(); ++j) {
    if (s[j].link != kLinkBoth || !s.present(j - 1) || !s.present(j + 1)) continue;
    if (s[j - 1].direction() != 0 || s[j + 1].direction() != 0) continue;
    if (!(Left(s[j - 2]) && Down(s[j - 2]))) continue;
    const std::optional<int> after = s.FirstPresentAfter(j + 1);
    if (after && s[*after].direction() == 6) s.Mark(j, "pen");
  }
}

}  // namespace kernel
