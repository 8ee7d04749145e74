#include "engine/SyllableLatticeEngine/keyboard_constants.h"

#include <string>

#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "engine/core/core_lm.h"
#include "engine/core/page_lm.h"
#include "engine/core/syllable_table.h"
#include "engine/core/text.h"

namespace vok {

void ApplyKeyboardConstants(P2HSystem* system, const char* key_text) {
  if (!system) return;
  if (CLMBackendEngine* back_end = system->back_end()) {
    if (CoreLM* core = back_end->core()) {
      core->SetWordProbWeight(KeyboardConstants::kWordProbWeight);
      core->SetClassBigramWeight(KeyboardConstants::kClassBigramWeight);
    }
    if (PageLM* page = back_end->page()) page->SetWeight(KeyboardConstants::kClassTrigramWeight);
    if (StackDecoder* decoder = back_end->decoder())
      decoder->set_word_insertion_penalty(KeyboardConstants::kWordInsertionPenalty);
  }
  std::string keys = key_text ? key_text : "";
  if (!keys.empty() && keys.back() == CPLEngine::kSeparatorKey) keys.pop_back();
  StringToUpper(keys.data());
  const CSyllableTable* syllables = system->syllable_table();
  const bool one_syllable = keys.size() == 1 || (syllables && syllables->syllables() &&
                                                 syllables->syllables()->Find(keys.c_str()) >= 0);
  system->set_stack_search_beam(one_syllable ? KeyboardConstants::kSyllableBeam
                                             : KeyboardConstants::kSentenceBeam);
  system->set_n_best_choices(one_syllable ? KeyboardConstants::kSyllableChoices
                                          : KeyboardConstants::kSentenceChoices);
}

}  // namespace vok
