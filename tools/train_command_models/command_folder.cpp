#include "tools/train_command_models/command_folder.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>

#include "engine/core/resources.h"
#include "platform/file_access.h"
#include "tools/train_acoustic_model/byte_quantiser.h"
#include "tools/train_acoustic_model/corpus_list.h"
#include "tools/train_acoustic_model/text_file.h"
#include "tools/train_acoustic_model/wave_file.h"

namespace train_command_models {

namespace tam = train_acoustic_model;
namespace w = hmm_model_writer;
using tam::ReadText;
using tam::WriteText;

namespace {

// Any limit below 1e9 keeps a pair enabled.
constexpr float kPairLimit = 1000.0f;
// The search has transitions of its own; the matrix is only read.
constexpr float kStay = 0.5f;
constexpr float kNoTransition = 99.99f;

// The toned syllables ("NI3") of the transcripts of a corpus list; a word
// without a tone digit is no syllable, and the list's reader reports it.
std::set<std::string> TranscriptSyllables(const std::string& list) {
  std::set<std::string> syllables;
  std::istringstream lines(list);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line.substr(line.rfind('\t') + 1));
    for (std::string word; words >> word;) {
      for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const bool toned =
          word.size() > 1 && word.back() >= '1' && word.back() <= '5' &&
          std::all_of(word.begin(), word.end() - 1, [](char c) { return c >= 'A' && c <= 'Z'; });
      if (toned) syllables.insert(word);
    }
  }
  return syllables;
}

struct LoadedUtterance {
  tam::Features features;
  std::vector<std::string> syllables;
  std::string wave;
};

bool LoadList(const std::string& path, const std::string& folder, const std::set<std::string>& inventory,
              tam::FeatureExtractor& extractor, std::vector<LoadedUtterance>* out, std::ostream& errors) {
  const auto text = ReadText(path);
  if (!text) {
    errors << "train_command_models: cannot read " << path << "\n";
    return false;
  }
  std::vector<std::string> problems;
  for (const tam::CorpusEntry& entry : tam::ParseCorpusList(*text, folder, inventory, &problems)) {
    std::string error;
    const auto samples = tam::ReadWave(entry.wave, extractor.SamplingRate(), &error);
    auto features = samples ? extractor.Extract(*samples, &error) : std::nullopt;
    if (!features) {
      problems.push_back(entry.wave + ": " + error);
      continue;
    }
    out->push_back({std::move(*features), entry.syllables, entry.wave});
  }
  for (const std::string& problem : problems) errors << path << ": " << problem << "\n";
  return problems.empty();
}

std::vector<ModelUtterance> ModelUtterances(const std::vector<LoadedUtterance>& loaded,
                                            const CommandModels& models,
                                            const tam::StreamNormalisation& normalisation) {
  std::vector<ModelUtterance> utterances;
  for (const LoadedUtterance& u : loaded) {
    ModelUtterance m{u.features, {models.ModelIndex(kSilence)}};
    for (const std::string& syllable : u.syllables) m.models.push_back(models.ModelIndex(syllable));
    m.models.push_back(models.ModelIndex(kSilence));
    if (std::find(m.models.begin(), m.models.end(), -1) != m.models.end()) continue;
    tam::Normalise(normalisation, m.frames);
    utterances.push_back(std::move(m));
  }
  return utterances;
}

std::string Number(float value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

bool WriteResources(const std::string& out, const CommandFolderOptions& options) {
  vok::Resources resources;
  resources.Put("Vastel", "HMMResource", (out + "/Speech").c_str());
  resources.Put("Vastel", "SyllableTable", (out + "/Syllable").c_str());
  std::string weights;
  for (float weight : options.models.streamWeights) weights += (weights.empty() ? "" : ",") + Number(weight);
  resources.Put("Vastel", "StreamWeights", weights.c_str());
  resources.PutFloat("Vastel", "LogDensityWeight", options.models.logDensityWeight);
  resources.PutFloat("Vastel", "HMMBailOut", options.bailOut);
  resources.PutFloat("Search", "LogProbMultiple", options.logProbMultiple);
  // The models have no skip transitions.
  resources.PutInt("Search", "HMMSkipState", 0);
  const std::string path = out + "/Resources";
  const std::string new_path = path + ".new";
  return resources.Write(new_path.c_str()) == 0 && platform::ReplaceWithNewFile(new_path, path);
}

}  // namespace

w::Model ModelFileContents(const CommandModels& models, const std::vector<std::vector<float>>& means,
                           const std::vector<std::vector<float>>& scales, std::string* error) {
  const std::size_t streams = models.dims().size();
  std::vector<float> centres;
  for (int state = 0; state < models.states(); ++state) {
    for (std::size_t s = 0; s < streams; ++s) {
      const std::vector<float>& mean = models.Mean(state, static_cast<int>(s));
      centres.insert(centres.end(), mean.begin(), mean.end());
    }
  }
  const tam::ByteQuantiser centre_codes = tam::ByteQuantiser::Fit(centres);

  w::Model file;
  file.centreDecoder = {true, "centre", 0};
  file.varianceDecoder = {true, "variance", 1};
  file.weightDecoder = {true, "weight", 2};
  // Variance codes are read and dropped; every mixture has one component of
  // log weight 0.
  file.decoders = {{"centre", centre_codes.Levels()},
                   {"variance", std::vector<float>(tam::ByteQuantiser::kLevels, 1.0f)},
                   {"weight", std::vector<float>(tam::ByteQuantiser::kLevels, 0.0f)}};
  for (std::size_t s = 0; s < streams; ++s) {
    file.dims.push_back(models.dims()[s]);
    file.streamNames.push_back("Stream-" + std::to_string(s));
    file.means.push_back(means[s]);
    file.scales.push_back(scales[s]);
  }
  const std::vector<float>& weights = models.options().streamWeights;
  for (int state = 0; state < models.states(); ++state) {
    w::State file_state;
    for (std::size_t s = 0; s < streams; ++s) {
      w::Pair pair;
      float norm = 0.0f;
      for (float value : models.Mean(state, static_cast<int>(s))) {
        const std::uint8_t code = centre_codes.Encode(value);
        const float centre = centre_codes.Decode(code);
        pair.centre.push_back(code);
        pair.variance.push_back(0);
        norm += centre * centre;
      }
      pair.constant = norm;
      pair.limit = kPairLimit;
      file.codeBooks.push_back({0, {static_cast<std::int32_t>(file.pairs.size())}});
      file.pairs.push_back(std::move(pair));
      file.mixtures.push_back({0, {0}, static_cast<std::int32_t>(file.codeBooks.size() - 1)});
      file_state.mixtures.push_back(static_cast<std::int32_t>(file.mixtures.size() - 1));
      file_state.streamWeights.push_back(s < weights.size() ? weights[s] : 1.0f);
    }
    file.states.push_back(std::move(file_state));
  }
  w::TransProb trans{"trans0", kStatesPerModel, {}};
  for (int i = 0; i < kStatesPerModel; ++i) {
    for (int j = i; j <= kStatesPerModel; ++j) {
      trans.upper.push_back(j == i ? std::log(kStay) : j == i + 1 ? std::log(1.0f - kStay) : kNoTransition);
    }
  }
  file.transProbs.push_back(std::move(trans));
  for (std::size_t m = 0; m < models.names().size(); ++m) {
    const auto first = static_cast<std::int32_t>(m * kStatesPerModel);
    file.hmms.push_back({models.names()[m], kStatesPerModel, {first, first + 1, first + 2}, 0, 0.0f});
  }
  const std::string fault = w::CheckReadable(file);
  if (error) *error = fault;
  return file;
}

std::string SyllableText(const std::vector<std::string>& syllables) {
  std::string text =
      "# Toned syllables, each spelled by a whole-syllable model of its own.\n"
      "%BEGIN <SYLLABLE>\n";
  for (const std::string& syllable : syllables) text += syllable + " " + syllable + "\n";
  return text + "%END\n";
}

std::string PronunciationText(const std::vector<Phrase>& phrases) {
  std::string text = "Pronunciations " + std::to_string(phrases.size()) + "\n";
  text += "# one line per word id: syllables joined by -, then the word\n";
  for (const Phrase& phrase : phrases) {
    std::string pron;
    for (const std::string& syllable : phrase.syllables) pron += (pron.empty() ? "" : "-") + syllable;
    text += pron + " " + phrase.word + "\n";
  }
  return text;
}

int TrainCommandFolder(const std::string& corpus, const std::string& out, const CommandFolderOptions& options,
                       std::ostream& log, std::ostream& errors) {
  tam::FeatureExtractor extractor;
  if (!extractor.Setup(options.frontEndSpec)) {
    errors << "train_command_models: the front end refuses its set-up\n";
    return 1;
  }
  const std::string train_list = corpus + "/train.list";
  const auto train_text = ReadText(train_list);
  if (!train_text) {
    errors << "train_command_models: cannot read " << train_list << "\n";
    return 1;
  }
  const std::set<std::string> inventory = TranscriptSyllables(*train_text);
  std::vector<LoadedUtterance> training;
  if (!LoadList(train_list, corpus, inventory, extractor, &training, errors) || training.empty()) {
    errors << "train_command_models: no usable training utterances\n";
    return 1;
  }

  // Phrases in their first appearance; models "SIL" and the syllables.
  std::vector<Phrase> phrases;
  for (const LoadedUtterance& u : training) {
    Phrase phrase{u.syllables, {}};
    for (const std::string& syllable : u.syllables) {
      for (char c : syllable) phrase.word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const bool seen =
        std::any_of(phrases.begin(), phrases.end(), [&](const Phrase& p) { return p.word == phrase.word; });
    if (!seen) phrases.push_back(std::move(phrase));
  }
  const std::vector<std::string> syllables(inventory.begin(), inventory.end());
  std::vector<std::string> names = {kSilence};
  names.insert(names.end(), syllables.begin(), syllables.end());
  CommandModels models(names, extractor.StreamDims(), options.models);

  std::vector<const tam::Features*> raw;
  for (const LoadedUtterance& u : training) raw.push_back(&u.features);
  const tam::StreamNormalisation normalisation = tam::MeasureNormalisation(raw);
  const std::vector<ModelUtterance> utterances = ModelUtterances(training, models, normalisation);
  models.EstimateUniform(utterances);
  for (int pass = 1; pass <= options.models.passes; ++pass) {
    log << "pass " << pass << ": score per frame " << models.Reestimate(utterances) << "\n";
  }

  std::string fault;
  const w::Model contents = ModelFileContents(models, normalisation.means, normalisation.scales, &fault);
  if (!fault.empty()) {
    errors << "train_command_models: the models cannot be read back: " << fault << "\n";
    return 1;
  }
  const w::ByteOrder order =
      std::endian::native == std::endian::little ? w::ByteOrder::kLittleEndian : w::ByteOrder::kBigEndian;
  const std::string model_path = out + "/Speech";
  if (!platform::WriteWholeFile(model_path, w::Write(contents, order).bytes) ||
      !WriteText(out + "/Syllable", SyllableText(syllables)) ||
      !WriteText(out + "/Pron.txt", PronunciationText(phrases)) || !WriteResources(out, options)) {
    errors << "train_command_models: cannot write the files into " << out << "\n";
    return 1;
  }
  log << utterances.size() << " training utterances, " << phrases.size() << " phrases, " << names.size()
      << " models\n";

  const std::string heldout_list = corpus + "/heldout.list";
  if (!platform::FileExists(heldout_list)) return 0;
  std::vector<LoadedUtterance> heldout;
  LoadList(heldout_list, corpus, inventory, extractor, &heldout, errors);
  double total = 0.0;
  long long frames = 0;
  for (const ModelUtterance& u : ModelUtterances(heldout, models, normalisation)) {
    double score = 0.0;
    if (models.Align(u, &score).empty()) continue;
    total += score;
    frames += u.frames.frames;
  }
  log << heldout.size() << " held-out utterances: score per frame "
      << (frames > 0 ? total / static_cast<double>(frames) : 0.0) << "\n";
  return 0;
}

}  // namespace train_command_models
