#include "engine/core/syllable_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/hypothesis.h"
#include "engine/core/messages.h"
#include "engine/core/scoring.h"
#include "engine/core/tests/test_support.h"

namespace {

using Ids = std::vector<uint16_t>;

std::string TempPath(const std::string& name) { return testing::TempDir() + "syllable_table_" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The HMM names of the fixture.
std::unique_ptr<vok::SymbolTable> ModelNames() {
  auto names = std::make_unique<vok::SymbolTable>(64);
  for (const char* name : {"SIL", "zh(#,ong1)", "ong1(zh,#)", "g(#,uo2)", "uo2(g,#)", "a1"}) names->Add(name);
  return names;
}

constexpr const char* kText =
    "# a small table\n"
    "%BEGIN <SYLLABLE>\n"
    "ZHONG1 zh(#,ong1) ong1(zh,#)\n"
    "\n"
    "GUO2\tg(#,uo2) uo2(g,#)\n"
    "A2 a1_x\n"
    "BAD nosuch\n"
    "%END\n"
    "%BEGIN <FANOUT>\n"
    "zh(#,ong1) zh(#,ong1) SIL\n"
    "nosuch a1\n"
    "%END\n"
    "%BEGIN <OPTION>\n"
    "a1 a1 a1\n"
    "%END\n";

Ids Models(const vok::CSyllableTable& table, int id) {
  uint16_t list[64];
  const int n = table.GetSyllableModels(id, list, 64);
  return n < 0 ? Ids() : Ids(list + 1, list + n);
}

Ids Pron(const vok::CSyllableTable& table, const char* text) {
  uint16_t list[16];
  if (table.PronToSyllables(text, list, 16) != 0) return {99};
  return Ids(list + 1, list + 1 + list[0]);
}

TEST(CSyllableTable, ReadsTheTextFormAndWritesItsTwin) {
  const std::string path = TempPath("text");
  WriteFile(path, kText);
  std::remove((path + "_Binary").c_str());
  auto names = ModelNames();
  vok_test::CapturedMessages messages;
  vok::CSyllableTable table(path.c_str(), names.get());
  ASSERT_EQ(table.status(), 0);
  EXPECT_EQ(table.syllable_count(), 4);
  EXPECT_EQ(table.capacity(), 20004);
  EXPECT_EQ(Models(table, 0), (Ids{1, 2}));
  EXPECT_EQ(Models(table, 1), (Ids{3, 4}));
  EXPECT_EQ(Models(table, 2), (Ids{5}));  // a1_x falls back to a1
  EXPECT_EQ(Models(table, 3), Ids());     // unspellable: no list, still counted
  EXPECT_EQ(Models(table, 4), (Ids{0}));  // the slot after the last: "SIL"
  EXPECT_NE(messages.Errors().find("Problem with pron BAD in Extract Models!"), std::string::npos);
  EXPECT_NE(messages.Errors().find("Problem with model nosuch in ReadFanouts!"), std::string::npos);
  EXPECT_EQ(table.fanout_count(), 1);
  ASSERT_NE(table.GetFanout("zh(#,ong1)"), nullptr);
  EXPECT_EQ(Ids(table.GetFanout("zh(#,ong1)"), table.GetFanout("zh(#,ong1)") + 3), (Ids{2, 1, 0}));
  EXPECT_EQ(table.GetModelFanout(1), table.GetFanout("zh(#,ong1)"));
  EXPECT_EQ(table.GetModelFanout(5), nullptr);
  EXPECT_EQ(table.GetFanout("nosuch"), nullptr);
  EXPECT_EQ(table.option_count(), 1);
  EXPECT_EQ(table.GetOption(0)[0], 2);
  EXPECT_EQ(table.GetClassNumbers(0), nullptr);
  // SIL zh # ong1 g uo2 a1
  EXPECT_EQ(table.allophones()->GetCount(), 7);
  EXPECT_TRUE(std::filesystem::exists(path + "_Binary"));

  // The twin reads without the text and gives the same table.
  std::remove(path.c_str());
  vok::CSyllableTable twin((path + "_Binary").c_str(), names.get());
  ASSERT_EQ(twin.status(), 0);
  EXPECT_EQ(twin.syllable_count(), 4);
  for (int id = 0; id <= 4; ++id) {
    EXPECT_EQ(Models(twin, id), Models(table, id)) << id;
    EXPECT_STREQ(twin.syllables()->GetName(id), table.syllables()->GetName(id));
  }
  EXPECT_EQ(twin.fanout_count(), 1);
  EXPECT_EQ(twin.GetModelFanout(1)[0], 2);
  EXPECT_EQ(twin.option_count(), 1);
  EXPECT_EQ(twin.allophones()->GetCount(), 7);
  // Writing the twin's own binary gives the same bytes.
  const std::string again = TempPath("again");
  ASSERT_EQ(twin.WriteBinary(again.c_str()), 0);
  EXPECT_EQ(ReadFile(again), ReadFile(path + "_Binary"));
  std::remove((path + "_Binary").c_str());
  std::remove(again.c_str());
}

TEST(CSyllableTable, NamesOnlyReadLeavesTheTwinAlone) {
  const std::string path = TempPath("names");
  WriteFile(path, kText);
  WriteFile(path + "_Binary", "keep");
  vok::CSyllableTable table(path.c_str());
  ASSERT_EQ(table.status(), 0);
  EXPECT_EQ(table.syllable_count(), 4);
  EXPECT_FALSE(table.has_models());
  EXPECT_EQ(Models(table, 0), Ids());
  EXPECT_EQ(table.fanout_count(), 0);
  EXPECT_EQ(ReadFile(path + "_Binary"), "keep");
  std::remove(path.c_str());
  std::remove((path + "_Binary").c_str());
}

TEST(CSyllableTable, AFailedTwinIsReportedNotFatal) {
  const std::string path = TempPath("blocked");
  WriteFile(path, kText);
  std::filesystem::create_directories(path + "_Binary.new");
  auto names = ModelNames();
  vok_test::CapturedMessages messages;
  vok::CSyllableTable table(path.c_str(), names.get());
  EXPECT_EQ(table.status(), 0);
  EXPECT_NE(messages.Errors().find("Cannot write the binary syllable table"), std::string::npos);
  std::filesystem::remove_all(path + "_Binary.new");
  std::remove(path.c_str());
}

TEST(CSyllableTable, FourHundredTenLines) {
  std::string text = "%BEGIN <SYLLABLE>\n";
  for (int i = 0; i < 410; ++i) text += "S" + std::to_string(i) + " a1\n";
  text += "%END\n";
  const std::string path = TempPath("410");
  WriteFile(path, text);
  auto names = ModelNames();
  vok::CSyllableTable table(path.c_str(), names.get());
  EXPECT_EQ(table.syllable_count(), 410);
  EXPECT_EQ(table.capacity(), 20410);
  EXPECT_EQ(Models(table, 410), (Ids{0}));
  EXPECT_EQ(Models(table, 411), Ids());
  std::remove(path.c_str());
  std::remove((path + "_Binary").c_str());
}

TEST(CSyllableTable, MissingAndForeignFilesFail) {
  vok_test::CapturedMessages messages;
  vok::CSyllableTable missing("no/such/table");
  EXPECT_EQ(missing.status(), -1);
  EXPECT_NE(messages.Errors().find("Problem with reading [no/such/table]"), std::string::npos);
  // A title length of 300 is read as 250 bytes: no binary title, and the text
  // has no syllable section.
  const std::string path = TempPath("title300");
  std::string bytes = vok_test::Bytes({0x2C, 0x01, 0, 0});
  bytes += std::string(vok::CSyllableTable::kTitle) + '\0';
  WriteFile(path, bytes);
  EXPECT_EQ(vok::CSyllableTable(path.c_str()).status(), -1);
  std::remove(path.c_str());
}

TEST(CSyllableTable, SplitModelName) {
  const std::string path = TempPath("split");
  WriteFile(path, kText);
  auto names = ModelNames();
  names->Add("SIL(a1,g)");
  names->Add("a1(zh)");
  vok::CSyllableTable table(path.c_str(), names.get());
  const vok::SymbolTable& allophones = *table.allophones();
  const auto id = [&](const char* name) { return static_cast<uint16_t>(allophones.Find(name)); };
  struct Case {
    int model;
    uint16_t center, left, right;
  };
  const Case cases[] = {
      {1, id("zh"), 65535, id("ong1")},  // zh(#,ong1)
      {2, id("ong1"), id("zh"), 65535},  // ong1(zh,#)
      {5, id("a1"), 65535, 65535},       // a1
      {0, 65535, 65535, 65535},          // SIL
      {6, 65535, id("a1"), id("g")},     // SIL(a1,g)
      {7, id("a1"), id("zh"), 65535},    // a1(zh): no right part
      {99, 65535, 65535, 65535},         // no such model
  };
  for (const Case& c : cases) {
    const vok::CSyllableTable::ModelParts parts = table.SplitModelName(c.model);
    EXPECT_EQ(parts.center, c.center) << c.model;
    EXPECT_EQ(parts.left, c.left) << c.model;
    EXPECT_EQ(parts.right, c.right) << c.model;
  }
  std::remove(path.c_str());
  std::remove((path + "_Binary").c_str());
}

TEST(CSyllableTable, PronunciationsAndTexts) {
  const std::string path = TempPath("prons");
  WriteFile(path, kText);
  auto names = ModelNames();
  vok::CSyllableTable table(path.c_str(), names.get());
  EXPECT_EQ(Pron(table, "zhong1-guo2"), (Ids{0, 1}));
  EXPECT_EQ(Pron(table, " Guo2  zhong1 "), (Ids{1, 0}));
  EXPECT_EQ(Pron(table, "zhong1-xx"), (Ids{99}));
  uint16_t small[2];
  EXPECT_EQ(table.PronToSyllables("zhong1-guo2", small, 2), -1);
  uint16_t models[8];
  ASSERT_EQ(table.PronToModels("zhong1 guo2", models, 8), 0);
  EXPECT_EQ(Ids(models, models + 5), (Ids{4, 1, 2, 3, 4}));
  EXPECT_EQ(table.PronToModels("zhong1 guo2", models, 4), -1);
  EXPECT_EQ(table.PronToModels("bad", models, 8), -1);

  char text[64];
  const Ids both = {2, 0, 1};
  ASSERT_EQ(table.SyllablesToText(both.data(), text, sizeof text), 0);
  EXPECT_STREQ(text, "ZHONG1 GUO2 ");
  ASSERT_EQ(table.SyllablesToToneless(both.data(), text, sizeof text), 0);
  EXPECT_STREQ(text, "ZHONG GUO ");
  EXPECT_EQ(table.SyllablesToText(both.data(), text, 8), -1);
  EXPECT_STREQ(text, "ZHONG1 ");
  const Ids model_list = {3, 1, 2, 0};
  ASSERT_EQ(table.ModelsToText(model_list.data(), text, sizeof text), 0);
  EXPECT_STREQ(text, "zh ong1 SIL ");

  // Units: a-b spells as a then b; the unit first takes the "SIL" slot.
  EXPECT_EQ(table.AddSyllable("ZHONG1-GUO2"), 5);
  EXPECT_EQ(Models(table, 4), (Ids{1, 2, 3, 4}));
  ASSERT_EQ(table.SyllablesToText(Ids{1, 4}.data(), text, sizeof text), 0);
  EXPECT_STREQ(text, "ZHONG1 GUO2 ");
  EXPECT_EQ(table.AddSyllable("ZHONG1-XX"), -2);
  EXPECT_EQ(table.syllable_count(), 6);
  EXPECT_EQ(Models(table, 5), Ids());
  EXPECT_EQ(table.AddSyllable("GUO2-GUO2"), 7);
  EXPECT_EQ(table.syllables()->Find("GUO2-GUO2"), 6);
  EXPECT_EQ(table.AddSyllable("GUO2-GUO2"), -1);
  std::remove(path.c_str());
  std::remove((path + "_Binary").c_str());
}

TEST(CSyllableTable, CopiedNamesFillUpToTheCapacity) {
  vok::SymbolTable names(8);
  names.Add("A1");
  vok::CSyllableTable table(names);
  EXPECT_EQ(table.status(), 0);
  EXPECT_EQ(table.capacity(), 20001);
  EXPECT_EQ(Pron(table, "a1"), (Ids{0}));
  int result = 0;
  for (int i = 0; result != -1; ++i) result = table.AddSyllable(("U" + std::to_string(i)).c_str());
  EXPECT_EQ(table.syllable_count(), 20001);
}

TEST(CSyllableTable, ClassNumbersAreTheCallersOnly) {
  vok::SymbolTable names(8);
  for (const char* n : {"A1", "B2", "C3"}) names.Add(n);
  vok::CSyllableTable table(names);
  EXPECT_EQ(table.GetClassNumbers(1), nullptr);
  EXPECT_EQ(table.SetClassNumbers(1, {7, 8, 600}), 0);
  ASSERT_NE(table.GetClassNumbers(1), nullptr);
  EXPECT_EQ(Ids(table.GetClassNumbers(1), table.GetClassNumbers(1) + 3), (Ids{7, 8, 600}));
  // The others are in no class; outside the table there is nothing to set.
  ASSERT_NE(table.GetClassNumbers(0), nullptr);
  EXPECT_EQ(table.GetClassNumbers(0)[0], 65535);
  EXPECT_EQ(table.SetClassNumbers(3, {1, 1, 1}), -1);
  EXPECT_EQ(table.GetClassNumbers(3), nullptr);
}

TEST(CSyllableTable, PrintNBestCountsTheReference) {
  const std::string path = TempPath("nbest");
  WriteFile(path, kText);
  vok::CSyllableTable table(path.c_str());
  vok::NBestList list(5);
  const Ids first = {1, 0}, second = {0, 1};
  list.Append(-1, first.data(), 2);
  list.Append(-2, second.data(), 2);
  vok::Scoring scoring;
  table.PrintNBest(Ids{2, 0, 1}.data(), 3, &list, &scoring);
  EXPECT_EQ(list.found(), 1);
  EXPECT_EQ(list.rank_count(1), 1);
  EXPECT_EQ(scoring.sentences(), 1);
  std::remove(path.c_str());
}

// The binary form of a table of one syllable "A1" spelled "a1", assembled by
// hand: little-endian int32 fields and NUL-terminated string records.
std::string GoldenBinary(std::vector<std::size_t>* fields = nullptr) {
  std::string bytes;
  const auto int32 = [&](uint32_t v) {
    if (fields) fields->push_back(bytes.size());
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const auto record = [&](const std::string& text) {
    int32(static_cast<uint32_t>(text.size() + 1));
    bytes += text;
    bytes.push_back('\0');
  };
  record("<SYL_TABLE_DATA>v15Feb2000");
  int32(1);
  int32(0);
  int32(0);
  record("<SYLLABLE>");
  int32(1);
  int32(0);
  record("A1");
  int32(1);
  record("a1");
  record("<END_SYLLABLE>");
  record("<END_SYL_TABLE_DATA>");
  return bytes;
}

TEST(CSyllableTable, BinaryFormMatchesGoldenBytes) {
  const std::string text_path = TempPath("golden");
  WriteFile(text_path, "%BEGIN <SYLLABLE>\nA1 a1\n%END\n");
  auto names = ModelNames();
  vok::CSyllableTable table(text_path.c_str(), names.get());
  ASSERT_EQ(table.status(), 0);
  EXPECT_EQ(ReadFile(text_path + "_Binary"), GoldenBinary());
  std::remove(text_path.c_str());
  std::remove((text_path + "_Binary").c_str());
}

TEST(CSyllableTable, CorruptBinaryFilesAreRefused) {
  std::vector<std::size_t> fields;
  const std::string golden = GoldenBinary(&fields);
  const std::string path = TempPath("corrupt");
  auto names = ModelNames();
  vok_test::CapturedMessages messages;
  // Every cut short: refused.
  for (std::size_t length = 31; length < golden.size(); ++length) {
    WriteFile(path, golden.substr(0, length));
    EXPECT_NE(vok::CSyllableTable(path.c_str(), names.get()).status(), 0) << length;
  }
  // Every field patched with awkward values: no crash, and the counts,
  // lengths and indexes are refused.
  for (const std::size_t at : fields) {
    for (uint32_t value : {0xFFFFFFFFu, 0x7FFFFFFFu, 0u, 513u, 65535u, 2u}) {
      std::string bytes = golden;
      for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
      WriteFile(path, bytes);
      vok::CSyllableTable table(path.c_str(), names.get());
      if (table.status() == 0) {
        EXPECT_LE(table.syllable_count(), 2) << at;
      }
    }
  }
  struct Patch {
    std::size_t at;
    uint32_t value;
  };
  const Patch refused[] = {
      {31, 45536},  // S + 20000 reaches 65536
      {31, 2},      // two syllables announced, one stored
      {35, 1},      // a fan-out announced, none stored
      {62, 1},      // index 1 for entry 0
      {66, 600},    // name record longer than 512
      {66, 0},      // name record without its NUL
      {73, 1000},   // model count beyond the file
      {84, 14},     // end title one byte short
  };
  for (const Patch& p : refused) {
    std::string bytes = golden;
    for (int i = 0; i < 4; ++i)
      bytes[p.at + static_cast<std::size_t>(i)] = static_cast<char>(p.value >> (8 * i));
    WriteFile(path, bytes);
    EXPECT_EQ(vok::CSyllableTable(path.c_str(), names.get()).status(), -1) << p.at;
  }
  std::remove(path.c_str());
  std::remove((path + "_Binary").c_str());
}

}  // namespace
