#include "app/core/frame_layout.h"

#include <gtest/gtest.h>

namespace wrendle::app {
namespace {

struct FontCase {
  std::int32_t height, width;
  std::int32_t row, button, margin;
  Size min_client;
};

class FrameMetricsTest : public testing::TestWithParam<FontCase> {};

TEST_P(FrameMetricsTest, RowButtonMarginAndTrackingSizes) {
  const FontCase& c = GetParam();
  const FrameMetrics metrics = FrameMetrics::FromFont(c.height, c.width);
  EXPECT_EQ(metrics.row, c.row);
  EXPECT_EQ(metrics.button, c.button);
  EXPECT_EQ(metrics.margin, c.margin);
  const FrameControls controls = LayoutFrameControls(metrics, {8, 30});
  EXPECT_EQ(controls.min_track, (Size{c.min_client.cx + 8, c.min_client.cy + 30}));
  EXPECT_EQ(controls.max_track,
            (Size{controls.min_track.cx + 6 * c.button, controls.min_track.cy + 6 * c.row}));
  // Every control lies inside the smallest client area.
  const Rect client = {0, 0, c.min_client.cx, c.min_client.cy};
  EXPECT_TRUE(client.Encloses(controls.candidates));
  EXPECT_TRUE(client.Encloses(controls.ink_box));
  for (const Rect& r : controls.bitmap_buttons) EXPECT_TRUE(client.Encloses(r));
  for (const Rect& r : controls.char_buttons) EXPECT_TRUE(client.Encloses(r));
}

INSTANTIATE_TEST_SUITE_P(Fonts, FrameMetricsTest,
                         testing::Values(FontCase{12, 6, 20, 20, 3, {169, 206}},     // small: the minimums
                                         FontCase{16, 8, 22, 24, 4, {204, 228}},     // system font
                                         FontCase{20, 10, 26, 28, 5, {239, 270}}));  // large

TEST(FrameLayoutTest, ControlsOfTheSystemFont) {
  const FrameControls controls = LayoutFrameControls(FrameMetrics::FromFont(16, 8), {});
  EXPECT_EQ(controls.candidates, (Rect{4, 4, 148, 26}));
  EXPECT_EQ(controls.phrases, (Rect{4, 26, 148, 48}));
  EXPECT_EQ(controls.ink_box, (Rect{4, 52, 196, 176}));
  // Setup at (7B + 2m, m), Backspace at (6B + 2m, m + 8R); 20 x 20 centred in B x R.
  EXPECT_EQ(controls.bitmap_buttons[0], (Rect{178, 5, 198, 25}));
  EXPECT_EQ(controls.bitmap_buttons[7], (Rect{154, 181, 174, 201}));
  EXPECT_EQ(kFrameBitmapButtons[7].command, kCommandBackspace);
  EXPECT_EQ(controls.char_buttons[0], (Rect{6, 181, 26, 201}));
  EXPECT_EQ(controls.char_buttons[7], (Rect{30, 203, 50, 223}));
}

struct ResizeCase {
  std::int32_t cx, cy;
  std::int32_t list_width;
  int candidate_columns, phrase_columns;
};

class FrameResizeTest : public testing::TestWithParam<ResizeCase> {};

TEST_P(FrameResizeTest, ListsAndColumns) {
  const ResizeCase& c = GetParam();
  const FrameResize resize = ResizeFrameControls(FrameMetrics::FromFont(16, 8), c.cx, c.cy);
  EXPECT_EQ(resize.lists, (Size{c.list_width, 22}));
  EXPECT_EQ(resize.candidate_columns, c.candidate_columns);
  EXPECT_EQ(resize.phrase_columns, c.phrase_columns);
  EXPECT_GE(resize.ink_box.cx, 0);
  EXPECT_GE(resize.ink_box.cy, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameResizeTest,
                         testing::Values(ResizeCase{300, 300, 240, 10, 10},  // L / R = 10
                                         ResizeCase{400, 300, 340, 10, 15},  // candidates stop at 10
                                         ResizeCase{200, 300, 140, 6, 6},
                                         ResizeCase{60, 40, 0, 1, 1},  // narrow: one column
                                         ResizeCase{0, 0, 0, 1, 1}));  // minimised

TEST(FrameResizeTest, ButtonBlocksFollowTheCorners) {
  const FrameResize resize = ResizeFrameControls(FrameMetrics::FromFont(16, 8), 300, 300);
  // Upper block at (cx - m - 2B, m): window mode top-left, setup top-right.
  EXPECT_EQ(resize.bitmap_buttons[1], (Rect{250, 5, 270, 25}));
  EXPECT_EQ(resize.bitmap_buttons[0], (Rect{274, 5, 294, 25}));
  EXPECT_EQ(resize.bitmap_buttons[2], (Rect{250, 27, 270, 47}));
  EXPECT_EQ(resize.bitmap_buttons[3], (Rect{274, 27, 294, 47}));
  // Lower block at (m, cy - 2R - m); the key block one margin after six cells.
  EXPECT_EQ(resize.char_buttons[0], (Rect{6, 253, 26, 273}));
  EXPECT_EQ(resize.char_buttons[11], (Rect{126, 275, 146, 295}));
  EXPECT_EQ(resize.bitmap_buttons[7], (Rect{154, 253, 174, 273}));  // Backspace
  EXPECT_EQ(resize.bitmap_buttons[6], (Rect{154, 275, 174, 295}));  // Delete
  EXPECT_EQ(resize.bitmap_buttons[5], (Rect{178, 253, 198, 273}));  // Enter
  EXPECT_EQ(resize.bitmap_buttons[4], (Rect{178, 275, 198, 295}));  // Space
  EXPECT_EQ(resize.ink_box, (Size{292, 196}));
}

struct ClampCase {
  Rect saved;
  Rect expected;
};

class SavedRectTest : public testing::TestWithParam<ClampCase> {};

TEST_P(SavedRectTest, SizeKeptBetweenTrackingSizes) {
  EXPECT_EQ(ClampSavedRect(GetParam().saved, {300, 200}, {450, 330}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rects, SavedRectTest,
                         testing::Values(ClampCase{{100, 50, 120, 60}, {100, 50, 400, 250}},   // too small
                                         ClampCase{{100, 50, 600, 300}, {100, 50, 550, 300}},  // too wide
                                         ClampCase{{0, 0, 1000, 1000}, {0, 0, 450, 330}},
                                         ClampCase{{10, 10, 360, 260}, {10, 10, 360, 260}},
                                         ClampCase{{0, 0, 0, 0}, {0, 0, 300, 200}}));

TEST(FrameLayoutTest, IconicPositionsAreRecognized) {
  EXPECT_TRUE(IsIconicPosition(-32000, -32000));
  EXPECT_TRUE(IsIconicPosition(-32000, 5));
  EXPECT_FALSE(IsIconicPosition(-100, -20));
}

TEST(PadLayoutTest, WindowSizeGrowsWithTheStrip) {
  const PadMetrics metrics = PadMetrics::FromFont(16, 8);
  EXPECT_EQ(metrics.cell_width, 24);
  EXPECT_EQ(metrics.cell_height, 22);
  EXPECT_EQ(PadWindowSize(metrics, 0, 80, {2, 2}, {1, 1}), (Size{90, 34}));
  EXPECT_EQ(PadWindowSize(metrics, 3, 80, {2, 2}, {1, 1}), (Size{171, 34}));
}

TEST(PadLayoutTest, ButtonsInARowThenTheStrip) {
  const PadControls controls = LayoutPadControls(PadMetrics::FromFont(16, 8), {160, 28});
  EXPECT_EQ(controls.buttons[0], (Rect{16, 4, 36, 24}));
  EXPECT_EQ(controls.buttons[1], (Rect{36, 4, 56, 24}));
  EXPECT_EQ(controls.buttons[2], (Rect{56, 4, 76, 24}));
  EXPECT_EQ(controls.strip, (Rect{79, 3, 79 + 24 * 10 + 58, 25}));
}

struct WaitCase {
  Point pen;
  Point expected;
};

class WaitButtonPlaceTest : public testing::TestWithParam<WaitCase> {};

TEST_P(WaitButtonPlaceTest, BesideThePenInsideTheScreen) {
  EXPECT_EQ(PlaceWaitButton(GetParam().pen, 5, {1024, 740}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Corners, WaitButtonPlaceTest,
                         testing::Values(WaitCase{{500, 300}, {505, 288}},    // inside
                                         WaitCase{{0, 0}, {5, 0}},            // top-left
                                         WaitCase{{1023, 0}, {999, 0}},       // top-right
                                         WaitCase{{0, 739}, {5, 715}},        // bottom-left
                                         WaitCase{{2000, 2000}, {999, 715}},  // bottom-right
                                         WaitCase{{-50, 5}, {0, 0}}));

}  // namespace
}  // namespace wrendle::app
