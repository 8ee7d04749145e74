#include "engine/api/tests/engine_tree.h"

#include <atomic>
#include <filesystem>
#include <fstream>

#include <random>

namespace vok::api::testing {

EngineTree::EngineTree() {
  static std::atomic<int> serial{0};
  const auto folder = std::filesystem::temp_directory_path() /
                      ("vok_tree_" + std::to_string(std::random_device{}()) + "_" + std::to_string(serial++));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "Code");
  std::filesystem::create_directories(folder / "Data");
  std::filesystem::create_directories(folder / "Users");
  root_ = folder.string();
}

EngineTree::~EngineTree() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void EngineTree::WriteFile(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path path = Path(relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

void EngineTree::AddDialect(const std::string& dialect, bool with_pron, bool with_map) {
  WriteFile("Data/" + dialect + "/Lexicon", "lexicon");
  if (with_pron) WriteFile("Data/" + dialect + "/Pron", "pron");
  if (with_map) WriteFile("Data/" + dialect + "/HMap", "2\nba \xb0\xcb\xb0\xd3\nma \xc2\xe8\n");
}

void EngineTree::AddUser(const std::string& name, const UtteranceSetHeader& header,
                         std::size_t profile_bytes) {
  std::filesystem::create_directories(Path("Users/" + name));
  if (profile_bytes == 0) return;
  const auto bytes = EncodeUtteranceSetHeader(header);
  WriteFile("Users/" + name + "/enroll",
            std::string(reinterpret_cast<const char*>(bytes.data()), std::min(profile_bytes, bytes.size())));
}

UtteranceSetHeader ProfileHeader(std::uint32_t dialect) {
  UtteranceSetHeader header;
  header.dialect = dialect;
  return header;
}

}  // namespace vok::api::testing
