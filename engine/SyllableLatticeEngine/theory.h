// The records of the stack decoder: a sentence theory (one word and the path
// from it to the end of the utterance), the stacks' reference to it, and a
// word entry item of a frame.
#pragma once

#include <cstdint>

namespace vok {

struct Theory {
  uint16_t word = 0;
  int16_t frame = 0;  // where the word starts; -1 for the sentence start
  int32_t score = 0;
  int32_t state = 0;         // the language-model state: the word's class
  int32_t word_graph = -2;   // the page-model pass's field
  Theory* parent = nullptr;  // the theory to the right, nearer the end
  Theory* next = nullptr;    // the next theory of its recombination chain
  int32_t id = -1;           // the theory's id in its pool
};

// A theory as the stacks hold it: what ordering and recombining read, beside
// the record. The record is made only when the theory is taken from its stack
// to be extended, or when it joins the final stack that the read-outs walk:
// most theories fall out of the beam or past the extension limit before.
// One pointer serves for the parent and the record (which holds the parent),
// so that the stacks' references stay small.
struct TheoryRef {
  int32_t score = 0;
  int32_t state = 0;
  uint16_t word = 0;
  int16_t frame = 0;
  bool made = false;       // whether the record is made
  Theory* link = nullptr;  // the record once made, before that the parent
  Theory* record() const { return made ? link : nullptr; }
};

inline TheoryRef RefOf(Theory* theory) {
  return TheoryRef{theory->score, theory->state, theory->word, theory->frame, true, theory};
}

// A word that ends at the frame being expanded.
struct WordEntryItem {
  int16_t start = 0;
  uint16_t word = 0;
  int32_t score = 0;  // entry score, class score and insertion penalty
};

}  // namespace vok
