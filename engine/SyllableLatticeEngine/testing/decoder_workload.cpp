#include "engine/SyllableLatticeEngine/testing/decoder_workload.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <vector>

#include "engine/SyllableLatticeEngine/stack_decoder.h"
#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"

namespace vok_testing {

DecoderLanguage::DecoderLanguage(const std::string& file_prefix) {
  std::mt19937 rng(60000);
  std::uniform_int_distribution<int> byte(0, 120), word_class(3, kWorkloadClasses - 1), count(1, 500);
  std::vector<uint8_t> bytes(kWorkloadClasses * kWorkloadClasses);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(rng));
  std::vector<FixtureWord> words = {{"<S>", 0, 1000}, {"</S>", 1, 1000}, {"<UNK>", 2, 10}};
  for (int i = 3; i < kWorkloadWords; ++i)
    words.push_back({"w" + std::to_string(i), word_class(rng), count(rng)});
  const std::string model = file_prefix + "model.bin", lexicon_path = file_prefix + "lexicon.txt";
  WriteClassBigramModel(model, kWorkloadClasses, bytes);
  WriteTextLexicon(lexicon_path, kWorkloadClasses, words);
  core = std::make_unique<vok::CoreLM>(nullptr, model.c_str());
  lexicon = std::make_unique<vok::CLexicon>(nullptr, lexicon_path.c_str(), core.get(), nullptr);
  options.PutInt("LMBackend", "WordInsertionPenalty", -50);
  tree = std::make_unique<vok::CLexTree>(kWorkloadWords, "-", true);
  for (int s = 0; s < kWorkloadSyllables; ++s) tree->AddSyllable(("s" + std::to_string(s)).c_str());
  std::uniform_int_distribution<int> syllable(0, kWorkloadSyllables - 1), length(1, 3);
  for (int i = 0; i < kWorkloadWords; ++i) {
    std::string pron;
    for (int n = length(rng); n > 0; --n) pron += (pron.empty() ? "s" : "-s") + std::to_string(syllable(rng));
    tree->AddPron(pron.c_str(), false, false);
  }
  std::error_code ignored;
  std::filesystem::remove(model, ignored);
  std::filesystem::remove(lexicon_path, ignored);
}

std::unique_ptr<vok::StackDecoder> MakeWorkloadDecoder(const DecoderLanguage& language) {
  auto decoder = std::make_unique<vok::StackDecoder>(&language.options, language.core.get());
  decoder->set_lexicon(language.lexicon.get());
  return decoder;
}

void FillWorkloadLattice(vok::BackTraceTable* table, int frames, int per_frame, int span, int labels,
                         int first_label) {
  std::mt19937 rng(static_cast<unsigned>(frames * 31 + per_frame));
  std::uniform_int_distribution<int> label(first_label, labels - 1), score(-100, 0);
  table->Reset(0);
  for (int t = 1; t <= frames; ++t) {
    table->EndFrame();
    std::uniform_int_distribution<int> start(std::max(0, t - span), t - 1);
    for (int k = 0; k < per_frame; ++k) {
      table->AddRecord(static_cast<uint16_t>(label(rng)), static_cast<int16_t>(score(rng)), start(rng));
    }
  }
  table->EndFrame();
}

std::string DescribeDecode(vok::StackDecoder* decoder, int decode_result) {
  std::string text = "decode " + std::to_string(decode_result) + " theories " +
                     std::to_string(decoder->theories_extended()) + " entries " +
                     std::to_string(decoder->entries_offered()) + "\n";
  vok::NBestList list(50);
  list.Reset(0, 1);
  const int nbest = decoder->GetNBest(&list, -10000);
  text += "nbest " + std::to_string(nbest) + " best " + std::to_string(list.best_score()) + "\n";
  for (int i = 0; i < list.count(); ++i) {
    const vok::Hypothesis& h = list.Get(i);
    text += std::to_string(h.score) + ":";
    for (int k = 0; k < h.count; ++k) text += " " + std::to_string(h.ids[k]);
    text += "\n";
  }
  if (list.count() == 0) return text;
  std::vector<uint16_t> ids(static_cast<std::size_t>(vok::Hypothesis::kMaxIds) + 1);
  list.Get(0).GetIds(ids.data(), static_cast<int>(ids.size()));
  text += "reference " + std::to_string(decoder->GetReferenceScore(ids.data())) + "\n";
  std::vector<vok::CAlternativeList> records(ids.size() + 1);
  text += "alternatives " + std::to_string(decoder->GetAlternatives(ids.data(), records.data())) + "\n";
  for (int i = 0; i < ids[0]; ++i) {
    const vok::CAlternativeList& record = records[static_cast<std::size_t>(i)];
    for (int k = 0; k < record.count(); ++k)
      text += std::to_string(record.Get(k).word) + "/" + std::to_string(record.Get(k).score) + " ";
    text += "\n";
  }
  return text;
}

uint64_t Digest(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace vok_testing
