#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/api/shared_section.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/tests/library_on_tree.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/user_settings.h"
#include "engine/api/vok_library.h"

namespace vok::api {
namespace {

using testing::EngineTree;
using testing::ProfileHeader;
using testing::ScriptedWindows;

class StartUpTest : public testing::LibraryOnTree {};

TEST_F(StartUpTest, OutcomeTable) {
  const struct {
    const char* what;
    std::function<void(StartUpTest&)> arrange;
    VokStatus status;
  } cases[] = {
      {"success", [](StartUpTest&) {}, kVokOk},
      {"no InstallPath", [](StartUpTest& t) { t.machine_.DeleteValue(kEngineRegistryKey, "InstallPath"); },
       kVokFolderMissing},
      {"no Data", [](StartUpTest& t) { std::filesystem::remove_all(t.tree_.Path("Data")); },
       kVokFolderMissing},
      {"no Users", [](StartUpTest& t) { std::filesystem::remove_all(t.tree_.Path("Users")); },
       kVokFolderMissing},
      {"no user", [](StartUpTest& t) { std::filesystem::remove_all(t.tree_.Path("Users/ChinaMale")); },
       kVokNoUsers},
      {"User unset", [](StartUpTest& t) { t.machine_.DeleteValue(kEngineRegistryKey, "User"); },
       kVokNoCurrentUser},
      {"User unlisted", [](StartUpTest& t) { t.machine_.WriteText(kEngineRegistryKey, "User", "Nobody"); },
       kVokNoCurrentUser},
      {"no map", [](StartUpTest& t) { std::filesystem::remove(t.tree_.Path("Data/China/HMap")); },
       kVokInternalFailure},
      {"no core language model",
       [](StartUpTest& t) { std::filesystem::remove(t.tree_.Path("Data/China/LM1")); }, kVokSetUpFailed},
      {"lexicon unreadable", [](StartUpTest& t) { t.tree_.WriteFile("Data/China/Lexicon", "lexicon"); },
       kVokFolderMissing},
      {"keyboard recognizer asked for", nullptr, kVokOk},
  };
  for (const auto& c : cases) {
    library_.Destroy();
    // Each case starts from the complete tree.
    tree_.AddDialect("China");
    tree_.AddUser("ChinaMale", ProfileHeader(0x10));
    machine_.WriteText(kEngineRegistryKey, "InstallPath", tree_.root());
    machine_.WriteText(kEngineRegistryKey, "User", "ChinaMale");
    std::filesystem::create_directories(tree_.Path("Data"));
    std::filesystem::create_directories(tree_.Path("Users"));
    if (c.arrange) c.arrange(*this);
    const std::uint32_t flags = c.arrange ? 0 : kKeyboardRecognizerFlag;
    library_.parameters().Set(0x2003, 0x21, {true, false, false, true, false}, nullptr);
    EXPECT_EQ(library_.InitializeEx(flags), c.status) << c.what;
    EXPECT_EQ(library_.started(), c.status == kVokOk) << c.what;
    EXPECT_EQ(SharedSection().instance_count.load(), c.status == kVokOk ? 1u : 0u) << c.what;
    EXPECT_EQ(library_.parameters().pen(3), 6u) << c.what;  // defaults in every outcome
    EXPECT_EQ(library_.engine() != nullptr, c.status == kVokOk) << c.what;
  }
}

TEST_F(StartUpTest, SecondStartCreatesNothingAndRestartWorks) {
  // The lexicon comes with the data set, so the back end asks for none: a
  // start-up on a complete tree prints no error into the host's output.
  ::testing::internal::CaptureStdout();
  const VokStatus started = library_.InitializeEx(0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(started, kVokOk);
  CEngine* engine = library_.engine();
  EXPECT_EQ(library_.InitializeEx(0), kVokOk);
  EXPECT_EQ(library_.engine(), engine);
  EXPECT_EQ(SharedSection().instance_count.load(), 1u);
  EXPECT_EQ(library_.Destroy(), 0u);
  EXPECT_EQ(library_.Destroy(), 0u);  // a second shut-down gives back nothing
  EXPECT_EQ(library_.InitializeEx(0), kVokOk);
  EXPECT_EQ(SharedSection().instance_count.load(), 1u);
}

TEST_F(StartUpTest, CurrentUserChangesOnlyWhileNoEngineIsStarted) {
  tree_.AddUser("HongkongMale", ProfileHeader(0x200));
  tree_.AddDialect("Hongkong");
  EXPECT_EQ(library_.SetCurrentUserChecked("Nobody"), kVokUnknownUser);
  EXPECT_EQ(library_.SetCurrentUserChecked("HongkongMale"), kVokOk);
  EXPECT_EQ(machine_.ReadText(kEngineRegistryKey, "User").value_or(""), "HongkongMale");
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  EXPECT_EQ(library_.SetCurrentUserChecked("ChinaMale"), kVokUserLocked);
  EXPECT_EQ(library_.SetCurrentUser("ChinaMale"), kVokUserLocked);
  VokUserRecord record{};
  EXPECT_EQ(library_.GetCurrentUserInfo(&record), kVokOk);
  EXPECT_STREQ(record.name, "HongkongMale");
  EXPECT_EQ(record.script, 4u);
  library_.Destroy();
  // Another process holds a started engine.
  SharedSection().instance_count.store(1);
  EXPECT_EQ(library_.SetCurrentUserChecked("ChinaMale"), kVokUserLocked);
  SharedSection().instance_count.store(0);
}

TEST_F(StartUpTest, AbandonedAtProcessExitGivesBackTheCount) {
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  library_.AbandonAtProcessExit();
  EXPECT_EQ(SharedSection().instance_count.load(), 0u);
}

TEST_F(StartUpTest, UsersAndDialects) {
  tree_.AddUser("Zed", ProfileHeader(0x10));
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  std::uint32_t count = 0;
  EXPECT_EQ(library_.GetNumUsers(&count), kVokOk);
  EXPECT_EQ(count, 2u);
  VokUserRecord records[2] = {};
  count = 1;
  EXPECT_EQ(library_.GetUsers(&count, records), kVokOk);
  EXPECT_EQ(count, 1u);
  EXPECT_STREQ(records[0].name, "ChinaMale");
  count = 0;
  EXPECT_EQ(library_.GetUsers(&count, records), kVokOk);
  EXPECT_EQ(count, 0u);
  std::uint32_t dialects[4] = {};
  count = 4;
  EXPECT_EQ(library_.GetInstalledDialects(&count, dialects), kVokOk);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(dialects[0], 0x10u);
  const std::int32_t speech_folders[] = {kLexiconFolder, kSpeechF, -1};
  EXPECT_EQ(library_.GetNumInstalledDialectsEx(speech_folders), 0u);
}

TEST_F(StartUpTest, ResourcesDefaultsAfterStartUp) {
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  const std::string dump = tree_.Path("dump.txt");
  ASSERT_EQ(library_.engine()->resources->Write(dump.c_str()), 0);
  std::ifstream in(dump);
  std::stringstream text;
  text << in.rdbuf();
  std::string expected = R"(System.NBestChoices	50
System.OutputNBestChoices	10
System.Verbosity	0
LMBackend.CoreLMFile	@|Data|China|LM1
LMBackend.ClassBigramWeight	1.0
LMBackend.ClassTrigramWeight	2.0
LMBackend.WordProbWeight	0.5
LMBackend.WordInsertionPenalty	-50
LMBackend.WordProbFloorRate	0.85
LMBackend.ClassTrigramWordPenalty	0
LMBackend.ClassBigramProbFloorRate	0.3
LMBackend.CacheLMHistory	100
LMBackend.CacheLMWeight	0.8
Search.GenWordLattice	1
Search.CharacterCountThreshold	0
Search.StackSearchBeam	300
Search.PhoneBeam	320
Search.PhoneTransBeam	320
Search.PhoneExitBeam	80
Search.SyllableTransBeam	350
Search.FastMatchBeam	1000
Search.FastMatchLookahead	8
Search.LogProbMultiple	13.0
Search.SyllableInsertionPenalty	-50
Search.PhoneInsertionPenalty	-35
Search.HMMSkipState	0
Search.WordInsertionPenalty	0
VA_Search.PhoneBeam	400
VA_Search.PhoneTransBeam	400
VA_Search.PhoneExitBeam	100
VA_Search.WordTransBeam	400
VA_Search.GarbageInsertionPenalty	-200
Keyboard.BinaryFrontendFile	@|Data/Keyboard
CHRecognitionSystem.Run2D	1
HWRSentence.ResultScript	1
HWRSentence.DataFileSC	@|Data|China|HWRSC
HWRSentence.DataFileTC	@|Data|China|HWRTC
HWRSentence.DataFileRom	@|Data|China|HWRRom
HWRSentence.DataFilePun	@|Data|China|HWRPUN
HWRSentence.DataFileAntiGesture	@|Data|China|HWRANTIG
)";
  // '|' stands for the layout's separator; files in a folder join with '/'.
  for (char& c : expected) {
    if (c == '|') c = kFolderSeparator;
  }
  for (std::size_t at; (at = expected.find('@')) != std::string::npos;) expected.replace(at, 1, tree_.root());
  EXPECT_EQ(text.str(), expected);
}

TEST_F(StartUpTest, AudioLevelPrecedence) {
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  std::uint16_t first = 0, second = 0;
  EXPECT_EQ(library_.GetAudioLevels(&first, &second), kVokOk);
  EXPECT_EQ(first, 100);
  EXPECT_EQ(second, 2048);
  EXPECT_EQ(user_.ReadNumber(kEngineRegistryKey, "AudioLevels").value_or(0), (100u << 16) | 2048u);
  user_.WriteNumber(kEngineRegistryKey, "AudioLevels", (7u << 16) | 8u);
  library_.GetAudioLevels(&first, &second);
  EXPECT_EQ(first, 7);
  EXPECT_EQ(second, 8);
  tree_.WriteFile("Users/ChinaMale/Prefs", "Speech.BLevel\t30\nSpeech.Level\t40\nOther.Key\tkept\n");
  library_.GetAudioLevels(&first, &second);
  EXPECT_EQ(first, 30);
  EXPECT_EQ(second, 40);
  const std::uint32_t generation = SharedSection().levels_generation.load();
  EXPECT_EQ(library_.SetAudioLevels(50, 60), kVokOk);
  EXPECT_EQ(SharedSection().levels_generation.load(), generation + 1);
  EXPECT_EQ(user_.ReadNumber(kEngineRegistryKey, "AudioLevels").value_or(0), (50u << 16) | 60u);
  std::ifstream prefs(tree_.Path("Users/ChinaMale/Prefs"));
  std::stringstream text;
  text << prefs.rdbuf();
  EXPECT_NE(text.str().find("Other.Key\tkept"), std::string::npos);
  EXPECT_NE(text.str().find("Speech.BLevel\t50"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(tree_.Path("Users/ChinaMale/Prefs.new")));
}

TEST_F(StartUpTest, HomophonesOfTheMap) {
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  const char* text = nullptr;
  EXPECT_EQ(library_.PronToHomophonesEx("BA", &text), kVokOk);
  EXPECT_STREQ(text, "\xb0\xcb\xb0\xd3");
  std::uint16_t first = 1, second = 1;
  EXPECT_EQ(library_.PronToHomophones("ma", &first, &second), kVokOk);
  EXPECT_EQ(first, 0xC2E8);
  EXPECT_EQ(second, 0);  // a text of one character
  EXPECT_EQ(library_.PronToHomophonesEx("zzz", &text), kVokTextRefused);
}

TEST(HomophoneMapTest, LinesBeyondTheAnnouncedCountAreIgnored) {
  EngineTree tree;
  tree.WriteFile("map", "1\nba \xb0\xcb\nma \xc2\xe8\n");
  CHomophoneMap map;
  ASSERT_EQ(map.Load(tree.Path("map")), kVokOk);
  EXPECT_EQ(map.size(), 1u);
  tree.WriteFile("counted", "ba\t\xb0\xcb\r\nma \xc2\xe8\r\n\n");
  ASSERT_EQ(map.Load(tree.Path("counted")), kVokOk);
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map.Load(tree.Path("missing")), kVokInternalFailure);
}

TEST_F(StartUpTest, FolderHelpers) {
  char wave[260];
  const std::string user = tree_.Path("Users/ChinaMale");
  EXPECT_EQ(library_.GetUserWavePath(user.c_str(), wave), kVokOk);
  EXPECT_TRUE(std::filesystem::is_directory(wave));
  const std::string deep = "/" + std::string(258, 'd');
  EXPECT_EQ(library_.GetUserWavePath(deep.c_str(), wave), kVokInternalFailure);
  tree_.WriteFile("Users/ChinaMale/WAVE/1.wav", "x");
  tree_.WriteFile("Users/ChinaMale/WAVE/2.wav", "y");
  EXPECT_EQ(library_.ClearDirectory(""), kVokBadArgument);
  EXPECT_EQ(library_.ClearDirectory("relative/WAVE"), kVokBadArgument);
  EXPECT_EQ(library_.ClearDirectory(wave), kVokOk);
  EXPECT_TRUE(std::filesystem::is_empty(wave));
  tree_.WriteFile("Data/China/SpeechF", "f");
  tree_.WriteFile("Data/China/SpeechM2", "m");
  tree_.WriteFile("Data/China/Speech.bak", "b");
  std::filesystem::create_directories(tree_.Path("Data/China/SpeechFolder"));
  std::uint32_t size = 0, count = 0;
  EXPECT_EQ(library_.GetAllSpeechFiles(0x10, nullptr, &size, &count), kVokOk);
  EXPECT_EQ(size, std::strlen("SpeechF") + std::strlen("SpeechM2") + 4);
  std::vector<char> names(size);
  std::uint32_t small = 3;
  EXPECT_EQ(library_.GetAllSpeechFiles(0x10, names.data(), &small, &count), kVokOutOfMemory);
  EXPECT_EQ(library_.GetAllSpeechFiles(0x10, names.data(), &size, &count), kVokOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(library_.GetAllSpeechFiles(0x100, nullptr, &size, &count), kVokFileMissing);
}

TEST_F(StartUpTest, LaunchToolStatuses) {
  platform::ProcessInformation information{};
  EXPECT_EQ(library_.LaunchTool(1, nullptr, false, &information), kVokNotStarted);
  ASSERT_EQ(library_.InitializeEx(0), kVokOk);
  EXPECT_EQ(library_.LaunchTool(6, nullptr, false, &information), kVokBadArgument);
  EXPECT_EQ(library_.LaunchTool(1, nullptr, false, &information), kVokToolMissing);
  tree_.WriteFile("Code/Fennoy.exe", "tool");
  const std::string long_arguments(2000, 'a');
  EXPECT_EQ(library_.LaunchTool(1, long_arguments.c_str(), false, &information), kVokBadArgument);
}

}  // namespace
}  // namespace vok::api
