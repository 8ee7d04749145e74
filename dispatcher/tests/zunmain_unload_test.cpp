// Zunmain.dll loaded and unloaded at run time, as a host program may: the
// unloading runs under the loader lock, where it must do nothing heavy.
#include <windows.h>

#include <gtest/gtest.h>

#include "dispatcher/tests/fake_modules.h"
#include "platform/calling_convention.h"

namespace {

using InitRecognitionFn = int(WRENDLE_STDCALL*)(int, int);

TEST(ZunmainUnloadTest, UnloadingFreesNoRecognizerUnderTheLoaderLock) {
  platform::SetModuleSearchDirectory(fakes::Folder("full").string());
  fakes::Module kernel("full", "SZUN32.DLL");
  ASSERT_TRUE(kernel);
  const std::uint16_t codes[] = {0xA1B0};
  kernel.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 1, codes, 1);

  HMODULE zunmain = LoadLibraryA("Zunmain.dll");
  ASSERT_NE(zunmain, nullptr);
  auto init = reinterpret_cast<InitRecognitionFn>(
      reinterpret_cast<void*>(GetProcAddress(zunmain, "_ZUNInitRecognition@8")));
  ASSERT_NE(init, nullptr);
  ASSERT_EQ(init(4000, 0), 1);
  ASSERT_TRUE(FreeLibrary(zunmain));
  EXPECT_EQ(GetModuleHandleA("Zunmain.dll"), nullptr) << "really unloaded";
  const fakes::KernelLog* log = kernel.Entry<fakes::KernelGetLogFn>("FakeKernelGetLog")();
  EXPECT_EQ(log->init_calls, 1);
  EXPECT_EQ(log->free_calls, 0) << "the kernel was not called from the unloading";
  platform::SetModuleSearchDirectory("");
}

}  // namespace
