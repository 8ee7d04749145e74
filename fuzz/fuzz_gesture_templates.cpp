// The gesture template reader: the input is a template file; a file that
// loads is matched against, grown, shrunk and written out again, and the
// written bytes must load back with the same templates in use.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/hwr_gesture_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vok::CHWRGestureRecognizer recognizer;
  if (!recognizer.Parse(data, size)) return 0;
  vok::InkPoint points[40];
  for (int i = 0; i < 40; ++i) points[i] = {static_cast<int16_t>(i * 3), static_cast<int16_t>(i * i)};
  std::string name;
  int64_t score = 0;
  for (int strokes = 1; strokes <= 3; ++strokes) {
    const int counts[] = {14, 13, 13};
    recognizer.Match(points, strokes, counts, &name, &score);
  }
  const int one[] = {40};
  recognizer.Add("Fuzz", 1, one, points);
  if (recognizer.Enumerate(0, &name) == 0) recognizer.Remove(name.c_str());
  const auto bytes = recognizer.Serialise();
  vok::CHWRGestureRecognizer again;
  if (!again.Parse(bytes.data(), bytes.size())) std::abort();
  int in_use = 0;
  for (const auto& t : recognizer.templates()) in_use += t.in_use != 0;
  if (again.templates().size() != static_cast<std::size_t>(in_use)) std::abort();
  return 0;
}
