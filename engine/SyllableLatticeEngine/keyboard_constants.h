// The constants the keyboard controller sets before it converts a key buffer:
// the language-model weights, the insertion penalty, and a beam and list
// length by how long the typed text is.
#pragma once

namespace vok {

class P2HSystem;

struct KeyboardConstants {
  static constexpr float kWordProbWeight = 0.5f;
  static constexpr float kClassBigramWeight = 1.0f;
  static constexpr float kClassTrigramWeight = 3.0f;
  static constexpr int kWordInsertionPenalty = -100;
  // A single syllable (or a single key) asks for many alternatives.
  static constexpr int kSyllableBeam = 500;
  static constexpr int kSyllableChoices = 120;
  static constexpr int kSentenceBeam = 400;
  static constexpr int kSentenceChoices = 30;
};

// Sets the constants in the system's back end (core model weights, the page
// model's weight when there is one, the decoder's insertion penalty) and the
// system's beam and N-best length for the key text (a final separator
// removed; upper-cased, it is looked up among the syllable names).
void ApplyKeyboardConstants(P2HSystem* system, const char* key_text);

}  // namespace vok
