// Temporary file names that differ between tests running side by side.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace unique_path {

inline std::string Make(const std::string& stem) {
  static std::atomic<int> counter{0};
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner =
      test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  return testing::TempDir() + owner + "." + stem + std::to_string(counter++);
}

}  // namespace unique_path
