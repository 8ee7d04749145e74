#include "engine/api/engine.h"

namespace vok::api {

CEngine::~CEngine() {
  if (speech) speech->Shutdown();
  if (queue) queue->Stop();
  queue.reset();
  speech.reset();
  pen.reset();
  keyboard.reset();
  resources.reset();
  grammars.reset();
  grammar_owner.reset();
  // The back end lets go of the data set's lexicon before it goes.
  if (backend) backend->SetLexicon(nullptr);
  data.reset();
  backend.reset();
  homophones.reset();
}

std::uint32_t CEngine::NextSequence(std::uint32_t kind) {
  std::lock_guard<std::mutex> lock(sequence_mutex_);
  return ++sequences_[kind % 3];
}

}  // namespace vok::api
