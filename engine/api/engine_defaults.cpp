#include "engine/api/engine_defaults.h"

#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "platform/folder_listing.h"

namespace vok::api {
namespace {

std::string InFolder(const std::string& folder, const char* name) { return folder + "/" + name; }

}  // namespace

void WriteEngineDefaults(vok::Resources& r, DataFolders& folders, std::uint32_t dialect,
                         std::uint32_t script) {
  r.PutInt("System", "NBestChoices", 50);
  r.PutInt("System", "OutputNBestChoices", 10);
  r.PutInt("System", "Verbosity", 0);
  const auto dialect_id = static_cast<std::int32_t>(dialect);
  if (auto lm1 = folders.FilePath(kLm1, dialect_id); lm1 && platform::PathExists(*lm1)) {
    r.Put("LMBackend", "CoreLMFile", lm1->c_str());
  }
  if (auto lm2 = folders.FilePath(kLm2, dialect_id); lm2 && platform::PathExists(*lm2)) {
    r.Put("LMBackend", "PageLMFile", lm2->c_str());
  }
  vok::PutBackEndDefaults(&r);
  r.PutInt("Search", "GenWordLattice", 1);
  r.PutInt("Search", "CharacterCountThreshold", 0);
  r.PutInt("Search", "StackSearchBeam", 300);
  r.PutInt("Search", "PhoneBeam", 320);
  r.PutInt("Search", "PhoneTransBeam", 320);
  r.PutInt("Search", "PhoneExitBeam", 80);
  r.PutInt("Search", "SyllableTransBeam", 350);
  r.PutInt("Search", "FastMatchBeam", 1000);
  r.PutInt("Search", "FastMatchLookahead", 8);
  r.Put("Search", "LogProbMultiple", "13.0");
  r.PutInt("Search", "SyllableInsertionPenalty", -50);
  r.PutInt("Search", "PhoneInsertionPenalty", -35);
  r.PutInt("Search", "HMMSkipState", 0);
  r.PutInt("Search", "WordInsertionPenalty", 0);
  r.PutInt("VA_Search", "PhoneBeam", 400);
  r.PutInt("VA_Search", "PhoneTransBeam", 400);
  r.PutInt("VA_Search", "PhoneExitBeam", 100);
  r.PutInt("VA_Search", "WordTransBeam", 400);
  r.PutInt("VA_Search", "GarbageInsertionPenalty", -200);
  if (auto data = folders.FolderPath(kDataFolder))
    r.Put("Keyboard", "BinaryFrontendFile", InFolder(*data, "Keyboard").c_str());
  r.PutInt("CHRecognitionSystem", "Run2D", 1);
  r.PutInt("HWRSentence", "ResultScript", script == 2 ? 1 : 2);
  constexpr struct {
    const char* key;
    DataFolderId folder;
  } kModels[] = {{"DataFileSC", kHwrSc},
                 {"DataFileTC", kHwrTc},
                 {"DataFileRom", kHwrRom},
                 {"DataFilePun", kHwrPun},
                 {"DataFileAntiGesture", kHwrAntiGesture}};
  for (const auto& model : kModels) {
    const auto path = folders.FilePath(model.folder, dialect_id);
    if (!path) break;  // a path that cannot be built ends the list
    r.Put("HWRSentence", model.key, path->c_str());
  }
}

const char* SpeechModelFile(std::uint32_t speaker) {
  if (speaker == 0) return "Speech";
  return (speaker & 1) != 0 ? "SpeechM" : "SpeechF";
}

void WriteSharedDataDefaults(vok::Resources& r, const std::string& user_folder,
                             const std::string& data_folder, std::uint32_t speaker) {
  r.Put("LMBackend", "BinaryLexiconFile", InFolder(data_folder, "Lexicon").c_str());
  r.Put("CRecognitionSystem", "BinaryPronunciationFile", InFolder(data_folder, "Pron").c_str());
  r.Put("LMBackend", "BinaryLexiconFilePI", InFolder(user_folder, "UserLex").c_str());
  r.Put("HWRSentence", "DataFileGesture", InFolder(user_folder, "Gestures").c_str());
  r.Put("Vastel", "HMMResource", InFolder(user_folder, SpeechModelFile(speaker)).c_str());
  r.Put("Vastel", "SyllableTable", InFolder(data_folder, "Syllable").c_str());
  r.Put("Vastel", "StreamWeights", "1.0,0.5");
  r.Put("Vastel", "LogDensityWeight", "12.0");
  r.Put("Vastel", "HMMBailOut", "5.5");
}

}  // namespace vok::api
