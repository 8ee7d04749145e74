// The exports of Zunmain.dll, linked through its import library as the
// pen-input program links them, with the fake kernel and gesture modules and
// the real engine module behind them.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/recognition_types.h"
#include "dispatcher/tests/engine_install.h"
#include "dispatcher/tests/fake_modules.h"
#include "dispatcher/zunmain_api.h"

namespace {

using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;

std::vector<StrokeEntry> TwoCharacters() {
  return StrokeListBuilder()
      .AddStroke({{100, 100}, {140, 100}})
      .AddStroke({{120, 80}, {120, 140}})
      .AddStroke({{400, 100}, {440, 100}})
      .Build();
}

// The dispatcher attaches on first use and loads the gesture module then, so
// the search folder is set before any recognition export is called.
class ZunmainExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::SetModuleSearchDirectory(fakes::Folder("full").string());
    // The engine module is loaded from the Windows directory.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    engine_path_ = std::string(windows) + "\\VOK-P.DLL";
    engine_install::EngineInstall::Get();
    ASSERT_TRUE(CopyFileA((engine_install::EngineInstall::Folder() + "\\VOK-P.DLL").c_str(),
                          engine_path_.c_str(), FALSE));
  }
  static void TearDownTestSuite() {
    ZUNFreeRecognition();
    DeleteFileA(engine_path_.c_str());
  }

  static std::string engine_path_;
};

std::string ZunmainExportsTest::engine_path_;

TEST_F(ZunmainExportsTest, SegmentationExports) {
  ASSERT_EQ(ZUNInitSegment(1280, 1024), 1);
  EXPECT_EQ(ZUNGetCutSetting(), 50);
  EXPECT_EQ(ZUNInitSegment(-1, 0), 0);
  const auto line = TwoCharacters();
  std::int32_t ends[10] = {};
  ASSERT_EQ(ZUNSegment(line.data(), ends, 10), 2);
  EXPECT_EQ(ends[0], 2);
  EXPECT_EQ(ends[1], 3);
  EXPECT_EQ(ZUNSegment(line.data(), ends, 0), -1);
  EXPECT_EQ(ZUNSegment(nullptr, ends, 10), -1);
  EXPECT_EQ(ZUNSegment(line.data(), nullptr, 10), -1);
  const StrokeEntry negative[] = {{-2, 0}, {1, 1}, {0, 0}};
  EXPECT_EQ(ZUNSegment(negative, ends, 10), -1);
  EXPECT_EQ(ZUNCutSettingPoint(5), 5);
  EXPECT_EQ(ZUNGetCutSettingPoint(), 20);
  EXPECT_EQ(ZUNCutSetting(50), 50);
}

TEST_F(ZunmainExportsTest, KernelRecognitionThroughTheExports) {
  fakes::Module kernel("full", "SZUN32.DLL");
  ASSERT_TRUE(kernel);
  const std::uint16_t codes[] = {0xA1B0, 0xA2B0};
  kernel.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 2, codes, 2);

  EXPECT_EQ(ZUNIsGesture(1), 1);
  ASSERT_EQ(ZUNInitRecognition(4000, 0), 1);
  EXPECT_EQ(ZUNSetRange(0x8009), 0x8001);
  const auto line = TwoCharacters();
  std::array<std::uint16_t, 11> out{};
  ASSERT_EQ(ZUNRecognition(line.data(), out.data(), 0), 2);
  EXPECT_EQ(out[0], 0xA1B0);
  EXPECT_EQ(ZUNAttachLearn("DBS0001.DBS", "SEGM0001.DBS", "INK0001.DBS", nullptr), 1);
  ZUNSetPrevCharacter(0xA1B0);
  EXPECT_EQ(ZUNSetRecognizeGesture(0), 1);
  EXPECT_EQ(ZUNSetRecognizeGesture(1), 0);
  ZUNFreeRecognition();
  EXPECT_EQ(kernel.Entry<fakes::KernelGetLogFn>("FakeKernelGetLog")()->free_calls, 1);
}

TEST_F(ZunmainExportsTest, EngineRecognitionWaitsOnTheHiddenWindow) {
  ASSERT_EQ(ZUNInitRecognition(4000, 1), 1);
  ZUNSetRange(wrendle::kRangeChinese);
  const auto cell = engine_install::StrokeList(vok::api::testing::CharacterStrokes());
  std::array<std::uint16_t, 11> out{};
  const int count = ZUNRecognition(cell.data(), out.data(), 0);
  ASSERT_GE(count, 1);
  EXPECT_GE(out[0] & 0xFF, 0xB0);
  EXPECT_EQ(out[count], 0);
  ZUNFreeRecognition();
}

}  // namespace
