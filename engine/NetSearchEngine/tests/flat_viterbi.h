// An independent Viterbi search in 64 bits over a flat network of tokens
// (words and silences, each a sequence of three-state models), scoring the
// frames as the tree search does: a state's observation is its log score times
// LogProbMultiple, floored at -500 and truncated; every model exit pays the
// phone insertion penalty and every word end its own penalty. No pruning and
// no renormalisation: the reference of the tree search's scores and paths.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace vok_test {

class FlatViterbi {
 public:
  static constexpr int64_t kNone = INT64_MIN / 4;

  struct Token {
    std::vector<int> models;
    int32_t end_penalty = 0;  // added at the token's end, after the phone penalty
    std::vector<int> next;    // tokens entered from its end
  };

  // `score(t, model, state)` is the database's log score.
  FlatViterbi(std::vector<Token> tokens, int start, float multiple, int32_t phone_penalty,
              std::function<float(int, int, int)> score)
      : tokens_(std::move(tokens)),
        start_(start),
        multiple_(multiple),
        phone_penalty_(phone_penalty),
        score_(std::move(score)) {}

  // Runs `frames` frames.
  void Run(int frames) {
    const std::size_t n = tokens_.size();
    std::vector<std::vector<std::array<int64_t, 3>>> states(n);
    std::vector<std::vector<int64_t>> entry(n);
    for (std::size_t k = 0; k < n; ++k) {
      states[k].assign(tokens_[k].models.size(), {kNone, kNone, kNone});
      entry[k].assign(tokens_[k].models.size(), kNone);
    }
    entry[static_cast<std::size_t>(start_)][0] = 0;
    ends_.assign(static_cast<std::size_t>(frames), std::vector<int64_t>(n, kNone));
    exits_.assign(static_cast<std::size_t>(frames), std::vector<int64_t>(n, kNone));
    best_.assign(static_cast<std::size_t>(frames), kNone);
    for (int t = 0; t < frames; ++t) {
      std::vector<std::vector<int64_t>> next_entry(n);
      for (std::size_t k = 0; k < n; ++k) next_entry[k].assign(tokens_[k].models.size(), kNone);
      for (std::size_t k = 0; k < n; ++k) {
        const Token& token = tokens_[k];
        for (std::size_t m = 0; m < token.models.size(); ++m) {
          auto& s = states[k][m];
          s[2] = std::max(s[2], s[1]);
          s[1] = std::max(s[1], s[0]);
          s[0] = std::max(s[0], entry[k][m]);
          for (int i = 0; i < 3; ++i) {
            if (s[i] != kNone) s[i] += Observation(t, token.models[m], i);
            if (s[i] != kNone) best_[t] = std::max(best_[t], s[i]);
          }
          if (s[2] == kNone) continue;
          const int64_t exit = s[2] + phone_penalty_;
          if (m + 1 < token.models.size()) {
            next_entry[k][m + 1] = std::max(next_entry[k][m + 1], exit);
            continue;
          }
          exits_[static_cast<std::size_t>(t)][k] = exit;
          const int64_t end = exit + token.end_penalty;
          ends_[static_cast<std::size_t>(t)][k] = end;
          for (int successor : token.next) {
            int64_t& e = next_entry[static_cast<std::size_t>(successor)][0];
            e = std::max(e, end);
          }
        }
      }
      entry = std::move(next_entry);
    }
  }

  // The end (or last-model exit) of token k at frame t, kNone when none.
  int64_t End(int t, int k) const { return ends_[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)]; }
  int64_t Exit(int t, int k) const {
    return exits_[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)];
  }
  // The best state score of frame t.
  int64_t Best(int t) const { return best_[static_cast<std::size_t>(t)]; }

 private:
  int64_t Observation(int t, int model, int state) const {
    float scaled = score_(t, model, state) * multiple_;
    if (!(scaled > -500.0f)) scaled = -500.0f;
    return static_cast<int64_t>(static_cast<int32_t>(scaled));
  }

  std::vector<Token> tokens_;
  int start_;
  float multiple_;
  int32_t phone_penalty_;
  std::function<float(int, int, int)> score_;
  std::vector<std::vector<int64_t>> ends_;
  std::vector<std::vector<int64_t>> exits_;
  std::vector<int64_t> best_;
};

}  // namespace vok_test
