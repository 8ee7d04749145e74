// The keyboard workers of the engine library. No exception leaves them: a
// failure inside becomes -1.
#include "engine/api/guarded_call.h"
#include "engine/api/library_instance.h"
#include "engine/api/vok_exports.h"

using vok::api::Guarded;

extern "C" {

std::uint32_t WRENDLE_STDCALL VOKKRProcessKeyP(std::uint32_t key) {
  return Guarded([&] { return vok::api::Library().KRProcessKey(key); });
}
std::uint32_t WRENDLE_STDCALL VOKKRProcessKeySetP(const char* keys) {
  return Guarded([&] { return vok::api::Library().KRProcessKeySet(keys); });
}
std::uint32_t WRENDLE_STDCALL VOKKRRecognizeP() {
  return Guarded([] { return vok::api::Library().KRRecognize(); });
}
std::uint32_t WRENDLE_STDCALL VOKKRClearKeysP() {
  return Guarded([] { return vok::api::Library().KRClearKeys(); });
}
std::uint32_t WRENDLE_STDCALL VOKKRGetKeyBufferP(std::uint32_t size, char* buffer) {
  return Guarded([&] { return vok::api::Library().KRGetKeyBuffer(size, buffer); });
}

}  // extern "C"
