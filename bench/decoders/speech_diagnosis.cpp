// speech_diagnosis: where the dictation errors of a set come from. For every
// utterance of a list of the synthetic corpus it decodes the wave through the
// dictation search, and with the folder's models as the engine's database
// scores them it also
//  - forces the reference and the decoded syllables through the models
//    (silence at both ends, the search's insertion penalties): a decoded
//    sentence that the acoustic models score below the reference was chosen
//    by the language model or lost by the search;
//  - decodes the frames with a free loop of all syllables and silence, no
//    language model, the same penalties: what the acoustic models alone give;
//  - counts the errors of both by kind (tone only, initial, final, insertion,
//    deletion);
//  - looks for the reference among the back end's N-best sentences: a
//    reference the acoustic models prefer that is in the list was ranked down
//    by the language model and penalties, one that is not was lost before
//    (the tree search's syllable lattice or the back end's stack search).
//
//   speech_diagnosis --data DIR --corpus DIR [--set trainsub|dev|heldout] [--count N]
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"
#include "engine/NetSearchEngine/testing/dictation_beams.h"
#include "engine/core/resources.h"
#include "engine/core/scoring.h"
#include "engine/core/syllable_table.h"
#include "engine/core/symbol_table.h"
#include "tools/build_language_data/pinyin.h"
#include "tools/recognize_speech/dictation_recognizer.h"
#include "tools/train_acoustic_model/corpus_list.h"
#include "tools/train_acoustic_model/features.h"
#include "tools/train_acoustic_model/text_file.h"
#include "tools/train_acoustic_model/wave_file.h"

namespace {

namespace fs = std::filesystem;
namespace tam = train_acoustic_model;

constexpr float kNone = -std::numeric_limits<float>::infinity();

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

// A unit of the free loop: silence or one syllable, its states in order.
struct Unit {
  std::string name;  // empty for silence
  std::vector<int> hmms;
  float penalty = 0;  // nats paid on entering
};

// The acoustic scores of one utterance: per frame, per (HMM, state).
class FrameScores {
 public:
  FrameScores(C_rHMMDataBase& db, const tam::Features& raw, const std::vector<int>& hmms) {
    std::vector<int> dims;
    for (const tam::StreamFrames& s : raw.streams) dims.push_back(s.dim);
    slot_.assign(static_cast<std::size_t>(db.get_numHMM()), -1);
    for (int h : hmms) {
      if (slot_[static_cast<std::size_t>(h)] >= 0) continue;
      slot_[static_cast<std::size_t>(h)] = static_cast<int>(order_.size());
      order_.push_back(h);
    }
    frames_ = raw.frames;
    scores_.resize(static_cast<std::size_t>(frames_) * order_.size() * 3);
    for (int t = 0; t < frames_; ++t) {
      std::vector<const float*> vectors;
      for (const tam::StreamFrames& s : raw.streams) vectors.push_back(s.Frame(t));
      db.assign_ThreadInput(0, t, {static_cast<int>(dims.size()), dims.data(), vectors.data()});
      for (std::size_t k = 0; k < order_.size(); ++k)
        for (int i = 0; i < 3; ++i)
          scores_[(static_cast<std::size_t>(t) * order_.size() + k) * 3 + static_cast<std::size_t>(i)] =
              db.get_StateScore(order_[k], i, 0);
    }
  }
  int frames() const { return frames_; }
  float operator()(int t, int hmm, int state) const {
    return scores_[(static_cast<std::size_t>(t) * order_.size() +
                    static_cast<std::size_t>(slot_[static_cast<std::size_t>(hmm)])) *
                       3 +
                   static_cast<std::size_t>(state)];
  }

 private:
  std::vector<int> slot_, order_;
  std::vector<float> scores_;
  int frames_ = 0;
};

// Best acoustic score of the HMM sequence over all frames (no transition
// costs, as the search has none), kNone when it does not fit.
float ForcedScore(const FrameScores& scores, const std::vector<int>& hmms) {
  const std::size_t n = hmms.size() * 3;
  std::vector<float> delta(n, kNone);
  for (int t = 0; t < scores.frames(); ++t) {
    for (std::size_t j = n; j-- > 0;) {
      float best = delta[j];
      if (j > 0) best = std::max(best, delta[j - 1]);
      if (j == 0 && t == 0) best = 0;
      delta[j] = best == kNone ? kNone : best + scores(t, hmms[j / 3], static_cast<int>(j % 3));
    }
  }
  return delta[n - 1];
}

// The free loop's best unit sequence (silences left out) and its score.
std::vector<std::string> LoopDecode(const FrameScores& scores, const std::vector<Unit>& units, float* score) {
  struct Record {
    int unit, previous;
  };
  std::vector<Record> records;
  std::vector<std::vector<float>> delta(units.size());
  std::vector<std::vector<int>> back(units.size());
  for (std::size_t u = 0; u < units.size(); ++u) {
    delta[u].assign(units[u].hmms.size() * 3, kNone);
    back[u].assign(units[u].hmms.size() * 3, -1);
  }
  float entry = 0;
  int entry_back = -1;
  for (int t = 0; t < scores.frames(); ++t) {
    float best_exit = kNone;
    int best_unit = -1, best_back = -1;
    for (std::size_t u = 0; u < units.size(); ++u) {
      std::vector<float>& d = delta[u];
      std::vector<int>& b = back[u];
      for (std::size_t j = d.size(); j-- > 0;) {
        if (j > 0 && d[j - 1] > d[j]) d[j] = d[j - 1], b[j] = b[j - 1];
        if (j == 0 && entry != kNone && entry - units[u].penalty > d[0])
          d[0] = entry - units[u].penalty, b[0] = entry_back;
        if (d[j] != kNone) d[j] += scores(t, units[u].hmms[j / 3], static_cast<int>(j % 3));
      }
      if (d.back() > best_exit) best_exit = d.back(), best_unit = static_cast<int>(u), best_back = b.back();
    }
    entry = best_exit;
    entry_back = static_cast<int>(records.size());
    records.push_back({best_unit, best_back});
  }
  *score = entry;
  std::vector<std::string> out;
  for (int r = entry_back; r >= 0; r = records[static_cast<std::size_t>(r)].previous) {
    const std::string& name = units[static_cast<std::size_t>(records[static_cast<std::size_t>(r)].unit)].name;
    if (!name.empty()) out.push_back(name);
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::string Toneless(const std::string& s) {
  return !s.empty() && s.back() >= '1' && s.back() <= '5' ? s.substr(0, s.size() - 1) : s;
}

// Errors by kind, from a minimum edit alignment.
struct Kinds {
  int words = 0, tone = 0, initial = 0, final = 0, both = 0, insertions = 0, deletions = 0;
  std::map<std::string, int> tones;  // "ref tone > hyp tone"
  void Add(const std::vector<std::string>& ref, const std::vector<std::string>& hyp) {
    const std::size_t n = ref.size(), m = hyp.size();
    std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) cost[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= m; ++j) cost[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i)
      for (std::size_t j = 1; j <= m; ++j)
        cost[i][j] = std::min({cost[i - 1][j] + 1, cost[i][j - 1] + 1,
                               cost[i - 1][j - 1] + (ref[i - 1] == hyp[j - 1] ? 0 : 1)});
    words += static_cast<int>(n);
    std::size_t i = n, j = m;
    while (i > 0 || j > 0) {
      if (i > 0 && j > 0 && cost[i][j] == cost[i - 1][j - 1] + (ref[i - 1] == hyp[j - 1] ? 0 : 1)) {
        if (ref[i - 1] != hyp[j - 1]) Substitution(ref[i - 1], hyp[j - 1]);
        --i, --j;
      } else if (i > 0 && cost[i][j] == cost[i - 1][j] + 1) {
        ++deletions, --i;
      } else {
        ++insertions, --j;
      }
    }
  }
  void Substitution(const std::string& r, const std::string& h) {
    const auto rp = build_language_data::SplitSyllable(r), hp = build_language_data::SplitSyllable(h);
    if (Toneless(r) == Toneless(h)) {
      ++tone;
      tones[std::string(1, r.back()) + ">" + h.back()]++;
    } else if (rp.final == hp.final) {
      ++initial;
    } else if (rp.initial == hp.initial) {
      ++final;
    } else {
      ++both;
    }
  }
  void Print(const char* title) const {
    const int errors = tone + initial + final + both + insertions + deletions;
    std::printf(
        "%s: %.1f %% syllable error of %d: tone only %d, initial only %d, final %d, initial and final %d, "
        "insertions %d, deletions %d\n",
        title, 100.0 * errors / std::max(1, words), words, tone, initial, final, both, insertions, deletions);
    std::printf("   tone confusions (reference>decoded):");
    std::vector<std::pair<int, std::string>> sorted;
    for (const auto& [k, v] : tones) sorted.push_back({v, k});
    std::sort(sorted.rbegin(), sorted.rend());
    for (std::size_t k = 0; k < std::min<std::size_t>(8, sorted.size()); ++k)
      std::printf(" %s %d", sorted[k].second.c_str(), sorted[k].first);
    std::printf("\n");
  }
};

// Where the reference is among the sentences (-1: not there).
int ReferenceRank(const recognize_speech::Dictation& dictation, const std::vector<std::string>& reference) {
  for (std::size_t k = 0; k < dictation.sentences.size(); ++k)
    if (Words(dictation.sentences[k].syllables) == reference) return static_cast<int>(k);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data, corpus, set = "dev";
  int count = 50;
  bool ok = argc % 2 == 1;
  for (int i = 1; ok && i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string_view value = argv[i + 1];
    if (flag == "--data") {
      data = value;
    } else if (flag == "--corpus") {
      corpus = value;
    } else if (flag == "--set") {
      set = value;
    } else if (flag == "--count") {
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
      ok = error == std::errc() && end == value.data() + value.size() && count > 0;
    } else {
      ok = false;
    }
  }
  if (!ok || data.empty() || corpus.empty()) {
    std::fprintf(
        stderr, "usage: speech_diagnosis --data DIR --corpus DIR [--set trainsub|dev|heldout] [--count N]\n");
    return 2;
  }
  recognize_speech::DictationRecognizer recognizer(data);
  if (!recognizer.error().empty()) {
    std::fprintf(stderr, "%s\n", recognizer.error().c_str());
    return 1;
  }
  vok::Resources settings;
  settings.Merge((fs::path(data) / "Resources").string().c_str());
  using P = vok::SearchParameters;
  // The engine's dictation values with the folder's over them, as the
  // recognizer has them.
  P beams = vok_testing::DictationBeams();
  beams.ReadKept(settings, P::kBeamKeys);
  const float phone_penalty = static_cast<float>(-beams[P::kPhoneInsertionPenalty]);
  const float syllable_penalty = static_cast<float>(-beams[P::kSyllableInsertionPenalty]);
  float lpm = 4;
  settings.GetFloat("Search", "LogProbMultiple", &lpm);
  C_rMemory memory;
  C_rHMMDataBase db;
  db.set_Memory(&memory);
  if (db.read_file((fs::path(data) / "Speech").string().c_str(), 1, settings) != 0) {
    std::fprintf(stderr, "the models of %s do not load\n", data.c_str());
    return 1;
  }
  vok::CSyllableTable table((fs::path(data) / "Syllable").string().c_str(), db.get_HMMNameTable());
  const int silence = db.get_HMMIndex("SIL");
  // Penalties in nats: the search's units are LogProbMultiple x nats.
  std::vector<Unit> units = {{"", {silence}, phone_penalty / lpm}};
  std::vector<int> all_hmms = {silence};
  const vok::SymbolTable* names = table.syllables();
  for (int s = 0; s < table.syllable_count(); ++s) {
    uint16_t list[8];
    if (table.GetSyllableModels(s, list, 8) <= 0 || list[0] == 0) continue;
    Unit u{names->GetName(s), {}, 0};
    for (int k = 1; k <= list[0]; ++k) u.hmms.push_back(list[k]);
    u.penalty = (syllable_penalty + phone_penalty * static_cast<float>(u.hmms.size())) / lpm;
    all_hmms.insert(all_hmms.end(), u.hmms.begin(), u.hmms.end());
    units.push_back(std::move(u));
  }
  const std::string list_path = (fs::path(corpus) / (set + ".list")).string();
  const auto list_text = tam::ReadText(list_path);
  if (!list_text) {
    std::fprintf(stderr, "cannot read %s\n", list_path.c_str());
    return 1;
  }
  std::set<std::string> inventory;
  for (int s = 0; s < table.syllable_count(); ++s) inventory.insert(names->GetName(s));
  std::vector<std::string> problems;
  std::vector<tam::CorpusEntry> items = tam::ParseCorpusList(*list_text, corpus, inventory, &problems);
  for (const std::string& problem : problems)
    std::fprintf(stderr, "%s: %s (skipped)\n", list_path.c_str(), problem.c_str());
  if (static_cast<int>(items.size()) > count) {
    // Evenly spread over the list (its speakers and clauses).
    std::vector<tam::CorpusEntry> spread;
    for (int k = 0; k < count; ++k)
      spread.push_back(items[items.size() * static_cast<std::size_t>(k) / count]);
    items = spread;
  }
  tam::FeatureExtractor extractor;
  if (!extractor.Setup("")) return 1;
  const auto sequence = [&](const std::vector<std::string>& syllables, int* phones) {
    std::vector<int> hmms = {silence};
    uint16_t models[512];
    if (!syllables.empty() && table.PronToModels(Joined(syllables).c_str(), models, 512) == 0)
      hmms.insert(hmms.end(), models + 1, models + 1 + models[0]);
    *phones = static_cast<int>(hmms.size()) - 1;
    hmms.push_back(silence);
    return hmms;
  };
  Kinds decoded_kinds, loop_kinds;
  int acoustics_prefer_decoded = 0, acoustics_prefer_reference = 0, right = 0, loop_below_reference = 0;
  int reference_listed = 0, reference_not_listed = 0;
  for (const tam::CorpusEntry& item : items) {
    std::string error;
    const auto samples = tam::ReadWave(item.wave, extractor.SamplingRate(), &error);
    if (!samples) continue;
    auto features = extractor.Extract(*samples, &error);
    if (!features) continue;
    const auto dictation = recognizer.Decode(item.wave, recognize_speech::DictationRecognizer::kNBestChoices);
    const std::vector<std::string> decoded = dictation && !dictation->sentences.empty()
                                                 ? Words(dictation->sentences.front().syllables)
                                                 : std::vector<std::string>();
    int ref_phones = 0, hyp_phones = 0;
    const std::vector<int> ref_hmms = sequence(item.syllables, &ref_phones);
    const std::vector<int> hyp_hmms = sequence(decoded, &hyp_phones);
    const FrameScores scores(db, *features, all_hmms);
    const auto penalised = [&](float acoustic, int phones, std::size_t syllables) {
      return acoustic - (phone_penalty * static_cast<float>(phones + 2) +
                         syllable_penalty * static_cast<float>(syllables)) /
                            lpm;
    };
    const float ref_score = penalised(ForcedScore(scores, ref_hmms), ref_phones, item.syllables.size());
    const float hyp_score = penalised(ForcedScore(scores, hyp_hmms), hyp_phones, decoded.size());
    float loop_score = 0;
    const std::vector<std::string> loop = LoopDecode(scores, units, &loop_score);
    decoded_kinds.Add(item.syllables, decoded);
    loop_kinds.Add(item.syllables, loop);
    if (decoded == item.syllables) {
      ++right;
    } else if (hyp_score > ref_score) {
      ++acoustics_prefer_decoded;
    } else {
      ++acoustics_prefer_reference;
      const int rank = dictation ? ReferenceRank(*dictation, item.syllables) : -1;
      if (rank < 0) {
        ++reference_not_listed;
      } else {
        ++reference_listed;
        std::printf("  reference listed at %d, %d below the decoded sentence\n", rank + 1,
                    -dictation->sentences[static_cast<std::size_t>(rank)].score);
      }
    }
    loop_below_reference += loop_score < ref_score - 1.0f;
    std::printf("%s\n  ref  %s (%.1f)\n  dec  %s (%.1f)\n  loop %s (%.1f)\n", item.wave.c_str(),
                Joined(item.syllables).c_str(), ref_score, Joined(decoded).c_str(), hyp_score,
                Joined(loop).c_str(), loop_score);
  }
  std::printf(
      "\n%zu utterances: %d decoded right; of the others the acoustic models (with penalties) score "
      "the decoded sentence higher in %d and the reference higher in %d; the loop search found less "
      "than the reference in %d\n",
      items.size(), right, acoustics_prefer_decoded, acoustics_prefer_reference, loop_below_reference);
  std::printf(
      "of the %d the acoustic models decide for the reference, %d have it among the %d best sentences "
      "(ranked down by the language model) and %d do not (lost by the search)\n",
      acoustics_prefer_reference, reference_listed, recognize_speech::DictationRecognizer::kNBestChoices,
      reference_not_listed);
  decoded_kinds.Print("dictation search with the language model");
  loop_kinds.Print("free syllable loop, acoustic models alone");
  db.free_all();
  return 0;
}
