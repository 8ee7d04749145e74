#include <gtest/gtest.h>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_mel_filter_bank.h"
#include "engine/LIB_C_rHMMDataBase/tests/front_end_oracle.h"
#include "engine/LIB_C_rHMMDataBase/tests/spec_file.h"

namespace {

TEST(MelFilterBank, BuiltInTable) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  const auto& filters = frontEnd.cepstrumFeature()->filterBank().filters();
  ASSERT_EQ(filters.size(), 40u);
  struct Row {
    int m, first, last;
  };
  for (const Row& row : {Row{0, 4, 6}, Row{12, 22, 24}, Row{39, 113, 126}}) {
    const C_rMelFilter& f = filters[row.m];
    EXPECT_EQ(f.firstBin, row.first) << row.m;
    EXPECT_EQ(f.lastBin, row.last) << row.m;
    EXPECT_EQ(f.weights.size(), static_cast<std::size_t>(row.last - row.first + 1)) << row.m;
  }
  EXPECT_FLOAT_EQ(filters[0].centre, 199.99966f);
  EXPECT_FLOAT_EQ(filters[1].centre, 266.66632f);
  EXPECT_FLOAT_EQ(filters[12].centre, 999.99976f);
  EXPECT_FLOAT_EQ(filters[12].right, 1062.4998f);
  EXPECT_FLOAT_EQ(filters[39].right, 5460.2212f);

  // Triangle values of filter 0 at bins 4, 5 and 6 (43.06640625 Hz apart).
  const double left = 133.333, centre = 199.99966, right = 266.66632;
  const double h = 2.0 / (right - left);
  const double bw = 11025.0 / 256.0;
  EXPECT_NEAR(filters[0].weights[0], h * (4 * bw - left) / (centre - left), 1e-6);
  EXPECT_NEAR(filters[0].weights[1], h * (right - 5 * bw) / (right - centre), 1e-6);
  EXPECT_NEAR(filters[0].weights[2], h * (right - 6 * bw) / (right - centre), 1e-6);

  const auto reference = front_end_oracle::Filters(front_end_oracle::Config{});
  for (int m : {0, 12, 39}) {
    ASSERT_EQ(reference[m].weights.size(), filters[m].weights.size());
    for (std::size_t i = 0; i < filters[m].weights.size(); ++i)
      EXPECT_NEAR(filters[m].weights[i], reference[m].weights[i], 1e-6) << m << " " << i;
  }
}

TEST(MelFilterBank, EightKilohertzIsRefusedAtFilter34) {
  C_rFrontEnd frontEnd;
  std::string output;
  EXPECT_EQ(spec_file::Configure(frontEnd, {{"FrontEnd", "SamplingRate", "8000"}}, &output), -1);
  EXPECT_NE(output.find("Error in creating MelFilterBank, error in parameter CepLogSpacing=1.06250e+00"),
            std::string::npos);
  EXPECT_NE(output.find(" m=34,  leftFreq = 3.57197e+03, rightFreq = 4.03242e+03 > nyquist Freq 3.99900e+03"),
            std::string::npos)
      << output;
}

TEST(MelFilterBank, RightEdgeEqualToTheLimitPasses) {
  C_rMelFilterOptions options;
  options.samplingRate = 11025.0f;
  options.numFilters = 1;
  options.numLinear = 1;
  options.numLog = 0;
  options.lower = 5000.0f;
  options.linSpacing = 255.75f;  // right edge 5511.5 Hz, the limit
  C_rMelFilterBank bank;
  EXPECT_EQ(bank.create(options), 0);
  options.linSpacing = 256.0f;
  testing::internal::CaptureStdout();
  EXPECT_EQ(bank.create(options), -1);
  testing::internal::GetCapturedStdout();
}

}  // namespace
