#include "tools/make_engine_install/install_tree.h"

#include <filesystem>

#include "engine/api/data_folders.h"
#include "engine/api/utterance_set_file.h"
#include "engine/core/resources.h"
#include "platform/file_access.h"

namespace make_engine_install {
namespace {

namespace fs = std::filesystem;

bool WriteText(const fs::path& path, const std::string& text) {
  return platform::WriteWholeFile(path.string(),
                                  {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string AddUser(const fs::path& users, const InstallUser& user, const std::string& speech) {
  const fs::path folder = users / user.name;
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return "cannot make " + folder.string();
  vok::api::UtteranceSetContents profile;
  profile.header.dialect = user.dialect;
  if (!platform::WriteWholeFile((folder / "enroll").string(),
                                vok::api::WriteUtteranceSet(profile, vok::api::kUtteranceSetVersion)))
    return "cannot write " + (folder / "enroll").string();
  vok::Resources prefs;
  prefs.PutInt("Speech", "BLevel", 100);
  prefs.PutInt("Speech", "Level", 2048);
  if (prefs.Write((folder / "Prefs").string().c_str()) < 0)
    return "cannot write " + (folder / "Prefs").string();
  if (!speech.empty()) {
    fs::copy_file(speech, folder / "Speech", fs::copy_options::overwrite_existing, error);
    if (error) return "cannot copy " + speech + ": " + error.message();
  }
  return {};
}

}  // namespace

std::vector<InstallUser> DefaultUsers() { return {{"ChinaMale", 0x10}, {"HongkongMale", 0x200}}; }

std::string InstallPathRegistryText(const std::string& windows_path) {
  return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::string(vok::api::kEngineRegistryKey) +
         "]\r\n\"InstallPath\"=\"" + Escaped(windows_path) + "\"\r\n";
}

std::string MakeInstallTree(const InstallOptions& options) {
  if (options.out.empty()) return "no output folder";
  const fs::path root = fs::absolute(options.out);
  std::error_code error;
  for (const char* base : {"Code", "Data", "Users"}) {
    fs::create_directories(root / base, error);
    if (error) return "cannot make " + (root / base).string();
  }
  for (const DialectSource& source : options.sources) {
    if (!fs::is_directory(source.folder)) return "no folder " + source.folder;
    const fs::path target = root / "Data" / source.dialect;
    fs::create_directories(target, error);
    fs::copy(source.folder, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
             error);
    if (error) return "cannot copy " + source.folder + ": " + error.message();
  }
  if (!options.keyboard_map.empty()) {
    fs::copy_file(options.keyboard_map, root / "Data" / "Keyboard", fs::copy_options::overwrite_existing,
                  error);
    if (error) return "cannot copy " + options.keyboard_map + ": " + error.message();
  }
  for (const InstallUser& user : options.users) {
    const std::string failure = AddUser(root / "Users", user, options.user_speech);
    if (!failure.empty()) return failure;
  }
  std::string windows = options.windows_path;
  if (windows.empty()) {
    windows = "Z:" + root.string();
    for (char& c : windows) c = c == '/' ? '\\' : c;
  }
  if (!WriteText(root / "InstallPath.reg", InstallPathRegistryText(windows)))
    return "cannot write " + (root / "InstallPath.reg").string();
  return {};
}

}  // namespace make_engine_install
