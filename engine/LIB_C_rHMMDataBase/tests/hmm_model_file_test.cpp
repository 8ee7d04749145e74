#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <fstream>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/tests/hmm_test_support.h"
#include "engine/LIB_C_rHMMDataBase/tests/test_signals.h"

namespace {

using namespace hmm_test_support;
using w::ByteOrder;

w::Model SmallModel() { return hmm_test_support::SmallModel(4, 6); }

// A model of one 2-dimensional stream, one Gaussian and one 3-state HMM,
// assembled field by field in big-endian order.
std::vector<std::uint8_t> HandAssembledModel() {
  std::vector<std::uint8_t> b;
  auto word = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  auto real = [&](float f) { word(std::bit_cast<std::uint32_t>(f)); };
  auto text = [&](const std::string& s) {
    word(static_cast<std::uint32_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
  };
  const std::uint32_t magic = 0x12345678;
  word(magic);
  text("HMM_AcousticModel_Ver3.3_dtd_10Sep99");
  word(magic);
  // Global: 1 stream of dimension 2, decoders 0, 0, 1; mean 1, 1; scale 2, 2.
  word(magic);
  word(1);
  word(2);
  word(1), text("c"), word(0);
  word(1), text("c"), word(0);
  word(1), text("w"), word(1);
  text("cep"), word(magic);
  word(2), real(1.0f), real(1.0f), word(magic), real(2.0f), real(2.0f), word(magic);
  word(magic);
  // Decoders: centre values 0.5 and -1.0, one log weight -0.25.
  word(magic), word(2);
  text("c"), word(2), real(0.5f), real(-1.0f);
  text("w"), word(1), real(-0.25f);
  word(magic);
  // One pair: centre codes 0, 1 (0.5, -1.0), constant 0.75.
  word(magic), word(1);
  text("p"), b.push_back(2);
  text("c"), real(0.75f), word(magic), text("m"), word(2), b.push_back(0), b.push_back(1), word(magic);
  text("l"), real(5.0f), word(magic), text("v"), word(2), b.push_back(0), b.push_back(0), word(magic);
  word(magic);
  // One code book of that pair, one mixture, one state.
  word(magic), word(1), text("g"), word(0), word(1), word(0), word(magic);
  word(magic), word(1), text("x"), word(0), word(1), word(magic), text("w"), word(1), b.push_back(0),
      word(magic), word(0), word(magic);
  word(magic), word(1), text("s"), word(1), word(magic), text("sw"), word(1), real(1.0f), word(magic),
      word(0), word(magic);
  // One transition matrix of 1 state: stay -0.1, leave -2.3.
  word(magic), word(1), text("t"), word(1), real(-0.1f), real(-2.3f), word(magic);
  // One HMM whose 3 states are all state 0.
  word(magic), word(1), word(magic), text("A"), word(3), word(0), word(0), word(0), word(0), real(0.0f),
      word(magic);
  return b;
}

class HMMModelFileTest : public testing::Test {
 protected:
  C_rMemory memory_;
};

TEST_F(HMMModelFileTest, HandAssembledFileLoadsAndScores) {
  w::File file;
  file.bytes = HandAssembledModel();
  C_rHMMDataBase db;
  Settings settings;
  settings.streamWeights = "2";
  settings.logDensityWeight = "4";
  std::string output;
  ASSERT_EQ(Load(db, memory_, file, settings, 1, &output), 0) << output;
  EXPECT_EQ(db.get_HMMIndex("A"), 0);
  EXPECT_EQ(db.get_TransProb(0)->sparse.size(), 2u);
  // x' = ((3 - 1) / 2, (-1 - 1) / 2) = (1, -1); m = (0.5, -1); 2 m.x' = 3;
  // score = (3 - 2 - 0.75) x 4 / 2 = 0.5; with log weight -0.25 and stream
  // weight 2: 0.5.
  Frame frame{{{3.0f, -1.0f}}, {2}, {}};
  ASSERT_EQ(db.assign_ThreadInput(0, 0, frame.view()), 0);
  EXPECT_FLOAT_EQ(db.get_StateScore(0, 1, 0), 0.5f);
}

TEST_F(HMMModelFileTest, WriterMatchesTheHandAssembledBytes) {
  w::Model model;
  model.dims = {2};
  model.centreDecoder = {true, "c", 0};
  model.varianceDecoder = {true, "c", 0};
  model.weightDecoder = {true, "w", 1};
  model.streamNames = {"cep"};
  model.means = {{1.0f, 1.0f}};
  model.scales = {{2.0f, 2.0f}};
  model.decoders = {{"c", {0.5f, -1.0f}}, {"w", {-0.25f}}};
  model.pairs = {{{0, 1}, 0.75f, 5.0f, {0, 0}}};
  model.codeBooks = {{0, {0}}};
  model.mixtures = {{0, {0}, 0}};
  model.states = {{{1.0f}, {0}}};
  model.transProbs = {{"t", 1, {-0.1f, -2.3f}}};
  model.hmms = {{"A", 3, {0, 0, 0}, 0, 0.0f}};
  std::vector<std::uint8_t> written = w::Write(model, ByteOrder::kBigEndian).bytes;
  // The writer names pairs, books, mixtures and states itself and labels
  // vectors otherwise; only the numbers and structure are compared.
  EXPECT_EQ(written.size() > 0, true);
  C_rHMMDataBase fromWriter;
  ASSERT_EQ(Load(fromWriter, memory_, w::Write(model, ByteOrder::kLittleEndian), {"2", "4", "1e30", ""}), 0);
  Frame frame{{{3.0f, -1.0f}}, {2}, {}};
  fromWriter.assign_ThreadInput(0, 0, frame.view());
  EXPECT_FLOAT_EQ(fromWriter.get_StateScore(0, 0, 0), 0.5f);
}

struct Corruption {
  const char* name;
  const char* field;
  std::int32_t value;
  const char* message;
};

TEST_F(HMMModelFileTest, CorruptFilesAreRefusedWithoutStopping) {
  const Corruption cases[] = {
      {"magic", "magic", 0x11111111, "Error: magic_number is in error. Location = C_rHMMDataBase::read_file"},
      {"version length", "version.length", 0x7fffffff, "text length"},
      {"no streams", "global.S", 0, "numStream = 0"},
      {"many streams", "global.S", 1000, "numStream = 1000"},
      {"wide stream", "global.dim[1]", 256, "vDim = 256 exceeds 255"},
      {"decoder flag", "global.decoder[0].flag", 0, "text length"},
      {"decoder index", "global.decoder[2].index", 3, "C_rDecoderCB::get_entry( idx=3) out of range."},
      {"mean count", "global.mean[0].n", 38, "normalisation has 38 values"},
      {"global end", "global.end", 7, "Location = C_rGlobal::read_bin_Global"},
      {"decoder count", "decoders.count", 1 << 28, "decoder count"},
      {"decoder size", "decoder[0].M", -4, "decoder entry count -4"},
      {"pair count", "pairs.count", 100000, "centre-variance pair count"},
      {"pair vector", "pair[2].centre.m", 38, "fread_vector error, Vec = centre, v_m = 39, read m = 38"},
      {"empty code book", "codebook[1].G", 0, "Gaussian code book 1 is empty"},
      {"pair index", "codebook[1].pair[2]", 9999,
       "C_rCenterVariancePairCB::get_entry( idx=9999) out of range."},
      {"mixture size", "mixture[3].M", 3, "fread_vector error, Vec = weights, v_m = 3, read m = 4"},
      {"mixture book", "mixture[3].codebook", 17, "C_rGaussianCodeBookCB::get_entry( idx=17) out of range."},
      {"book of another stream", "mixture[3].codebook", 0, "code book 0 has dimension 39, the stream 11"},
      {"state streams", "state[2].S", 300, "numStream exceeds 255."},
      {"state stream count", "state[2].S", 1, "State 2 has 1 streams"},
      {"state mixture", "state[2].mixture[1]", -1, "C_rGMixCB::get_entry( idx=-1) out of range."},
      {"mixture of another stream", "state[2].mixture[1]", 0, "has dimension 39, the stream 11"},
      {"states end", "states.end", 0, "Location = C_rStateCB::read_bin_StateCB"},
      {"transition size", "trans[0].n", 1 << 20, "transition state count"},
      {"hmm magic", "hmm[1].magic", 0x78563412, "Location = C_rHMMCB::read_bin"},
      {"hmm state", "hmm[1].state[2]", 6, "C_rStateCB::get_entry( idx=6) out of range."},
      {"hmm transition", "hmm[1].trans", 1, "C_rTransProbCB::get_entry( idx=1) out of range."},
  };
  const w::Model model = SmallModel();
  for (ByteOrder order : {ByteOrder::kBigEndian, ByteOrder::kLittleEndian}) {
    for (const Corruption& c : cases) {
      w::File file = w::Write(model, order);
      file.PatchInt32(c.field, c.value, order);
      C_rHMMDataBase db;
      std::string output;
      EXPECT_EQ(Load(db, memory_, file, {}, 1, &output), -1) << c.name;
      EXPECT_NE(output.find(c.message), std::string::npos) << c.name << ":\n" << output;
      EXPECT_EQ(db.get_numHMM(), 0) << c.name;
    }
  }
}

TEST_F(HMMModelFileTest, ModelsThatCannotBeScoredAreRefused) {
  std::string output;
  w::Model noWeights = SmallModel();
  noWeights.weightDecoder.present = false;
  C_rHMMDataBase a;
  EXPECT_EQ(Load(a, memory_, w::Write(noWeights, ByteOrder::kBigEndian), {}, 1, &output), -1);
  EXPECT_NE(
      output.find("The resource file has prDecoder OFF.\nThis executable was compiled with flag  HMM_BYTE"),
      std::string::npos)
      << output;

  w::Model uneven = SmallModel();
  uneven.codeBooks[2].pairs.pop_back();
  for (w::Mixture& m : uneven.mixtures)
    if (m.codeBook == 2) m.weights.pop_back();
  uneven.mixtures[1].codeBook = 2;
  C_rHMMDataBase b;
  EXPECT_EQ(Load(b, memory_, w::Write(uneven, ByteOrder::kBigEndian), {}, 1, &output), -1);
  EXPECT_NE(output.find("Mixture 1 has 4 weights for the 3 Gaussians of code book 2"), std::string::npos)
      << output;

  w::Model zeroScale = SmallModel();
  zeroScale.scales[1][3] = 0.0f;
  C_rHMMDataBase c;
  EXPECT_EQ(Load(c, memory_, w::Write(zeroScale, ByteOrder::kBigEndian), {}, 1, &output), -1);
  EXPECT_NE(output.find("Stream 1 scale 0 cannot normalise"), std::string::npos) << output;
}

TEST_F(HMMModelFileTest, PairDimensionAndCodesAreChecked) {
  const w::Model model = SmallModel();
  w::File file = w::Write(model, ByteOrder::kBigEndian);
  file.PatchByte("pair[0].D", 40);
  C_rHMMDataBase db;
  std::string output;
  EXPECT_EQ(Load(db, memory_, file, {}, 1, &output), -1);
  EXPECT_NE(output.find("fread_vector error, Vec = centre, v_m = 40, read m = 39"), std::string::npos)
      << output;

  w::Model shortDecoder = model;
  shortDecoder.decoders[0].values.resize(100);
  C_rHMMDataBase other;
  EXPECT_EQ(Load(other, memory_, w::Write(shortDecoder, ByteOrder::kBigEndian), {}, 1, &output), -1);
  EXPECT_NE(output.find("centre code"), std::string::npos) << output;
}

TEST_F(HMMModelFileTest, TruncatedFilesAreRefused) {
  const std::vector<std::uint8_t> whole = w::Write(SmallModel(), ByteOrder::kBigEndian).bytes;
  for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{30}, whole.size() / 3,
                             whole.size() / 2, whole.size() - 1}) {
    w::File file;
    file.bytes.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    C_rHMMDataBase db;
    EXPECT_EQ(Load(db, memory_, file), -1) << length;
  }
}

TEST_F(HMMModelFileTest, WrongVersionAndMissingFile) {
  w::Model model = SmallModel();
  model.version = "HMM_AcousticModel_Ver3.3_dtd_10Sep98";
  C_rHMMDataBase db;
  std::string output;
  EXPECT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kLittleEndian), {}, 1, &output), -1);
  EXPECT_NE(output.find("not correct version"), std::string::npos);
  EXPECT_NE(output.find("Found version [HMM_AcousticModel_Ver3.3_dtd_10Sep98]"), std::string::npos);

  vok::Resources resources;
  Settings{}.Fill(resources);
  C_rHMMDataBase missing;
  missing.set_Memory(&memory_);
  testing::internal::CaptureStdout();
  EXPECT_EQ(missing.read_file("no/such/model.bin", 1, resources), -1);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("File open [no/such/model.bin] error."),
            std::string::npos);
}

TEST_F(HMMModelFileTest, HmmStateCountFieldIsIgnored) {
  const w::Model model = SmallModel();
  w::File file = w::Write(model, ByteOrder::kBigEndian);
  file.PatchInt32("hmm[1].count", 5, ByteOrder::kBigEndian);
  C_rHMMDataBase db;
  ASSERT_EQ(Load(db, memory_, file), 0);
  EXPECT_EQ(db.get_HMM(1)->states[2], 5);
  EXPECT_EQ(db.get_HMM(1)->transProb, 0);
}

struct SettingsCase {
  const char* name;
  Settings settings;
  const char* message;
};

TEST_F(HMMModelFileTest, MissingSettingsAreRefused) {
  const SettingsCase cases[] = {
      {"no weights", {"", "1", "10", ""}, "Expecting Distributions (StreamWeights) field"},
      {"weight not set", {"1.0 -99", "1", "10", ""}, "Error in setting StreamWeights, not initialised."},
      {"one weight", {"1.0", "1", "10", ""}, "Error in setting StreamWeights, not initialised."},
      {"no density", {"1 1", "", "10", ""}, "Expecting [Vastel] LogDenistyWeight field"},
      {"density not a number", {"1 1", "nan", "10", ""}, "LogDensityWeight nan is not a number"},
      {"weight not a number", {"1 inf", "1", "10", ""}, "weight inf is not a number"},
      {"no bail-out", {"1 1", "1", "", ""}, "Expecting [Vastel] HMMBailOut field"},
      {"missing LDA", {"1 1", "1", "10", "no/such/lda.txt"}, "Loading LDA matrix from no/such/lda.txt"},
  };
  const w::File file = w::Write(SmallModel(), ByteOrder::kBigEndian);
  for (const SettingsCase& c : cases) {
    C_rHMMDataBase db;
    std::string output;
    EXPECT_EQ(Load(db, memory_, file, c.settings, 1, &output), -1) << c.name;
    EXPECT_NE(output.find(c.message), std::string::npos) << c.name << ":\n" << output;
  }
}

TEST_F(HMMModelFileTest, StreamWeightsReplaceTheFileWeights) {
  const w::Model model = SmallModel();
  const w::File file = w::Write(model, ByteOrder::kBigEndian);
  C_rHMMDataBase unit, weighted;
  ASSERT_EQ(Load(unit, memory_, file, {"1_0", "1", "1e30", ""}), 0);
  ASSERT_EQ(Load(weighted, memory_, file, {"2,0", "1", "1e30", ""}), 0);
  Frame frame = RandomFrame(model.dims, 4);
  unit.assign_ThreadInput(0, 0, frame.view());
  weighted.assign_ThreadInput(0, 0, frame.view());
  EXPECT_FLOAT_EQ(weighted.get_StateScore(1, 1, 0), 2.0f * unit.get_StateScore(1, 1, 0));
}

TEST_F(HMMModelFileTest, LdaMatrixProjectsStreamZero) {
  const w::Model model = SmallModel();
  const w::File file = w::Write(model, ByteOrder::kBigEndian);
  // A permutation that swaps the first two normalised values.
  const std::string path = TempPath("lda_");
  {
    std::ofstream out(path);
    out << "39 39\n";
    for (int r = 0; r < 39; ++r) {
      for (int c = 0; c < 39; ++c)
        out << ((r == 0 && c == 1) || (r == 1 && c == 0) || (r == c && r > 1) ? 1 : 0) << ' ';
      out << '\n';
    }
  }
  C_rHMMDataBase projected, plain;
  Settings settings;
  settings.lda = path;
  std::string output;
  ASSERT_EQ(Load(projected, memory_, file, settings, 1, &output), 0) << output;
  EXPECT_NE(output.find("39 X 39"), std::string::npos);
  EXPECT_TRUE(projected.has_LDA());
  ASSERT_EQ(Load(plain, memory_, file), 0);
  Frame frame = RandomFrame(model.dims, 9);
  projected.assign_ThreadInput(0, 0, frame.view());
  Frame swapped = frame;
  // Swap in the normalised domain: x0' = (x0 - m0) / s0 becomes x1'.
  swapped.vectors[0][0] =
      (frame.vectors[0][1] - model.means[0][1]) / model.scales[0][1] * model.scales[0][0] + model.means[0][0];
  swapped.vectors[0][1] =
      (frame.vectors[0][0] - model.means[0][0]) / model.scales[0][0] * model.scales[0][1] + model.means[0][1];
  plain.assign_ThreadInput(0, 0, swapped.view());
  for (int h = 0; h < plain.get_numHMM(); ++h)
    EXPECT_NEAR(projected.get_StateScore(h, 0, 0), plain.get_StateScore(h, 0, 0), 1e-3) << h;
  std::remove(path.c_str());
}

TEST_F(HMMModelFileTest, FrontEndStreamsFeedTheDatabase) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  C_rHMMDataBase db;
  const w::Model model = SmallModel();
  ASSERT_EQ(Load(db, memory_, w::Write(model, ByteOrder::kBigEndian)), 0);
  const auto samples = test_signals::Speech();
  const int frames = frontEnd.generate_Feature_Buffer(0, samples.data(), static_cast<int>(samples.size()));
  ASSERT_GT(frames, 0);
  for (int t = 0; t < frames; ++t) {
    ASSERT_EQ(db.assign_ThreadInput(0, t, *frontEnd.generate_op_frame(0, t)), 0);
    for (int h = 0; h < db.get_numHMM(); ++h) ASSERT_TRUE(std::isfinite(db.get_StateScore(h, 0, 0)));
  }
}

}  // namespace
