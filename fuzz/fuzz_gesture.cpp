// ZUNGesture of the gesture module "tarnig.dll", loaded as the dispatcher
// loads it: the first byte of the input chooses the range flags, the rest is
// the StrokeList of one cell.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "common/stroke_list.h"
#include "fuzz/fuzz_support.h"
#include "platform/calling_convention.h"
#include "platform/shared_library.h"
#include "tests/support/executable_directory.h"

namespace {

using GestureFn = int(WRENDLE_STDCALL*)(const wrendle::StrokeEntry*, int);

GestureFn Gesture() {
  static const std::unique_ptr<platform::SharedLibrary> library = [] {
    platform::SetModuleSearchDirectory(testing_support::ExecutableDirectory().string());
    return platform::SharedLibrary::Open("tarnig.dll");
  }();
  if (!library) std::abort();
  static const GestureFn gesture = library->Entry<GestureFn>("ZUNGesture");
  if (gesture == nullptr) std::abort();
  return gesture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Input input(data, size);
  static constexpr int kRangeBits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x40, 0x2000, 0x8000};
  const std::uint8_t choice = input.Byte();
  int range = 0;
  for (int bit = 0; bit < 8; ++bit)
    if ((choice >> bit) & 1) range |= kRangeBits[bit];
  const std::vector<wrendle::StrokeEntry> strokes = fuzz_support::StrokeListOf(input.rest());
  // A gesture code, a shape character under its range flag, or nothing.
  const int result = Gesture()(strokes.data(), range);
  const bool known = result == 0 || (result >= 11 && result <= 28) || result == '1' || result == '8' ||
                     result == '9' || result == 'X' || result == 'i';
  if (!known) std::abort();
  return 0;
}
