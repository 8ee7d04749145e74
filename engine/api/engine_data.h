// The data set all controllers of one engine share. Until the language-model
// back end and the recognition systems are part of the engine, it holds the
// folders and its `Resources` store, and checks that the lexicon is there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/api/vok_status.h"
#include "engine/core/resources.h"

namespace vok::api {

class CEngineData {
 public:
  // kVokFolderMissing when the lexicon file is missing.
  VokStatus Load(const std::string& user_folder, const std::string& data_folder, std::uint32_t speaker);

  const std::string& user_folder() const { return user_folder_; }
  const std::string& data_folder() const { return data_folder_; }
  const vok::Resources& resources() const { return resources_; }

 private:
  std::string user_folder_;
  std::string data_folder_;
  vok::Resources resources_;
};

}  // namespace vok::api
