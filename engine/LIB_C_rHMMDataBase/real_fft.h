// Unscaled discrete Fourier transform of a real sequence whose length is a
// power of two (radix-2, single precision).
#pragma once

#include <span>
#include <vector>

class RealFft {
 public:
  // n must be a power of two, at least 2 (checked by IsValidSize).
  explicit RealFft(int n);
  static bool IsValidSize(int n);

  int size() const { return n_; }
  // X[k] = sum x[t] exp(-2 pi i k t / n) for k = 0 .. n/2; re and im hold
  // n values each and serve as the work area.
  void Transform(std::span<const float> x, std::span<float> re, std::span<float> im) const;

 private:
  int n_;
  std::vector<int> bit_reverse_;
  std::vector<float> cos_;
  std::vector<float> sin_;
};
