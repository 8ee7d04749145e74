#include "tools/build_language_data/held_out.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "engine/core/core_lm.h"
#include "engine/core/log_score.h"
#include "engine/core/page_lm.h"
#include "tools/build_language_data/source_text.h"

namespace build_language_data {

namespace {

// A stored byte's cost, undoing the quantisation as the writer chose it (a
// bias above 255 stands shifted).
double ByteCost(int byte, int32_t bias, int shift) {
  const int64_t b = bias > 255 ? (bias >> shift) : bias;
  return static_cast<double>((byte + b) << shift);
}

double Cost(double p) { return p > 0 ? -std::log(p) * vok::kLogScale : 1e9; }

}  // namespace

double HeldOutFigures::Perplexity(double cost) { return std::exp(cost / vok::kLogScale); }

std::vector<std::string> HeldOutDocuments(const std::string& list_text) {
  std::vector<std::string> paths;
  std::istringstream lines(list_text);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) paths.push_back(line);
  std::sort(paths.begin(), paths.end());
  return paths;
}

HeldOutFigures EvaluateHeldOut(const std::vector<std::string>& paths, std::size_t first,
                               const LanguageModel& model, WordCutter* cutter, vok::CoreLM* core,
                               vok::PageLM* page) {
  HeldOutFigures f;
  const int start = model.token(kStartToken);
  const int end = model.token(kEndToken);
  const int unknown = model.token(kUnknownToken);
  double unigram_total = 0;
  for (int w = 0; w < model.words; ++w)
    if (w != start) unigram_total += model.counts[static_cast<std::size_t>(w)];
  const int s = core->bigram_shift();
  page->StartUtterance();
  for (std::size_t d = first; d < paths.size(); d += 2) {
    const auto text = ReadSourceText(paths[d]);
    if (!text) continue;
    ++f.documents;
    std::vector<std::vector<int>> sentences;
    cutter->AddSentences(*text, &sentences);
    for (std::vector<int> sentence : sentences) {
      ++f.sentences;
      sentence.push_back(end);
      int w1 = start, w2 = start;
      for (std::size_t i = 0; i < sentence.size(); ++i) {
        const int w = sentence[i];
        ++f.words;
        if (w == unknown) ++f.unknown;
        const int cc = model.core_class[static_cast<std::size_t>(w)];
        const int c1 = model.page_class[static_cast<std::size_t>(w1)];
        const int c2 = model.page_class[static_cast<std::size_t>(w2)];
        const int c3 = model.page_class[static_cast<std::size_t>(w)];
        f.unigram += Cost(model.counts[static_cast<std::size_t>(w)] / unigram_total);
        f.bigram += Cost(model.core->Bigram(model.core_class[static_cast<std::size_t>(w2)], cc) *
                         model.InClass(w, false));
        if (model.word_page) {
          f.trigram += Cost(i == 0 ? model.word_page->Bigram(w2, w) : model.word_page->Trigram(w1, w2, w));
        } else {
          const double p3 = i == 0 ? model.page->Bigram(c2, c3) : model.page->Trigram(c1, c2, c3);
          f.trigram += Cost(p3 * model.InClass(w, true));
        }

        const vok::CoreLM::WordEntry e = core->entry(w);
        f.engine_unigram += ByteCost(e.unigram, core->unigram_bias(), core->unigram_shift());
        f.engine_bigram += ByteCost(core->table_byte(core->ScoringClass(w2), core->ScoringClass(w)),
                                    core->bigram_bias(), s) +
                           ByteCost(e.in_class, core->in_class_bias(), core->in_class_shift());
        int level = 0;
        if (page->semi_class()) {
          // Semi-class scores count steps of 2^8 log units.
          const int score = i == 0 ? page->GetBigramScore(w2, w) : page->GetTrigramScore(w1, w2, w);
          f.engine_trigram += -static_cast<double>(score) * 256.0;
        } else {
          const int requantised = i == 0 ? page->ClassBigram(page->WordClass(w2), page->WordClass(w), &level)
                                         : page->ClassTrigram(page->WordClass(w1), page->WordClass(w2),
                                                              page->WordClass(w), &level);
          f.engine_trigram +=
              ByteCost(-requantised, page->bias(2), page->shift(2)) +
              ByteCost(page->entry(w).in_class, core->in_class_bias(), core->in_class_shift());
        }
        w1 = w2;
        w2 = w;
      }
    }
  }
  page->EndUtterance();
  const double n = std::max<int64_t>(1, f.words);
  for (double* cost :
       {&f.unigram, &f.bigram, &f.trigram, &f.engine_unigram, &f.engine_bigram, &f.engine_trigram})
    *cost /= n;
  return f;
}

}  // namespace build_language_data
