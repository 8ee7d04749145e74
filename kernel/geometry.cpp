#include "kernel/geometry.h"

#include <cmath>
#include <cstdint>

namespace kernel {

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
