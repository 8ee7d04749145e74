// Plane geometry of segments on the grid (y grows downwards on the grid).
#pragma once

namespace kernel {

// Eight directions of a vector whose dy counts upwards: 0 right, 1 up-right,
// 2 up, ... 7 down-right; on equal projections the lower code wins.
int DirectionCode(int dx, int dy_up);

// Cosine of the angle between two vectors; 2.0 when either is zero.
double Cosine(double ax, double ay, double bx, double by);

// Distance of (x, y) from the line through (xa, ya) and (xb, yb).
double LineDistance(double x, double y, double xa, double ya, double xb, double yb);

// Offset of (x, y) from the line through (xa, ya) and (xb, yb), its sign
// telling the side.
double SignedOffset(double x, double y, double xa, double ya, double xb, double yb);

}  // namespace kernel
