// The kernel modules through their exports: life cycle, calls without a
// recognizer and recognition against dictionaries beside the host program.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/recognizer_abi.h"
#include "kernel/olzun.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/file_access.h"
#include "platform/shared_library.h"
#include "platform/system_info.h"

namespace {

using kernel::CodePage;

struct Module {
  const char* file_name;
  CodePage code_page;
};

// The entries of one loaded kernel module.
class KernelModule {
 public:
  explicit KernelModule(const Module& module) {
    library_ = platform::SharedLibrary::Open(module.file_name);
    if (library_ == nullptr) return;
    init_ = library_->Entry<wrendle::abi::ZUNInitRecognitionFn>("ZUNInitRecognition");
    free_ = library_->Entry<wrendle::abi::ZUNFreeRecognitionFn>("ZUNFreeRecognition");
    recognize_ = library_->Entry<wrendle::abi::ZUNRecognitionFn>("ZUNRecognition");
    set_range_ = library_->Entry<wrendle::abi::ZUNSetRangeFn>("ZUNSetRange");
    attach_ = library_->Entry<wrendle::abi::ZUNAttachLearnFn>("ZUNAttachLearn");
    last_error_ = library_->Entry<int(WRENDLE_STDCALL*)()>("ZUNGetLastError");
    convert_ = library_->Entry<wrendle::abi::ZUNAttachLearnFn>("ZUNConvertLearn");
  }
  ~KernelModule() {
    if (free_ != nullptr) free_();
  }
  bool complete() const {
    return init_ && free_ && recognize_ && set_range_ && attach_ && last_error_ && convert_;
  }

  static void RemoveBaseFiles() {
    const kernel::BaseFileNames names;
    for (const std::string& name : {names.features, names.segment_lists, names.clusters}) {
      platform::RemoveFile(platform::JoinPath(platform::HostProgramDirectory(), name));
    }
  }

  std::unique_ptr<platform::SharedLibrary> library_;
  wrendle::abi::ZUNInitRecognitionFn init_ = nullptr;
  wrendle::abi::ZUNFreeRecognitionFn free_ = nullptr;
  wrendle::abi::ZUNRecognitionFn recognize_ = nullptr;
  wrendle::abi::ZUNSetRangeFn set_range_ = nullptr;
  wrendle::abi::ZUNAttachLearnFn attach_ = nullptr;
  int(WRENDLE_STDCALL* last_error_)() = nullptr;
  wrendle::abi::ZUNAttachLearnFn convert_ = nullptr;
};

// The learning files of the tests, in the Windows folder.
void RemoveLearningFiles() {
  for (const char* name : {"tlrnst0.dbs", "tlrnsg0.dbs", "tlrncls.dbs", "tpenink.dbs", "learned.dbs"}) {
    platform::RemoveFile(platform::JoinPath(platform::WindowsDirectory(), name));
  }
}

void RunLifeCycle(const Module& module) {
  SCOPED_TRACE(module.file_name);
  KernelModule kernel(module);
  ASSERT_TRUE(kernel.complete());
  const auto samples = kernel_testing::SyntheticSamples(module.code_page, 12, 1);
  std::array<std::uint16_t, 10> codes{};

  KernelModule::RemoveBaseFiles();
  RemoveLearningFiles();
  EXPECT_EQ(kernel.init_(), 0) << "no base dictionary";
  EXPECT_EQ(kernel.recognize_(samples[0].strokes.data(), codes.data(), 0), 0);
  EXPECT_EQ(kernel.recognize_(samples[0].strokes.data(), nullptr, samples[0].code), 0);
  EXPECT_EQ(kernel.set_range_(1), 0);
  EXPECT_EQ(kernel.attach_(nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(kernel.last_error_(), 0);

  kernel_testing::WriteBaseFiles(platform::HostProgramDirectory(),
                                 kernel_testing::BuildBaseFiles(module.code_page, samples, 3));
  ASSERT_EQ(kernel.init_(), 1);
  ASSERT_EQ(kernel.init_(), 1) << "a second init replaces the first recognizer";
  EXPECT_EQ(kernel.set_range_(kernel::kRangeChinese), kernel::kRangeChinese);
  const int count = kernel.recognize_(samples[3].strokes.data(), codes.data(), 0);
  ASSERT_GE(count, 1);
  ASSERT_LE(count, 10);
  EXPECT_EQ(codes[0], samples[3].code);

  EXPECT_EQ(kernel.attach_("learned.dbs", nullptr, nullptr, nullptr), 1)
      << "a missing file gives an empty dictionary";
  EXPECT_EQ(kernel.last_error_(), 0);

  // Learned after recognizing another character, it ranks first for its ink.
  const auto ink = kernel_testing::SyntheticCharacter(700, 0);
  const std::uint16_t learned = kernel_testing::CharacterCode(module.code_page, 700);
  ASSERT_EQ(kernel.recognize_(ink.data(), nullptr, learned), 1);
  ASSERT_GE(kernel.recognize_(ink.data(), codes.data(), 0), 1);
  EXPECT_EQ(codes[0], learned);
  // Rebuilt from the pen ink (the meter shows on Windows), it still does.
  ASSERT_EQ(kernel.convert_(nullptr, nullptr, nullptr, nullptr), 1);
  ASSERT_GE(kernel.recognize_(ink.data(), codes.data(), 0), 1);
  EXPECT_EQ(codes[0], learned);

  kernel.free_();
  kernel.free_();
  EXPECT_EQ(kernel.recognize_(samples[3].strokes.data(), codes.data(), 0), 0);
  KernelModule::RemoveBaseFiles();
  RemoveLearningFiles();
}

// One case for both modules: their dictionaries lie in the one folder of the
// host program.
TEST(KernelModuleTest, LifeCycle) {
  platform::SetModuleSearchDirectory(ZUN_MODULE_DIRECTORY);
  for (const Module& module :
       {Module{"BZUN32.DLL", CodePage::kBig5}, Module{"SZUN32.DLL", CodePage::kGb2312}}) {
    RunLifeCycle(module);
  }
  platform::SetModuleSearchDirectory("");
}

}  // namespace
