#include "tools/recognize_speech/dictation_recognizer.h"

#include <algorithm>
#include <filesystem>

#include "engine/NetSearchEngine/acoustic_models.h"
#include "engine/NetSearchEngine/tree_search_engine.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/recognition_system.h"
#include "engine/api/data_folders.h"
#include "engine/api/engine_defaults.h"
#include "engine/api/engine_registry.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/page_lm.h"
#include "engine/core/stopwatch.h"
#include "platform/registry_store.h"

namespace recognize_speech {

namespace {

constexpr uint32_t kChina = 0x10;
constexpr uint32_t kSimplified = 2;

std::string InFolder(const std::string& folder, const char* name) {
  return (std::filesystem::path(folder) / name).string();
}

// The engine's speaker numbers: odd for a male, even for a female speaker.
uint32_t SpeakerNumber(Speaker speaker) {
  switch (speaker) {
    case Speaker::kMale:
      return 1;
    case Speaker::kFemale:
      return 2;
    case Speaker::kAny:
      break;
  }
  return 0;
}

}  // namespace

const char* ModelFileOf(Speaker speaker) { return vok::api::SpeechModelFile(SpeakerNumber(speaker)); }

std::optional<Speaker> SpeakerNamed(std::string_view name) {
  if (name == "any") return Speaker::kAny;
  if (name == "male") return Speaker::kMale;
  if (name == "female") return Speaker::kFemale;
  return std::nullopt;
}

DictationRecognizer::DictationRecognizer(const std::string& folder, Speaker speaker) {
  // The engine's defaults (no install tree: its folder paths stay unset),
  // the files of the dialect folder, then the folder's own settings.
  platform::MemoryRegistryStore machine, user;
  vok::api::EngineRegistry registry(machine, user);
  vok::api::DataFolders folders(registry);
  vok::api::WriteEngineDefaults(resources_, folders, kChina, kSimplified);
  vok::api::WriteSharedDataDefaults(resources_, folder, folder, SpeakerNumber(speaker));
  resources_.Put("LMBackend", "LexiconFile", InFolder(folder, "Lexicon.txt").c_str());
  resources_.Put("LMBackend", "CoreLMFile", InFolder(folder, "LM1").c_str());
  const std::string settings = InFolder(folder, "Resources");
  if (std::filesystem::exists(settings) && resources_.Merge(settings.c_str()) != 0) {
    error_ = "cannot read " + settings;
    return;
  }
  for (const char* file : {ModelFileOf(speaker), "Syllable", "Pron", "Lexicon", "LM1"}) {
    if (!std::filesystem::exists(InFolder(folder, file))) {
      error_ = InFolder(folder, file) + " is missing";
      return;
    }
  }
  if (acoustic_.Load(resources_) != 0) {
    error_ = "the acoustic models of " + folder + " do not load";
    return;
  }
  back_end_ = std::make_unique<vok::CLMBackendEngine>(resources_);
  if (!back_end_->lexicon() || !back_end_->core()) {
    error_ = "the lexicon or language model of " + folder + " does not load";
    return;
  }
  system_ = std::make_unique<vok::CRecognitionSystem>(resources_, back_end_.get(),
                                                      vok::AcousticModels::Of(acoustic_), nullptr);
  if (!system_->pronunciations()) {
    error_ = "the pronunciations of " + folder + " do not load";
    return;
  }
  // The constants of a dictation request.
  back_end_->core()->SetClassBigramWeight(1.0f);
  back_end_->core()->SetWordProbWeight(0.5f);
  if (vok::PageLM* page = back_end_->page()) page->SetWeight(2.0f);
  back_end_->decoder()->set_word_insertion_penalty(kWordInsertionPenalty);
  system_->set_stack_search_beam(kStackSearchBeam);
  system_->set_n_best_choices(kNBestChoices);
}

DictationRecognizer::~DictationRecognizer() = default;

std::optional<Dictation> DictationRecognizer::Decode(const std::string& wave, int nbest) {
  if (!system_) return std::nullopt;
  system_->set_n_best_choices(std::max(nbest, kNBestChoices));
  vok::Stopwatch clock;
  clock.Start();
  const int result = system_->ProcessUtterance(wave.c_str());
  if (result == 0) system_->PreferSingleWord();
  clock.Stop();
  if (result < 0) {
    error_ = wave + " is not a 16-bit mono PCM wave file at 11025 Hz";
    return std::nullopt;
  }
  const vok::TreeSearchEngine& engine = *system_->tree_engine();
  Dictation dictation;
  dictation.frames = engine.frame();
  dictation.cut = engine.utterance_cut();
  dictation.processor_seconds = clock.processor_seconds();
  const C_rFrontEnd& front_end = *system_->acoustic().front_end;
  dictation.audio_seconds = static_cast<double>(engine.frame()) * front_end.get_NumSamplesFrameAdvance() /
                            front_end.get_SamplingRate();
  const vok::NBestList& list = *system_->nbest();
  for (int i = 0; result == 0 && i < std::min(nbest, list.count()); ++i) {
    const vok::Hypothesis& h = list.Get(i);
    Sentence sentence;
    char text[4 * vok::Hypothesis::kMaxIds * 8];
    if (system_->GetResultText(i, text, sizeof text, "") == 0) sentence.text = text;
    char syllables[4096];
    if (system_->pronunciations()->WordIDsToPron(h.ids, h.count, syllables, sizeof syllables, " ") == 0)
      sentence.syllables = syllables;
    sentence.score = h.score;
    dictation.sentences.push_back(std::move(sentence));
  }
  return dictation;
}

}  // namespace recognize_speech
