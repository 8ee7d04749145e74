// The pen workers of the engine library, over the pen recognizer.
#include "engine/api/pen_recognizer.h"
#include "engine/api/vok_library.h"

namespace vok::api {

template <typename Call>
VokStatus VokLibrary::WithPen(Call call) {
  if (!started_) return kVokNotStarted;
  if (!engine_->pen) return kVokNoPenOrKeyboardRecognizer;
  return call(*engine_->pen);
}

VokStatus VokLibrary::PRProcessStroke(std::uint32_t count, const std::uint32_t* points) {
  return WithPen([&](CPenRecognizer& pen) { return pen.ProcessStroke(count, points, parameters_); });
}

VokStatus VokLibrary::PRRecognize() {
  return WithPen([](CPenRecognizer& pen) { return pen.RecognizeStrokes(); });
}

VokStatus VokLibrary::PRClearStrokes() {
  return WithPen([](CPenRecognizer& pen) { return pen.ClearStrokes(); });
}

VokStatus VokLibrary::AddGesture(const char* name, std::int32_t strokes, const void* data,
                                 std::uint32_t size) {
  return WithPen([&](CPenRecognizer& pen) { return pen.AddGesture(name, strokes, data, size); });
}

VokStatus VokLibrary::RemoveGesture(const char* name) {
  return WithPen([&](CPenRecognizer& pen) { return pen.RemoveGesture(name); });
}

VokStatus VokLibrary::EnumGesture(std::int32_t index, vok::GestureTemplate* record) {
  return WithPen([&](CPenRecognizer& pen) { return pen.EnumGesture(index, record); });
}

}  // namespace vok::api
