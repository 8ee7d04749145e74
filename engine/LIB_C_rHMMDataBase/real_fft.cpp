#include "engine/LIB_C_rHMMDataBase/real_fft.h"

#include <cmath>
#include <utility>

bool RealFft::IsValidSize(int n) { return n >= 2 && n <= (1 << 20) && (n & (n - 1)) == 0; }

RealFft::RealFft(int n) : n_(n), bit_reverse_(n), cos_(n / 2), sin_(n / 2) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  for (int i = 0; i < n; ++i) {
    int r = 0;
    for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
    bit_reverse_[i] = r;
  }
  for (int k = 0; k < n / 2; ++k) {
    const double angle = 2.0 * 3.14159265358979323846 * k / n;
    cos_[k] = static_cast<float>(std::cos(angle));
    sin_[k] = static_cast<float>(-std::sin(angle));
  }
}

void RealFft::Transform(std::span<const float> x, std::span<float> re, std::span<float> im) const {
  for (int i = 0; i < n_; ++i) {
    re[bit_reverse_[i]] = x[i];
    im[i] = 0.0f;
  }
  for (int half = 1; half < n_; half *= 2) {
    const int step = n_ / (2 * half);
    for (int start = 0; start < n_; start += 2 * half) {
      for (int j = 0; j < half; ++j) {
        const float wr = cos_[j * step];
        const float wi = sin_[j * step];
        const int a = start + j;
        const int b = a + half;
        const float tr = re[b] * wr - im[b] * wi;
        const float ti = re[b] * wi + im[b] * wr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
      }
    }
  }
}
