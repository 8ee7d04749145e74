#include "engine/LIB_C_rHMMDataBase/c_r_pre_process.h"

#include <cmath>
#include <cstdio>

#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

int C_rPreProcess::initPreProcess(const C_rPreProcessOptions& options) {
  options_ = options;
  window_.assign(static_cast<std::size_t>(options.frameLength), 1.0f);
  if (options.window == "Hamming") {
    for (int i = 0; i < options.frameLength; ++i)
      window_[i] = static_cast<float>(0.54 - 0.46 * std::cos(6.283185 * i / options.frameLength));
  } else if (options.window != "Rectangular" && options.window != "None") {
    std::printf("Window [%s] not suppported.\n", options.window.c_str());
    return SR_Exit("Error at C_rPreProcess::initPreProcess(..)");
  }
  return 0;
}

void C_rPreProcess::process(std::span<const float> s, std::span<float> y, C_rPreProcessState& state) const {
  const float a = options_.dcOffsetConstant;
  const float p = options_.preemphasis;
  float previous = state.carry;
  for (int i = 0; i < options_.frameLength; ++i) {
    state.dcLevel = (1.0f - a) * s[i] + a * state.dcLevel;
    y[i] = window_[i] * (s[i] - p * previous);
    previous = s[i];
  }
  state.carry = s[options_.frameShift - 1];
}
