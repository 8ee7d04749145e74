#include "tools/pinyin2hanzi/pinyin_converter.h"

#include <algorithm>
#include <filesystem>

#include "engine/SyllableLatticeEngine/keyboard_constants.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lexicon.h"
#include "engine/core/string_map.h"

namespace tools {

PinyinConverter::PinyinConverter(const std::string& folder) {
  // The engine's defaults for these keys.
  resources_.PutInt("System", "NBestChoices", 50);
  resources_.PutInt("System", "OutputNBestChoices", 10);
  resources_.PutInt("System", "Verbosity", 0);
  resources_.PutInt("Search", "StackSearchBeam", 300);
  vok::PutBackEndDefaults(&resources_);
  resources_.Put("LMBackend", "LexiconFile", (folder + "/Lexicon.txt").c_str());
  resources_.Put("LMBackend", "BinaryLexiconFile", (folder + "/Lexicon").c_str());
  resources_.Put("LMBackend", "CoreLMFile", (folder + "/LM1").c_str());
  const std::string page = folder + "/LM2";
  if (std::filesystem::exists(page)) resources_.Put("LMBackend", "PageLMFile", page.c_str());
  const std::string folder_resources = folder + "/Resources";
  if (std::filesystem::exists(folder_resources)) resources_.Merge(folder_resources.c_str());
  back_end_ = std::make_unique<vok::CLMBackendEngine>(resources_);
  system_ = std::make_unique<vok::P2HSystem>(resources_, back_end_.get());
}

PinyinConverter::~PinyinConverter() = default;

bool PinyinConverter::ok() const {
  return back_end_->lexicon() && back_end_->core() && system_->pronunciations() && system_->keyboard_map() &&
         system_->keyboard_map()->key_count() > 0;
}

PinyinConverter::Result PinyinConverter::Convert(std::string_view keys, int nbest) {
  std::string text(keys);
  for (char& c : text) {
    if (c == '\'') c = vok::CPLEngine::kSeparatorKey;
  }
  Result result;
  vok::ApplyKeyboardConstants(system_.get(), text.c_str());
  system_->StartUtterance();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int taken = system_->ProcessKey(static_cast<uint8_t>(text[i]));
    if (taken == vok::CPLEngine::kUnknownKey) {
      result.refused_at = static_cast<int>(i);
      break;
    }
    if (taken < 0) break;
  }
  system_->FinishUtterance();
  if (result.refused_at >= 0) return result;
  const bool decoded = system_->RunBackEnd(true, false) == 0;
  system_->UpdateStatistics();
  if (!decoded) return result;
  // Word sequences that differ only in their segmentation read alike: each
  // text once.
  for (int n = 0; n < system_->nbest()->count() && static_cast<int>(result.sentences.size()) < nbest; ++n) {
    char sentence[1024];
    if (system_->GetResultText(n, sentence, sizeof sentence, "") == 0 &&
        std::find(result.sentences.begin(), result.sentences.end(), sentence) == result.sentences.end())
      result.sentences.emplace_back(sentence);
  }
  return result;
}

}  // namespace tools
