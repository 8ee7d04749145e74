// Speech for training: RIFF wave files of 16-bit mono PCM at the front end's
// rate. Anything else is refused, never converted behind the user's back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace train_acoustic_model {

inline constexpr int kSamplingRate = 11025;

// The samples of a wave image; nullopt with the reason in `error` when it is
// not a 16-bit mono PCM wave at `rate` samples per second.
std::optional<std::vector<std::int16_t>> ParseWave(std::span<const std::uint8_t> bytes, int rate,
                                                   std::string* error);

// The same for a file.
std::optional<std::vector<std::int16_t>> ReadWave(const std::string& path, int rate, std::string* error);

// A 16-bit mono PCM wave image (for fixtures).
std::vector<std::uint8_t> WaveImage(std::span<const std::int16_t> samples, int rate);

}  // namespace train_acoustic_model
