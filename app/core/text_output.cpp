#include "app/core/text_output.h"

#include <cctype>

#include "app/core/char_codes.h"

namespace wrendle::app {
namespace {

using Kind = SendStep::Kind;

constexpr int kPasteWaitMs = 100;
constexpr int kKeyWaitMs = 300;
constexpr std::uint32_t kExtendedKey = 0x1000000;
constexpr std::uint32_t kKeyUpBits = 0xC0000001;

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

SendStep MakeStep(Kind kind, WindowHandle window = 0, int value = 0, std::uint32_t flags = 0) {
  SendStep step;
  step.kind = kind;
  step.window = window;
  step.value = value;
  step.flags = flags;
  return step;
}

SendStep TextStep(Kind kind, std::string text, int value = 0) {
  SendStep step = MakeStep(kind, 0, value);
  step.text = std::move(text);
  return step;
}

}  // namespace

int TargetKindOf(std::string_view class_name) {
  static constexpr std::string_view kClasses[] = {"RichEdit20W", "_WwG",        "paneClassDC",
                                                  "EXCEL",       "RichEdit20A", "Internet Explorer_Server"};
  for (size_t i = 0; i < std::size(kClasses); ++i) {
    if (StartsWithIgnoringCase(class_name, kClasses[i])) return static_cast<int>(i + 1);
  }
  return kTargetOther;
}

TextOutput::TextOutput(const Settings& settings, const CUserMap& user_map, WindowHandle owner, bool has_rich_edit)
    : settings_(settings), user_map_(user_map), owner_(owner), has_rich_edit_(has_rich_edit) {}

std::optional<std::string> TextOutput::UserText(std::uint16_t code) const {
  const std::uint16_t user_code = SwapBytes(code);
  if (!IsUserCode(user_code)) return std::nullopt;
  std::string text;
  user_map_.GetText(user_code, &text);
  return text;
}

SendPlan TextOutput::SendResult(WindowHandle target, int kind, std::uint16_t code, PendingSends& queue) const {
  if (IsKeyCode(code)) return SendKey(target, kind, code);
  if (const auto user_text = UserText(code)) {
    // A user code without a text has nothing to send.
    if (user_text->empty()) return {};
    return SendText(target, kind, *user_text, queue);
  }
  return SendText(target, kind, CodeBytes(code), queue);
}

SendPlan TextOutput::SendText(WindowHandle target, int kind, const std::string& text, PendingSends& queue) const {
  SendPlan plan;
  if (target == 0 || text.empty()) return plan;
  // The first byte, sign-extended as a 16-bit character.
  plan.push_back(MakeStep(Kind::kSetPrevCharacter, 0,
                          static_cast<std::int16_t>(static_cast<std::int8_t>(text.front()))));
  if (settings_.system_language == kNoSystemLanguage && !UnicodeTarget(kind)) {
    const int spaces = settings_.spacing ? (kind == kTargetWord ? 2 : 1) : 0;
    for (size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      plan.push_back(MakeStep(Kind::kPostChar, target, byte));
      if ((byte & 0x80) && i + 1 < text.size()) {
        plan.push_back(MakeStep(Kind::kPostChar, target, static_cast<unsigned char>(text[++i])));
      }
      for (int s = 0; s < spaces; ++s) plan.push_back(MakeStep(Kind::kPostChar, target, ' '));
    }
    return plan;
  }
  SendRecognizedText(target, kind, text, queue, &plan);
  return plan;
}

void TextOutput::SendRecognizedText(WindowHandle target, int kind, const std::string& text, PendingSends& queue,
                                    SendPlan* plan) const {
  const bool before = settings_.spacing && kind == kTargetWord;
  const bool after = settings_.spacing && kind != kTargetWord;
  // The text is sized to what it gathers: a user text of any length, with
  // its spacing, fits.
  std::string gathered;
  const auto append_character = [&](const std::string& bytes) {
    if (before) gathered += "  ";
    gathered += bytes;
    if (after) gathered += ' ';
  };
  append_character(text);

  while (gathered.size() < kGatherLimit) {
    const auto next = queue.Peek();
    if (!next || next->target != target || IsKeyCode(next->code)) break;
    queue.Remove();
    if (const auto user_text = UserText(next->code)) {
      if (!before) {
        gathered += *user_text;
        continue;
      }
      for (size_t i = 0; i < user_text->size(); ++i) {
        gathered += "  ";
        gathered += (*user_text)[i];
        if ((static_cast<unsigned char>((*user_text)[i]) & 0x80) && i + 1 < user_text->size()) {
          gathered += (*user_text)[++i];
        }
      }
    } else {
      append_character(CodeBytes(next->code));
    }
  }

  if (settings_.use_ime) {
    plan->push_back(TextStep(Kind::kPostImeString, gathered));
    return;
  }
  plan->push_back(MakeStep(Kind::kOpenClipboard, owner_));
  plan->push_back(MakeStep(Kind::kEmptyClipboard));
  if (UnicodeTarget(kind)) {
    const int code_page = CodePageOf(settings_.recognizer_language);
    if (has_rich_edit_) {
      plan->push_back(MakeStep(Kind::kCloseClipboard));
      plan->push_back(TextStep(Kind::kRichEditCopy, gathered, code_page));
    } else {
      // Without the rich-edit window the Unicode text goes on the clipboard
      // directly; an emptied clipboard would paste nothing.
      plan->push_back(TextStep(Kind::kPutUnicodeText, gathered, code_page));
      plan->push_back(MakeStep(Kind::kCloseClipboard));
    }
  } else {
    plan->push_back(TextStep(Kind::kPutText, gathered));
    plan->push_back(MakeStep(Kind::kCloseClipboard));
  }
  plan->push_back(MakeStep(Kind::kReleaseCapture));
  plan->push_back(MakeStep(Kind::kSetForeground, target));
  SendStep paste = MakeStep(Kind::kPlayKeys);
  paste.keys.assign(std::begin(kPasteKeys), std::end(kPasteKeys));
  plan->push_back(std::move(paste));
  plan->push_back(MakeStep(Kind::kWait, 0, kPasteWaitMs));
}

SendPlan TextOutput::SendKey(WindowHandle target, int kind, std::uint16_t code) const {
  SendPlan plan;
  if (target == 0) return plan;
  const std::uint8_t vk = VirtualKeyOf(code);
  std::uint32_t flags = 1;  // repeat count
  if ((vk >= 33 && vk <= 40) || vk == 45 || vk == 46) flags |= kExtendedKey;
  plan.push_back(MakeStep(Kind::kPostKeyDown, target, vk, flags));
  if (vk == 8 || vk == 46) {
    // A double-byte character takes two erasing keys where the target counts
    // bytes; the spacing after it takes one more each.
    int extra = !UnicodeTarget(kind) && !settings_.is_dbcs_char ? 1 : 0;
    if (settings_.spacing) extra += kind == kTargetWord ? 2 : 1;
    for (int i = 0; i < extra; ++i) plan.push_back(MakeStep(Kind::kPostKeyDown, target, vk, flags));
  }
  plan.push_back(MakeStep(Kind::kPostKeyUp, target, vk, flags | kKeyUpBits));
  plan.push_back(MakeStep(Kind::kWait, 0, kKeyWaitMs));
  return plan;
}

}  // namespace wrendle::app
