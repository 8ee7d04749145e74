#include "kernel/geometry.h"

#include <cmath>
#include <cstdint>

namespace kernel {

int DirectionCode(int dx, int dy_up) {
  const long projections[8] = {1000L * dx,  707L * (dx + dy_up),  1000L * dy_up,  707L * (dy_up - dx),
                               -1000L * dx, -707L * (dx + dy_up), -1000L * dy_up, 707L * (dx - dy_up)};
  int best = 0;
  for (int code = 1; code < 8; ++code) {
    if (projections[code] > projections[best]) best = code;
  }
  return best;
}

double Cosine(double ax, double ay, double bx, double by) {
  const double norms = std::sqrt(ax * ax + ay * ay) * std::sqrt(bx * bx + by * by);
  if (norms == 0.0) return 2.0;
  return (ax * bx + ay * by) / norms;
}

double LineDistance(double x, double y, double xa, double ya, double xb, double yb) {
  if (xa == xb) return std::fabs(x - xa);
  const double dx = xb - xa;
  const double dy = yb - ya;
  return std::fabs(dy * (x - xa) - dx * (y - ya)) / std::sqrt(dx * dx + dy * dy);
}

double SignedOffset(double x, double y, double xa, double ya, double xb, double yb) {
  if (xa == xb) return xa - x;
  const double slope = (yb - ya) / (xb - xa);
  const double offset = slope * (x - xa) + ya - y;
  return slope < 0 ? -offset : offset;
}

}  // namespace kernel
