// wrendle32.exe end to end: the program with the real dispatcher, kernel,
// gesture library, hook library and base dictionaries in a folder of its
// own; handwriting from the bundled sample drawn with the system mouse into
// its ink box or over the target program, another process, where the text
// arrives.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/tests/wine/program_session.h"
#include "app/tests/wine/sample_ink.h"
#include "tests/support/screenshot.h"

namespace {

using namespace program_testing;

constexpr int kInkBoxId = 1019;
constexpr int kCandidateListId = 1021;
constexpr int kPenWidth = 5;

// Candidate `index` of a candidate list of `rows` x `columns` cells.
void ClickCandidate(HWND list, int rows, int columns, int index) {
  RECT grid;
  GetWindowRect(list, &grid);
  const int width = (grid.right - grid.left) / columns, height = (grid.bottom - grid.top) / rows;
  ClickAt(
      {grid.left + index % columns * width + width / 2, grid.top + index / columns * height + height / 2});
}

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 4 + 1, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(),
                                    static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return bytes;
}

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(IniPath());
    RemoveLearnedFiles();
    testing_support::ClipCursorForTests();
  }
  void TearDown() override {
    std::filesystem::remove(IniPath());
    RemoveLearnedFiles();
  }

  // The kernel alone (mode 0): the combined mode needs the engine's models
  // as well.
  // No pane open: none covers the writing.
  static std::string Settings(const std::string& layout, const std::string& pen) {
    return "[CodePage]\r\nRecognizer=4000\r\nDisplay=4000\r\n[Kernel]\r\nCursive=0\r\n[Layout]\r\n"
           "KB_0=0\r\nKB_2=0\r\n" +
           layout + "[Pen]\r\nDelay=30\r\n" + pen;
  }
  static std::vector<Stroke> Sample() { return ReadSample(WRENDLE_SAMPLE_PATH); }
};

TEST_F(EndToEndTest, WritePadLineArrivesCharacterByCharacter) {
  WriteIni(Settings("Layout=0\r\nPx=320\r\nPy=160\r\nSx=720\r\nSy=560\r\n", ""));
  const std::vector<Stroke> sample = Sample();
  ASSERT_EQ(sample.size(), 5u) << "one, two, ten";
  const std::vector<std::vector<Stroke>> characters = {
      {sample[0]}, {sample[1], sample[2]}, {sample[3], sample[4]}};

  Wrendle program;
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(program.frame()) != FALSE; }))
      << "write-pad: the frame shows";
  Target target;
  ASSERT_TRUE(target.PlaceAndFocus({40, 600, 460, 860}));

  RECT box;
  GetWindowRect(GetDlgItem(program.frame(), kInkBoxId), &box);
  const std::wstring expected[] = {L"\u4e00", L"\u4e00\u4e8c", L"\u4e00\u4e8c\u5341"};
  for (int i = 0; i < 3; ++i) {
    const auto pen_up = Draw(ScaleInto(characters[static_cast<std::size_t>(i)], box));
    EXPECT_TRUE(target.WaitForText(expected[i]))
        << "after character " << i << ": " << Utf8(target.EditText())
        << ForeignForeground({target.process_id(), program.process().id()});
    const auto latency = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - pen_up);
    std::printf("character %d: pen-up plus pause to text %lld ms\n", i,
                static_cast<long long>(latency.count()));
  }
  wchar_t caption[128] = L"";
  GetWindowTextW(program.frame(), caption, 128);
  EXPECT_NE(std::wstring(caption).find(L"-[ "), std::wstring::npos) << "caption shows the first cell";

  // The candidate row shows the last character's candidates; its second
  // replaces that character in the target.
  const HWND candidates = GetDlgItem(program.frame(), kCandidateListId);
  ASSERT_NE(candidates, nullptr);
  RECT row;
  GetWindowRect(candidates, &row);
  const int columns = static_cast<int>(
      std::max(1L, std::min(10L, (row.right - row.left) / std::max(1L, row.bottom - row.top))));
  ClickCandidate(candidates, 1, columns, 1);
  EXPECT_TRUE(WaitFor([&] {
    const std::wstring text = target.EditText();
    return text.size() == 3 && text.compare(0, 2, L"\u4e00\u4e8c") == 0 && text[2] != L'\u5341';
  })) << "the second candidate replaces the last character"
      << ForeignForeground({target.process_id(), program.process().id()});
  testing_support::SaveScreenshot("end_to_end_write_pad");
  EXPECT_EQ(program.Close(), 0);
}

class FullScreenTest : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_TRUE(target_.PlaceAndFocus(kTargetPlace));
  }
  // The lower, empty part of the target window.
  static RECT WritingArea() {
    return {kTargetPlace.left, (kTargetPlace.top + kTargetPlace.bottom) / 2, kTargetPlace.right,
            kTargetPlace.bottom};
  }
  static constexpr RECT kTargetPlace = {40, 300, 840, 720};
  Target target_;
};

// The whole line written over the target is cut into the cells that the
// command-line recognizer gives for it on this screen (the check that
// follows this suite compares them); the popup of the last cell chooses its
// second candidate, and the send button types the line with the choice.
// The recognizer sees the points the hook library took, which may differ a
// little from those drawn: the check wants the chosen character among the
// cell's other candidates, not at the same rank.
TEST_F(FullScreenTest, LineOverTheTargetGoesThroughTheStripWithAChosenCandidate) {
  WriteIni(Settings("Layout=1\r\nMx=700\r\nMy=40\r\n", "PenMouse=1\r\n"));
  Wrendle program;
  ASSERT_TRUE(program.started());
  EXPECT_FALSE(IsWindowVisible(program.frame())) << "full-screen: the frame stays hidden";
  ASSERT_TRUE(target_.Focus());
  std::this_thread::sleep_for(milliseconds(500));

  const std::vector<Stroke> line = ScaleInto(Sample(), WritingArea(), true);
  const auto pen_up = Draw(line);
  const HWND strip = GetDlgItem(program.pad(), Wrendle::kStripId);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(strip) != FALSE; })) << "the strip shows the cells";
  const auto latency = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - pen_up);
  std::printf("full-screen: pen-up plus pause to the strip %lld ms\n",
              static_cast<long long>(latency.count()));
  std::this_thread::sleep_for(milliseconds(300));
  RECT pad;
  GetWindowRect(program.pad(), &pad);
  testing_support::SaveScreenshot("end_to_end_full_screen_pad", &pad);
  testing_support::SaveScreenshot("end_to_end_full_screen");

  // The last cell ends 13 pixels before the pad's right edge.
  ClickAt({pad.right - 22, (pad.top + pad.bottom) / 2});
  const HWND popup =
      program.WaitForWindow([](HWND w) { return HasClass(w, "#32770") && GetDlgItem(w, kCandidateListId); });
  ASSERT_NE(popup, nullptr) << "the cell's candidates";
  testing_support::SaveScreenshot("end_to_end_cell_candidates");
  ClickCandidate(GetDlgItem(popup, kCandidateListId), 5, 2, 1);  // five rows of two
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(popup); }));

  Click(program.PadButton(Wrendle::kSendButtonId));
  ASSERT_TRUE(WaitFor([&] { return target_.EditText().size() >= 3; })) << "the line, sent from the strip";
  const std::wstring sent = target_.EditText();
  EXPECT_EQ(sent.substr(0, 2), L"\u4e00\u4e8c") << Utf8(sent);
  EXPECT_NE(sent.back(), L'\u5341') << "the choice replaced the last cell: " << Utf8(sent);

  // For the check against the command-line recognizer: the line as drawn,
  // and what arrived with the cell chosen from.
  const std::string artifacts = testing_support::ArtifactsDirectory();
  CreateDirectoryA(artifacts.c_str(), nullptr);
  std::ofstream(artifacts + "/full_screen_line.json", std::ios::binary) << LineJson(line);
  std::ofstream(artifacts + "/full_screen_sent.txt", std::ios::binary)
      << Utf8(sent) << "\n"
      << sent.size() - 1 << "\n"
      << GetSystemMetrics(SM_CXSCREEN) << "x" << GetSystemMetrics(SM_CYSCREEN) << "\n";
  EXPECT_EQ(program.Close(), 0);
}

// With the wait button on, a pause shows the round button beside the last
// point; a press elsewhere goes on with the line, a click on it recognizes.
TEST_F(FullScreenTest, WaitButtonBesideTheLastPointRecognizesOnlyWhenClicked) {
  WriteIni(Settings("Layout=1\r\nMx=700\r\nMy=40\r\n", "PenMouse=2\r\nWidth=" + std::to_string(kPenWidth) +
                                                           "\r\n[Char]\r\nWaitRecognize=1\r\n"));
  Wrendle program;
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(target_.Focus());
  std::this_thread::sleep_for(milliseconds(500));
  const auto wait_button = [&] {
    return program.WaitForWindow(
        [](HWND w) {
          char title[32] = {};
          GetWindowTextA(w, title, sizeof title);
          return lstrcmpA(title, "Is recognition ?") == 0;
        },
        milliseconds(5000));
  };

  // "Two": its first stroke, then a pause.
  const std::vector<Stroke> two = ScaleInto({Sample()[1], Sample()[2]}, WritingArea());
  Draw({two[0]});
  HWND button = wait_button();
  ASSERT_NE(button, nullptr) << "the wait button after the pause";
  RECT at;
  GetWindowRect(button, &at);
  EXPECT_EQ(at.left, two[0].back().x + kPenWidth);
  EXPECT_EQ(at.top, two[0].back().y - 12);
  testing_support::SaveScreenshot("end_to_end_wait_button");

  // The second stroke starts elsewhere: the button goes and the line goes
  // on, with nothing recognized yet.
  Draw({two[1]});
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(program.pad(), Wrendle::kStripId))) << "the line goes on";
  button = wait_button();
  ASSERT_NE(button, nullptr) << "again after the second pause";
  // The click on the button recognizes both strokes as one cell.
  Click(button);
  ASSERT_TRUE(
      WaitFor([&] { return IsWindowVisible(GetDlgItem(program.pad(), Wrendle::kStripId)) != FALSE; }));
  Click(program.PadButton(Wrendle::kSendButtonId));
  EXPECT_TRUE(target_.WaitForText(L"\u4e8c")) << "both strokes made one character";
  EXPECT_EQ(program.Close(), 0);
}

}  // namespace
