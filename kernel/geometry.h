// Plane geometry of segments on the grid (y grows downwards on the grid).
#pragma once

namespace kernel {

// Eight directions of a vector whose dy counts upwards: 0 right, 1 up-right,
// 2 up, ... 7 down-right; on equal projections the lower code wins.
inline int DirectionCode(int dx, int dy_up) {
  const long projections[8] = {1000L * dx,  707L * (dx + dy_up),  1000L * dy_up,  707L * (dy_up - dx),
                               -1000L * dx, -707L * (dx + dy_up), -1000L * dy_up, 707L * (dx - dy_up)};
  int best = 0;
  for (int code = 1; code < 8; ++code) {
    if (projections[code] > projections[best]) best = code;
  }
  return best;
}

// Cosine of the angle between two vectors; 2.0 when either is zero.
double Cosine(double ax, double ay, double bx, double by);

// Distance of (x, y) from the line through (xa, ya) and (xb, yb).
double LineDistance(double x, double y, double xa, double ya, double xb, double yb);

// Offset of (x, y) from the line through (xa, ya) and (xb, yb), its sign
// telling the side.
double SignedOffset(double x, double y, double xa, double ya, double xb, double yb);

}  // namespace kernel
