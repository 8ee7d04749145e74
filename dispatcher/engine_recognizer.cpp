#include "dispatcher/engine_recognizer.h"

#include <algorithm>
#include <new>
#include <vector>

#include "common/recognition_types.h"
#include "dispatcher/gesture_mapping.h"
#include "platform/system_info.h"

namespace wrendle {
namespace {

// Pen parameters as the dispatcher sets them.
constexpr std::uint32_t kPenContextSwitch = 0x2000;
constexpr std::uint32_t kPenSegmenting = 0x2001;
constexpr std::uint32_t kPenDirection = 0x2002;
constexpr std::uint32_t kPenCharacterClasses = 0x2003;

// The engine's character-class set for the range flags.
std::uint32_t EngineClasses(int range_flags) {
  std::uint32_t classes = 0;
  if ((range_flags & kRangeChinese) != 0) classes = 6;
  if ((range_flags & kRangeLetters) != 0) classes += 0x21;
  if ((range_flags & kRangeDigits) != 0) classes += 0x40;
  if ((range_flags & kRangeEngineRetry) != 0) classes += 0x80;
  return classes;
}

abi::EnginePoint ToEnginePoint(const StrokeEntry& point) {
  return static_cast<abi::EnginePoint>(static_cast<std::uint16_t>(point.y)) |
         static_cast<abi::EnginePoint>(static_cast<std::uint16_t>(point.x)) << 16;
}

// Length in bytes of the codes as a zero-ended byte string.
std::size_t ByteStringLength(const EngineCandidates& codes) {
  std::size_t length = 0;
  for (const std::uint16_t code : codes) {
    if ((code & 0xFF) == 0) return length;
    if ((code >> 8) == 0) return length + 1;
    length += 2;
  }
  return length;
}

}  // namespace

CEngineRecognizer::CEngineRecognizer(DispatcherState& state, CGestureRecognizer& gestures,
                                     platform::NotificationWindow* window, std::string windows_directory,
                                     const char* user_name)
    : CCharRecognizer(state),
      gestures_(gestures),
      window_(window),
      windows_directory_(std::move(windows_directory)),
      user_name_(user_name) {}

CEngineRecognizer::~CEngineRecognizer() {
  if (entries_) entries_->destroy();
}

bool CEngineRecognizer::BindEntries() {
  Entries e{};
  e.set_current_user = library_->Entry<abi::VOKSetCurrentUserPFn>("VOKSetCurrentUserP");
  e.initialize_ex = library_->Entry<abi::VOKInitializeExPFn>("VOKInitializeExP");
  e.destroy = library_->Entry<abi::VOKDestroyPFn>("VOKDestroyP");
  e.string_to_word_id = library_->Entry<abi::VOKStringToWordIDPFn>("VOKStringToWordIDP");
  e.word_id_to_string = library_->Entry<abi::VOKWordIDToStringPFn>("VOKWordIDToStringP");
  e.set_param = library_->Entry<abi::VOKSetParamPFn>("VOKSetParamP");
  e.get_param = library_->Entry<abi::VOKGetParamPFn>("VOKGetParamP");
  e.set_notification = library_->Entry<abi::VOKSetNotificationPFn>("VOKSetNotificationP");
  e.recognize = library_->Entry<abi::VOKPRRecognizePFn>("VOKPRRecognizeP");
  e.delete_result = library_->Entry<abi::VOKDeleteResultPFn>("VOKDeleteResultP");
  e.process_stroke = library_->Entry<abi::VOKPRProcessStrokePFn>("VOKPRProcessStrokeP");
  if (!e.set_current_user || !e.initialize_ex || !e.destroy || !e.string_to_word_id || !e.word_id_to_string ||
      !e.set_param || !e.get_param || !e.set_notification || !e.recognize || !e.delete_result ||
      !e.process_stroke) {
    return false;
  }
  entries_ = e;
  return true;
}

int CEngineRecognizer::Init() {
  platform::WaitCursor wait;
  library_ = platform::SharedLibrary::Open(platform::JoinPath(windows_directory_, "VOK-P.DLL"));
  if (!library_ || !BindEntries() || window_ == nullptr) return 0;
  SetEngineUser();
  if (entries_->initialize_ex(abi::kEnginePenRecognizer, 0) != 0) {
    // Nothing started, so nothing is destroyed.
    entries_.reset();
    return 0;
  }
  entries_->set_notification(window_->Handle());
  entries_->set_param(kPenContextSwitch, 0);
  entries_->set_param(kPenCharacterClasses, 6);
  entries_->set_param(kPenDirection, 1);
  entries_->set_param(kPenSegmenting, 0);
  return 1;
}

void CEngineRecognizer::SetEngineUser() {
  if (entries_) entries_->set_current_user(user_name_);
}

int CEngineRecognizer::SetRange(int range_flags) {
  state_.range_flags = range_flags;
  if (!entries_) return 0;
  return static_cast<int>(entries_->set_param(kPenCharacterClasses, EngineClasses(range_flags)));
}

int CEngineRecognizer::Recognize(const CellStrokes& strokes, std::uint16_t* candidates, int learn_code) {
  if (learn_code != 0 || !entries_) return 0;
  if (state_.use_gesture != 0) {
    const int gesture = gestures_.Recognize(strokes, candidates, 0);
    if (gesture != 0) return MapGesture(gesture, LanguageId(), candidates);
  }
  const std::optional<int> first = RunPass(strokes);
  if (!first) return 0;
  std::copy_n(buffer_.begin(), *first, candidates);
  candidates[*first] = 0;
  const int flags = state_.range_flags;
  if ((flags & kRangeEngineRetry) == 0 || *first != 1) return *first;

  // One candidate only: ask again without the retry class for more.
  SetRange(flags & ~kRangeEngineRetry);
  const std::optional<int> second = RunPass(strokes);
  // The retry class is restored on either outcome.
  SetRange(flags);
  if (!second) return 1;
  const int more = std::min(*second, kMaxCandidates - 1);
  std::copy_n(buffer_.begin(), more, candidates + 1);
  candidates[more + 1] = 0;
  return more + 1;
}

std::optional<int> CEngineRecognizer::RunPass(const CellStrokes& strokes) {
  std::size_t longest = 0;
  for (const StrokeView& stroke : strokes.view.strokes()) longest = std::max(longest, stroke.points.size());
  std::vector<abi::EnginePoint> points;
  try {
    points.assign(longest, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  for (const StrokeView& stroke : strokes.view.strokes()) {
    std::transform(stroke.points.begin(), stroke.points.end(), points.begin(), ToEnginePoint);
    entries_->process_stroke(static_cast<std::uint32_t>(stroke.points.size()), points.data());
  }

  buffer_.fill(0);
  // A refused request posts no result: waiting for one would never end.
  if (entries_->recognize() != 0) return 0;
  const std::optional<platform::WindowMessage> message = window_->WaitFor(abi::kWmPenResult);
  if (!message) return 0;
  auto* first = reinterpret_cast<abi::VokResult*>(message->wparam);
  auto* second = reinterpret_cast<abi::VokResult*>(message->lparam);
  PenResultConverter converter(state_, LanguageId(), entries_->word_id_to_string);
  if (first != nullptr) converter.Convert(*first, buffer_);
  entries_->delete_result(first);
  if (second != nullptr) entries_->delete_result(second);
  return static_cast<int>(ByteStringLength(buffer_) / 2);
}

int CSimplifiedEngineRecognizer::LanguageId() const { return kLanguageSimplifiedChinese; }
int CTraditionalEngineRecognizer::LanguageId() const { return kLanguageTraditionalChinese; }

std::unique_ptr<CEngineRecognizer> MakeEngineRecognizer(int language, DispatcherState& state,
                                                        CGestureRecognizer& gestures,
                                                        platform::NotificationWindow* window,
                                                        const std::string& windows_directory) {
  if (language == kLanguageSimplifiedChinese) {
    return std::make_unique<CSimplifiedEngineRecognizer>(state, gestures, window, windows_directory);
  }
  if (language == kLanguageTraditionalChinese) {
    return std::make_unique<CTraditionalEngineRecognizer>(state, gestures, window, windows_directory);
  }
  return nullptr;
}

}  // namespace wrendle
