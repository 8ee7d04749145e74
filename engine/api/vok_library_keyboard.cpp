// The keyboard workers of the engine library, over the keyboard recognizer.
#include "engine/api/keyboard_recognizer.h"
#include "engine/api/vok_library.h"

namespace vok::api {

template <typename Call>
VokStatus VokLibrary::WithKeyboard(Call call) {
  if (!started_) return kVokNotStarted;
  if (!engine_->keyboard) return kVokNoPenOrKeyboardRecognizer;
  return call(*engine_->keyboard);
}

VokStatus VokLibrary::KRProcessKey(std::uint32_t key) {
  return WithKeyboard([&](CKeyboardRecognizer& keyboard) { return keyboard.ProcessKey(key, parameters_); });
}

VokStatus VokLibrary::KRProcessKeySet(const char* keys) {
  return WithKeyboard(
      [&](CKeyboardRecognizer& keyboard) { return keyboard.ProcessKeySet(keys, parameters_); });
}

VokStatus VokLibrary::KRRecognize() {
  return WithKeyboard([&](CKeyboardRecognizer& keyboard) { return keyboard.RecognizeKeys(parameters_); });
}

VokStatus VokLibrary::KRClearKeys() {
  return WithKeyboard([](CKeyboardRecognizer& keyboard) { return keyboard.ClearKeys(); });
}

VokStatus VokLibrary::KRGetKeyBuffer(std::uint32_t size, char* buffer) {
  return WithKeyboard([&](CKeyboardRecognizer& keyboard) { return keyboard.GetKeyBuffer(size, buffer); });
}

}  // namespace vok::api
