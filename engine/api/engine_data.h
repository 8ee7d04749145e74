// The data set all controllers of one engine share: the folders, its own
// `Resources` store, the lexicon (bound to the language-model back end's
// models), the pronunciation tree, the user lexicon applied to both, and
// the user's gesture model.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/api/vok_status.h"
#include "engine/core/resources.h"

namespace vok {
class CHWRGestureModel;
class CLexTree;
class CLexicon;
class CUserLexicon;
class CoreLM;
class PageLM;
}  // namespace vok

namespace vok::api {

class CEngineData {
 public:
  static constexpr int kUserLexiconWords = 5000;

  CEngineData();
  ~CEngineData();
  CEngineData(const CEngineData&) = delete;
  CEngineData& operator=(const CEngineData&) = delete;

  // Defaults and the data folder's "Resources", the lexicon bound to the
  // models (either may be null), the pronunciation tree, then the user
  // lexicon read and applied when its file exists, then the gesture model
  // when its file exists. kVokFolderMissing when
  // the lexicon file is missing or does not load.
  VokStatus Load(const std::string& user_folder, const std::string& data_folder, std::uint32_t speaker,
                 vok::CoreLM* core, vok::PageLM* page);

  const std::string& user_folder() const { return user_folder_; }
  const std::string& data_folder() const { return data_folder_; }
  const vok::Resources& resources() const { return resources_; }
  vok::CLexicon* lexicon() const { return lexicon_.get(); }
  vok::CLexTree* pronunciations() const { return pronunciations_.get(); }
  vok::CUserLexicon* user_lexicon() const { return user_lexicon_.get(); }
  // Null when the user has no "Gestures" file or it was refused.
  const std::shared_ptr<vok::CHWRGestureModel>& gesture_model() const { return gesture_model_; }
  // The speech model file the acoustic system loads from next.
  void SetSpeechModel(const std::string& path);
  // The user lexicon's file ("LMBackend" "BinaryLexiconFilePI").
  std::string UserLexiconPath() const;
  // A user lexicon file that exists but could not be read is never written
  // over (it would lose the user's words).
  bool user_lexicon_unreadable() const { return user_lexicon_unreadable_; }
  bool user_lexicon_changed() const { return user_lexicon_changed_; }
  void set_user_lexicon_changed(bool changed) { user_lexicon_changed_ = changed; }

 private:
  std::string user_folder_;
  std::string data_folder_;
  vok::Resources resources_;
  std::unique_ptr<vok::CLexicon> lexicon_;
  std::unique_ptr<vok::CUserLexicon> user_lexicon_;
  std::unique_ptr<vok::CLexTree> pronunciations_;
  std::shared_ptr<vok::CHWRGestureModel> gesture_model_;
  bool user_lexicon_changed_ = false;
  bool user_lexicon_unreadable_ = false;
};

}  // namespace vok::api
