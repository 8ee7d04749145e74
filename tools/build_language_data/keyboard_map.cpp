#include "tools/build_language_data/keyboard_map.h"

#include <filesystem>
#include <set>
#include <span>

#include "engine/core/lex_tree.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "engine/core/syllable_table.h"
#include "platform/file_access.h"

namespace build_language_data {

namespace {

// The engine reads the keyboard system's file names into 100 bytes.
constexpr std::size_t kMaxFileName = 99;

std::string Absolute(const std::string& path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

}  // namespace

std::string KeyboardMapText(const std::vector<std::string>& syllables) {
  std::string text;
  for (const std::string& syllable : syllables) {
    std::string letters = syllable;
    if (!letters.empty() && letters.back() >= '1' && letters.back() <= '5') letters.pop_back();
    text += syllable + " " + letters;
    if (letters != syllable) text += " " + syllable;
    text += "\n";
  }
  return text;
}

std::string WriteKeyboardMap(const std::vector<std::string>& dialect_folders,
                             const std::string& data_folder) {
  std::set<std::string> syllables;
  for (const std::string& folder : dialect_folders) {
    const std::string path = folder + "/Syllable";
    if (!platform::FileExists(path)) return "no " + path;
    vok::CSyllableTable table(path.c_str());
    if (table.status() != 0) return "cannot read " + path;
    for (int id = 0; id < table.syllable_count(); ++id) {
      if (const char* name = table.syllables()->GetName(id)) syllables.insert(name);
    }
  }
  const std::string text = KeyboardMapText({syllables.begin(), syllables.end()});
  const std::string text_path = data_folder + "/Keyboard.txt";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!platform::WriteWholeFile(text_path, std::span<const std::uint8_t>(bytes, text.size())))
    return "cannot write " + text_path;
  // The keys: every syllable's letters once, and each toned syllable.
  std::set<std::string> keys;
  for (const std::string& s : syllables) {
    keys.insert(s);
    if (!s.empty() && s.back() >= '1' && s.back() <= '5') keys.insert(s.substr(0, s.size() - 1));
  }
  if (keys.size() > static_cast<std::size_t>(kKeyboardCapacity))
    return std::to_string(keys.size()) + " keys: more than the " + std::to_string(kKeyboardCapacity) +
           " that the engine reads from the text form";
  vok::StringMap map(text_path.c_str(), kKeyboardCapacity);
  if (map.key_count() != static_cast<int>(keys.size()))
    return "the keyboard map text does not read back whole";
  const std::string binary_path = data_folder + "/Keyboard";
  if (map.WriteBinary(binary_path.c_str(), kKeyboardKeyByte) != 0) return "cannot write " + binary_path;
  const auto reread = vok::StringMap::FromBinaryFile(binary_path.c_str());
  if (!reread || reread->key_count() != map.key_count()) return "the binary keyboard map does not read back";
  return {};
}

std::string WriteKeyboardKeys(const std::string& dialect_folder, const std::string& data_folder) {
  const std::string folder = Absolute(dialect_folder);
  const std::string syllable_path = folder + "/Syllable";
  const std::string pron_path = folder + "/Pron.txt";
  const std::string tree_path = folder + "/P2HPron";
  const std::string keyboard_text = Absolute(data_folder) + "/Keyboard.txt";
  const std::string keyboard_binary = Absolute(data_folder) + "/Keyboard";
  for (const std::string* path : {&syllable_path, &pron_path, &tree_path, &keyboard_text, &keyboard_binary}) {
    if (path->size() > kMaxFileName) return *path + ": longer than the engine's file names";
  }
  // The stack decoder walks words from their last syllable: a backward tree.
  vok::CSyllableTable syllables(syllable_path.c_str());
  if (syllables.status() != 0) return "cannot read " + syllable_path;
  vok::CLexTree tree(pron_path.c_str(), *syllables.syllables(), "-", true);
  if (tree.status() != 0) return "cannot read " + pron_path;
  if (tree.WriteBinary(tree_path.c_str()) != 0) return "cannot write " + tree_path;
  vok::CLexTree reread(tree_path.c_str(), "-");
  if (reread.status() != 0 || !reread.backward() || reread.entry_count() != tree.entry_count())
    return tree_path + " does not read back";

  const std::string path = folder + "/Resources";
  vok::Resources resources;
  if (platform::FileExists(path) && resources.Merge(path.c_str()) != 0) return "cannot read " + path;
  resources.Put("P2HSystem", "SyllableFile", syllable_path.c_str());
  resources.Put("P2HSystem", "PronunciationFile", pron_path.c_str());
  resources.Put("P2HSystem", "BinaryPronunciationFile", tree_path.c_str());
  resources.PutInt("P2HSystem", "DoShortHand", 1);
  resources.Put("Keyboard", "FrontendFile", keyboard_text.c_str());
  resources.Put("Keyboard", "BinaryFrontendFile", keyboard_binary.c_str());
  const std::string new_path = path + ".new";
  if (resources.Write(new_path.c_str()) != 0 || !platform::ReplaceWithNewFile(new_path, path))
    return "cannot write " + path;
  return {};
}

}  // namespace build_language_data
