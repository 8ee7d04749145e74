// Word n-gram counts of text of the domain the keyboard is typed in
// (software documentation), added to the expected counts that the
// statistics give the lexicon's words, so that the models learn the
// domain's own wording beside the statistics' general corpus. The sentences
// are scaled so that their words weigh `weight` times the statistics'
// predicted words, and each n-gram type leaves `discount` of its count to
// its history's back-off (absolute discounting):
//   bigram (h, w):       s (N(h, w) - d), and s d to the back-off of h
//   trigram (h1, h2, w): s (N(h1, h2, w) - d) (N(h1, h2) - d) / N(h1, h2)
// so that a history the statistics do not list backs off with the share
// d x its types / its count, as the statistics' histories do with theirs.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "tools/build_language_data/class_ngrams.h"

namespace build_language_data {

struct DomainOptions {
  double weight = 1.0;    // the domain's words over the statistics' (0: none)
  double discount = 0.5;  // per n-gram type, in counts of the text (0 to 1)
};

// The sentences (word ids, without the sentence tokens) that are not in
// `excluded`, the sentences of the texts the models are measured on, so
// that no measured sentence is learnt; `dropped` counts the others.
std::vector<std::vector<int>> WithoutExcluded(std::vector<std::vector<int>> sentences,
                                              const std::set<std::vector<int>>& excluded, int64_t* dropped);

// Adds the counts of the sentences to `ngrams` (kept sorted and merged).
void AddDomainNgrams(const std::vector<std::vector<int>>& sentences, const DomainOptions& options,
                     const TokenIds& tokens, WordNgrams* ngrams);

}  // namespace build_language_data
