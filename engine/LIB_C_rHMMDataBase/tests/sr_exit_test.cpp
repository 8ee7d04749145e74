#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

#include <gtest/gtest.h>

#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"

namespace {

TEST(SR_Exit, ReportsAndReturnsFailure) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(SR_Exit("corrupt model"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "[corrupt model]. Exiting.\n");
}

TEST(SR_MCheck, NullIsReportedAndTheCallerGoesOn) {
  int value = 0;
  EXPECT_EQ(SR_MCheck(&value), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(SR_MCheck(nullptr), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "SR_MCheck : memory = NULL. error.\n");
}

TEST(C_rMemory, ForwardsToTheHeapAndReports) {
  testing::internal::CaptureStdout();
  {
    C_rMemory memory;
    void* block = memory.allocate("HMM_C_rHMMCB", 64);
    ASSERT_NE(block, nullptr);
    memory.free(block);
    memory.ReportStatus();
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Using General Purpose Alloc\nReportStatus : using general purpose malloc\n"
            "C_rMemory dtor called, using general purpose malloc\n");
}

}  // namespace
