#include "app/core/text_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>

#include "app/core/char_codes.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using namespace wrendle::app;

constexpr WindowHandle kTarget = 0x100;
constexpr WindowHandle kOwner = 0x200;
constexpr std::uint16_t kZhong = 0xD0D6;
constexpr std::uint16_t kWen = 0xC4CE;
constexpr std::uint16_t kZi = 0xD6D7;

class QueueOfSends final : public PendingSends {
 public:
  std::deque<Send> queue;
  std::optional<Send> Peek() override {
    if (queue.empty()) return std::nullopt;
    return queue.front();
  }
  void Remove() override { queue.pop_front(); }
  void Add(std::uint16_t code, WindowHandle target = kTarget) { queue.push_back({code, target}); }
};

const std::vector<std::string> kPasteTail = {"close-clipboard", "release-capture", "foreground",
                                             "keys 0011 0056 8011 8056", "wait 100"};

std::vector<std::string> Concat(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

class TextOutputTest : public testing::Test {
 protected:
  TextOutputTest() : map_(directory_.path().string(), 4000) {
    settings_.system_language = 4000;
    settings_.recognizer_language = 4000;
  }
  std::vector<std::string> Send(std::uint16_t code, int kind = kTargetOther, bool rich_edit = true) {
    const TextOutput output(settings_, map_, kOwner, rich_edit);
    return Describe(output.SendResult(kTarget, kind, code, queue_));
  }

  testing_support::TemporaryDirectory directory_;
  Settings settings_;
  CUserMap map_;
  QueueOfSends queue_;
};

TEST(TargetKindTest, ClassNamePrefixesWithoutCase) {
  EXPECT_EQ(TargetKindOf("RichEdit20W"), 1);
  EXPECT_EQ(TargetKindOf("richedit20w"), 1);
  EXPECT_EQ(TargetKindOf("_WwG"), 2);
  EXPECT_EQ(TargetKindOf("paneClassDC"), 3);
  EXPECT_EQ(TargetKindOf("EXCEL7"), 4);
  EXPECT_EQ(TargetKindOf("RichEdit20A"), 5);
  EXPECT_EQ(TargetKindOf("Internet Explorer_Server"), 6);
  EXPECT_EQ(TargetKindOf("Edit"), 0);
  EXPECT_EQ(TargetKindOf("Rich"), 0);
  EXPECT_EQ(TargetKindOf(""), 0);
}

// ------------------------------------------------- character messages

TEST_F(TextOutputTest, AsciiOnAnotherSystemGoesAsCharacterMessages) {
  settings_.system_language = 0;
  settings_.spacing = true;
  EXPECT_THAT(Send('A'), ElementsAre("prev 65", "char 0x41", "char 0x20"));
  EXPECT_THAT(Send('A', kTargetWord), ElementsAre("prev 65", "char 0x41", "char 0x20", "char 0x20"));
  settings_.spacing = false;
  EXPECT_THAT(Send('A'), ElementsAre("prev 65", "char 0x41"));
}

TEST_F(TextOutputTest, DoubleByteCharacterMessagesAreOnePair) {
  settings_.system_language = 0;
  EXPECT_THAT(Send(kZhong), ElementsAre("prev -42", "char 0xd6", "char 0xd0"));
}

TEST_F(TextOutputTest, UserTextAsCharacterMessages) {
  settings_.system_language = 0;
  settings_.spacing = true;
  map_.Add(0x101, "a\xD6\xD0");
  EXPECT_THAT(Send(SwapBytes(0x101)),
              ElementsAre("prev 97", "char 0x61", "char 0x20", "char 0xd6", "char 0xd0", "char 0x20"));
}

// ----------------------------------------------------------- clipboard

TEST_F(TextOutputTest, ChineseSystemPastesAnsiText) {
  EXPECT_THAT(Send(kZhong),
              ElementsAreArray(Concat({"prev -42", "open-clipboard", "empty-clipboard", "clipboard-text d6d0"},
                                      kPasteTail)));
}

TEST_F(TextOutputTest, QueuedCharactersForTheSameTargetArePastedTogether) {
  queue_.Add(kWen);
  queue_.Add(kZi);
  EXPECT_THAT(Send(kZhong), ElementsAreArray(Concat({"prev -42", "open-clipboard", "empty-clipboard",
                                                     "clipboard-text d6d0cec4d7d6"},
                                                    kPasteTail)));
  EXPECT_TRUE(queue_.queue.empty());
}

TEST_F(TextOutputTest, QueuedKeyEndsTheGathering) {
  queue_.Add(kWen);
  queue_.Add(kKeyBackspace);
  queue_.Add(kZi);
  EXPECT_EQ(Send(kZhong)[3], "clipboard-text d6d0cec4");
  ASSERT_EQ(queue_.queue.size(), 2u);
  EXPECT_EQ(queue_.queue.front().code, kKeyBackspace);
}

TEST_F(TextOutputTest, QueuedCharacterForAnotherTargetEndsTheGathering) {
  queue_.Add(kWen, 0x999);
  EXPECT_EQ(Send(kZhong)[3], "clipboard-text d6d0");
  EXPECT_EQ(queue_.queue.size(), 1u);
}

TEST_F(TextOutputTest, GatheringStopsAt124Bytes) {
  for (int i = 0; i < 70; ++i) queue_.Add(kWen);
  const auto plan = Send(kZhong);
  EXPECT_EQ(plan[3].size(), std::string("clipboard-text ").size() + 2 * 124);
  EXPECT_EQ(queue_.queue.size(), 70u - 61u);
}

TEST_F(TextOutputTest, SpacingSeparatorsWhileGathering) {
  settings_.spacing = true;
  queue_.Add(kWen);
  EXPECT_EQ(Send(kZhong)[3], "clipboard-text d6d020cec420");
  queue_.Add(kWen);
  EXPECT_EQ(Send(kZhong, kTargetWord)[3], "clipboard-text 2020d6d02020cec4");
}

TEST_F(TextOutputTest, LongUserTextsWithSpacingAreSentWhole) {
  settings_.spacing = true;
  const std::string text(128, 'x');
  map_.Add(0x101, text);
  queue_.Add(SwapBytes(0x101));
  queue_.Add(SwapBytes(0x101));
  const auto plan = Send(kZhong, kTargetWord);
  // "  " before the character, then "  x" for every byte of the queued text;
  // past 124 bytes the second queued text waits for its own message.
  std::string expected = "  \xD6\xD0";
  for (const char c : text) expected += std::string("  ") + c;
  std::string hex;
  for (const char c : expected) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
    hex += digits;
  }
  EXPECT_EQ(plan[3], "clipboard-text " + hex);
  EXPECT_EQ(queue_.queue.size(), 1u);
  const std::uint16_t next = queue_.queue.front().code;
  queue_.queue.clear();
  std::string whole = "clipboard-text 2020";
  for (int i = 0; i < 128; ++i) whole += "78";
  EXPECT_EQ(Send(next, kTargetWord)[3], whole) << "a 128-byte text with its spacing, sized to the text";
}

TEST_F(TextOutputTest, QueuedUserTextWithoutSpacingIsAppendedAlone) {
  settings_.spacing = true;
  map_.Add(0x101, "ab");
  queue_.Add(SwapBytes(0x101));
  EXPECT_EQ(Send(kZhong)[3], "clipboard-text d6d0206162");
}

TEST_F(TextOutputTest, ImeTakesTheWholeGatheredText) {
  settings_.use_ime = true;
  queue_.Add(kWen);
  queue_.Add(kZi);
  EXPECT_THAT(Send(kZhong), ElementsAre("prev -42", "ime d6d0cec4d7d6"));
}

// ------------------------------------------------------------- Unicode

TEST_F(TextOutputTest, UnicodeThroughTheRichEditWindow) {
  settings_.system_language = 0;
  settings_.post_unicode = true;
  EXPECT_THAT(Send(kZhong, 1),
              ElementsAre("prev -42", "open-clipboard", "empty-clipboard", "close-clipboard",
                          "richedit-copy 936 d6d0", "release-capture", "foreground", "keys 0011 0056 8011 8056",
                          "wait 100"));
}

TEST_F(TextOutputTest, UnicodeWithoutTheRichEditWindowStillPutsUnicodeText) {
  settings_.system_language = 0;
  settings_.post_unicode = true;
  settings_.recognizer_language = 2000;
  EXPECT_THAT(Send(0x40A4, 1, false),
              ElementsAreArray(Concat({"prev -92", "open-clipboard", "empty-clipboard", "clipboard-unicode 950 a440"},
                                      kPasteTail)));
}

TEST_F(TextOutputTest, UnicodeOnlyForKnownTargetKinds) {
  settings_.system_language = 0;
  settings_.post_unicode = true;
  EXPECT_THAT(Send('A'), ElementsAre("prev 65", "char 0x41"));
}

// ---------------------------------------------------------------- keys

TEST_F(TextOutputTest, BackspaceWithSpacingOnASingleByteSystemErasesThree) {
  settings_.system_language = 0;
  settings_.is_dbcs_char = false;
  settings_.spacing = true;
  EXPECT_THAT(Send(kKeyBackspace), ElementsAre("keydown 8 0x1", "keydown 8 0x1", "keydown 8 0x1",
                                               "keyup 8 0xc0000001", "wait 300"));
}

TEST_F(TextOutputTest, BackspaceOnAChineseSystemIsOneKey) {
  EXPECT_THAT(Send(kKeyBackspace), ElementsAre("keydown 8 0x1", "keyup 8 0xc0000001", "wait 300"));
}

TEST_F(TextOutputTest, BackspaceToAUnicodeTargetTakesNoSecondKey) {
  settings_.system_language = 0;
  settings_.is_dbcs_char = false;
  settings_.post_unicode = true;
  EXPECT_THAT(Send(kKeyBackspace, 1), ElementsAre("keydown 8 0x1", "keyup 8 0xc0000001", "wait 300"));
  settings_.spacing = true;
  EXPECT_THAT(Send(kKeyBackspace, kTargetWord),
              ElementsAre("keydown 8 0x1", "keydown 8 0x1", "keydown 8 0x1", "keyup 8 0xc0000001", "wait 300"));
}

TEST_F(TextOutputTest, NavigationKeysAreExtended) {
  EXPECT_THAT(Send(0x7F25), ElementsAre("keydown 37 0x1000001", "keyup 37 0xc1000001", "wait 300"));
  EXPECT_THAT(Send(kKeyDelete), ElementsAre("keydown 46 0x1000001", "keyup 46 0xc1000001", "wait 300"));
  EXPECT_THAT(Send(kKeyEnter), ElementsAre("keydown 13 0x1", "keyup 13 0xc0000001", "wait 300"));
}

TEST_F(TextOutputTest, NoTargetSendsNothing) {
  const TextOutput output(settings_, map_, kOwner, true);
  EXPECT_TRUE(output.SendResult(0, 0, kZhong, queue_).empty());
  EXPECT_TRUE(output.SendResult(0, 0, kKeyEnter, queue_).empty());
}

TEST_F(TextOutputTest, UserCodeWithoutTextSendsNothing) { EXPECT_TRUE(Send(SwapBytes(0x105)).empty()); }

// ------------------------------------------------------------ executor

class RecordingDevice final : public OutputDevice {
 public:
  std::vector<std::string> calls;
  bool open_ok = true;
  bool put_ok = true;

  void SetPrevCharacter(int code) override { calls.push_back("prev " + std::to_string(code)); }
  void PostChar(WindowHandle, std::uint8_t byte) override { calls.push_back("char " + std::to_string(byte)); }
  void PostKey(WindowHandle, bool down, std::uint8_t vk, std::uint32_t) override {
    calls.push_back((down ? "down " : "up ") + std::to_string(vk));
  }
  bool OpenClipboard(WindowHandle owner) override {
    calls.push_back(owner == kOwner ? "open" : "open by another");
    return open_ok;
  }
  bool EmptyClipboard() override {
    calls.push_back("empty");
    return true;
  }
  bool PutText(std::string_view bytes) override {
    calls.push_back("text " + std::string(bytes));
    return put_ok;
  }
  bool PutUnicodeText(std::string_view bytes, int code_page) override {
    calls.push_back("unicode " + std::to_string(code_page) + " " + std::string(bytes));
    return put_ok;
  }
  void CloseClipboard() override { calls.push_back("close"); }
  bool RichEditCopy(std::string_view bytes, int) override {
    calls.push_back("richedit " + std::string(bytes));
    return true;
  }
  bool PostImeString(std::string_view bytes) override {
    calls.push_back("ime " + std::string(bytes));
    return true;
  }
  void ReleaseCapture() override { calls.push_back("release"); }
  void SetForeground(WindowHandle) override { calls.push_back("foreground"); }
  void PlayKeys(std::span<const std::uint16_t> words) override {
    calls.push_back("keys " + std::to_string(words.size()));
  }
  void Wait(int ms) override { calls.push_back("wait " + std::to_string(ms)); }
};

TEST_F(TextOutputTest, ExecutorRunsEveryStep) {
  const TextOutput output(settings_, map_, kOwner, true);
  RecordingDevice device;
  EXPECT_TRUE(ExecutePlan(output.SendResult(kTarget, 0, 'A', queue_), device));
  EXPECT_THAT(device.calls,
              ElementsAre("prev 65", "open", "empty", "text A", "close", "release", "foreground", "keys 4", "wait 100"));
}

TEST_F(TextOutputTest, FailedClipboardOpenPastesNothing) {
  const TextOutput output(settings_, map_, kOwner, true);
  RecordingDevice device;
  device.open_ok = false;
  EXPECT_FALSE(ExecutePlan(output.SendResult(kTarget, 0, 'A', queue_), device));
  EXPECT_THAT(device.calls, ElementsAre("prev 65", "open"));
}

TEST_F(TextOutputTest, FailedClipboardDataClosesAndPastesNothing) {
  settings_.system_language = 0;
  settings_.post_unicode = true;
  const TextOutput output(settings_, map_, kOwner, false);
  RecordingDevice device;
  device.put_ok = false;
  EXPECT_FALSE(ExecutePlan(output.SendResult(kTarget, 1, 'A', queue_), device));
  EXPECT_THAT(device.calls, ElementsAre("prev 65", "open", "empty", "unicode 936 A", "close"));
}

TEST(KeyEventFlagsTest, UpAndExtendedBits) {
  EXPECT_EQ(KeyEventFlags(0x0011), 0u);
  EXPECT_EQ(KeyEventFlags(0x8011), 2u);
  EXPECT_EQ(KeyEventFlags(0x0125), 1u);
  EXPECT_EQ(KeyEventFlags(0x8125), 3u);
}

}  // namespace
