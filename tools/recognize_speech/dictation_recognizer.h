// Dictation of wave files with the data of one dialect folder, as the
// engine's speech recognizer does it: the engine's default settings with the
// folder's "Resources" over them, the acoustic system, the language-model
// back end, and the dictation system with the back-end constants of a
// dictation request.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Vastel/vastel_system.h"
#include "engine/core/resources.h"

namespace vok {
class CLMBackendEngine;
class CRecognitionSystem;
}  // namespace vok

namespace recognize_speech {

struct Sentence {
  std::string text;       // the folder's code page
  std::string syllables;  // toned syllables, blank-separated
  int score = 0;          // relative to the best sentence
};

struct Dictation {
  std::vector<Sentence> sentences;  // best first
  double audio_seconds = 0;
  double processor_seconds = 0;  // the search and the back end
  int frames = 0;
  bool cut = false;  // the search stopped at its frame limit
};

// Whose acoustic models decode: the speaker-independent "Speech", or the
// models of a male or a female speaker ("SpeechM", "SpeechF"), as the engine
// loads them after a speaker change.
enum class Speaker { kAny, kMale, kFemale };

// The speaker's model file in the dialect folder.
const char* ModelFileOf(Speaker speaker);
// The speaker named "any", "male" or "female"; nullopt for another name.
std::optional<Speaker> SpeakerNamed(std::string_view name);

class DictationRecognizer {
 public:
  // The back end's constants of a dictation request.
  static constexpr int kStackSearchBeam = 300;
  static constexpr int kNBestChoices = 15;
  static constexpr int kWordInsertionPenalty = -100;

  explicit DictationRecognizer(const std::string& folder, Speaker speaker = Speaker::kAny);
  ~DictationRecognizer();
  DictationRecognizer(const DictationRecognizer&) = delete;
  DictationRecognizer& operator=(const DictationRecognizer&) = delete;

  // Empty when the folder loaded; else what is missing.
  const std::string& error() const { return error_; }

  // The best `nbest` sentences of the file; nullopt with error() set when the
  // file is refused.
  std::optional<Dictation> Decode(const std::string& wave, int nbest);

  vok::CRecognitionSystem* system() const { return system_.get(); }
  vok::Resources& resources() { return resources_; }

 private:
  vok::Resources resources_;
  VastelSystem acoustic_;
  std::unique_ptr<vok::CLMBackendEngine> back_end_;
  std::unique_ptr<vok::CRecognitionSystem> system_;
  std::string error_;
};

}  // namespace recognize_speech
