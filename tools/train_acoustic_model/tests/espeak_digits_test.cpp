// Smoke test on synthetic speech: espeak-ng reads the ten digit syllables in
// several voices and speeds; a model trained on some voices, written to its
// file and read by the engine's database, makes the dictation search pick the
// right digit for other voices.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/NetSearchEngine/testing/dictation_beams.h"
#include "engine/NetSearchEngine/tree_search_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/train_acoustic_model/acoustic_training.h"
#include "tools/train_acoustic_model/model_file.h"
#include "tools/train_acoustic_model/reestimation.h"
#include "tools/train_acoustic_model/wave_file.h"

namespace {

using namespace train_acoustic_model;
namespace fs = std::filesystem;

const char* const kDigits[] = {"LING2", "YI1", "ER4", "SAN1", "SI4", "WU3", "LIU4", "QI1", "BA1", "JIU3"};

struct Voice {
  const char* variant;
  int speed;
  int pitch;
};
const Voice kTrainingVoices[] = {{"m1", 150, 35}, {"f1", 200, 70}, {"m2", 240, 45},    {"f2", 130, 60},
                                 {"m3", 185, 30}, {"f3", 165, 80}, {"m5", 210, 55},    {"f5", 255, 50},
                                 {"m6", 160, 42}, {"m7", 225, 38}, {"klatt", 175, 48}, {"klatt2", 195, 66}};
const Voice kHeldOutVoices[] = {{"m4", 170, 50}, {"f4", 215, 65}};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class EspeakDigits : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists("/usr/bin/espeak-ng") || !fs::exists("/usr/bin/sox"))
      GTEST_SKIP() << "espeak-ng and sox are not installed (tools/setup-debian.sh)";
    // One folder per process: other runs of the suite may share the machine.
    folder_ = fs::path(testing::TempDir()) / ("espeak_digits_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    ASSERT_TRUE(extractor_.Setup(""));
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The digit read by the voice, as the trainer reads it from a wave file;
  // the wave's path in `wave`.
  Utterance Render(const char* digit, const Voice& voice, std::string* wave_path = nullptr) {
    const std::string name = std::string(digit) + "-" + voice.variant + "-" + std::to_string(voice.speed);
    const fs::path raw = folder_ / (name + "-22k.wav"), wave = folder_ / (name + ".wav");
    std::ostringstream command;
    command << "espeak-ng -v cmn-latn-pinyin+" << voice.variant << " -s " << voice.speed << " -p "
            << voice.pitch << " -w '" << raw.string() << "' " << Lower(digit) << " && sox -R -V1 '"
            << raw.string() << "' -r 11025 -c 1 -b 16 -e signed-integer '" << wave.string() << "'";
    Utterance u;
    if (wave_path) *wave_path = wave.string();
    if (std::system(command.str().c_str()) != 0) {
      ADD_FAILURE() << command.str();
      return u;
    }
    std::string error;
    const auto samples = ReadWave(wave.string(), kSamplingRate, &error);
    EXPECT_TRUE(samples.has_value()) << error;
    if (!samples) return u;
    auto features = extractor_.Extract(*samples, &error);
    EXPECT_TRUE(features.has_value()) << error;
    if (features) u.raw = std::move(*features);
    u.labels = LabelSyllables({digit});
    return u;
  }

  fs::path folder_;
  FeatureExtractor extractor_;
};

TEST_F(EspeakDigits, AModelOfSomeVoicesKnowsTheDigitsOfOthers) {
  std::vector<Utterance> training;
  std::vector<std::string> held_out;
  std::vector<int> truth;
  for (const Voice& voice : kTrainingVoices)
    for (const char* digit : kDigits) training.push_back(Render(digit, voice));
  for (const Voice& voice : kHeldOutVoices)
    for (int d = 0; d < 10; ++d) {
      std::string wave;
      Render(kDigits[d], voice, &wave);
      held_out.push_back(wave);
      truth.push_back(d);
    }
  ASSERT_FALSE(HasFailure());

  TrainingOptions options;
  options.gaussians = 64;
  options.phoneGaussians = 16;
  options.jobs = 2;
  std::vector<const Features*> raw;
  for (const Utterance& u : training) raw.push_back(&u.raw);
  const StreamNormalisation normalisation = MeasureNormalisation(raw);
  std::vector<Features> normalised;
  normalised.reserve(training.size());
  std::vector<const Features*> pointers;
  for (const Utterance& u : training) {
    normalised.push_back(u.raw);
    Normalise(normalisation, normalised.back());
    pointers.push_back(&normalised.back());
  }
  AcousticModel model = InitialModel(normalisation, pointers, options);
  std::vector<const Utterance*> all;
  std::vector<Utterance*> editable;
  for (Utterance& u : training) {
    NormaliseUtterance(model, u);
    all.push_back(&u);
    editable.push_back(&u);
  }
  std::ostringstream log;
  TrainContextFree(model, all, options, log);
  TrainPhoneBooks(model, editable, options, log);

  // The engine's side: the model file, a syllable table of the digits over
  // its names, the front end and the tree search at the dictation beams.
  std::string error;
  const std::string model_path = (folder_ / "Speech").string();
  ASSERT_TRUE(WriteModelFile(model, options.streamWeights, model_path, &error)) << error;
  vok::Resources settings;
  settings.Put("Vastel", "StreamWeights", "1.0,0.5");
  settings.PutFloat("Vastel", "LogDensityWeight", options.logDensityWeight);
  settings.PutFloat("Vastel", "HMMBailOut", options.bailOut);
  settings.PutFloat("Search", "LogProbMultiple", options.logProbMultiple);
  settings.PutInt("Search", "HMMSkipState", 0);
  C_rMemory memory;
  C_rHMMDataBase db;
  db.set_Memory(&memory);
  testing::internal::CaptureStdout();
  ASSERT_EQ(db.read_file(model_path.c_str(), 1, settings), 0);
  C_rFrontEnd front_end;
  ASSERT_EQ(front_end.setup_Std(1), 0);
  testing::internal::GetCapturedStdout();
  std::vector<std::string> names;
  for (const HmmEntry& hmm : model.hmms) names.push_back(hmm.name);
  const std::string table_path = (folder_ / "Syllable").string();
  std::ofstream(table_path) << build_language_data::SyllableText(
      std::vector<std::string>(std::begin(kDigits), std::end(kDigits)), &names);
  vok::CSyllableTable syllables(table_path.c_str(), db.get_HMMNameTable());
  ASSERT_EQ(syllables.status(), 0);
  vok::BackTraceTable table(2000, 50, 1);
  vok::TreeSearchEngine engine(settings, {&db, &front_end, &syllables}, &table);
  const vok::SearchParameters beams = vok_testing::DictationBeams();

  int correct = 0;
  std::string misses;
  for (std::size_t i = 0; i < held_out.size(); ++i) {
    ASSERT_EQ(engine.RunWaveFile(&beams, held_out[i].c_str()), 0);
    vok::NBestList list(5);
    std::string heard;
    if (engine.GetNBest(&list) == 0 && list.count() > 0) {
      const vok::Hypothesis& best = list.Get(0);
      for (int k = 0; k < best.count; ++k) heard += std::string(k ? " " : "") + kDigits[best.ids[k]];
    }
    correct += heard == kDigits[truth[i]];
    if (heard != kDigits[truth[i]]) misses += std::string(kDigits[truth[i]]) + " as \"" + heard + "\"\n";
  }
  db.free_all();
  RecordProperty("digits_right_of_20", correct);
  EXPECT_GE(correct * 100, static_cast<int>(held_out.size()) * 90)
      << correct << " of " << held_out.size() << "\n"
      << misses << log.str();
}

}  // namespace
