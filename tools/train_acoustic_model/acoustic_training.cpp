#include "tools/train_acoustic_model/acoustic_training.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <ostream>
#include <set>
#include <thread>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/core/resources.h"
#include "platform/file_access.h"
#include "tools/build_language_data/pinyin.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/train_acoustic_model/corpus_list.h"
#include "tools/train_acoustic_model/model_file.h"
#include "tools/train_acoustic_model/reestimation.h"
#include "tools/train_acoustic_model/text_file.h"
#include "tools/train_acoustic_model/wave_file.h"

namespace train_acoustic_model {

namespace {

// Runs fn(i) for i in [0, n) on `jobs` threads, each index on one thread.
template <typename Fn>
void ParallelFor(std::size_t n, unsigned jobs, Fn fn) {
  jobs = std::max(1u, jobs);
  std::vector<std::thread> threads;
  for (unsigned j = 1; j < jobs; ++j)
    threads.emplace_back([&, j] {
      for (std::size_t i = j; i < n; i += jobs) fn(i);
    });
  for (std::size_t i = 0; i < n; i += jobs) fn(i);
  for (std::thread& t : threads) t.join();
}

std::vector<TrainingUtterance> Sequences(const AcousticModel& model,
                                         const std::vector<const Utterance*>& utterances) {
  std::vector<TrainingUtterance> out;
  for (const Utterance* u : utterances) {
    std::vector<int> hmms = HmmSequence(model, u->labels);
    if (!hmms.empty()) out.push_back({&u->normalised, std::move(hmms)});
  }
  return out;
}

std::string Toneless(const std::string& phone) {
  return !phone.empty() && phone.back() >= '1' && phone.back() <= '5' ? phone.substr(0, phone.size() - 1)
                                                                      : phone;
}

// Counts a frame classified as `best` whose aligned HMM is `truth`.
void CountFrame(const AcousticModel& model, int best, int truth, long long* correct, long long* toneless) {
  const std::string found = CenterPhone(model.hmms[best].name),
                    expected = CenterPhone(model.hmms[truth].name);
  *correct += found == expected;
  *toneless += Toneless(found) == Toneless(expected);
}

// The HMM that owns each state (the first one listed), for classification.
std::vector<int> StateOwners(const AcousticModel& model) {
  std::vector<int> owner(model.states.size(), -1);
  for (std::size_t h = 0; h < model.hmms.size(); ++h)
    for (int s : model.hmms[h].states)
      if (owner[s] < 0) owner[s] = static_cast<int>(h);
  return owner;
}

// "1.0,0.5": the "Vastel" key's form of the stream weights.
std::string StreamWeightsText(const TrainingOptions& options) {
  std::string text;
  for (float w : options.streamWeights) {
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", w);
    if (!text.empty()) text += ',';
    text += number;
  }
  return text;
}

// The folder's "Resources" with the keys the models were trained and
// measured with; other keys of an existing file stay.
bool WriteResourceKeys(const std::string& folder, const TrainingOptions& options) {
  const std::string path = folder + "/Resources";
  vok::Resources resources;
  if (platform::FileExists(path) && resources.Merge(path.c_str()) != 0) return false;
  resources.Put("Vastel", "StreamWeights", StreamWeightsText(options).c_str());
  resources.PutFloat("Vastel", "LogDensityWeight", options.logDensityWeight);
  resources.PutFloat("Vastel", "HMMBailOut", options.bailOut);
  resources.PutFloat("Search", "LogProbMultiple", options.logProbMultiple);
  // The models have no skip transitions.
  resources.PutInt("Search", "HMMSkipState", 0);
  const std::string new_path = path + ".new";
  return resources.Write(new_path.c_str()) == 0 && platform::ReplaceWithNewFile(new_path, path);
}

struct LoadedSet {
  std::vector<Utterance> utterances;
  bool failed = false;
};

LoadedSet LoadSet(const std::string& list_path, const std::string& folder,
                  const std::set<std::string>& inventory, FeatureExtractor& extractor, std::ostream& errors) {
  LoadedSet set;
  const auto text = ReadText(list_path);
  if (!text) {
    errors << "train_acoustic_model: cannot read " << list_path << "\n";
    set.failed = true;
    return set;
  }
  std::vector<std::string> problems;
  const std::vector<CorpusEntry> entries = ParseCorpusList(*text, folder, inventory, &problems);
  for (const std::string& problem : problems) errors << list_path << ": " << problem << " (skipped)\n";
  for (const CorpusEntry& entry : entries) {
    std::string error;
    const auto samples = ReadWave(entry.wave, extractor.SamplingRate(), &error);
    if (!samples) {
      errors << "train_acoustic_model: " << entry.wave << ": " << error << " (convert the corpus first)\n";
      set.failed = true;
      return set;
    }
    auto features = extractor.Extract(*samples, &error);
    if (!features) {
      errors << entry.wave << ": " << error << " (skipped)\n";
      continue;
    }
    Utterance u;
    u.raw = std::move(*features);
    u.labels = LabelSyllables(entry.syllables);
    u.gender = entry.gender;
    set.utterances.push_back(std::move(u));
  }
  return set;
}

std::vector<const Utterance*> Pointers(const std::vector<Utterance>& utterances, char gender = 0) {
  std::vector<const Utterance*> out;
  for (const Utterance& u : utterances)
    if (gender == 0 || u.gender == gender) out.push_back(&u);
  return out;
}

}  // namespace

AcousticModel InitialModel(const StreamNormalisation& normalisation,
                           const std::vector<const Features*>& normalised, const TrainingOptions& options) {
  AcousticModel model;
  model.normalisation = normalisation;
  model.logDensityWeight = options.logDensityWeight;
  const std::size_t streams = normalisation.means.size();
  KMeansOptions kmeans;
  kmeans.size = options.gaussians;
  kmeans.jobs = options.jobs;
  for (std::size_t s = 0; s < streams; ++s) {
    std::vector<float> data;
    const int dim = static_cast<int>(normalisation.means[s].size());
    for (const Features* f : normalised)
      data.insert(data.end(), f->streams[s].values.begin(), f->streams[s].values.end());
    model.books.push_back({TrainCodeBook(data, dim, kmeans)});
  }
  model.QuantiseCentres();
  return model;
}

void NormaliseUtterance(const AcousticModel& model, Utterance& utterance) {
  utterance.normalised = utterance.raw;
  Normalise(model.normalisation, utterance.normalised);
}

void ReportPass(std::ostream& log, const char* pass, int number, const PassResult& result) {
  char line[160];
  std::snprintf(line, sizeof line, "%-22s %2d: log likelihood %.4f per frame (%d utterances, %lld frames)\n",
                pass, number, result.logLikelihood, result.utterances, result.frames);
  log << line << std::flush;
}

std::vector<int> PhoneSequence(const AcousticModel& model, const UnitLabels& labels) {
  UnitLabels plain = labels;
  plain.contexts = plain.phones;
  return HmmSequence(model, plain);
}

std::vector<int> HmmSequence(const AcousticModel& model, const UnitLabels& labels) {
  std::vector<int> hmms;
  for (std::size_t i = 0; i < labels.phones.size(); ++i) {
    int hmm = model.HmmIndex(labels.contexts[i]);
    if (hmm < 0) hmm = model.HmmIndex(labels.phones[i]);
    if (hmm < 0) return {};
    hmms.push_back(hmm);
  }
  return hmms;
}

std::vector<double> TrainContextFree(AcousticModel& model, const std::vector<const Utterance*>& utterances,
                                     const TrainingOptions& options, std::ostream& log) {
  std::set<std::string> phones;
  for (const Utterance* u : utterances) phones.insert(u->labels.phones.begin(), u->labels.phones.end());
  if (model.HmmIndex(kSilence) < 0) model.AddHmm(kSilence);
  for (const std::string& phone : phones)
    if (model.HmmIndex(phone) < 0) model.AddHmm(phone);
  Reestimation reestimation(model, options.jobs);
  std::vector<double> curve;
  // Context-free sequences: the phones only, whatever context models exist.
  std::vector<TrainingUtterance> sequences;
  for (const Utterance* u : utterances) {
    std::vector<int> hmms = PhoneSequence(model, u->labels);
    if (!hmms.empty()) sequences.push_back({&u->normalised, std::move(hmms)});
  }
  const PassResult flat = reestimation.UniformSegmentation(sequences);
  log << "uniform segmentation: " << flat.utterances << " utterances, " << flat.frames << " frames\n";
  for (int i = 1; i <= options.viterbiIterations; ++i) {
    const PassResult r = reestimation.Viterbi(sequences);
    ReportPass(log, "Viterbi alignment", i, r);
  }
  for (int i = 1; i <= options.iterations; ++i) {
    const PassResult r = reestimation.BaumWelch(sequences);
    ReportPass(log, "Baum-Welch", i, r);
    curve.push_back(r.logLikelihood);
  }
  return curve;
}

std::vector<double> TrainInContext(AcousticModel& model, const std::vector<const Utterance*>& utterances,
                                   const std::vector<std::string>& contexts, const TrainingOptions& options,
                                   std::ostream& log) {
  std::map<std::string, int> occurrences;
  for (const Utterance* u : utterances)
    for (const std::string& name : u->labels.contexts) ++occurrences[name];
  int own = 0, shared = 0;
  std::set<std::string> listed(contexts.begin(), contexts.end());
  for (const auto& [name, count] : occurrences) {
    if (name == kSilence || count < options.minContextOccurrences || model.HmmIndex(name) >= 0) continue;
    const int phone = model.HmmIndex(CenterPhone(name));
    if (phone < 0) continue;
    model.CloneHmm(name, phone);
    ++own;
  }
  std::vector<double> curve;
  Reestimation reestimation(model, options.jobs, model.HasPhoneBooks());
  const std::vector<TrainingUtterance> sequences = Sequences(model, utterances);
  for (int i = 1; i <= options.contextIterations; ++i) {
    const PassResult r = reestimation.BaumWelch(sequences);
    ReportPass(log, "Baum-Welch in context", i, r);
    curve.push_back(r.logLikelihood);
  }
  for (const std::string& name : listed) {
    if (model.HmmIndex(name) >= 0) continue;
    const int phone = model.HmmIndex(CenterPhone(name));
    if (phone < 0) continue;
    model.TieHmm(name, phone);
    ++shared;
  }
  log << own << " context models of their own, " << shared << " sharing their phone's states\n";
  return curve;
}

std::vector<double> Adapt(AcousticModel& model, const std::vector<const Utterance*>& utterances,
                          int iterations, const TrainingOptions& options, std::ostream& log) {
  std::vector<double> curve;
  Reestimation reestimation(model, options.jobs, model.HasPhoneBooks());
  const std::vector<TrainingUtterance> sequences = Sequences(model, utterances);
  for (int i = 1; i <= iterations; ++i) {
    const PassResult r = reestimation.BaumWelch(sequences);
    ReportPass(log, "Baum-Welch (group)", i, r);
    curve.push_back(r.logLikelihood);
  }
  return curve;
}

HeldOutFigures MeasureHeldOut(const AcousticModel& model, const std::vector<const Utterance*>& utterances,
                              const TrainingOptions& options) {
  HeldOutFigures figures;
  const std::vector<int> owner = StateOwners(model);
  double log_likelihood = 0.0;
  long long correct = 0, toneless = 0;
  for (const TrainingUtterance& u : Sequences(model, utterances)) {
    double score = 0.0;
    const std::vector<int> path = ViterbiAlignment(model, u, &score);
    const double total = ForwardLogLikelihood(model, u);
    if (path.empty() || !std::isfinite(total)) continue;
    ++figures.utterances;
    figures.frames += u.features->frames;
    log_likelihood += total;
    FrameScorer scorer(model, *u.features);
    for (int t = 0; t < u.features->frames; ++t) {
      double best = -std::numeric_limits<double>::infinity();
      int best_state = 0;
      for (std::size_t s = 0; s < model.states.size(); ++s) {
        if (owner[s] < 0) continue;
        const double ll = scorer.State(t, static_cast<int>(s), options.streamWeights);
        if (ll > best) {
          best = ll;
          best_state = static_cast<int>(s);
        }
      }
      CountFrame(model, owner[best_state], u.hmms[path[t]], &correct, &toneless);
    }
  }
  if (figures.frames > 0) {
    figures.logLikelihoodPerFrame = log_likelihood / static_cast<double>(figures.frames);
    figures.frameAccuracy = static_cast<double>(correct) / static_cast<double>(figures.frames);
    figures.tonelessAccuracy = static_cast<double>(toneless) / static_cast<double>(figures.frames);
  }
  return figures;
}

HeldOutFigures DatabaseFrameAccuracy(const std::string& path, const AcousticModel& model,
                                     const std::vector<const Utterance*>& utterances,
                                     const TrainingOptions& options) {
  C_rMemory memory;
  C_rHMMDataBase database;
  vok::Resources resources;
  resources.Put("Vastel", "StreamWeights", StreamWeightsText(options).c_str());
  resources.PutFloat("Vastel", "LogDensityWeight", options.logDensityWeight);
  resources.PutFloat("Vastel", "HMMBailOut", options.bailOut);
  database.set_Memory(&memory);
  HeldOutFigures figures;
  if (database.read_file(path.c_str(), 1, resources) != 0) return figures;
  const std::vector<int> owner = StateOwners(model);
  std::vector<int> candidates;  // HMMs that own their states
  for (std::size_t h = 0; h < model.hmms.size(); ++h)
    if (owner[model.hmms[h].states[0]] == static_cast<int>(h)) candidates.push_back(static_cast<int>(h));
  long long correct = 0, toneless = 0;
  int frame_number = 0;
  for (const TrainingUtterance& u : Sequences(model, utterances)) {
    double score = 0.0;
    const std::vector<int> alignment = ViterbiAlignment(model, u, &score);
    if (alignment.empty()) continue;
    ++figures.utterances;
    const Utterance* source = nullptr;
    for (const Utterance* candidate : utterances)
      if (&candidate->normalised == u.features) source = candidate;
    std::vector<int> dims;
    for (const StreamFrames& stream : source->raw.streams) dims.push_back(stream.dim);
    for (int t = 0; t < u.features->frames; ++t) {
      std::vector<const float*> vectors;
      for (const StreamFrames& stream : source->raw.streams) vectors.push_back(stream.Frame(t));
      const C_rStreamVectors input{static_cast<int>(dims.size()), dims.data(), vectors.data()};
      database.assign_ThreadInput(0, frame_number++, input);
      float best = -std::numeric_limits<float>::infinity();
      int best_hmm = 0;
      for (int h : candidates) {
        for (int s = 0; s < 3; ++s) {
          const float value = database.get_StateScore(h, s, 0);
          if (value > best) {
            best = value;
            best_hmm = h;
          }
        }
      }
      ++figures.frames;
      CountFrame(model, best_hmm, u.hmms[alignment[t]], &correct, &toneless);
    }
  }
  database.free_all();
  if (figures.frames > 0) {
    figures.frameAccuracy = static_cast<double>(correct) / static_cast<double>(figures.frames);
    figures.tonelessAccuracy = static_cast<double>(toneless) / static_cast<double>(figures.frames);
  }
  return figures;
}

std::string SyllableSpelling(const AcousticModel& model, const std::vector<std::string>& inventory) {
  // The vocabulary stage spells a syllable with a listed context name, else
  // with a listed phone: every phone is listed, so no syllable drops out and
  // the syllables keep their numbers.
  std::vector<std::string> names;
  for (const HmmEntry& hmm : model.hmms) names.push_back(hmm.name);
  for (const std::string& syllable : inventory)
    for (const std::string& phone : build_language_data::SyllablePhones(syllable)) names.push_back(phone);
  return build_language_data::SyllableText(inventory, &names);
}

int TrainDialectFolder(const std::string& corpus, const std::string& syllable_file, const std::string& out,
                       const std::string& names_file, const TrainingOptions& options, std::ostream& log,
                       std::ostream& errors) {
  const auto syllable_text = ReadText(syllable_file);
  if (!syllable_text) {
    errors << "train_acoustic_model: cannot read " << syllable_file << "\n";
    return 1;
  }
  const std::vector<std::string> inventory = ReadSyllableInventory(*syllable_text);
  if (inventory.empty()) {
    errors << "train_acoustic_model: no syllables in " << syllable_file << "\n";
    return 1;
  }
  const std::set<std::string> inventory_set(inventory.begin(), inventory.end());
  FeatureExtractor extractor;
  if (!extractor.Setup(options.frontEndSpec)) {
    errors << "train_acoustic_model: the front end refuses its set-up\n";
    return 1;
  }
  LoadedSet training = LoadSet(corpus + "/train.list", corpus, inventory_set, extractor, errors);
  if (training.failed) return 1;
  LoadedSet held_out;
  if (platform::FileExists(corpus + "/heldout.list")) {
    held_out = LoadSet(corpus + "/heldout.list", corpus, inventory_set, extractor, errors);
    if (held_out.failed) return 1;
  }
  long long frames = 0;
  for (const Utterance& u : training.utterances) frames += u.raw.frames;
  const double minutes = static_cast<double>(frames) * extractor.FrameShiftSeconds() / 60.0;
  log << training.utterances.size() << " training utterances (" << frames << " frames, " << minutes
      << " min), " << held_out.utterances.size() << " held-out\n";
  if (training.utterances.empty()) {
    errors << "train_acoustic_model: no training utterances\n";
    return 1;
  }

  std::vector<const Features*> raw;
  for (const Utterance& u : training.utterances) raw.push_back(&u.raw);
  const StreamNormalisation normalisation = MeasureNormalisation(raw);
  AcousticModel model;
  {
    std::vector<Features> normalised;
    normalised.reserve(training.utterances.size());
    std::vector<const Features*> pointers;
    for (const Utterance& u : training.utterances) {
      normalised.push_back(u.raw);
      Normalise(normalisation, normalised.back());
      pointers.push_back(&normalised.back());
    }
    model = InitialModel(normalisation, pointers, options);
  }
  log << "code books of " << options.gaussians << " Gaussians for " << model.books.size() << " streams\n";
  ParallelFor(training.utterances.size(), options.jobs,
              [&](std::size_t i) { NormaliseUtterance(model, training.utterances[i]); });

  const std::vector<const Utterance*> all = Pointers(training.utterances);
  TrainContextFree(model, all, options, log);
  std::vector<Utterance*> editable;
  for (Utterance& u : training.utterances) editable.push_back(&u);
  TrainPhoneBooks(model, editable, options, log);
  ParallelFor(held_out.utterances.size(), options.jobs,
              [&](std::size_t i) { NormaliseUtterance(model, held_out.utterances[i]); });
  std::set<std::string> context_names;
  for (const std::string& syllable : inventory) {
    const UnitLabels labels = LabelSyllables({syllable});
    context_names.insert(labels.contexts.begin() + 1, labels.contexts.end() - 1);
  }
  TrainInContext(model, all, {context_names.begin(), context_names.end()}, options, log);

  std::string error;
  if (!WriteModelFile(model, options.streamWeights, out + "/Speech", &error)) {
    errors << "train_acoustic_model: " << error << "\n";
    return 1;
  }
  log << "wrote " << out << "/Speech (" << model.hmms.size() << " HMMs, " << model.states.size()
      << " states)\n";
  if (!WriteText(out + "/Syllable", SyllableSpelling(model, inventory))) {
    errors << "train_acoustic_model: cannot write " << out << "/Syllable\n";
    return 1;
  }
  if (!names_file.empty()) {
    std::string names;
    for (const HmmEntry& hmm : model.hmms) names += hmm.name + "\n";
    if (!WriteText(names_file, names)) {
      errors << "train_acoustic_model: cannot write " << names_file << "\n";
      return 1;
    }
  }
  const std::vector<const Utterance*> male = Pointers(training.utterances, 'M');
  const std::vector<const Utterance*> female = Pointers(training.utterances, 'F');
  if (!male.empty() && !female.empty()) {
    for (const auto& [name, group] : {std::pair{"SpeechM", &male}, std::pair{"SpeechF", &female}}) {
      AcousticModel adapted = model;
      log << name << ":\n";
      Adapt(adapted, *group, options.groupIterations, options, log);
      if (!WriteModelFile(adapted, options.streamWeights, out + "/" + name, &error)) {
        errors << "train_acoustic_model: " << error << "\n";
        return 1;
      }
    }
  }
  if (!WriteResourceKeys(out, options)) {
    errors << "train_acoustic_model: cannot update " << out << "/Resources\n";
    return 1;
  }
  if (!held_out.utterances.empty()) {
    const std::vector<const Utterance*> tests = Pointers(held_out.utterances);
    const HeldOutFigures figures = MeasureHeldOut(model, tests, options);
    const HeldOutFigures database = DatabaseFrameAccuracy(out + "/Speech", model, tests, options);
    char line[400];
    std::snprintf(line, sizeof line,
                  "held out: %d utterances, %lld frames: log likelihood %.4f per frame; phone frame accuracy "
                  "%.1f %% (trainer), %.1f %% (database); toneless %.1f %% (trainer), %.1f %% (database)\n",
                  figures.utterances, figures.frames, figures.logLikelihoodPerFrame,
                  100.0 * figures.frameAccuracy, 100.0 * database.frameAccuracy,
                  100.0 * figures.tonelessAccuracy, 100.0 * database.tonelessAccuracy);
    log << line;
  }
  return 0;
}

}  // namespace train_acoustic_model
