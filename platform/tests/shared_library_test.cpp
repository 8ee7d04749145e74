#include <gtest/gtest.h>

#include "platform/calling_convention.h"
#include "platform/shared_library.h"

namespace {

using ProbeValue = int(WRENDLE_STDCALL*)(int);

TEST(SharedLibraryTest, OpensModuleByWindowsNameAndBindsEntry) {
  auto library = platform::SharedLibrary::Open("PROBE.DLL");
  ASSERT_NE(library, nullptr);
  auto probe = library->Entry<ProbeValue>("ProbeValue");
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe(20), 41);
  EXPECT_EQ(library->Symbol("NoSuchEntry"), nullptr);
}

TEST(SharedLibraryTest, MissingModuleIsNull) {
  EXPECT_EQ(platform::SharedLibrary::Open("NOSUCHMODULE.DLL"), nullptr);
}

}  // namespace
