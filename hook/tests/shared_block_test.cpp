#include "hook/core/shared_block.h"

#include <gtest/gtest.h>

#include <cstring>

#include "hook/tests/block_fixture.h"

namespace jebhook {
namespace {

TEST(SharedBlockTest, FirstProcessState) {
  auto block = testing::MakeBlock();
  EXPECT_EQ(block->registered_message, testing::kTestMessage);
  EXPECT_EQ(block->pause_timer_state, kTimerStopped);
  EXPECT_EQ(block->active_owner, 0u);
  EXPECT_EQ(block->waiting, 0);
  EXPECT_EQ(block->waiting_window, 0);
  EXPECT_STREQ(block->layout_name, "E8880804");
  EXPECT_EQ(block->buffers[0].open_header, -1);
  const TabletState& tablet = block->tablet;
  EXPECT_EQ(tablet.window, 0);
  EXPECT_EQ(tablet.context, 0);
  EXPECT_EQ(tablet.pressure_range, 255);
  EXPECT_EQ(tablet.dot_mode, 1);
  EXPECT_EQ(tablet.dot_factor, 20);
  EXPECT_EQ(tablet.pen_width, 6);
  EXPECT_EQ(tablet.pen_colour, 255u);
}

// The bytes at the documented offsets, read back without the struct.
TEST(SharedBlockTest, FieldsLandAtTheirBytes) {
  auto block = testing::MakeBlock();
  block->capture_counter = 0x01020304;
  block->slots[1].pen_colour = 0xA0B0C0D0;
  block->ime_text[0] = 'Q';
  block->hooks[kHookJournalRecord] = 0x55667788;
  const auto* bytes = reinterpret_cast<const unsigned char*>(block.get());
  std::int32_t counter;
  std::memcpy(&counter, bytes + 500, 4);
  EXPECT_EQ(counter, 0x01020304);
  std::uint32_t colour;
  std::memcpy(&colour, bytes + 16 + 48 + 32, 4);
  EXPECT_EQ(colour, 0xA0B0C0D0u);
  EXPECT_EQ(bytes[49854], 'Q');
  std::int32_t hook;
  std::memcpy(&hook, bytes + 50708 + 20, 4);
  EXPECT_EQ(hook, 0x55667788);
  EXPECT_EQ(std::memcmp(bytes + 50121, "E8880804", 9), 0);
}

}  // namespace
}  // namespace jebhook
