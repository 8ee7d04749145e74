// Test signals of the front end at 11025 Hz.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace test_signals {

inline std::vector<std::int16_t> Noise(int count, int amplitude, std::uint32_t seed = 12345) {
  std::vector<std::int16_t> out(count);
  for (auto& s : out) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<std::int16_t>(static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude);
  }
  return out;
}

inline std::vector<std::int16_t> Tone(int count, double hz, double amplitude) {
  std::vector<std::int16_t> out(count);
  for (int i = 0; i < count; ++i)
    out[i] = static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2.0 * 3.14159265358979 * hz * i / 11025.0)));
  return out;
}

inline std::vector<std::int16_t> Chirp(int count, double fromHz, double toHz, double amplitude) {
  std::vector<std::int16_t> out(count);
  const double rate = (toHz - fromHz) / count;
  for (int i = 0; i < count; ++i) {
    const double phase = 2.0 * 3.14159265358979 * (fromHz * i + 0.5 * rate * i * i) / 11025.0;
    out[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(phase)));
  }
  return out;
}

inline std::vector<std::int16_t> PulseTrain(int count, int period, std::int16_t height) {
  std::vector<std::int16_t> out(count, 0);
  for (int i = 0; i < count; i += period) out[i] = height;
  return out;
}

// The recorded speech fixture, copied beside the test executables.
inline std::vector<std::int16_t> Speech() {
  std::ifstream in("fixtures/speech_11025_s16le.raw", std::ios::binary);
  std::vector<std::int16_t> out;
  unsigned char bytes[2];
  while (in.read(reinterpret_cast<char*>(bytes), 2))
    out.push_back(static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8)));
  return out;
}

}  // namespace test_signals
