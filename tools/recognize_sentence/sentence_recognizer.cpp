#include "tools/recognize_sentence/sentence_recognizer.h"

#include <filesystem>

#include "engine/NetSearchEngine/hwr_code_conversion.h"
#include "engine/SyllableLatticeEngine/handwriting_recognition_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/core/core_lm.h"
#include "engine/core/hwr_recognizer.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"

namespace recognize_sentence {
namespace {

namespace fs = std::filesystem;

// The pen recognizer's constants before it runs the back end.
constexpr float kClassBigramWeight = 0.7f;
constexpr float kWordProbWeight = 0.5f;
constexpr int kWordInsertionPenalty = 0;
constexpr int kStackSearchBeam = 300;

// The engine's defaults for the store, the folder's own "Resources" merged
// over them.
std::unique_ptr<vok::Resources> FolderResources(const fs::path& folder, bool simplified) {
  auto r = std::make_unique<vok::Resources>();
  const auto path = [&](const char* name) { return (folder / name).string(); };
  r->PutInt("System", "NBestChoices", 50);
  r->PutInt("System", "OutputNBestChoices", 10);
  r->PutInt("System", "Verbosity", 0);
  r->Put("LMBackend", "LexiconFile", path("Lexicon.txt").c_str());
  r->Put("LMBackend", "BinaryLexiconFile", path("Lexicon").c_str());
  r->Put("LMBackend", "CoreLMFile", path("LM1").c_str());
  r->PutFloat("LMBackend", "ClassBigramWeight", 1.0f);
  r->PutFloat("LMBackend", "WordProbWeight", 0.5f);
  r->PutInt("LMBackend", "WordInsertionPenalty", -50);
  r->PutFloat("LMBackend", "WordProbFloorRate", 0.85f);
  r->PutFloat("LMBackend", "ClassBigramProbFloorRate", 0.3f);
  r->PutInt("LMBackend", "CacheLMHistory", 100);
  r->PutFloat("LMBackend", "CacheLMWeight", 0.8f);
  r->PutInt("Search", "StackSearchBeam", kStackSearchBeam);
  r->PutInt("HWRSentence", "ResultScript",
            simplified ? vok::kHwrScriptSimplified : vok::kHwrScriptTraditional);
  const fs::path own = folder / "Resources";
  if (fs::exists(own)) r->Merge(own.string().c_str());
  return r;
}

template <typename Recognizer>
std::unique_ptr<vok::CHWRRecognizer> LoadRecognizer(const fs::path& path) {
  auto recognizer = std::make_unique<Recognizer>();
  if (!recognizer->Load(path.string().c_str())) return nullptr;
  return recognizer;
}

}  // namespace

bool IsTraditionalFolder(const std::string& folder) {
  const std::string name = fs::path(folder).lexically_normal().filename().string();
  const std::string last =
      name.empty() ? fs::path(folder).lexically_normal().parent_path().filename().string() : name;
  return last == "Taiwan" || last == "Hongkong";
}

SentenceRecognizer::SentenceRecognizer(const std::string& folder, bool simplified) {
  const fs::path root(folder);
  resources_ = FolderResources(root, simplified);
  back_end_ = std::make_unique<vok::CLMBackendEngine>(*resources_);
  if (!back_end_->lexicon() || !back_end_->core()) {
    problem_ = "no lexicon and core language model (Lexicon, CoreLM) in " + folder;
    return;
  }
  back_end_->core()->SetClassBigramWeight(kClassBigramWeight);
  back_end_->core()->SetWordProbWeight(kWordProbWeight);
  if (back_end_->decoder()) back_end_->decoder()->set_word_insertion_penalty(kWordInsertionPenalty);
  const fs::path table = root.parent_path() / "G2bchar.tab";
  if (fs::exists(table)) {
    conversion_ = std::make_unique<vok::HwrCodeConversion>();
    conversion_->Load(table.string().c_str());
  }
  system_ = std::make_unique<vok::CHRecognitionSystem>(*resources_, back_end_.get(),
                                                       back_end_->lexicon()->BuildCodeTree("-", true),
                                                       nullptr, conversion_.get());
  system_->set_stack_search_beam(kStackSearchBeam);
  LoadModels(folder, simplified);
  if (models_.empty()) {
    problem_ = "no handwriting model (HWRSC, HWRTC) in " + folder;
  }
}

SentenceRecognizer::~SentenceRecognizer() = default;

void SentenceRecognizer::LoadModels(const std::string& folder, bool simplified) {
  const fs::path root(folder);
  // The folder's own script, and the other one when its results can be
  // carried over.
  int32_t range = 0;
  if (simplified || conversion_) {
    if (auto sc = LoadRecognizer<vok::CHWRSCRecognizer>(root / "HWRSC")) {
      system_->SetSCRecognizer(std::move(sc));
      models_.push_back("HWRSC");
      range |= vok::kHwrRangeSimplified;
    }
  }
  if (!simplified || conversion_) {
    if (auto tc = LoadRecognizer<vok::CHWRTCRecognizer>(root / "HWRTC")) {
      system_->SetTCRecognizer(std::move(tc));
      models_.push_back("HWRTC");
      range |= vok::kHwrRangeTraditional;
    }
  }
  system_->SetRecognitionRange(range);
}

std::string SentenceRecognizer::Recognize(const Strokes& strokes) {
  if (!problem_.empty()) return {};
  system_->ClearStrokes();
  for (const auto& stroke : strokes) system_->AddStroke(stroke.data(), static_cast<int>(stroke.size()));
  if (system_->FinishUtterance() < 0 || system_->RunBackEnd(false, false) < 0) return {};
  char text[1024];
  if (system_->GetBestText(text, sizeof text, "") < 0) return {};
  return text;
}

}  // namespace recognize_sentence
