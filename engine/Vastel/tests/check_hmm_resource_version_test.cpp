#include "engine/Vastel/check_hmm_resource_version.h"

#include <gtest/gtest.h>

#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"

namespace {

namespace w = hmm_model_writer;

std::string Saved(const w::File& file, const char* name) {
  const std::string path = testing::TempDir() + name;
  EXPECT_TRUE(file.Save(path));
  return path;
}

TEST(CheckHMMResourceVersion, EitherByteOrderWithTheRightText) {
  const w::Model model = w::Synthetic({});
  for (w::ByteOrder order : {w::ByteOrder::kBigEndian, w::ByteOrder::kLittleEndian}) {
    const std::string path = Saved(w::Write(model, order), "version_ok.bin");
    EXPECT_EQ(CheckHMMResourceVersion(path.c_str()), 1);
    std::remove(path.c_str());
  }
}

TEST(CheckHMMResourceVersion, OtherFilesAreNotModels) {
  w::Model model = w::Synthetic({});
  model.version = "HMM_AcousticModel_Ver3.2_dtd_10Sep99";
  const std::string wrong = Saved(w::Write(model, w::ByteOrder::kBigEndian), "version_wrong.bin");
  testing::internal::CaptureStdout();
  EXPECT_EQ(CheckHMMResourceVersion(wrong.c_str()), 0);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("not correct version"), std::string::npos);
  EXPECT_NE(output.find("Found version [HMM_AcousticModel_Ver3.2_dtd_10Sep99]"), std::string::npos);

  w::File file = w::Write(w::Synthetic({}), w::ByteOrder::kBigEndian);
  file.PatchInt32("magic", 0x01020304, w::ByteOrder::kBigEndian);
  const std::string badMagic = Saved(file, "version_magic.bin");
  EXPECT_EQ(CheckHMMResourceVersion(badMagic.c_str()), 0);
  file = w::Write(w::Synthetic({}), w::ByteOrder::kBigEndian);
  file.PatchInt32("version.length", 0x7fffffff, w::ByteOrder::kBigEndian);
  const std::string badLength = Saved(file, "version_length.bin");
  EXPECT_EQ(CheckHMMResourceVersion(badLength.c_str()), 0);
  EXPECT_EQ(CheckHMMResourceVersion("no/such/file.bin"), 0);
  for (const auto& path : {wrong, badMagic, badLength}) std::remove(path.c_str());
}

}  // namespace
