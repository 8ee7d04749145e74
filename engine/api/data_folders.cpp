#include "engine/api/data_folders.h"

#include <cstring>

namespace vok::api {
namespace {

constexpr const char* kBaseFolders[] = {"Code", "Data", "Users"};
constexpr const char* kDataFolders[] = {
    "HWRSC",           "HWRTC",           "Lexicon", "LM1",      "LM2",    "Pron",
    "Script",          "SpeechF",         "SpeechM", "Train",    "HMap",   "Grammars",
    "Grammars\\CName", "Grammars\\Spell", "HWRRom",  "Gestures", "HWRPUN", "HWRANTIG",
    "Syllable"};
static_assert(sizeof(kDataFolders) / sizeof(kDataFolders[0]) == kDataFolderCount);

std::string Part(const char* name) {
  std::string part(1, kFolderSeparator);
  part += name;
  for (char& c : part) {
    if (c == '\\') c = kFolderSeparator;
  }
  return part;
}

}  // namespace

const char* DialectName(std::uint32_t dialect) {
  switch (dialect) {
    case 0x10:
      return "China";
    case 0x20:
      return "Singapore";
    case 0x100:
      return "Taiwan";
    case 0x200:
      return "Hongkong";
    case 0x30:
      return "Guangdong";
    default:
      return nullptr;
  }
}

std::uint32_t ScriptOfDialect(std::uint32_t dialect) {
  if ((dialect & 0xF0) != 0) return 2;
  if ((dialect & 0xF00) != 0) return 4;
  return 0;
}

std::optional<std::string> DataFolders::FolderPath(std::int32_t folder) {
  if (folder < kCodeFolder || folder > kUsersFolder) return std::nullopt;
  auto install = registry_.InstallPath();
  if (!install) return std::nullopt;
  return *install + Part(kBaseFolders[folder]);
}

std::optional<std::string> DataFolders::FilePath(std::int32_t data_folder, std::int32_t dialect) {
  if (data_folder < -1 || data_folder >= kDataFolderCount) return std::nullopt;
  const char* dialect_name = nullptr;
  if (dialect != -1) {
    dialect_name = DialectName(static_cast<std::uint32_t>(dialect));
    if (dialect_name == nullptr) return std::nullopt;
  }
  auto path = FolderPath(kDataFolder);
  if (!path) return std::nullopt;
  if (dialect_name != nullptr) *path += Part(dialect_name);
  if (data_folder != -1) *path += Part(kDataFolders[data_folder]);
  return path;
}

bool CopyPath(const std::string& path, char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) return false;
  if (path.size() + 1 > size) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace vok::api
