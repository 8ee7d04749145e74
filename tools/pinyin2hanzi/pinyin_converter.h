// The keyboard system of a dialect folder, set up and run as the engine's
// keyboard controller runs it: the store the engine writes (its defaults,
// the folder's lexicon and models, the folder's "Resources"), the
// controller's constants before each conversion, rescoring always.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/resources.h"

namespace vok {
class CLMBackendEngine;
class P2HSystem;
}  // namespace vok

namespace tools {

class PinyinConverter {
 public:
  // The folder holds "Lexicon", "LM1", optionally "LM2", and the
  // "Resources" with the keyboard system's keys.
  explicit PinyinConverter(const std::string& folder);
  ~PinyinConverter();
  PinyinConverter(const PinyinConverter&) = delete;
  PinyinConverter& operator=(const PinyinConverter&) = delete;

  // False when the back end or the keyboard map did not load.
  bool ok() const;

  struct Result {
    // The best sentences first, each text once, in the folder's code page.
    std::vector<std::string> sentences;
    // The byte offset of the first key the system refused, or -1.
    int refused_at = -1;
  };
  // One key text ("'" separates syllables) through the whole conversion.
  Result Convert(std::string_view keys, int nbest);

  vok::P2HSystem& system() { return *system_; }

 private:
  vok::Resources resources_;
  std::unique_ptr<vok::CLMBackendEngine> back_end_;
  std::unique_ptr<vok::P2HSystem> system_;
};

}  // namespace tools
