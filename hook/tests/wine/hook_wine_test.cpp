// The hooks at work under wine: an owner process registered with the library,
// a target process whose window lies under the strokes, and this process
// driving the mouse with SendInput and collecting what the two report.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hook/tests/wine/test_channel.h"
#include "hook/tests/wine/wine_harness.h"
#include "hook/tests/wine/wintab_standin.h"

namespace jebhook::wine_test {
namespace {

using Stroke = std::vector<POINT>;

Collector& TheCollector() {
  static Collector collector;
  return collector;
}

// "owner data <entries> x,y ..." as the owner reports the StrokeList of
// these strokes.
std::string DataLine(const std::vector<Stroke>& strokes) {
  std::size_t entries = 1;
  std::string points;
  for (const Stroke& stroke : strokes) {
    entries += stroke.size() + 1;
    points += " " + std::to_string(stroke.size()) + ",0";
    for (POINT p : stroke) points += " " + std::to_string(p.x) + "," + std::to_string(p.y);
  }
  return "owner data " + std::to_string(entries) + points + " 0,0";
}

Stroke Line(POINT from, POINT to, int steps) {
  Stroke line;
  for (int i = 0; i <= steps; ++i) {
    line.push_back({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  return line;
}

bool IsTargetMouse(const std::string& line) {
  return line.rfind("target down", 0) == 0 || line.rfind("target up", 0) == 0 ||
         line.rfind("target move", 0) == 0;
}

// First of the suite, before any owner has loaded the library: the mapping
// must not exist yet.
TEST(HookLoadTest, RefusesToLoadBesideAnOlderHookLibrary) {
  HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, "JEBHOOKEX_SHAREDATAS");
  if (existing != nullptr) {
    CloseHandle(existing);
    GTEST_SKIP() << "another process has the hook library loaded";
  }
  HANDLE old_library =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16804, "JEBHOOKS_SHAREDATAS");
  ASSERT_NE(old_library, nullptr);
  // The library shows its message box while the loader is busy with it, so
  // a thread that is to close the box must have started (which takes the
  // loader too) before the library is loaded.
  std::string shown;
  HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread dismiss([&shown, started] {
    SetEvent(started);
    for (int i = 0; i < 500; ++i) {
      if (HWND box = FindWindowA("#32770", "JebHook32.dll")) {
        char text[256] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        shown = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  });
  WaitForSingleObject(started, INFINITE);
  CloseHandle(started);
  HMODULE refused = LoadLibraryA((ExecutableDirectory() + "JEBHOOK32.dll").c_str());
  dismiss.join();
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(shown, "Program version comflic.  An old file in used, please update this program first.");
  if (refused != nullptr) FreeLibrary(refused);

  CloseHandle(old_library);
  HMODULE loaded = LoadLibraryA((ExecutableDirectory() + "JEBHOOK32.dll").c_str());
  EXPECT_NE(loaded, nullptr);
  if (loaded != nullptr) FreeLibrary(loaded);
}

class HookWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::size_t from = Lines().size();
    target_ = std::make_unique<Helper>(Lines(), "hook_test_target.exe", "target");
    ASSERT_TRUE(target_->ready()) << Lines().Dump(from);
    button_ = target_->ready_words()[1];
    StartOwner();
    view_ = SharedView::Open();
    ASSERT_NE(view_, nullptr);
    Owner("mode 2");
    Owner("delay 400 500");
    // See the target's "clip".
    target_->Command("clip");
    start_ = Lines().size();
  }

  void TearDown() override {
    owner_.reset();
    target_.reset();
  }

  void StartOwner() {
    const std::size_t from = Lines().size();
    owner_ = std::make_unique<Helper>(Lines(), "hook_test_owner.exe", "owner");
    ASSERT_TRUE(owner_->ready()) << Lines().Dump(from);
    wait_window_ = owner_->ready_words()[1];
    ASSERT_NE(owner_->ready_words()[2], "0") << "the owner's registration failed";
  }

  static Collector& Lines() { return TheCollector(); }
  void Owner(std::string_view command) { owner_->Command(command); }
  std::string TargetWindow() const { return HexHandle(target_->window()); }
  std::string Text(std::size_t index) const { return Lines().lines()[index].text; }

  bool WaitBlock(const std::function<bool(const SharedBlock&)>& condition, DWORD timeout_ms = 3000) {
    return Lines().WaitUntil([&] { return view_->Read(condition); }, timeout_ms);
  }
  bool CaptureOn() {
    return view_->Read([](const SharedBlock& block) { return block.capture_on != 0; });
  }

  // The hook runs while the target's thread takes the message from its queue;
  // the message leaves the queue only after the hook returns, and wine merges
  // a move that arrives meanwhile into it, unseen by the hook. A message sent
  // to the target is answered when its thread looks for messages again; with
  // that alone one move in a few thousand was still lost, with a millisecond
  // more none in 10,000.
  void WaitIdle(HWND window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
    Sleep(1);
  }

  // Moves to `to` with the capture off and waits until the target has seen
  // the move, so that its report comes before anything that follows. It
  // moves there through a point beside it, each move awaited for the same
  // reason as in DrawStroke.
  void HoverTo(POINT to) {
    POINT beside{to.x - 7, to.y - 5};
    POINT cursor{};
    if (GetCursorPos(&cursor) && cursor == beside) beside = {to.x - 9, to.y - 3};
    for (POINT at : {beside, to}) {
      const std::size_t from = Lines().size();
      driver_.MoveTo(at.x, at.y);
      EXPECT_TRUE(
          Lines().WaitFor("target move " + std::to_string(at.x) + " " + std::to_string(at.y), from, 2000))
          << Lines().Dump(from);
    }
  }

  // Draws one stroke along `path` over a window that takes captures (by
  // default the target's) and returns the points the library must have
  // recorded: the path without repeated positions. Each event waits until the
  // hook has handled it, so that no move merges with the next, and then
  // `step_ms` more.
  Stroke DrawStroke(const Stroke& path, HWND under = nullptr, DWORD step_ms = 0) {
    if (under == nullptr) under = target_->window();
    if (!CaptureOn()) HoverTo(path[0]);
    const POINT first = driver_.MoveTo(path[0].x, path[0].y);
    pressed_at_ = Lines().size();
    driver_.Press();
    EXPECT_TRUE(WaitBlock([&](const SharedBlock& block) {
      return block.capture_on && block.pen_down && block.last_point.x == first.x &&
             block.last_point.y == first.y;
    })) << "the press at "
        << first.x << "," << first.y << " started no stroke\n"
        << Lines().Dump(start_);
    WaitIdle(under);
    Stroke recorded{first};
    for (std::size_t i = 1; i < path.size(); ++i) {
      if (path[i] == recorded.back()) continue;
      driver_.MoveTo(path[i].x, path[i].y);
      EXPECT_TRUE(WaitBlock([&](const SharedBlock& block) {
        return block.last_point.x == path[i].x && block.last_point.y == path[i].y;
      })) << "move to "
          << path[i].x << "," << path[i].y;
      WaitIdle(under);
      if (step_ms > 0) Lines().Pump(step_ms);
      recorded.push_back(path[i]);
    }
    driver_.Release();
    EXPECT_TRUE(WaitBlock([](const SharedBlock& block) { return !block.pen_down; }));
    return recorded;
  }

  // A press and release that the library must let pass.
  void Click(POINT at) {
    driver_.MoveTo(at.x, at.y);
    driver_.Press();
    Lines().Pump(100);
    driver_.Release();
  }

  std::unique_ptr<Helper> target_;
  std::unique_ptr<Helper> owner_;
  std::unique_ptr<SharedView> view_;
  Driver driver_;
  std::string button_;
  std::string wait_window_;
  std::size_t start_ = 0;
  std::size_t pressed_at_ = 0;  // the collector's size at the last stroke's press
};

TEST_F(HookWineTest, StrokesReachTheOwnerAsTheirStrokeList) {
  const Stroke first = DrawStroke(Line({200, 150}, {260, 150}, 20));
  const std::size_t pressed = pressed_at_;
  const Stroke second = DrawStroke(Line({200, 200}, {230, 260}, 15));
  const std::size_t released = Lines().size();
  const DWORD released_at = GetTickCount();

  const auto recognize = Lines().WaitFor("owner notify 0 32 0", start_);
  ASSERT_TRUE(recognize.has_value()) << Lines().Dump(start_);
  const DWORD paused = Lines().lines()[*recognize].tick - released_at;
  EXPECT_GE(paused, 380u);  // the pause delay is 400 ms
  EXPECT_LE(paused, 2000u);

  const auto data = Lines().WaitFor("owner data", start_);
  ASSERT_TRUE(data.has_value()) << Lines().Dump(start_);
  EXPECT_EQ(Text(*data), DataLine({first, second}));

  // The capture started before anything else, and ended once.
  const auto notices = Lines().All("owner notify 0 ", start_);
  ASSERT_GE(notices.size(), 3u);
  EXPECT_EQ(notices[0], "owner notify 0 1 " + Hex(view_->Read([](const SharedBlock& b) {
                          return static_cast<std::uint32_t>(b.capture_counter);
                        })));
  EXPECT_EQ(Lines().Count("owner notify 0 2 ", start_), 1u);

  // The target saw none of the swallowed messages.
  for (std::size_t i = pressed; i < released; ++i) EXPECT_FALSE(IsTargetMouse(Text(i))) << Text(i);

  // Ending a capture that is no longer on sends no second PN_CAPTUREEND.
  Owner("end");
  Lines().Pump(300);
  EXPECT_EQ(Lines().Count("owner notify 0 2 ", start_), 1u);
  EXPECT_FALSE(CaptureOn());
}

// The pause timer runs in the thread that saw the pen go up. A stroke that
// goes on in another program stops it there without killing it (only its
// own thread can); when that timer fires during the stroke it must stay
// silent, or the owner would recognize a line still being written.
TEST_F(HookWineTest, ATimerStoppedFromAnotherThreadDoesNotFireMidStroke) {
  Helper other(Lines(), "hook_test_target.exe", "target", "20 380 420 90");
  ASSERT_TRUE(other.ready());
  Owner("auto 0");
  const Stroke first = DrawStroke(Line({200, 200}, {240, 200}, 10));  // over this target
  // Over the other target for well beyond the 400 ms pause delay.
  Stroke path;
  for (int i = 0; i <= 60; ++i) path.push_back({150 + 3 * i, 420});
  const std::size_t second_from = Lines().size();
  const Stroke second = DrawStroke(path, other.window(), 12);
  const std::size_t released = Lines().size();  // just after the release
  for (std::size_t i = second_from; i < released; ++i)
    EXPECT_NE(Text(i), "owner notify 0 32 0") << "mid-stroke";
  // The second stroke's own pause is told once.
  ASSERT_TRUE(Lines().WaitFor("owner notify 0 32 0", released).has_value()) << Lines().Dump(second_from);
  Lines().Pump(600);
  EXPECT_EQ(Lines().Count("owner notify 0 32 0", start_), 1u) << Lines().Dump(start_);
  Owner("end");
  const auto data = Lines().WaitFor("owner data", start_);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(Text(*data), DataLine({first, second}));
}

TEST_F(HookWineTest, InkIsDrawnOnTheScreenAndErasedAtTheEnd) {
  Owner("auto 0");
  Owner("pen 3 0000ff");  // red
  const Stroke stroke = DrawStroke(Line({200, 180}, {300, 180}, 25));
  HDC screen = GetDC(nullptr);
  const COLORREF inked = GetPixel(screen, 250, 180);
  Owner("end");
  ASSERT_TRUE(Lines().WaitFor("owner data", start_).has_value());
  Lines().Pump(200);
  const COLORREF erased = GetPixel(screen, 250, 180);
  ReleaseDC(nullptr, screen);
  EXPECT_NE(inked, RGB(255, 255, 255));
  EXPECT_EQ(erased, RGB(255, 255, 255));
}

TEST_F(HookWineTest, APressOnAButtonPassesThrough) {
  Click({80, 85});  // the target's button
  EXPECT_TRUE(Lines().WaitFor("target clicked", start_).has_value()) << Lines().Dump(start_);
  EXPECT_FALSE(Lines().Find("owner notify 0 1 ", start_).has_value());
  EXPECT_FALSE(CaptureOn());
}

TEST_F(HookWineTest, APressOnTheOwnersWindowPassesThrough) {
  Click({540, 120});
  EXPECT_TRUE(Lines().WaitFor("owner press 0", start_).has_value()) << Lines().Dump(start_);
  EXPECT_FALSE(Lines().Find("owner notify 0 1 ", start_).has_value());
  EXPECT_FALSE(CaptureOn());
}

TEST_F(HookWineTest, FocusChangesReachTheOwner) {
  target_->Command("focus button");
  EXPECT_TRUE(Lines().WaitFor("owner notify 0 17 " + button_, start_).has_value()) << Lines().Dump(start_);
  Owner("focus");
  const auto focus = Lines().WaitFor("owner focus", start_);
  ASSERT_TRUE(focus.has_value());
  EXPECT_EQ(Text(*focus), "owner focus " + button_);
}

class ImeTest : public HookWineTest {
 protected:
  void SetUp() override {
    HookWineTest::SetUp();
    // The focus moves to the target's window, which shows compositions.
    target_->Command("focus button");
    target_->Command("focus main");
    ASSERT_TRUE(Lines().WaitFor("owner notify 0 17 " + TargetWindow(), start_).has_value())
        << Lines().Dump(start_);
  }

  std::string Compositions(std::size_t from) const {
    std::string text;
    for (const std::string& line : Lines().All("target comp ", from)) text += line.substr(12);
    return text;
  }
};

TEST_F(ImeTest, PostedTextArrivesInTheTargetsCompositionString) {
  const std::size_t from = Lines().size();
  Owner("ime hello");
  EXPECT_TRUE(Lines().WaitFor("owner ime-taken 5", from).has_value());
  const auto composition = Lines().WaitFor("target comp ", from);
  ASSERT_TRUE(composition.has_value()) << Lines().Dump(from);
  EXPECT_EQ(Text(*composition), "target comp hello");
}

TEST_F(ImeTest, TwoQuickPostsArriveOnceEachInOrder) {
  const std::size_t from = Lines().size();
  Owner("ime2 ab cd");
  EXPECT_TRUE(Lines().WaitFor("owner ime-taken 2 2", from).has_value());
  Lines().WaitUntil([&] { return Compositions(from).size() >= 4; }, 3000);
  Lines().Pump(300);
  EXPECT_EQ(Compositions(from), "abcd") << Lines().Dump(from);
  EXPECT_LE(Lines().Count("target comp ", from), 2u);
}

TEST_F(HookWineTest, AStrokeLongerThanTheBufferEndsProperly) {
  Stroke path;
  for (int row = 0; path.size() < 2100; ++row) {
    for (int i = 0; i <= 250; ++i) path.push_back({row % 2 == 0 ? 150 + i : 400 - i, 130 + 2 * row});
  }
  Stroke stroke = DrawStroke(path);
  ASSERT_GT(stroke.size(), 2046u);
  const auto data = Lines().WaitFor("owner data", start_, 10000);
  ASSERT_TRUE(data.has_value()) << Lines().Dump(start_);
  stroke.resize(2046);  // the header, 2046 points and the end fill the 2048 entries
  EXPECT_EQ(Text(*data), DataLine({stroke}));
}

TEST_F(HookWineTest, TheEleventhOwnerIsRefusedAndUnhookingPassesActivationOn) {
  Owner("register 10");
  ASSERT_TRUE(Lines().WaitUntil([&] { return Lines().Count("owner registered ", start_) == 10; }, 5000));
  const auto registered = Lines().All("owner registered ", start_);
  for (int i = 0; i < 9; ++i) EXPECT_NE(registered[i], "owner registered 0") << i;
  EXPECT_EQ(registered[9], "owner registered 0");
  // The second owner took activation from the first (posted notices).
  EXPECT_TRUE(Lines().WaitFor("owner notify 0 16 0", start_).has_value());
  EXPECT_TRUE(Lines().WaitFor("owner notify 1 16 1", start_).has_value());

  // The last registered owner is active; unhooking it activates the next
  // slot round, the first owner's.
  const std::size_t from = Lines().size();
  Owner("unhook 9");
  ASSERT_TRUE(Lines().WaitFor("owner notify 0 16 1", from).has_value()) << Lines().Dump(from);
  const auto lost = Lines().Find("owner notify 9 16 0", from);
  ASSERT_TRUE(lost.has_value());
  EXPECT_LT(*lost, *Lines().Find("owner notify 0 16 1", from));
}

TEST_F(HookWineTest, SlotsOfAnOwnerThatDiedAreDroppedAtRegistration) {
  Owner("register 9");
  ASSERT_TRUE(Lines().WaitUntil([&] { return Lines().Count("owner registered ", start_) == 9; }, 5000));
  owner_->Kill();  // no unhook: ten slots of windows that no longer exist
  StartOwner();
  const std::size_t from = Lines().size();
  Owner("mode 2");
  Owner("delay 400 500");
  Owner("register 9");
  ASSERT_TRUE(Lines().WaitUntil([&] { return Lines().Count("owner registered ", from) == 9; }, 5000));
  EXPECT_EQ(Lines().Count("owner registered 0", from), 0u);
  Owner("active 1");  // the first window's slot, set to mode 2, captures
  // The hooks of the dead owner ended with it; the new ones capture.
  const Stroke stroke = DrawStroke(Line({220, 160}, {250, 190}, 10));
  const auto data = Lines().WaitFor("owner data", from);
  ASSERT_TRUE(data.has_value()) << Lines().Dump(from);
  EXPECT_EQ(Text(*data), DataLine({stroke}));
}

TEST_F(HookWineTest, WhileWaitingAPressOutsideTheWaitWindowAsksForRecognition) {
  Owner("auto 0");
  const Stroke first = DrawStroke(Line({200, 150}, {240, 150}, 10));
  ASSERT_TRUE(Lines().WaitFor("owner notify 0 32 0", start_).has_value());
  Owner("wait 1 0");
  ASSERT_TRUE(Lines().WaitFor("owner waiting 1", start_).has_value());

  const std::size_t on_wait = Lines().size();
  Click({500, 240});  // the wait window
  EXPECT_TRUE(Lines().WaitFor("owner press wait", on_wait).has_value()) << Lines().Dump(on_wait);
  EXPECT_FALSE(Lines().Find("owner notify 0 32 2", on_wait).has_value());

  const Stroke second = DrawStroke(Line({200, 220}, {240, 220}, 10));
  EXPECT_TRUE(Lines().WaitFor("owner notify 0 32 2", on_wait).has_value());
  Owner("end");
  const auto data = Lines().WaitFor("owner data", start_);
  ASSERT_TRUE(data.has_value()) << Lines().Dump(start_);
  EXPECT_EQ(Text(*data), DataLine({first, second}));
  EXPECT_EQ(Lines().Count("owner notify 0 1 ", start_), 1u);
}

TEST_F(HookWineTest, HoldAndMoveModeCapturesOnlyAFastPress) {
  Owner("mode 1");
  const POINT at{250, 200};
  HoverTo(at);
  const std::size_t still = Lines().size();
  driver_.Press();
  Lines().Pump(700);
  driver_.Release();
  // A still press fails after 300 ms and reaches the target.
  EXPECT_TRUE(Lines().WaitFor("target down", still).has_value()) << Lines().Dump(still);
  EXPECT_FALSE(Lines().Find("owner notify 0 1 ", still).has_value());

  const std::size_t fast = Lines().size();
  driver_.Press();
  for (int i = 0; i < 80; ++i) {
    driver_.MoveTo(at.x + (i % 2 == 0 ? 10 : 0), at.y);
    Lines().Pump(5);
  }
  driver_.Release();
  EXPECT_TRUE(Lines().WaitFor("owner notify 0 1 ", fast).has_value()) << Lines().Dump(fast);
  EXPECT_TRUE(Lines().WaitFor("owner data", fast).has_value());
}

// Pressure input through the stand-in "Wintab32.dll" of this folder.
class TabletTest : public HookWineTest {
 protected:
  void SetUp() override {
    wintab_ = LoadLibraryA((ExecutableDirectory() + "Wintab32.dll").c_str());
    ASSERT_NE(wintab_, nullptr);
    configure_ = Entry<StandInConfigureFn>(wintab_, "StandInConfigure");
    arm_ = Entry<StandInArmFn>(wintab_, "StandInArm");
    read_state_ = Entry<StandInReadStateFn>(wintab_, "StandInReadState");
    ASSERT_TRUE(configure_ && arm_ && read_state_) << "the builtin wintab32 was loaded, not the stand-in";
    Configure(1023);
    HookWineTest::SetUp();
  }
  void TearDown() override {
    if (owner_ != nullptr) Owner("pressure 0");
    HookWineTest::TearDown();
    FreeLibrary(wintab_);
  }

  // A pen whose tip is physical button 0 mapped to logical button 0 and
  // whose pressure runs to `pressure_max` with the press mark at 23; the
  // third cursor is the first active one with pressure.
  void Configure(LONG pressure_max) {
    StandInDevice device{};
    device.pressure_max = pressure_max;
    device.release_mark = 0;
    device.press_mark = 23;
    device.pressure_button = 0;
    device.first_cursor = 0;
    device.cursor_count = 3;
    device.cursor_active[0] = FALSE;
    device.cursor_packet_data[0] = 0x5C0;
    device.cursor_active[1] = TRUE;
    device.cursor_packet_data[1] = 0x1C0;
    device.cursor_active[2] = TRUE;
    device.cursor_packet_data[2] = 0x5C0;
    configure_(&device);
  }

  StandInState State() const {
    StandInState state{};
    read_state_(&state);
    return state;
  }
  // The hook library's context.
  StandInContext HookContext() const {
    const StandInState state = State();
    const StandInContext* context = FindContext(state, "JebHooK_32");
    return context != nullptr ? *context : StandInContext{};
  }

  void OpenContext() {
    const std::size_t from = Lines().size();
    Owner("wintab");
    const auto opened = Lines().WaitFor("owner wintab ", from);
    ASSERT_TRUE(opened.has_value());
    ASSERT_NE(Text(*opened), "owner wintab 0");
    Owner("pressure 1");
    ASSERT_TRUE(Lines().WaitFor("owner pressure 1 1", from).has_value());
  }

  // A stroke of pen packets from (200, 200) to the right, every 8 ms, with
  // the tip lifted in the last one when `lift`.
  std::vector<StandInPacket> Script(bool lift) const {
    std::vector<StandInPacket> packets;
    for (int i = 0; i < 40; ++i) {
      const bool down = !lift || i < 39;
      packets.push_back({static_cast<DWORD>(i * 8), down ? 1u : 0u, 200 + 3 * i, 200 + i / 4,
                         static_cast<UINT>(100 + 20 * i)});
    }
    return packets;
  }

  // Arms the script and presses where it starts; returns the StrokeList line.
  std::string PenStroke(const std::vector<StandInPacket>& script) {
    const std::size_t from = Lines().size();
    driver_.MoveTo(script[0].x, script[0].y);
    Lines().Pump(50);
    arm_(script.data(), static_cast<int>(script.size()));
    driver_.Press();
    const bool started = Lines().WaitFor("owner notify 0 1 ", from).has_value();
    const auto data = Lines().WaitFor("owner data", from, 5000);
    driver_.Release();
    EXPECT_TRUE(started) << Lines().Dump(from);
    return data ? Text(*data) : std::string();
  }

  // The points of a one-stroke data line.
  static Stroke PointsOf(const std::string& line) {
    const auto words = Words(line);
    Stroke points;
    for (std::size_t i = 4; i + 1 < words.size(); ++i) {
      const auto comma = words[i].find(',');
      points.push_back({std::stoi(words[i].substr(0, comma)), std::stoi(words[i].substr(comma + 1))});
    }
    return points;
  }

  // The points must be the press point, then scripted positions in order
  // (those the library flushed at the stroke's start are missing), ending
  // with the last one.
  void ExpectScriptedStroke(const std::string& line, const std::vector<StandInPacket>& script) {
    const auto words = Words(line);
    ASSERT_GE(words.size(), 6u) << line;
    const Stroke points = PointsOf(line);
    ASSERT_EQ(words[3], std::to_string(points.size()) + ",0") << "one stroke: " << line;
    ASSERT_GE(points.size(), 10u) << line;
    EXPECT_EQ(points[0], (POINT{script[0].x, script[0].y}));
    std::size_t next = 1;
    for (std::size_t i = 1; i < points.size(); ++i) {
      while (next < script.size() && !(points[i] == POINT{script[next].x, script[next].y})) ++next;
      ASSERT_LT(next, script.size()) << "point " << i << " is not scripted in order: " << line;
      ++next;
    }
    EXPECT_EQ(points.back(), (POINT{script.back().x, script.back().y}));
  }

  HMODULE wintab_ = nullptr;
  StandInConfigureFn configure_ = nullptr;
  StandInArmFn arm_ = nullptr;
  StandInReadStateFn read_state_ = nullptr;
};

TEST_F(TabletTest, OpensTheContextItAsksFor) {
  OpenContext();
  EXPECT_EQ(State().opens, 1);
  const StandInContext context = HookContext();
  EXPECT_TRUE(context.open);
  EXPECT_TRUE(context.enabled);
  EXPECT_EQ(context.packet_data, 0x5C0u);
  EXPECT_EQ(context.move_mask, 0x5C0u);
  EXPECT_EQ(context.packet_mode, 0u);
  EXPECT_EQ(context.out_extent_x, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(context.out_extent_y, -GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(view_->Read([](const SharedBlock& b) { return b.tablet.cursor; }), 2);
  EXPECT_EQ(view_->Read([](const SharedBlock& b) { return b.tablet.press_mark; }), 23);
  EXPECT_EQ(view_->Read([](const SharedBlock& b) { return b.tablet.pressure_range; }), 1000);
}

TEST_F(TabletTest, PenPacketsBecomeTheStroke) {
  OpenContext();
  const auto script = Script(true);
  const std::string line = PenStroke(script);
  ExpectScriptedStroke(line, script);
  const StandInContext context = HookContext();
  EXPECT_GE(context.system_cursor_offs, 1);
  EXPECT_EQ(context.system_cursor_ons, context.system_cursor_offs);
  Owner("lastpos");
  EXPECT_TRUE(
      Lines()
          .WaitFor("owner lastpos " + std::to_string(script.back().x) + " " + std::to_string(script.back().y),
                   start_)
          .has_value());
}

TEST_F(TabletTest, APenThatGoesQuietEndsTheStroke) {
  OpenContext();
  const auto script = Script(false);  // the tip never lifts
  const std::string line = PenStroke(script);
  ExpectScriptedStroke(line, script);
}

TEST_F(TabletTest, WithoutPacketsAPressStartsNoCapture) {
  OpenContext();
  driver_.MoveTo(250, 250);
  const std::size_t from = Lines().size();
  driver_.Press();
  EXPECT_TRUE(Lines().WaitFor("target down", from).has_value()) << Lines().Dump(from);
  driver_.Release();
  EXPECT_FALSE(Lines().Find("owner notify 0 1 ", from).has_value());
  EXPECT_FALSE(CaptureOn());
}

TEST_F(TabletTest, ARangeOfZeroAndASecondInitDoNoHarm) {
  Configure(23);  // the pressure axis ends at the press mark
  OpenContext();
  OpenContext();
  const StandInState state = State();
  EXPECT_EQ(state.opens, 2);
  EXPECT_EQ(state.closes, 1);  // the first context was closed
  EXPECT_EQ(view_->Read([](const SharedBlock& b) { return b.tablet.pressure_range; }), 0);
  const auto script = Script(true);
  ExpectScriptedStroke(PenStroke(script), script);
}

}  // namespace
}  // namespace jebhook::wine_test
