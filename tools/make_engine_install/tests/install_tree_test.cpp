#include "tools/make_engine_install/install_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/api/shared_section.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/utterance_set_file.h"
#include "engine/api/vok_library.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "platform/registry_store.h"
#include "tests/support/temporary_directory.h"

namespace make_engine_install {
namespace {

// What the generators leave: a vocabulary folder and a model folder per
// dialect.
void WriteSources(const testing_support::TemporaryDirectory& folder) {
  for (const char* dialect : {"China", "Hongkong"}) {
    const std::string base = std::string("lang/") + dialect;
    std::filesystem::create_directories(folder.path() / base / "Grammars");
    vok::api::testing::WriteLanguageFiles(folder.File(base));
    folder.Write(base + "/HMap", "1\nba \xB0\xCB\n");
    folder.Write(base + "/Grammars/CName", "%BIGRAM CNAME\n");
    std::filesystem::create_directories(folder.path() / "hwr" / dialect);
    folder.Write(std::string("hwr/") + dialect + "/HWRSC", "model");
  }
  vok::api::testing::WriteKeyboardMap(folder.File("lang"));
  folder.Write("speech.bin", "speech model");
}

TEST(InstallTree, TheEngineStartsOnTheTree) {
  testing_support::TemporaryDirectory folder;
  WriteSources(folder);
  InstallOptions options;
  options.out = folder.File("tree");
  for (const char* dialect : {"China", "Hongkong"}) {
    options.sources.push_back({dialect, folder.File(std::string("lang/") + dialect)});
    options.sources.push_back({dialect, folder.File(std::string("hwr/") + dialect)});
  }
  options.keyboard_map = folder.File("lang/Keyboard");
  options.user_speech = folder.File("speech.bin");
  options.windows_path = "C:\\VOK";
  ASSERT_EQ(MakeInstallTree(options), "");
  for (const char* file : {"Data/China/HWRSC", "Data/China/Grammars/CName", "Data/Hongkong/HMap",
                           "Data/Keyboard", "Users/ChinaMale/Speech", "Users/HongkongMale/Prefs"})
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "tree" / file)) << file;
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "tree" / "Code"));
  EXPECT_EQ(
      folder.Read("tree/InstallPath.reg"),
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\TVRN\\VOK-P]\r\n\"InstallPath\"=\"C:\\\\VOK\"\r\n");

  // The profiles are utterance sets the engine reads; the preferences hold
  // the default levels.
  vok::api::CUtteranceSetFile profile;
  ASSERT_EQ(profile.Open(folder.File("tree/Users/HongkongMale/enroll")), vok::api::kVokOk);
  EXPECT_EQ(profile.header().dialect, 0x200u);
  vok::Resources prefs;
  ASSERT_GE(prefs.Merge(folder.File("tree/Users/ChinaMale/Prefs").c_str()), 0);
  int level = 0;
  ASSERT_GE(prefs.GetInt("Speech", "Level", &level), 0);
  EXPECT_EQ(level, 2048);

  // The engine's own scan and start-up on the tree.
  platform::MemoryRegistryStore machine, user;
  vok::api::testing::ScriptedWindows windows;
  vok::api::VokLibrary library(vok::api::LibraryEnvironment{
      machine, user, windows, [](const std::string&) { return true; }, [](std::uint32_t) {}});
  vok::api::SharedSection().instance_count.store(0);
  machine.WriteText(vok::api::kEngineRegistryKey, "InstallPath", folder.File("tree"));
  ASSERT_EQ(library.UpdateUsers(), vok::api::kVokOk);
  for (const char* name : {"HongkongMale", "ChinaMale"}) {
    ASSERT_EQ(library.SetCurrentUser(name), vok::api::kVokOk) << name;
    ASSERT_EQ(library.InitializeEx(vok::api::kKeyboardRecognizerFlag), vok::api::kVokOk) << name;
    // The keyboard system reads the tree's keyboard map.
    EXPECT_GT(library.engine()->keyboard->system().keyboard_map()->key_count(), 0) << name;
    std::uint32_t count = 0;
    ASSERT_EQ(library.GetNumUsers(&count), vok::api::kVokOk);
    EXPECT_EQ(count, 2u);
    std::uint32_t dialects[8];
    count = 8;
    ASSERT_EQ(library.GetInstalledDialects(&count, dialects), vok::api::kVokOk);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(dialects[0], 0x10u);
    EXPECT_EQ(dialects[1], 0x200u);
    library.Destroy();
  }
}

TEST(InstallTree, MissingSourceFolderIsNamed) {
  testing_support::TemporaryDirectory folder;
  InstallOptions options;
  options.out = folder.File("tree");
  options.sources.push_back({"China", folder.File("nowhere")});
  EXPECT_EQ(MakeInstallTree(options), "no folder " + folder.File("nowhere"));
  options.out.clear();
  EXPECT_EQ(MakeInstallTree(options), "no output folder");
}

}  // namespace
}  // namespace make_engine_install
