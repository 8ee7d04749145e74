#include "dispatcher/zunmain.h"

#include <string>

#include "common/engine_pen_abi.h"
#include "common/recognition_types.h"
#include "dispatcher/engine_recognizer.h"
#include "dispatcher/kernel_recognizer.h"
#include "dispatcher/mixed_recognizer.h"

namespace wrendle {
namespace {

constexpr char kStrokeProfile[] = "stroke.ini";
constexpr char kStrokeSection[] = "ZUNMAIN";
constexpr char kStrokeKey[] = "Stroke";
constexpr int kDefaultStrokeThreshold = 4;

}  // namespace

Zunmain::Zunmain(platform::ProfileStore& profiles, std::string windows_directory)
    : profiles_(profiles),
      windows_directory_(std::move(windows_directory)),
      window_(platform::NotificationWindow::Create(abi::kWmPenResult)),
      gestures_(state_) {
  gesture_library_present_ = gestures_.Init() != 0;
}

Zunmain::~Zunmain() = default;

std::unique_ptr<CCharRecognizer> Zunmain::Build(int language, int mode) {
  switch (mode) {
    case kModeKernel:
      return MakeKernelRecognizer(language, state_, gestures_);
    case kModeEngine:
      return MakeEngineRecognizer(language, state_, gestures_, window_.get(), windows_directory_);
    case kModeCombined: {
      const int threshold =
          profiles_.GetInt(kStrokeProfile, kStrokeSection, kStrokeKey, kDefaultStrokeThreshold);
      std::unique_ptr<CMixedRecognizer> mixed;
      auto engine = MakeEngineRecognizer(language, state_, gestures_, window_.get(), windows_directory_);
      auto kernel = MakeKernelRecognizer(language, state_, gestures_);
      if (engine && kernel) {
        mixed = std::make_unique<CMixedRecognizer>(state_, std::move(engine), std::move(kernel));
        mixed->SetThreshold(threshold);
      }
      profiles_.WriteString(kStrokeProfile, kStrokeSection, kStrokeKey, std::to_string(threshold));
      return mixed;
    }
    default:
      return nullptr;
  }
}

int Zunmain::InitRecognition(int language, int mode) {
  platform::WaitCursor wait;
  if (current_ && current_->Mode() == mode && current_->LanguageId() == language) return 1;
  current_.reset();
  std::unique_ptr<CCharRecognizer> built = Build(language, mode);
  if (!built || built->Init() == 0) return 0;
  current_ = std::move(built);
  return 1;
}

void Zunmain::FreeRecognition() { current_.reset(); }

int Zunmain::Recognition(const StrokeEntry* list, std::uint16_t* candidates, int learn_code) {
  if (candidates == nullptr) return 0;
  const auto view = StrokeListView::ParseUnbounded(list);
  if (!view || view->stroke_count() == 0 || view->point_count() > kMaxRecognizerPoints) return 0;
  const CellStrokes strokes{list, *view};
  if (current_) return current_->Recognize(strokes, candidates, learn_code);
  return gestures_.Recognize(strokes, candidates, learn_code);
}

int Zunmain::SetRange(int range_flags) {
  if (current_) return current_->SetRange(range_flags);
  state_.range_flags = range_flags;
  return range_flags;
}

int Zunmain::AttachLearn(const char* features, const char* segments, const char* ink, const char* fourth) {
  return current_ ? current_->AttachLearn(features, segments, ink, fourth) : 0;
}

void Zunmain::SetPrevCharacter(int code) { state_.previous_character = static_cast<std::uint16_t>(code); }

int Zunmain::SetRecognizeGesture(int use_gesture) {
  const int old = state_.use_gesture;
  state_.use_gesture = use_gesture;
  return old;
}

int Zunmain::IsGesture(int query) const { return query == 1 && gesture_library_present_ ? 1 : 0; }

}  // namespace wrendle
