#include "kernel/quick_classifier.h"

#include <cmath>
#include <cstdlib>

#include "common/recognition_types.h"

namespace kernel {
namespace {

bool Right(const SegmentRecord& s) { return s.x1 > s.x0; }
bool Left(const SegmentRecord& s) { return s.x1 < s.x0; }
bool Down(const SegmentRecord& s) { return s.y1 > s.y0; }
bool Up(const SegmentRecord& s) { return s.y1 < s.y0; }
bool Joins(const SegmentRecord& next, const SegmentRecord& previous) {
  return next.x0 == previous.x1 && next.y0 == previous.y1;
}
bool Level(const SegmentRecord& s) { return s.direction() == 0 || s.direction() == 4; }
bool Upright(const SegmentRecord& s) { return s.direction() == 2 || s.direction() == 6; }

int OneStroke(const SegmentRecord& s) {
  const double length = std::hypot(s.dx(), s.dy());
  return length > 0 && std::abs(s.dx()) / length > 0.707 ? kShapeCross : kShapeOne;
}

int OneStrokeTwoSegments(const SegmentRecord& s1, const SegmentRecord& s2) {
  if (!Joins(s2, s1)) return kShapeNone;
  if (s1.direction() == 6 && s2.direction() == 4) return wrendle::kGestureEnter;
  if (s1.direction() == 2 && s2.direction() == 0) return wrendle::kGestureTab;
  if (Right(s1) && Up(s1) && Right(s2) && Down(s2)) return wrendle::kGestureInsert;
  if (s1.direction() == 7 && Right(s1) && Down(s1) && Left(s2) && Down(s2)) return wrendle::kGestureSpace;
  if (s1.direction() == 4 && Right(s2) && Up(s2)) return wrendle::kGestureBackspace;
  return kShapeNone;
}

int OneStrokeLoop(const SegmentRecord& s1, const SegmentRecord& last) {
  if (last.direction() == 6 || !Left(s1)) return kShapeNone;
  if (Down(s1) && Right(last) && Down(last)) return s1.y0 < last.y1 ? wrendle::kGestureDelete : kShapeNone;
  if (Up(s1) && Right(last) && Up(last)) return kShapeEight;
  return kShapeNone;
}

int Arrow(const SegmentRecord& s1, const SegmentRecord& s2, const SegmentRecord& s3) {
  if (Joins(s2, s1) || !Joins(s3, s2)) return kShapeNone;
  if (Level(s1)) {
    if (Right(s2) && Down(s2) && Left(s3) && Down(s3)) return wrendle::kGestureRight;
    if (Left(s2) && Down(s2) && Right(s3) && Down(s3)) return wrendle::kGestureLeft;
    const bool above_and_within =
        s2.y1 < s1.y0 && s2.x1 >= std::min(s1.x0, s1.x1) && s2.x1 <= std::max(s1.x0, s1.x1);
    if (Right(s2) && above_and_within) {
      if (Down(s2) && Right(s3) && Up(s3)) return 27;
      if (Up(s2) && Right(s3) && Down(s3)) return 28;
    }
    return kShapeNone;
  }
  if (Upright(s1) && Right(s2)) {
    if (Up(s2) && Right(s3) && Down(s3)) return wrendle::kGestureUp;
    if (Down(s2) && Right(s3) && Up(s3)) return wrendle::kGestureDown;
  }
  return kShapeNone;
}

int TwoStrokesFourSegments(std::span<const SegmentRecord> s) {
  if (!Joins(s[1], s[0]) || !Joins(s[3], s[2])) return kShapeNone;
  const auto right_down = [](const SegmentRecord& r) { return Right(r) && Down(r); };
  const auto left_down = [](const SegmentRecord& r) { return Left(r) && Down(r); };
  if (right_down(s[0]) && Right(s[1]) && Up(s[1])) {
    return Right(s[2]) && Down(s[3]) ? wrendle::kGesturePageUp : kShapeNone;
  }
  if (left_down(s[0]) && right_down(s[1])) {
    if (left_down(s[2]) && right_down(s[3]) && s[0].x1 < s[2].x1) return wrendle::kGestureHome;
    if (right_down(s[2]) && left_down(s[3])) return 15;
  }
  if (right_down(s[0]) && left_down(s[1]) && right_down(s[2]) && left_down(s[3]) && s[0].x1 < s[2].x1)
    return wrendle::kGestureEnd;
  if (Up(s[0]) && left_down(s[1]) && left_down(s[2]) && Right(s[3])) return wrendle::kGesturePageDown;
  return kShapeNone;
}

int ThreeStrokesFourSegments(std::span<const SegmentRecord> s) {
  const bool escape = Level(s[0]) && Level(s[1]) && Joins(s[3], s[2]) && Left(s[2]) && Down(s[2]) &&
                      Right(s[3]) && Down(s[3]) && s[2].x1 < s[1].x1;
  return escape ? wrendle::kGestureEscape : kShapeNone;
}

}  // namespace

int QuickClassify(std::span<const SegmentRecord> segments, int stroke_count) {
  const std::size_t count = segments.size();
  if (stroke_count == 1) {
    if (count == 1) return OneStroke(segments[0]);
    if (count == 2) return OneStrokeTwoSegments(segments[0], segments[1]);
    if (count >= 3 && count <= 7) return OneStrokeLoop(segments[0], segments[count - 1]);
  } else if (stroke_count == 2) {
    if (count == 2) {
      return std::abs(segments[0].dx()) < 20 && std::abs(segments[1].dx()) < 20 ? kShapeDot : kShapeNone;
    }
    if (count == 3) return Arrow(segments[0], segments[1], segments[2]);
    if (count == 4) return TwoStrokesFourSegments(segments);
  } else if (stroke_count == 3 && count == 4) {
    return ThreeStrokesFourSegments(segments);
  }
  return kShapeNone;
}

}  // namespace kernel
