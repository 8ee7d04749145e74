// The default gesture templates (one simple stroke per editing gesture,
// drawn here as centre lines) and the anti-gesture templates (characters of
// one to three strokes, which must not be taken for gestures).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/hwr_gesture_model.h"
#include "tools/build_dictionaries/stroke_data.h"

namespace build_hwr_models {

// The template file of the editing gestures.
std::vector<uint8_t> DefaultGestureFile();
// The template file of every character of one to three strokes, named by
// the character (UTF-8).
std::vector<uint8_t> AntiGestureFile(const std::vector<build_dictionaries::StrokeCharacter>& characters);
// The first three gesture shapes as 32 points each, for the models' unused
// gesture sample section.
std::vector<int16_t> GestureSamples();

}  // namespace build_hwr_models
