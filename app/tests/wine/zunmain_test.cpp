// The recognition driver over the real Zunmain.dll, linked through its
// import library as the program links it, with the dispatcher tests' fake
// kernel behind it.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/char_codes.h"
#include "app/core/zunmain_dispatcher.h"
#include "app/tests/fakes.h"
#include "dispatcher/tests/fakes/fake_control.h"
#include "dispatcher/zunmain_api.h"
#include "platform/shared_library.h"
#include "tests/support/executable_directory.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing::ElementsAre;
using wrendle::StrokeListBuilder;
using namespace wrendle::app;

std::filesystem::path FakeFolder() {
  return testing_support::ExecutableDirectory() / "fakes" / "full";
}

class ZunmainDriverTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { platform::SetModuleSearchDirectory(FakeFolder().string()); }
  static void TearDownTestSuite() { ZUNFreeRecognition(); }

  ZunmainDriverTest()
      : kernel_(platform::SharedLibrary::Open((FakeFolder() / "SZUN32.DLL").string())),
        user_map_(directory_.path().string(), 4000),
        driver_(dispatcher_, user_map_, settings_) {
    driver_.SetMainTarget(&frame_);
  }

  void Script(int result, std::vector<std::uint16_t> codes) {
    ASSERT_NE(kernel_, nullptr);
    kernel_->Entry<fakes::KernelResetFn>("FakeKernelReset")(1, result, codes.data(), static_cast<int>(codes.size()));
    ASSERT_EQ(ZUNInitRecognition(4000, 0), 1);
  }
  const fakes::KernelLog& Log() const { return *kernel_->Entry<fakes::KernelGetLogFn>("FakeKernelGetLog")(); }

  std::unique_ptr<platform::SharedLibrary> kernel_;
  testing_support::TemporaryDirectory directory_;
  ZunmainDispatcher dispatcher_;
  Settings settings_;
  CUserMap user_map_;
  RecognitionDriver driver_;
  app_testing::RecordingFrame frame_{&driver_};
};

// Two characters far apart: a cross, then a dash.
std::vector<wrendle::StrokeEntry> TwoCharacters() {
  return StrokeListBuilder()
      .AddStroke({{100, 100}, {140, 100}})
      .AddStroke({{120, 80}, {120, 140}})
      .AddStroke({{400, 100}, {440, 100}})
      .Build();
}

TEST_F(ZunmainDriverTest, LineIsCutByTheDispatcherAndEachCellRecognized) {
  Script(2, {0xD0D6, 0xC4CE});
  const int calls = Log().recognize_calls;
  driver_.RecognizeStrokes(TwoCharacters(), false);
  ASSERT_EQ(driver_.cell_count(), 2);
  EXPECT_EQ(Log().recognize_calls, calls + 2);
  EXPECT_EQ(Log().last_stroke_count, 1) << "the second cell holds the dash";
  EXPECT_EQ(driver_.Cell(0)->stroke_bytes(), (1 + 2 + 1 + 2 + 1) * 8u);
  EXPECT_THAT(driver_.Cell(1)->candidates(), ElementsAre(0xD0D6, 0xC4CE));
  EXPECT_TRUE(frame_.sent.empty()) << "two cells wait for the commit";
}

TEST_F(ZunmainDriverTest, CorrectedCellIsLearnedWithItsCodeSwapped) {
  Script(2, {0xD0D6, 0xC4CE});
  driver_.RecognizeStrokes(TwoCharacters(), false);
  driver_.ChooseCandidateByIndex(1);
  driver_.CommitCells();
  EXPECT_EQ(Log().last_learn_code, SwapBytes(0xC4CE));
  EXPECT_EQ(Log().last_stroke_count, 1);
  EXPECT_THAT(frame_.sent, ElementsAre(0xD0D6, 0xC4CE));
}

TEST_F(ZunmainDriverTest, SplitRestoresTheCutSetting) {
  Script(1, {0xD0D6});
  driver_.RecognizeStrokes(TwoCharacters(), true);  // one cell of three strokes
  ASSERT_EQ(driver_.cell_count(), 1);
  ASSERT_EQ(ZUNCutSetting(50), 50);
  driver_.SelectCell(0);
  driver_.SplitCell(0);
  EXPECT_EQ(driver_.cell_count(), 2);
  EXPECT_EQ(ZUNGetCutSetting(), 50);
}

}  // namespace
