#include "engine/api/engine_data.h"

#include "engine/api/engine_defaults.h"
#include "platform/folder_listing.h"

namespace vok::api {

VokStatus CEngineData::Load(const std::string& user_folder, const std::string& data_folder,
                            std::uint32_t speaker) {
  user_folder_ = user_folder;
  data_folder_ = data_folder;
  WriteSharedDataDefaults(resources_, user_folder, data_folder, speaker);
  const std::string merged = data_folder + "/Resources";
  if (platform::PathExists(merged)) resources_.Merge(merged.c_str());
  const char* lexicon = resources_.GetValue("LMBackend", "BinaryLexiconFile");
  if (lexicon == nullptr || !platform::PathExists(lexicon)) return kVokFolderMissing;
  return kVokOk;
}

}  // namespace vok::api
