#include "app/core/send_plan.h"

#include <cstdio>

namespace wrendle::app {
namespace {

std::string Hex(std::string_view bytes) {
  std::string out;
  char digits[3];
  for (const char c : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
    out += digits;
  }
  return out;
}

std::string Number(const char* format, unsigned long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string Describe(const SendStep& step) {
  using Kind = SendStep::Kind;
  switch (step.kind) {
    case Kind::kSetPrevCharacter:
      return "prev " + std::to_string(step.value);
    case Kind::kPostChar:
      return "char " + Number("0x%02llx", static_cast<unsigned>(step.value));
    case Kind::kPostKeyDown:
      return "keydown " + std::to_string(step.value) + Number(" 0x%llx", step.flags);
    case Kind::kPostKeyUp:
      return "keyup " + std::to_string(step.value) + Number(" 0x%llx", step.flags);
    case Kind::kOpenClipboard:
      return "open-clipboard";
    case Kind::kEmptyClipboard:
      return "empty-clipboard";
    case Kind::kPutText:
      return "clipboard-text " + Hex(step.text);
    case Kind::kPutUnicodeText:
      return "clipboard-unicode " + std::to_string(step.value) + " " + Hex(step.text);
    case Kind::kCloseClipboard:
      return "close-clipboard";
    case Kind::kRichEditCopy:
      return "richedit-copy " + std::to_string(step.value) + " " + Hex(step.text);
    case Kind::kPostImeString:
      return "ime " + Hex(step.text);
    case Kind::kReleaseCapture:
      return "release-capture";
    case Kind::kSetForeground:
      return "foreground";
    case Kind::kPlayKeys: {
      std::string out = "keys";
      for (const std::uint16_t word : step.keys) out += Number(" %04llx", word);
      return out;
    }
    case Kind::kWait:
      return "wait " + std::to_string(step.value);
  }
  return "?";
}

std::vector<std::string> Describe(const SendPlan& plan) {
  std::vector<std::string> lines;
  for (const SendStep& step : plan) lines.push_back(Describe(step));
  return lines;
}

std::uint32_t KeyEventFlags(std::uint16_t word) {
  std::uint32_t flags = 0;
  if (word & 0x8000) flags |= 2;  // KEYEVENTF_KEYUP
  if (word & 0x0100) flags |= 1;  // KEYEVENTF_EXTENDEDKEY
  return flags;
}

bool ExecutePlan(const SendPlan& plan, OutputDevice& device) {
  using Kind = SendStep::Kind;
  bool clipboard_open = false;
  for (const SendStep& step : plan) {
    bool ok = true;
    switch (step.kind) {
      case Kind::kSetPrevCharacter:
        device.SetPrevCharacter(step.value);
        break;
      case Kind::kPostChar:
        device.PostChar(step.window, static_cast<std::uint8_t>(step.value));
        break;
      case Kind::kPostKeyDown:
      case Kind::kPostKeyUp:
        device.PostKey(step.window, step.kind == Kind::kPostKeyDown, static_cast<std::uint8_t>(step.value),
                       step.flags);
        break;
      case Kind::kOpenClipboard:
        ok = clipboard_open = device.OpenClipboard(step.window);
        break;
      case Kind::kEmptyClipboard:
        ok = device.EmptyClipboard();
        break;
      case Kind::kPutText:
        ok = device.PutText(step.text);
        break;
      case Kind::kPutUnicodeText:
        ok = device.PutUnicodeText(step.text, step.value);
        break;
      case Kind::kCloseClipboard:
        device.CloseClipboard();
        clipboard_open = false;
        break;
      case Kind::kRichEditCopy:
        device.RichEditCopy(step.text, step.value);
        break;
      case Kind::kPostImeString:
        device.PostImeString(step.text);
        break;
      case Kind::kReleaseCapture:
        device.ReleaseCapture();
        break;
      case Kind::kSetForeground:
        device.SetForeground(step.window);
        break;
      case Kind::kPlayKeys:
        device.PlayKeys(step.keys);
        break;
      case Kind::kWait:
        device.Wait(step.value);
        break;
    }
    if (!ok && step.Required()) {
      if (clipboard_open) device.CloseClipboard();
      return false;
    }
  }
  return true;
}

}  // namespace wrendle::app
