#include "dispatcher/export_barrier.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

using wrendle::CallGuarded;

TEST(ExportBarrierTest, AThrowBecomesTheFailureValue) {
  EXPECT_EQ(CallGuarded(-1, []() -> int { throw std::bad_alloc(); }), -1);
  EXPECT_EQ(CallGuarded(0, []() -> int { throw std::runtime_error("inside"); }), 0);
  EXPECT_EQ(CallGuarded(0, []() -> int { throw 7; }), 0) << "not only standard exceptions";
  EXPECT_EQ(CallGuarded(0, [] { return 3; }), 3);
  int calls = 0;
  CallGuarded([&] {
    ++calls;
    throw std::bad_alloc();
  });
  EXPECT_EQ(calls, 1);
}

}  // namespace
