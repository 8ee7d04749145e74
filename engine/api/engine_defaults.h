// The `Resources` values the engine writes at set-up, before the data
// folder's own "Resources" file is merged over them.
#pragma once

#include <cstdint>
#include <string>

#include "engine/api/data_folders.h"
#include "engine/core/resources.h"

namespace vok::api {

// The engine's store: search, language-model, keyboard and handwriting
// values; the handwriting model files of the dialect's data folders.
void WriteEngineDefaults(vok::Resources& resources, DataFolders& folders, std::uint32_t dialect,
                         std::uint32_t script);

// The acoustic model file of a speaker word: "Speech" for 0, "SpeechM" for
// an odd (male) and "SpeechF" for an even (female) speaker.
const char* SpeechModelFile(std::uint32_t speaker);

// The shared data set's store: its lexicon, pronunciation, user lexicon,
// gesture and acoustic files. `speaker` is the process-wide speaker word.
void WriteSharedDataDefaults(vok::Resources& resources, const std::string& user_folder,
                             const std::string& data_folder, std::uint32_t speaker);

}  // namespace vok::api
