// The folder layout under the install path: "\Code", "\Data" and "\Users",
// one folder per dialect under "\Data", and the data folders in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/api/engine_registry.h"

namespace vok::api {

// The separator of the layout: "\" on Windows, "/" natively.
#if defined(_WIN32)
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

enum BaseFolder : std::int32_t { kCodeFolder = 0, kDataFolder = 1, kUsersFolder = 2 };

enum DataFolderId : std::int32_t {
  kHwrSc = 0,
  kHwrTc = 1,
  kLexiconFolder = 2,
  kLm1 = 3,
  kLm2 = 4,
  kPron = 5,
  kScript = 6,
  kSpeechF = 7,
  kSpeechM = 8,
  kTrain = 9,
  kHMap = 10,
  kGrammars = 11,
  kGrammarsCName = 12,
  kGrammarsSpell = 13,
  kHwrRom = 14,
  kGestures = 15,
  kHwrPun = 16,
  kHwrAntiGesture = 17,
  kSyllable = 18,
  kDataFolderCount = 19,
};

// The dialect codes in the order they are listed.
inline constexpr std::uint32_t kDialects[] = {0x10, 0x20, 0x100, 0x200, 0x30};

// "China" for 0x10 and so on; null for an unknown code.
const char* DialectName(std::uint32_t dialect);
// 2 (simplified) for dialects with a bit in 0xF0, 4 (traditional) for 0xF00.
std::uint32_t ScriptOfDialect(std::uint32_t dialect);

class DataFolders {
 public:
  explicit DataFolders(EngineRegistry& registry) : registry_(registry) {}

  // Nullopt when the install path or the id is unknown.
  std::optional<std::string> FolderPath(std::int32_t folder);
  // The "\Data" folder, then the dialect's folder and the data folder; -1
  // for either leaves that part out.
  std::optional<std::string> FilePath(std::int32_t data_folder, std::int32_t dialect);

 private:
  EngineRegistry& registry_;
};

// Copies the path with its zero into the buffer; false (and an empty text
// when there is room for one) when it does not fit.
bool CopyPath(const std::string& path, char* buffer, std::uint32_t size);

}  // namespace vok::api
