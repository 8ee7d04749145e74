#include <gtest/gtest.h>

#include <ostream>

#include "platform/shared_library.h"

namespace {

struct PathCase {
  const char* file_name;
  const char* search_directory;
  const char* expected;
  friend void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.file_name << ' ' << c.search_directory << ' ' << c.expected;
  }
};

class NativeModulePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(NativeModulePathTest, MapsWindowsNameToSharedObject) {
  const PathCase& c = GetParam();
  EXPECT_EQ(platform::NativeModulePath(c.file_name, c.search_directory), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Names, NativeModulePathTest,
                         ::testing::Values(PathCase{"SZUN32.DLL", "/opt/bin", "/opt/bin/szun32.so"},
                                           PathCase{"tarnig.dll", "/opt/bin/", "/opt/bin/tarnig.so"},
                                           PathCase{"C:\\WINDOWS\\VOK-P.DLL", "/ignored",
                                                    "C:/WINDOWS/vok-p.so"},
                                           PathCase{"/tmp/win\\VOK-P.DLL", "/ignored", "/tmp/win/vok-p.so"},
                                           PathCase{"NOEXT", "d", "d/noext.so"}));

}  // namespace
