// Helvane.dll as an outside program uses it: loaded by name, the three
// exports looked up by their plain names.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/calling_convention.h"
#include "platform/shared_library.h"
#include "shapes/letters/template_file_writer.h"
#include "shapes/letters/tests/letter_samples.h"
#include "tests/support/temporary_directory.h"

namespace {

using CreateFn = void*(WRENDLE_STDCALL*)(const char*);
using RecognizeFn = int(WRENDLE_STDCALL*)(void*, const wrendle::StrokeEntry*, std::uint8_t*);
using FreeFn = void(WRENDLE_STDCALL*)(void*);

class HelvaneModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetModuleSearchDirectory(HELVANE_MODULE_DIRECTORY);
    library_ = platform::SharedLibrary::Open("Helvane.dll");
    ASSERT_NE(library_, nullptr);
    create_ = library_->Entry<CreateFn>("CreateHELVANEbyZey");
    recognize_ = library_->Entry<RecognizeFn>("HELVANEbyZey");
    free_ = library_->Entry<FreeFn>("FreeHELVANEbyZey");
    ASSERT_NE(create_, nullptr);
    ASSERT_NE(recognize_, nullptr);
    ASSERT_NE(free_, nullptr);
    const auto bytes = letters::WriteTemplateFile(letters_testing::TableOf({'L', 'O', 'U', 'C'}, 32767));
    folder_.Write("HELVANE.TPL", std::string(bytes.begin(), bytes.end()));
    prefix_ = folder_.path().string() + "/";
  }
  void TearDown() override { platform::SetModuleSearchDirectory(""); }

  testing_support::TemporaryDirectory folder_;
  std::string prefix_;
  std::unique_ptr<platform::SharedLibrary> library_;
  CreateFn create_ = nullptr;
  RecognizeFn recognize_ = nullptr;
  FreeFn free_ = nullptr;
};

TEST_F(HelvaneModuleTest, CreateRecognizeFree) {
  void* table = create_(prefix_.c_str());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(create_(prefix_.c_str()), table);
  std::uint8_t codes[20] = {};
  const auto u = letters_testing::DrawLetter('U', 300, 200, 90);
  EXPECT_EQ(recognize_(table, u.data(), codes), 4);
  EXPECT_EQ(codes[0], 'U');
  EXPECT_EQ(codes[1], 0);
  EXPECT_EQ(recognize_(nullptr, letters_testing::DrawLetter('L').data(), codes), 4);
  EXPECT_EQ(codes[0], 'L');

  // 513 points are refused.
  wrendle::StrokeListBuilder builder;
  std::vector<wrendle::StrokeEntry> many;
  for (int i = 0; i < 513; ++i) many.push_back({i, i % 50});
  EXPECT_EQ(recognize_(table, builder.AddStroke(many).Build().data(), codes), 0);

  free_(table);
  EXPECT_EQ(recognize_(nullptr, u.data(), codes), 4);
  free_(table);
  EXPECT_EQ(recognize_(nullptr, u.data(), codes), 0);
  EXPECT_EQ(recognize_(table, u.data(), codes), 0);
  free_(nullptr);
  EXPECT_EQ(create_(std::string(100, 'x').c_str()), nullptr);
}

}  // namespace
