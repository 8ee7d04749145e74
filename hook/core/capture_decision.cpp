#include "hook/core/capture_decision.h"

#include <array>
#include <cctype>

namespace jebhook {
namespace {

constexpr std::int32_t kHtError = -2;
constexpr std::int32_t kHtTransparent = -1;
constexpr std::int32_t kHtNowhere = 0;
constexpr std::int32_t kHtClient = 1;
constexpr std::int32_t kHtBorder = 18;

constexpr std::uint32_t kSlowCheckAfterMs = 300;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

bool IsCaptureHitTest(std::int32_t hit_test) {
  switch (hit_test) {
    case kHtNowhere:
    case kHtClient:
    case kHtBorder:
    case kHtError:
    case kHtTransparent:
      return true;
    default:
      return false;
  }
}

bool IsExcludedClass(std::string_view class_name) {
  static constexpr std::array<std::string_view, 4> kExcluded = {"Button", "ComboBox", "ListBox", "JebWrite"};
  for (std::string_view excluded : kExcluded) {
    if (EqualsIgnoringCase(class_name, excluded)) return true;
  }
  return false;
}

PressVerdict JudgePress(const PressFacts& facts) {
  if (facts.mouse_mode == kMouseOff || facts.menu_open || facts.excluded_class || facts.over_owner_window ||
      !facts.inside_work_area) {
    return PressVerdict::kRefuse;
  }
  if (facts.mouse_mode == kMouseAtOnce) return PressVerdict::kCapture;
  if (facts.mouse_mode == kMouseHoldAndMove) return PressVerdict::kHoldTest;
  return PressVerdict::kRefuse;
}

bool RunHoldTest(PointerProbe& probe, std::int32_t speed_threshold, std::int32_t hold_window_ms) {
  const std::uint32_t pressed = probe.NowMs();
  std::uint32_t start = pressed;
  while ((start = probe.NowMs()) == pressed) {
    if (!probe.LeftButtonDown()) return false;
    probe.Pause();
  }
  const std::uint32_t window = hold_window_ms > 0 ? static_cast<std::uint32_t>(hold_window_ms) : 0;
  const std::int64_t slow = speed_threshold / 8;
  Point32 previous = probe.Cursor();
  std::int64_t sum = 0;
  for (;;) {
    const std::uint32_t elapsed = probe.NowMs() - start;
    if (elapsed >= window) return false;
    if (!probe.LeftButtonDown()) return false;
    const Point32 cursor = probe.Cursor();
    const std::int64_t dx = static_cast<std::int64_t>(cursor.x) - previous.x;
    const std::int64_t dy = static_cast<std::int64_t>(cursor.y) - previous.y;
    sum += dx * dx + dy * dy;
    previous = cursor;
    if (elapsed > 0) {
      const std::int64_t speed = sum * 1000 / elapsed;
      if (speed > speed_threshold) return true;
      if (elapsed > kSlowCheckAfterMs && speed <= slow) return false;
    }
    probe.Pause();
  }
}

}  // namespace jebhook
