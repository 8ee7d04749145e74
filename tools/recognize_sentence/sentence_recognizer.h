// A handwriting sentence recognizer over one dialect folder of the engine
// data, set up as the engine's pen recognizer sets up its system: the
// folder's lexicon and core language model, the lexicon's code tree as the
// pronunciations, the character recognizer of the folder's script (and that
// of the other script when the data folder above holds the conversion table
// "G2bchar.tab"), and the pen recognizer's back-end constants.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/core/hwr_ink_features.h"

namespace vok {
class CHRecognitionSystem;
class CLMBackendEngine;
class HwrCodeConversion;
class Resources;
}  // namespace vok

namespace recognize_sentence {

using Strokes = std::vector<std::vector<vok::InkPoint>>;

class SentenceRecognizer {
 public:
  // Simplified folders give GB2312 results, traditional ones Big5.
  SentenceRecognizer(const std::string& folder, bool simplified);
  ~SentenceRecognizer();
  SentenceRecognizer(const SentenceRecognizer&) = delete;
  SentenceRecognizer& operator=(const SentenceRecognizer&) = delete;

  // Empty when the recognizer is ready, else what is missing.
  const std::string& problem() const { return problem_; }
  // The names of the character models in use.
  const std::vector<std::string>& models() const { return models_; }

  // The best sentence of one line of strokes in the folder's code page;
  // empty when there is none.
  std::string Recognize(const Strokes& strokes);
  // The system; only after a set-up without problem.
  const vok::CHRecognitionSystem& system() const { return *system_; }

 private:
  void LoadModels(const std::string& folder, bool simplified);

  std::unique_ptr<vok::Resources> resources_;
  std::unique_ptr<vok::CLMBackendEngine> back_end_;
  std::unique_ptr<vok::HwrCodeConversion> conversion_;
  std::unique_ptr<vok::CHRecognitionSystem> system_;
  std::vector<std::string> models_;
  std::string problem_;
};

// Whether the folder name is one of the dialects written in traditional
// characters ("Taiwan", "Hongkong").
bool IsTraditionalFolder(const std::string& folder);

}  // namespace recognize_sentence
