#include "engine/api/engine_data.h"

#include "engine/api/engine_defaults.h"
#include "engine/core/hwr_gesture_model.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/user_lexicon.h"
#include "platform/folder_listing.h"

namespace vok::api {

CEngineData::CEngineData() = default;

// The lexicon goes after the tree and the user lexicon that refer to it.
CEngineData::~CEngineData() {
  if (lexicon_) lexicon_->set_tree(nullptr);
  user_lexicon_.reset();
  pronunciations_.reset();
  lexicon_.reset();
}

VokStatus CEngineData::Load(const std::string& user_folder, const std::string& data_folder,
                            std::uint32_t speaker, vok::CoreLM* core, vok::PageLM* page) {
  user_folder_ = user_folder;
  data_folder_ = data_folder;
  WriteSharedDataDefaults(resources_, user_folder, data_folder, speaker);
  const std::string merged = data_folder + "/Resources";
  if (platform::PathExists(merged)) resources_.Merge(merged.c_str());
  const char* lexicon = resources_.GetValue("LMBackend", "BinaryLexiconFile");
  if (lexicon == nullptr || !platform::PathExists(lexicon)) return kVokFolderMissing;
  lexicon_ = std::make_unique<vok::CLexicon>(lexicon, core, page, 0);
  if (lexicon_->status() != 0) {
    lexicon_.reset();
    return kVokFolderMissing;
  }
  const char* pron = resources_.GetValue("CRecognitionSystem", "BinaryPronunciationFile");
  if (pron != nullptr && platform::PathExists(pron)) {
    pronunciations_ = std::make_unique<vok::CLexTree>(pron, "-");
    if (pronunciations_->status() != 0) pronunciations_.reset();
  }
  lexicon_->set_tree(pronunciations_.get());
  user_lexicon_ = std::make_unique<vok::CUserLexicon>(kUserLexiconWords);
  const std::string user_lexicon = UserLexiconPath();
  if (!user_lexicon.empty() && platform::PathExists(user_lexicon)) {
    if (user_lexicon_->Read(user_lexicon.c_str(), 0) == 0) {
      user_lexicon_->ApplyTo(lexicon_.get(), pronunciations_.get());
    } else {
      user_lexicon_unreadable_ = true;
    }
  }
  const char* gestures = resources_.GetValue("HWRSentence", "DataFileGesture");
  if (gestures != nullptr && platform::PathExists(gestures)) {
    auto model = std::make_shared<vok::CHWRGestureModel>();
    if (model->Load(gestures)) gesture_model_ = std::move(model);
  }
  return kVokOk;
}

void CEngineData::SetSpeechModel(const std::string& path) {
  resources_.Put("Vastel", "HMMResource", path.c_str());
}

std::string CEngineData::UserLexiconPath() const {
  const char* path = resources_.GetValue("LMBackend", "BinaryLexiconFilePI");
  return path != nullptr ? path : "";
}

}  // namespace vok::api
