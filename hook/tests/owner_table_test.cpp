#include "hook/core/owner_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "hook/tests/block_fixture.h"

namespace jebhook {
namespace {

using testing::kTestMessage;

Registration Owner(HandleValue window, std::int32_t tag = 1, std::int32_t screen_width = 1024) {
  return Registration{window, 1235, 77, tag, 0x12345, screen_width};
}

std::vector<Notice> Items(const Notices& notices) { return {notices.items().begin(), notices.items().end()}; }

Notice Activation(HandleValue window, std::int32_t gained) {
  return Notice{NoticeKind::kPost, window, 1235, kPnActivate, gained};
}

class OwnerTableTest : public ::testing::Test {
 protected:
  std::uint32_t Register(HandleValue window, std::int32_t tag = 1) {
    Notices notices;
    return RegisterOwner(*block_, Owner(window, tag), notices).value_or(0);
  }
  std::unique_ptr<SharedBlock> block_ = testing::MakeBlock();
  Notices ignored_;
};

TEST_F(OwnerTableTest, HandleIsMessageAndSlot) {
  EXPECT_EQ(MakeOwnerHandle(kTestMessage, 3), 0xC1230003u);
  EXPECT_EQ(SlotOfHandle(*block_, 0xC1230003u), 3);
  EXPECT_FALSE(SlotOfHandle(*block_, 0xC1240003u).has_value());
  EXPECT_FALSE(SlotOfHandle(*block_, 0xC123000Au).has_value());
  EXPECT_FALSE(SlotOfHandle(*block_, 0).has_value());
}

TEST_F(OwnerTableTest, RegistrationFillsDefaultsAndActivates) {
  Notices notices;
  const auto handle = RegisterOwner(*block_, Owner(0x1001, 5, 640), notices);
  ASSERT_TRUE(handle.has_value());
  EXPECT_EQ(*handle, MakeOwnerHandle(kTestMessage, 0));
  EXPECT_EQ(block_->active_owner, *handle);
  const OwnerSlot& slot = block_->slots[0];
  EXPECT_EQ(slot.flags, kSlotInUse | 0x2345u);
  EXPECT_EQ(slot.window, 0x1001);
  EXPECT_EQ(slot.message, 1235u);
  EXPECT_EQ(slot.thread_id, 77u);
  EXPECT_EQ(slot.tag, 5);
  EXPECT_EQ(slot.speed_base, 139);
  EXPECT_EQ(slot.speed_threshold, 556);
  EXPECT_EQ(slot.pen_width, 2);
  EXPECT_EQ(slot.pen_colour, 0xFF0000u);
  EXPECT_EQ(slot.pause_delay_ms, 900);
  EXPECT_EQ(slot.hold_window_ms, 500);
  EXPECT_EQ(slot.mouse_mode, kMouseHoldAndMove);
  // Nobody was active before: only the gain is posted.
  EXPECT_EQ(Items(notices), (std::vector<Notice>{Activation(0x1001, 1)}));
}

TEST_F(OwnerTableTest, EleventhRegistrationFails) {
  for (int i = 0; i < kOwnerSlotCount; ++i) EXPECT_NE(Register(0x2000 + i), 0u) << i;
  EXPECT_EQ(Register(0x3000), 0u);
}

TEST_F(OwnerTableTest, ANewOwnerTakesActivationFromTheOld) {
  Register(0x1001);
  Notices notices;
  RegisterOwner(*block_, Owner(0x1002), notices);
  EXPECT_EQ(Items(notices), (std::vector<Notice>{Activation(0x1001, 0), Activation(0x1002, 1)}));
}

TEST_F(OwnerTableTest, UnhookingTheActiveOwnerActivatesTheOther) {
  const auto first = Register(0x1001);
  const auto second = Register(0x1002);
  Notices notices;
  EXPECT_TRUE(UnregisterOwner(*block_, second, notices));
  EXPECT_EQ(block_->active_owner, first);
  EXPECT_EQ(Items(notices), (std::vector<Notice>{Activation(0x1002, 0), Activation(0x1001, 1)}));
  EXPECT_FALSE(InUse(block_->slots[1]));
}

TEST_F(OwnerTableTest, UnhookingTheLastOwnerLeavesNoneActive) {
  const auto only = Register(0x1001);
  Notices notices;
  EXPECT_FALSE(UnregisterOwner(*block_, only, notices));
  EXPECT_EQ(block_->active_owner, 0u);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(ActiveSlot(*block_), nullptr);
}

TEST_F(OwnerTableTest, ActivationPassesToTheNextSlotWrappingRound) {
  const auto a = Register(0x1001);  // slot 0
  Register(0x1002);                 // slot 1
  const auto c = Register(0x1003);  // slot 2, active
  Notices notices;
  UnregisterOwner(*block_, MakeOwnerHandle(kTestMessage, 1), notices);
  PassActivationOn(*block_, c, notices);
  EXPECT_EQ(block_->active_owner, a);
}

TEST_F(OwnerTableTest, PassingOnWithoutAnotherOwnerKeepsIt) {
  const auto a = Register(0x1001);
  Notices notices;
  PassActivationOn(*block_, a, notices);
  EXPECT_EQ(block_->active_owner, a);
  EXPECT_TRUE(notices.empty());
}

TEST_F(OwnerTableTest, PassingOnFromAnInactiveOwnerChangesNothing) {
  const auto a = Register(0x1001);
  const auto b = Register(0x1002);
  Register(0x1003);
  Activate(*block_, b, ignored_);
  Notices notices;
  PassActivationOn(*block_, a, notices);
  EXPECT_EQ(block_->active_owner, b);
  EXPECT_TRUE(notices.empty());
}

TEST_F(OwnerTableTest, ActivatingTheActiveOwnerPostsNothing) {
  const auto a = Register(0x1001);
  Notices notices;
  Activate(*block_, a, notices);
  EXPECT_TRUE(notices.empty());
}

TEST_F(OwnerTableTest, FindMatchesWindowAndTagWithZeroForAny) {
  Register(0x1001, 7);
  const auto second = Register(0x1002, 1);
  EXPECT_EQ(FindOwner(*block_, 0x1002, 0), second);
  EXPECT_EQ(FindOwner(*block_, 0, 1), second);
  EXPECT_EQ(FindOwner(*block_, 0, 0), MakeOwnerHandle(kTestMessage, 0));
  EXPECT_EQ(FindOwner(*block_, 0x1001, 1), 0u);
  EXPECT_EQ(FindOwner(*block_, 0x9999, 0), 0u);
}

TEST_F(OwnerTableTest, GoneWindowsAreDropped) {
  Register(0x1001);
  Register(0x1002);  // active
  Register(0x1003);
  Activate(*block_, MakeOwnerHandle(kTestMessage, 1), ignored_);
  const auto dropped = DropGoneOwners(*block_, [](HandleValue window) { return window == 0x1003; });
  EXPECT_EQ(dropped.count, 2);
  EXPECT_FALSE(InUse(block_->slots[0]));
  EXPECT_FALSE(InUse(block_->slots[1]));
  EXPECT_TRUE(InUse(block_->slots[2]));
  EXPECT_EQ(block_->active_owner, 0u);
  // The freed slots are taken again first.
  EXPECT_EQ(Register(0x1004), MakeOwnerHandle(kTestMessage, 0));
}

TEST_F(OwnerTableTest, NoticesGoToTheActiveOwnerWithTheirKind) {
  Register(0x1001);
  Notices notices;
  EXPECT_TRUE(NotifyActiveOwner(*block_, kPnCaptureStart, 4, notices));
  EXPECT_TRUE(NotifyActiveOwner(*block_, kPnForeignFocus, 0x4444, notices));
  EXPECT_TRUE(NotifyActiveOwner(*block_, kPnRecognize, 2, notices));
  EXPECT_EQ(Items(notices), (std::vector<Notice>{
                                Notice{NoticeKind::kSendNotify, 0x1001, 1235, kPnCaptureStart, 4},
                                Notice{NoticeKind::kPost, 0x1001, 1235, kPnForeignFocus, 0x4444},
                                Notice{NoticeKind::kSendNotify, 0x1001, 1235, kPnRecognize, 2},
                            }));
}

TEST(PenNotifyTest, KindsByCode) {
  for (std::uint32_t code : {1u, 2u, 32u}) EXPECT_EQ(KindOfPenNotify(code), NoticeKind::kSendNotify) << code;
  for (std::uint32_t code : {16u, 17u, 18u}) EXPECT_EQ(KindOfPenNotify(code), NoticeKind::kPost) << code;
}

TEST_F(OwnerTableTest, ThreadLookup) {
  Register(0x1001);
  EXPECT_EQ(SlotOfThread(*block_, 77), &block_->slots[0]);
  EXPECT_EQ(SlotOfThread(*block_, 78), nullptr);
}

}  // namespace
}  // namespace jebhook
