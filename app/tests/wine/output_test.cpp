// Text output end to end: a test frame recognizes with a scripted
// dispatcher and sends into the target program, another process. The tests
// of one code page skip themselves under the others; ctest runs the
// executable once per locale.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/core/char_codes.h"
#include "app/tests/fakes.h"
#include "app/tests/wine/target_protocol.h"
#include "app/tests/wine/test_frame.h"
#include "app/win32/tap_pass_through_win32.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace target_protocol;
using app_testing::FakeDispatcher;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using testing::HasSubstr;
using testing::Not;
using namespace wrendle::app;

class RecordingHook final : public HookLibrary {
 public:
  std::vector<std::string> ime_texts;
  platform::WindowHandle GetFocusWindow() override { return 0; }
  bool PostImeString(std::string_view text) override {
    ime_texts.emplace_back(text);
    return true;
  }
  int SetWaitingRecognize(int, int, platform::WindowHandle) override { return 0; }
};

// The target program, started once for all tests of the process.
class TargetProcess {
 public:
  bool Start() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    char command[MAX_PATH];
    lstrcpyA(command, kProgram);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
      return false;
    }
    return PumpUntil([this] { return (window_ = FindWindowW(kClassName, nullptr)) != nullptr; }, 15000);
  }
  void Stop() {
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (process_.hProcess != nullptr) {
      WaitForSingleObject(process_.hProcess, 5000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }
  HWND window() const { return window_; }
  HWND control(int id) const { return GetDlgItem(window_, id); }

  std::wstring Text(int id) const {
    wchar_t buffer[512] = L"";
    SendMessageW(control(id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  std::wstring Log() const {
    wchar_t buffer[4096] = L"";
    GetWindowTextW(control(kLogId), buffer, 4096);
    return buffer;
  }
  int Count(const std::wstring& line) const {
    const std::wstring log = Log();
    int count = 0;
    for (size_t at = log.find(line + L"\n"); at != std::wstring::npos; at = log.find(line + L"\n", at + 1)) {
      if (at == 0 || log[at - 1] == L'\n') ++count;
    }
    return count;
  }
  // The control of the target's thread that has the focus.
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
    return info.hwndFocus;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

TargetProcess* g_target = nullptr;
// The hidden rich-edit window lives as long as the process, as the
// program's does: a target that pastes what it copied calls back into this
// process through the OLE clipboard, also after the paste.
HWND g_rich_edit = nullptr;

class OutputTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    LoadLibraryA("Riched20.dll");
    g_rich_edit = CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    g_target = new TargetProcess;
    ASSERT_TRUE(g_target->Start()) << "the target program did not start";
  }
  static void TearDownTestSuite() {
    g_target->Stop();
    delete g_target;
    g_target = nullptr;
  }

  OutputTest()
      : user_map_(directory_.path().string(), 4000),
        driver_(dispatcher_, user_map_, settings_, &taps_),
        context_{settings_, user_map_, dispatcher_, hook_, driver_, g_rich_edit},
        frame_(context_) {}

  void SetUp() override {
    ASSERT_NE(g_target, nullptr);
    ASSERT_NE(g_target->window(), nullptr);
    settings_.system_language = SystemLanguageCode(GetSystemDefaultLangID());
    settings_.recognizer_language = HasKernel(settings_.system_language) ? settings_.system_language : 4000;
    settings_.is_dbcs_char = settings_.system_language != 0;
    ASSERT_TRUE(frame_.Create());
    ASSERT_NE(g_rich_edit, nullptr);
    SendMessageW(g_target->window(), kResetMessage, 0, 0);
    Target(kEditId);
  }

  // The target control that has the focus and receives the text.
  void Target(int id) {
    ASSERT_TRUE(PumpUntil([id] { return SendMessageW(g_target->window(), kFocusMessage, id, 0) != 0; }));
    frame_.set_target(g_target->control(id));
  }

  // One cell recognized as `candidates` from the ink box (no segmentation).
  void Write(std::vector<std::uint16_t> candidates) {
    dispatcher_.Will(std::move(candidates));
    driver_.RecognizeStrokes(app_testing::Line(1), true);
  }

  void ExpectTargetKeepsTheFocus(int id) {
    EXPECT_EQ(GetForegroundWindow(), g_target->window());
    EXPECT_EQ(g_target->Focus(), g_target->control(id));
  }

  testing::AssertionResult TextBecomes(int id, const std::wstring& text) {
    if (PumpUntil([&] { return g_target->Text(id) == text; })) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "text \"" << Narrow(g_target->Text(id)) << "\", log:\n"
                                       << Narrow(g_target->Log());
  }
  static std::string Narrow(const std::wstring& wide) {
    std::string out;
    for (const wchar_t c : wide) {
      if (c < 128) {
        out += static_cast<char>(c);
      } else {
        out += "\\u" + std::to_string(static_cast<unsigned>(c));
      }
    }
    return out;
  }

  testing_support::TemporaryDirectory directory_;
  FakeDispatcher dispatcher_;
  RecordingHook hook_;
  Win32TapPassThrough taps_;
  Settings settings_;
  CUserMap user_map_;
  RecognitionDriver driver_;
  ProgramContext context_;
  app_testing::TestFrame frame_;
};

constexpr std::uint16_t kGbZhong = 0xD0D6;  // 中
constexpr std::uint16_t kGbWen = 0xC4CE;    // 文
constexpr std::uint16_t kBig5Yi = 0x40A4;   // 一
constexpr std::uint16_t kBig5Ding = 0x42A4; // 丁

#define REQUIRE_CODE_PAGE(page) \
  if (GetACP() != (page)) GTEST_SKIP() << "runs under code page " #page

TEST_F(OutputTest, GbCommittedCellsArriveAsOnePastedText) {
  REQUIRE_CODE_PAGE(936);
  dispatcher_.segmentations.push_back({2, {1, 2}});
  dispatcher_.Will({kGbZhong});
  dispatcher_.Will({kGbWen});
  driver_.RecognizeStrokes(app_testing::Line(2), false);
  PumpFor(100);
  EXPECT_EQ(g_target->Text(kEditId), L"") << "a line of two cells waits for the commit";
  driver_.CommitCells();
  EXPECT_TRUE(TextBecomes(kEditId, L"\u4E2D\u6587")) << "got: " << g_target->Text(kEditId).size();
  EXPECT_EQ(g_target->Count(L"edit char 20013"), 0) << "pasted, not typed";
  EXPECT_LE(g_target->Count(L"edit char 22"), 1) << "one paste for both characters";
  ExpectTargetKeepsTheFocus(kEditId);
}

TEST_F(OutputTest, GbCorrectedCellArrivesAsOneBackspaceAndTheNewCharacter) {
  REQUIRE_CODE_PAGE(936);
  Write({kGbZhong, kGbWen});
  ASSERT_TRUE(TextBecomes(kEditId, L"\u4E2D"));
  driver_.ChooseCandidateByIndex(1);
  EXPECT_TRUE(TextBecomes(kEditId, L"\u6587"));
  PumpFor(200);
  EXPECT_EQ(g_target->Count(L"edit keydown 8"), 1);
  ExpectTargetKeepsTheFocus(kEditId);
}

TEST_F(OutputTest, GbRewriteOfASentCellReplacesIt) {
  REQUIRE_CODE_PAGE(936);
  Write({kGbZhong});
  ASSERT_TRUE(TextBecomes(kEditId, L"\u4E2D"));
  driver_.SelectCell(0);
  Write({kGbWen});
  EXPECT_TRUE(TextBecomes(kEditId, L"\u6587"));
  EXPECT_EQ(g_target->Count(L"edit keydown 8"), 1);
}

TEST_F(OutputTest, Big5CommittedCellArrivesAsPastedText) {
  REQUIRE_CODE_PAGE(950);
  Write({kBig5Yi});
  Write({kBig5Ding});
  EXPECT_TRUE(TextBecomes(kEditId, L"\u4E00\u4E01"));
  ExpectTargetKeepsTheFocus(kEditId);
}

TEST_F(OutputTest, WesternAsciiArrivesAsCharacterMessages) {
  REQUIRE_CODE_PAGE(1252);
  settings_.spacing = true;
  Write({0x2041});  // 'A' from the engine
  Write({0x2062});  // 'b'
  EXPECT_TRUE(TextBecomes(kEditId, L"A b "));
  EXPECT_EQ(g_target->Count(L"edit char 65"), 1);
  EXPECT_EQ(g_target->Count(L"edit char 32"), 2);
  EXPECT_THAT(g_target->Log(), Not(HasSubstr(L"paste")));
  ExpectTargetKeepsTheFocus(kEditId);
}

TEST_F(OutputTest, WesternUnicodePathPastesUnicodeText) {
  REQUIRE_CODE_PAGE(1252);
  settings_.post_unicode = true;
  Target(kRichId);
  Write({kGbZhong});
  EXPECT_TRUE(TextBecomes(kRichId, L"\u4E2D"));
  ExpectTargetKeepsTheFocus(kRichId);
}

TEST_F(OutputTest, WesternUnicodePathWithoutTheRichEditWindowPastesUnicodeText) {
  REQUIRE_CODE_PAGE(1252);
  settings_.post_unicode = true;
  context_.rich_edit = nullptr;
  Target(kRichId);
  Write({kGbWen});
  EXPECT_TRUE(TextBecomes(kRichId, L"\u6587"));
}

TEST_F(OutputTest, WesternBackspaceErasesASentCharacter) {
  REQUIRE_CODE_PAGE(1252);
  Write({0x2041, 0x2042});
  ASSERT_TRUE(TextBecomes(kEditId, L"A"));
  driver_.ChooseCandidateByIndex(1);
  EXPECT_TRUE(TextBecomes(kEditId, L"B"));
}

TEST_F(OutputTest, UnrecognizedTapClicksTheButtonUnderIt) {
  RECT button;
  ASSERT_TRUE(GetWindowRect(g_target->control(kButtonId), &button));
  const int x = (button.left + button.right) / 2;
  const int y = (button.top + button.bottom) / 2;
  driver_.RecognizeStrokes(app_testing::Tap(x, y), false);
  EXPECT_TRUE(PumpUntil([] { return g_target->Count(L"button clicked") == 1; }))
      << Narrow(g_target->Log()) << " at " << x << "," << y;
  EXPECT_EQ(g_target->Text(kEditId), L"");
}

TEST_F(OutputTest, ClipboardHeldByAnotherProgramPastesNothing) {
  settings_.system_language = 4000;  // the clipboard path under any code page
  ASSERT_TRUE(SendMessageW(g_target->window(), kHoldClipboardMessage, 1, 0));
  Write({0x2041});
  PumpFor(500);
  EXPECT_EQ(g_target->Text(kEditId), L"") << "neither the text nor what the clipboard held";
  SendMessageW(g_target->window(), kHoldClipboardMessage, 0, 0);
  Write({0x2042});
  EXPECT_TRUE(TextBecomes(kEditId, L"B")) << "the next send pastes again";
  ExpectTargetKeepsTheFocus(kEditId);
}

TEST_F(OutputTest, ImeSettingHandsTheGatheredTextToTheHookLibrary) {
  settings_.system_language = 4000;
  settings_.use_ime = true;
  dispatcher_.segmentations.push_back({2, {1, 2}});
  dispatcher_.Will({kGbZhong});
  dispatcher_.Will({kGbWen});
  driver_.RecognizeStrokes(app_testing::Line(2), false);
  driver_.CommitCells();
  ASSERT_TRUE(PumpUntil([this] { return !hook_.ime_texts.empty(); }));
  PumpFor(100);
  EXPECT_THAT(hook_.ime_texts, testing::ElementsAre("\xD6\xD0\xCE\xC4"));
  EXPECT_EQ(g_target->Text(kEditId), L"");
}

}  // namespace
