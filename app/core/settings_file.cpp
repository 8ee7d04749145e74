#include "app/core/settings_file.h"

namespace wrendle::app {
namespace {

constexpr int kRangeStored = 0x8000;

bool IsKnownLanguage(int language) {
  return language == kLanguageJapanese || language == kLanguageTraditionalChinese ||
         language == kLanguageKorean || language == kLanguageSimplifiedChinese;
}

std::string PaneKey(const char* prefix, int pane) { return prefix + std::to_string(pane); }

}  // namespace

WindowPoint ClampToScreen(WindowPoint point, platform::ScreenSize screen) {
  const bool inside =
      point.x >= 0 && point.y >= 0 && point.x < screen.width - 60 && point.y < screen.height - 30;
  if (inside) return point;
  return {2 * screen.width / 3, 2 * screen.height / 3};
}

void RestrictToLanguage(Settings& settings) {
  if (settings.recognizer_language != kLanguageKorean) return;
  settings.full_shape = false;
  for (const int pane : {kPanePhrases, kPaneHomophones}) {
    settings.full_screen_panes[pane].open = false;
    settings.pad_panes[pane].open = false;
  }
}

Settings SettingsFile::Load(int system_language, platform::ScreenSize screen) const {
  const int third_w = screen.width / 3;
  const int third_h = screen.height / 3;
  const bool system_has_kernel = HasKernel(system_language);
  const bool system_known = IsKnownLanguage(system_language);

  Settings s;
  s.system_language = system_language;
  s.display_language = Int("CodePage", "Display", system_language);
  s.recognizer_language = Int("CodePage", "Recognizer", kLanguageSimplifiedChinese);
  s.range = Int("Kernel", "Range", 9) | kRangeStored;
  s.use_gesture = Int("Kernel", "UseGesture", 1);
  s.char_pitch = Int("Kernel", "CharPitch", 50);
  s.layout = Int("Layout", "Layout", 1);
  s.speech = Int("Voice", "Speech", 1);
  s.pen_width = Int("Pen", "Width", 5);
  const unsigned blue = static_cast<unsigned>(Int("Pen", "Blue", 0)) & 0xFF;
  const unsigned green = static_cast<unsigned>(Int("Pen", "Green", 0)) & 0xFF;
  const unsigned red = static_cast<unsigned>(Int("Pen", "Red", 255)) & 0xFF;
  s.pen_color = red | green << 8 | blue << 16;
  s.delay = Int("Pen", "Delay", 100);
  s.sensitive = Int("Pen", "Sensitive", 120);
  s.pen_mouse = Int("Pen", "PenMouse", 1);
  s.is_pressure = Int("Pen", "IsPressure", 0);
  const auto point = [&](const char* x_key, const char* y_key) {
    return ClampToScreen({Int("Layout", x_key, third_w), Int("Layout", y_key, third_h)}, screen);
  };
  const WindowPoint frame_origin = point("Px", "Py");
  const WindowPoint frame_end = point("Sx", "Sy");
  const WindowPoint pad = point("Mx", "My");
  s.px = frame_origin.x, s.py = frame_origin.y;
  s.sx = frame_end.x, s.sy = frame_end.y;
  s.mx = pad.x, s.my = pad.y;
  for (int i = 0; i < kPaneCount; ++i) {
    const int x = third_w + 120;
    const int y = third_h + 15 + 22 * i;
    s.full_screen_panes[i] = {Int("Layout", PaneKey("KB_", i), i == 0 || i == 2 ? 1 : 0) != 0,
                              Int("Layout", PaneKey("xKB_", i), x), Int("Layout", PaneKey("yKB_", i), y)};
    s.pad_panes[i] = {Int("Layout", PaneKey("PadKB_", i), 0) != 0, Int("Layout", PaneKey("PadxKB_", i), x),
                      Int("Layout", PaneKey("PadyKB_", i), y)};
  }
  s.symbol_group = Int("Layout", "SymGrp", 0);
  s.auto_learn = Int("Learn", "Auto", 1) != 0;
  s.insert = Int("Char", "Insert", 0) != 0;
  s.full_shape = Int("Char", "FullShape", 0) != 0;
  s.spacing = Int("Char", "Spacing", system_has_kernel ? 0 : 1) != 0;
  s.inking = false;
  s.wait_recognize = Int("Char", "WaitRecognize", 0) != 0;
  s.is_dbcs_char = Int("Char", "IsDBCSChar", system_known ? 1 : 0) != 0;
  s.use_ime = system_known && Int("Char", "UseIME", 0) != 0;
  s.post_unicode = !system_known && Int("Input Method", "PostUnicode", 0) != 0;
  s.cursive = Int("Kernel", "Cursive", -1);
  if (s.cursive < 0 || s.cursive > 2) s.cursive = 2;
  s.comm_char = Int("Kernel", "CommChar", 1);
  if (system_has_kernel) s.recognizer_language = s.display_language = system_language;
  return s;
}

bool SettingsFile::Save(const Settings& s) {
  bool written = true;
  const auto put = [&](const char* section, const std::string& key, int value) {
    written = store_.WriteString(file_, section, key, std::to_string(value)) && written;
  };
  put("CodePage", "Display", s.display_language);
  put("CodePage", "Recognizer", s.recognizer_language);
  put("Kernel", "Range", s.range);
  put("Kernel", "UseGesture", s.use_gesture);
  put("Kernel", "Cursive", s.cursive);
  put("Kernel", "CommChar", s.comm_char);
  put("Kernel", "CharPitch", s.char_pitch);
  put("Layout", "Layout", s.layout);
  put("Layout", "Px", s.px);
  put("Layout", "Py", s.py);
  put("Layout", "Sx", s.sx);
  put("Layout", "Sy", s.sy);
  put("Layout", "Mx", s.mx);
  put("Layout", "My", s.my);
  put("Pen", "Width", s.pen_width);
  put("Pen", "Red", static_cast<int>(s.pen_color & 0xFF));
  put("Pen", "Green", static_cast<int>(s.pen_color >> 8 & 0xFF));
  put("Pen", "Blue", static_cast<int>(s.pen_color >> 16 & 0xFF));
  put("Pen", "Delay", s.delay);
  put("Pen", "Sensitive", s.sensitive);
  put("Pen", "PenMouse", s.pen_mouse);
  put("Pen", "IsPressure", s.is_pressure);
  for (int i = 0; i < kPaneCount; ++i) {
    put("Layout", PaneKey("KB_", i), s.full_screen_panes[i].open ? 1 : 0);
    put("Layout", PaneKey("xKB_", i), s.full_screen_panes[i].x);
    put("Layout", PaneKey("yKB_", i), s.full_screen_panes[i].y);
    put("Layout", PaneKey("PadKB_", i), s.pad_panes[i].open ? 1 : 0);
    put("Layout", PaneKey("PadxKB_", i), s.pad_panes[i].x);
    put("Layout", PaneKey("PadyKB_", i), s.pad_panes[i].y);
  }
  put("Layout", "SymGrp", s.symbol_group);
  put("Learn", "Auto", s.auto_learn ? 1 : 0);
  put("Char", "Insert", s.insert ? 1 : 0);
  put("Char", "FullShape", s.full_shape ? 1 : 0);
  put("Char", "Inking", s.inking ? 1 : 0);
  put("Char", "WaitRecognize", s.wait_recognize ? 1 : 0);
  put("Char", "UseIME", s.use_ime ? 1 : 0);
  put("Char", "IsDBCSChar", s.is_dbcs_char ? 1 : 0);
  put("Char", "Spacing", s.spacing ? 1 : 0);
  put("Input Method", "PostUnicode", s.post_unicode ? 1 : 0);
  put("Voice", "Speech", s.speech);
  return written;
}

std::string SettingsFile::CurrentUser() const {
  return store_.GetString(file_, "Learn", "CurrentUser").value_or(kDefaultCurrentUser);
}

}  // namespace wrendle::app
