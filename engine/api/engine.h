// One started engine: its `Resources` store, the result queue, the
// homophone map, the language-model back end and the shared data set, the
// recognizer controllers, and the counters that number the requests of each
// recognizer kind.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/api/back_end_results.h"
#include "engine/api/engine_data.h"
#include "engine/api/grammar_manager.h"
#include "engine/api/homophone_map.h"
#include "engine/api/keyboard_recognizer.h"
#include "engine/api/pen_recognizer.h"
#include "engine/api/result_queue.h"
#include "engine/api/speech_recognizer.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/resources.h"

namespace vok::api {

class CEngine {
 public:
  CEngine() = default;
  // Members go in the shut-down order: the speech recognizer's threads end
  // first (they feed the queue), then the queue (its thread joined), then
  // the recognizers whose requests it ran.
  ~CEngine();
  CEngine(const CEngine&) = delete;
  CEngine& operator=(const CEngine&) = delete;

  std::uint32_t NextSequence(std::uint32_t kind);

  std::unique_ptr<vok::Resources> resources;
  std::unique_ptr<vok::CLMBackendEngine> backend;
  std::unique_ptr<CEngineData> data;
  std::unique_ptr<CResultQueue> queue;
  std::unique_ptr<CHomophoneMap> homophones;
  // The lexicon's words for the grammars of the grammar manager.
  std::unique_ptr<vok::LexiconOwner> grammar_owner;
  std::unique_ptr<CGrammarManager> grammars;
  std::unique_ptr<CPenRecognizer> pen;
  std::unique_ptr<CKeyboardRecognizer> keyboard;
  std::unique_ptr<CSpeechRecognizer> speech;

  // The lexicon, the language models and the back end's decoder serve one
  // run at a time: back ends of queued requests, lexicon lookups and edits,
  // text conversions. Taken after a controller's own guard, never before.
  std::mutex language_mutex;
  // Filled and read by the delivery thread only.
  HypothesesTable hypotheses;
  // Context texts into word ids; empty until the engine can convert them.
  TextToWordIds text_to_word_ids;

 private:
  std::mutex sequence_mutex_;
  std::uint32_t sequences_[3] = {0, 0, 0};
};

}  // namespace vok::api
