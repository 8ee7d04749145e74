// The exports of the kernel modules. One recognizer object per loaded module;
// calls without one answer 0.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "dispatcher/segmentation/character_segmenter.h"
#include "kernel/module/progress_meter.h"
#include "kernel/olzun.h"
#include "platform/calling_convention.h"
#include "platform/file_access.h"
#include "platform/system_info.h"

namespace {

#if defined(ZUN_KERNEL_GB2312)
constexpr kernel::CodePage kBuildCodePage = kernel::CodePage::kGb2312;
#else
constexpr kernel::CodePage kBuildCodePage = kernel::CodePage::kBig5;
#endif

std::unique_ptr<kernel::Olzun>& Recognizer() {
  static std::unique_ptr<kernel::Olzun> recognizer;
  return recognizer;
}

std::optional<std::string> Name(const char* name) {
  if (name == nullptr) return std::nullopt;
  return std::string(name);
}

kernel::LearningNameChanges Changes(const char* features, const char* segments, const char* ink,
                                    const char* fourth) {
  return {Name(features), Name(segments), Name(ink), Name(fourth)};
}

std::function<void(std::size_t, std::size_t)> MeterProgress(kernel::ProgressMeter& meter) {
  return [&meter](std::size_t done, std::size_t total) { meter.Show(done, total); };
}

}  // namespace

extern "C" {

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNInitRecognition() {
  try {
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    wrendle::ProcessSegmenter().InitSegment(screen.width, screen.height);
    kernel::KernelConfig config;
    config.code_page = kBuildCodePage;
    config.program_directory = platform::HostProgramDirectory();
    config.learning_directory = platform::WindowsDirectory();
    // A second init replaces the first object instead of losing it.
    Recognizer().reset();
    Recognizer() = kernel::Olzun::Create(config);
    return Recognizer() ? 1 : 0;
  } catch (...) {
    Recognizer().reset();
    return 0;
  }
}

WRENDLE_EXPORT void WRENDLE_STDCALL ZUNFreeRecognition() { Recognizer().reset(); }

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNRecognition(const wrendle::StrokeEntry* strokes, std::uint16_t* codes,
                                                  int learn_code) {
  if (!Recognizer() || strokes == nullptr || (codes == nullptr && learn_code == 0)) return 0;
  try {
    const auto view = wrendle::StrokeListView::ParseUnbounded(strokes);
    if (!view) return 0;
    std::array<std::uint16_t, kernel::kMaxCandidates> found{};
    const int result = Recognizer()->Recognize(
        std::span<const wrendle::StrokeEntry>(strokes, view->entry_count()), found, learn_code);
    if (learn_code == 0 && result >= 1 && result <= static_cast<int>(kernel::kMaxCandidates)) {
      std::copy_n(found.begin(), result, codes);
    }
    return result;
  } catch (...) {
    return 0;
  }
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNSetRange(int flags) {
  return Recognizer() ? Recognizer()->SetRange(flags) : 0;
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNConvertLearn(const char* features, const char* segments,
                                                   const char* ink, const char* fourth) {
  if (!Recognizer()) return 0;
  try {
    kernel::ProgressMeter meter;
    return Recognizer()->ConvertLearn(Changes(features, segments, ink, fourth), MeterProgress(meter));
  } catch (...) {
    return 0;
  }
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNAttachLearn(const char* features, const char* segments, const char* ink,
                                                  const char* fourth) {
  if (!Recognizer()) return 0;
  try {
    kernel::ProgressMeter meter;
    return Recognizer()->AttachLearn(Changes(features, segments, ink, fourth), MeterProgress(meter));
  } catch (...) {
    return 0;
  }
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNGetLastError() { return Recognizer() ? Recognizer()->last_error() : 0; }

}  // extern "C"
