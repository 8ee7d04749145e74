#include <gtest/gtest.h>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_parameter_set.h"
#include "engine/LIB_C_rHMMDataBase/tests/spec_file.h"
#include "engine/LIB_C_rHMMDataBase/tests/test_signals.h"
#include "engine/LIB_C_rHMMDataBase/tests/unique_path.h"

namespace {

TEST(FrontEndSpecFile, WrittenOutBuiltInSetUpGivesTheSameFeatures) {
  const std::string text =
      "; front end of the test\n"
      "[FrontEnd]\n"
      "SamplingRate = 11025 ; Hz\n"
      "NumSamplesFrameAdvance =\t110;\n"
      "NumSamplesPerFrame = 165\n"
      "MaxNumFrame = 1500\n"
      "NumStreams = 2\n"
      "Stream-0 = "
      "1,13,2,3,0,14,4,26,5,15,16,27,17,18,6,28,29,30,7,31,19,20,8,9,32,33,21,34,35,22,10,11,23,12,36,"
      "24,37,25,38\n"
      "Stream-1 = 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49;\n"
      "BasicFeature = \"Cepstrum[13],Pitch[11]\"\n"
      "DeriveFeature = Cepstrum::DeltaCepstrum[13],  Cepstrum::DeltaDeltaCepstrum[13]\n"
      "SingleOpVector = Cepstrum[13], Cepstrum::DeltaCepstrum[13], Cepstrum::DeltaDeltaCepstrum[13], "
      "Pitch[11]\n"
      "SingleOpVectorDim = 50\n"
      "Window = 'Hamming'\n"
      "[MelFilter]\n"
      "FftSize = 256\n"
      "NumMelFilters = 40\r\n";
  C_rFrontEnd fromFile;
  std::string output;
  ASSERT_EQ(spec_file::ConfigureText(fromFile, text, &output), 0) << output;
  C_rFrontEnd standard;
  ASSERT_EQ(standard.setup_Std(1), 0);
  EXPECT_NE(
      fromFile.get_SpecText().find("[FrontEnd]\nSamplingRate = 11025;\nNumSamplesFrameAdvance = 110;\n"),
      std::string::npos);
  EXPECT_NE(standard.get_SpecText().find(";\n\n\n[MelFilter]\nFftSize = 256;\n"), std::string::npos);

  const auto samples = test_signals::Speech();
  const int frames = fromFile.generate_Feature_Buffer(0, samples.data(), 11025);
  ASSERT_EQ(standard.generate_Feature_Buffer(0, samples.data(), 11025), frames);
  for (int t = 0; t < frames; ++t) {
    const std::vector<float> a(fromFile.get_SingleOpVector(0, t), fromFile.get_SingleOpVector(0, t) + 50);
    const std::vector<float> b(standard.get_SingleOpVector(0, t), standard.get_SingleOpVector(0, t) + 50);
    ASSERT_EQ(a, b) << t;
  }
}

TEST(FrontEndSpecFile, ParameterSetPrefersStoredValuesThenFileThenDefault) {
  const std::string path = unique_path::Make("parameter_set") + ".ini";
  {
    std::ofstream out(path);
    out << "[A]\n;Key = commented\nKey   = from file\n[B]\nOther = 2\n";
  }
  C_rParameterSet parameters(path);
  testing::internal::CaptureStdout();
  EXPECT_EQ(parameters.GetString("A", "Key", "default"), "from file");
  EXPECT_EQ(parameters.GetString("A", "Other", "default"), "default");
  EXPECT_EQ(parameters.GetInt("B", "Other", 7), 2);
  char small[8];
  EXPECT_EQ(parameters.GetString("A", "Key", "", small, sizeof small), 0);
  EXPECT_STREQ(small, "from fi");
  char big[2048];
  EXPECT_EQ(parameters.GetString("A", "Key", "", big, sizeof big), -1);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("Cannot find [A, Other] using default default"), std::string::npos);
  EXPECT_NE(output.find("Error at readEntry 1024 char only."), std::string::npos);
  parameters.Put("A", "Key", "stored");
  EXPECT_EQ(parameters.GetString("A", "Key", "default"), "stored");
  std::remove(path.c_str());
}

TEST(FrontEndSpecFile, LongLinesStayWholeAndTheFileIsReadOnce) {
  const std::string path = unique_path::Make("parameter_set_long") + ".ini";
  const std::string long_value(3000, 'v');
  {
    std::ofstream out(path);
    // A comment longer than any line buffer, whose tail looks like a key.
    out << "[FrontEnd]\n;" << std::string(1012, 'c') << "Window = Rectangular\n"
        << "Long = " << long_value << "\n"
        << "[" << std::string(300, 's') << "]\nKey = in the long section\n";
  }
  C_rParameterSet parameters(path);
  testing::internal::CaptureStdout();
  EXPECT_EQ(parameters.GetString("FrontEnd", "Window", "Hamming"), "Hamming");
  std::remove(path.c_str());
  EXPECT_EQ(parameters.GetString("FrontEnd", "Long", ""), long_value.substr(0, 1023))
      << "read from the lines read before the file went";
  EXPECT_EQ(parameters.GetString(std::string(300, 's').c_str(), "Key", ""), "in the long section");
  testing::internal::GetCapturedStdout();
}

struct RefusedCase {
  const char* name;
  std::vector<spec_file::Line> changes;
  const char* message;
};

TEST(FrontEndSpecFile, RefusedConfigurations) {
  const std::vector<spec_file::Line> pitchOnly = {{"FrontEnd", "SamplingRate", "1000"},
                                                  {"FrontEnd", "BasicFeature", "Pitch[11]"},
                                                  {"FrontEnd", "DeriveFeature", ""},
                                                  {"FrontEnd", "SingleOpVector", "Pitch[11]"},
                                                  {"FrontEnd", "SingleOpVectorDim", "11"},
                                                  {"FrontEnd", "NumStreams", "1"},
                                                  {"FrontEnd", "Stream-0", "0,1,2,3,4,5,6,7,8,9,10"}};
  const RefusedCase cases[] = {
      {"check sum", {{"FrontEnd", "SingleOpVectorDim", "49"}}, "Check sum of SingleOpVector dim"},
      {"window", {{"FrontEnd", "Window", "Blackman"}}, "Window [Blackman] not suppported."},
      {"no rate", {{"FrontEnd", "SamplingRate", ""}}, "SamplingRate not set."},
      {"no frame", {{"FrontEnd", "NumSamplesPerFrame", ""}}, "NumSamplesPerFramee not set."},
      {"stream index",
       {{"FrontEnd", "Stream-1", "39,50"}},
       " Stream-1, entry 1 = 50 idx out of range. Valid range is 0..49"},
      {"no stream", {{"FrontEnd", "NumStreams", "3"}}, "Expecting Stream-2 assignment."},
      {"feature",
       {{"FrontEnd", "BasicFeature", "Cepstrum[13],Formant[11]"}},
       "Error : Basic Feature [1] = Formant, (feature not supported)"},
      {"zero dim", {{"FrontEnd", "BasicFeature", "Cepstrum[13],Pitch[0]"}}, "dim = 0 (dimension error)"},
      {"fft shorter than frame", {{"MelFilter", "FftSize", "128"}}, "FftSize = 128"},
      {"fft not a power of two", {{"MelFilter", "FftSize", "300"}}, "FftSize = 300"},
      {"no filters", {{"MelFilter", "NumMelFilters", "0"}}, "NumMelFilters = 0"},
      {"shift beyond frame",
       {{"FrontEnd", "NumSamplesFrameAdvance", "200"}},
       "NumSamplesFrameAdvance exceeds"},
      {"empty lag range", pitchOnly, "too few for Pitch[11]"},
      {"delta of another size",
       {{"FrontEnd", "DeriveFeature", "Cepstrum::DeltaCepstrum[12]"}},
       "dimension error"},
      {"noise band",
       {{"MelFilter", "NoiseSpectrumFilter", "1"}, {"MelFilter", "fMaxSpectralPercentage", "100"}},
       "fMaxSpectralPercentage"},
  };
  for (const RefusedCase& c : cases) {
    C_rFrontEnd frontEnd;
    std::string output;
    EXPECT_EQ(spec_file::Configure(frontEnd, c.changes, &output), -1) << c.name;
    EXPECT_NE(output.find(c.message), std::string::npos) << c.name << ":\n" << output;
  }
}

TEST(FrontEndSpecFile, SecondSetUpIsRefused) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(frontEnd.setup_Std(1), -1);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Re-assignment error"), std::string::npos);
}

}  // namespace
