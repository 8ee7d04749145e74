#include "engine/core/grammar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/back_trace_table.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "engine/core/testing/grammar_writer.h"
#include "engine/core/tests/test_support.h"

namespace {

using vok::CGrammar;
using vok::GrammarUnit;
using Sequences = std::set<std::string>;

// Test texts write each double-byte character as two ASCII letters.
std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "grammar_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Every label sequence of up to `limit` labels from the start to the end
// node, names from `words` (a nonterminal by its unit name); empty arcs
// consume nothing.
Sequences Accepted(const GrammarUnit& unit, const vok::SymbolTable& words, const vok::SymbolTable* units,
                   int limit = 5) {
  Sequences accepted;
  std::set<std::pair<const vok::NetworkNode*, std::string>> seen;
  std::function<void(const vok::NetworkNode*, const std::string&, int)> walk =
      [&](const vok::NetworkNode* node, const std::string& text, int n) {
        if (!seen.insert({node, text}).second) return;
        if (node == unit.end()) accepted.insert(text);
        for (const vok::NetworkTransition* t = node->first_out; t; t = t->next_out) {
          if (t->label == vok::kLabelEmpty) {
            walk(t->target, text, n);
          } else if (n < limit) {
            const std::string name = vok::GrammarLabelName(t->label, &words, units);
            walk(t->target, text.empty() ? name : text + " " + name, n + 1);
          }
        }
      };
  walk(unit.start(), "", 0);
  return accepted;
}

class GrammarTest : public ::testing::Test {
 protected:
  GrammarTest() : lexicon_(64), owner_(&lexicon_) {
    for (const char* word : {"qu", "beij", "be", "ij", "shan", "ha", "ng", "aa", "bb", "cc", "dd"}) {
      lexicon_.Add(word);
    }
  }

  std::unique_ptr<CGrammar> Load(const std::string& text, vok::GrammarOwner* owner = nullptr) {
    return std::make_unique<CGrammar>(WriteFile("g.txt", text).c_str(), 600, owner);
  }

  Sequences Words(const CGrammar& grammar, int unit, int limit = 5) {
    return Accepted(*grammar.unit(unit), grammar.words(), &grammar.unit_names(), limit);
  }
  Sequences Expanded(CGrammar* grammar, int limit = 5) {
    const GrammarUnit* network = grammar->GetNetwork();
    if (!network) return {"(none)"};
    const vok::SymbolTable& names = grammar->lexicon_words() ? *grammar->lexicon_words() : grammar->words();
    return Accepted(*network, names, nullptr, limit);
  }

  vok::SymbolTable lexicon_;
  vok::LexiconOwner owner_;
  vok_test::CapturedMessages messages_;
};

const char kCityGrammar[] =
    "# travel\n"
    "%BEGIN <TOP>\n"
    "qu <CITY>\n"
    "%END\n"
    "\n"
    "%BEGIN <CITY>\n"
    "beij | shan\n"
    "%END\n";

TEST_F(GrammarTest, MissingFileMakesAnEmptyGrammarOfThatName) {
  CGrammar grammar("<NAMES>", 600);
  EXPECT_TRUE(grammar.ok());
  EXPECT_EQ(grammar.unit_count(), 1);
  EXPECT_STREQ(grammar.GetUnitName(0), "<NAMES>");
  EXPECT_STREQ(grammar.unit(0)->name(), "<NAMES>");
  EXPECT_EQ(grammar.unit(0)->TransitionCount(), 0);
  EXPECT_EQ(grammar.GetUnitName(1), nullptr);
}

TEST_F(GrammarTest, UnitIndexesFollowTheBeginLines) {
  auto grammar = Load(kCityGrammar);
  ASSERT_EQ(grammar->unit_count(), 2);
  EXPECT_STREQ(grammar->GetUnitName(0), "<TOP>");
  EXPECT_STREQ(grammar->GetUnitName(1), "<CITY>");
  EXPECT_EQ(Words(*grammar, 0), (Sequences{"qu <CITY>"}));
  EXPECT_EQ(Words(*grammar, 1), (Sequences{"beij", "shan"}));
}

TEST_F(GrammarTest, TextFormEdgeCases) {
  {
    auto grammar = Load("just words\n%BEGIN <A>\na\n%END\n");
    EXPECT_NE(messages_.Errors().find("Need %BEGIN to begin a new grammar!"), std::string::npos);
    ASSERT_EQ(grammar->unit_count(), 1);
    EXPECT_STREQ(grammar->unit(0)->name(), "");
    EXPECT_EQ(grammar->unit(0)->TransitionCount(), 0);
  }
  {
    // A second block of one name is skipped whole; the next block reads.
    auto grammar = Load("%BEGIN <A>\na\n%END\n%BEGIN <A>\nb\n%END\n%BEGIN <B>\nc\n%END\n");
    ASSERT_EQ(grammar->unit_count(), 2);
    EXPECT_EQ(Words(*grammar, 0), (Sequences{"a"}));
    EXPECT_EQ(Words(*grammar, 1), (Sequences{"c"}));
  }
  {
    // A unit name over 51 characters is refused; so is a body token over 91.
    const std::string long_name(60, 'N');
    auto grammar =
        Load("%BEGIN <A>\na " + std::string(95, 'x') + " b\n%END\n%BEGIN <" + long_name + ">\nz\n%END\n");
    EXPECT_EQ(grammar->unit_count(), 1);
    EXPECT_EQ(Words(*grammar, 0), (Sequences{"a b"}));
    EXPECT_EQ(grammar->unit_names().Find(("<" + long_name + ">").c_str()), -1);
  }
  {
    // Lines are read whole: a body line longer than 512 bytes is one line.
    std::string line;
    for (int i = 0; i < 200; ++i) line += "w" + std::to_string(i) + " ";
    auto grammar = Load("%BEGIN <A>\n" + line + "\n| last\n%END\n");
    EXPECT_EQ(grammar->words().GetCount(), 201);
    EXPECT_TRUE(Words(*grammar, 0, 1).count("last"));
  }
  {
    auto grammar = Load("");
    EXPECT_EQ(grammar->unit_count(), 1);
  }
}

TEST_F(GrammarTest, UnitSlotsEndAt500) {
  std::string text;
  for (int i = 0; i < 502; ++i) text += "%BEGIN <U" + std::to_string(i) + ">\nw\n%END\n";
  auto grammar = Load(text);
  EXPECT_EQ(grammar->unit_count(), 500);
  EXPECT_EQ(grammar->unit_names().Find("<U500>"), -1);
  EXPECT_EQ(grammar->AddItem("<MORE>", 0), -2);
  vok::GrammarPhrase* phrase = grammar->NewPhrase();
  ASSERT_EQ(grammar->AppendToPhrase(phrase, "w", 0), 0);
  EXPECT_EQ(grammar->AddPhraseToUnit("<MORE>", phrase), -1);
  EXPECT_EQ(grammar->AddPhraseToUnit("<U499>", phrase), 0);
  grammar->FreePhrase(phrase);
}

TEST_F(GrammarTest, BigramFormsGiveTheirNetworks) {
  // Lower-case header: the character-bigram form, unit name upper-cased.
  auto grammar = Load("%bigram names\naabb\naacc\n# aadd\nbbcc\n", &owner_);
  ASSERT_EQ(grammar->unit_count(), 1);
  EXPECT_STREQ(grammar->GetUnitName(0), "NAMES");
  EXPECT_EQ(grammar->unit_names().Find("NAMES"), 0);
  // Characters are nodes 2.. in order of appearance, arcs are their words.
  EXPECT_EQ(grammar->unit(0)->NodeCount(), 5);
  // Each pair seen once: "bb" may begin and end a sequence.
  const Sequences pairs{"aa bb", "aa cc", "bb cc", "aa bb cc", "bb"};
  EXPECT_EQ(Words(*grammar, 0), pairs);
  EXPECT_EQ(Expanded(grammar.get()), pairs);

  // Characters that are no lexicon word, and the separator, are skippable.
  auto separated = Load(
      "%BIGRAM X\naaxx\xA1\xA4"
      "bb\n",
      &owner_);
  EXPECT_EQ(Words(*separated, 0), (Sequences{"aa bb"}));
  EXPECT_EQ(Accepted(*separated->unit(0), separated->words(), nullptr).size(), 1u);

  // Final-word form: the longest lexicon suffix of two or more characters.
  auto final_form = Load("%BIGRAM+END Y\naabeij\nccshan\nddqq\n", &owner_);
  EXPECT_STREQ(final_form->GetUnitName(0), "Y");
  EXPECT_EQ(Words(*final_form, 0), (Sequences{"aa beij", "cc shan", "dd qq", "aa shan", "cc beij", "aa qq",
                                              "cc qq", "dd beij", "dd shan"}));
  // "qq" is no lexicon word: a grammar word that expansion cannot segment.
  const Sequences expanded = Expanded(final_form.get());
  EXPECT_TRUE(expanded.count("aa beij"));
  EXPECT_FALSE(expanded.count("dd qq"));
  EXPECT_NE(messages_.Output().find("Unable to segment qq\n"), std::string::npos);
}

TEST_F(GrammarTest, BigramWithoutANameStops) {
  auto grammar = Load("%BIGRAM\naabb\n", &owner_);
  EXPECT_EQ(grammar->unit_count(), 1);
  EXPECT_EQ(grammar->unit(0)->TransitionCount(), 0);
  EXPECT_NE(messages_.Errors().find("WARNING"), std::string::npos);
}

TEST_F(GrammarTest, BinaryMagicWinsOverText) {
  vok_testing::BinaryGrammar description;
  description.words = {"qu"};
  description.unit_names = {"<TOP>"};
  description.units = {{"<TOP>", 2, {{0, -5, 0, 1}}}};
  const std::string bytes = vok_testing::WriteBinaryGrammar(description) + "\n%BEGIN <X>\nq\n%END\n";
  CGrammar grammar(WriteFile("g.bin", bytes).c_str(), 600);
  ASSERT_TRUE(grammar.ok());
  ASSERT_EQ(grammar.unit_count(), 1);
  EXPECT_STREQ(grammar.GetUnitName(0), "<TOP>");
  ASSERT_EQ(grammar.unit(0)->TransitionCount(), 1);
  EXPECT_EQ(grammar.unit(0)->Transition(0)->weight, -5);
  // Read tables are the grammar's own: items can still be added.
  EXPECT_EQ(grammar.AddItem("more", 0), 0);
  EXPECT_EQ(grammar.AddItem("<NEW>", 0), 0);
  EXPECT_EQ(grammar.unit_count(), 2);
  // A text file shorter than the magic is text.
  CGrammar text(WriteFile("short.txt", "%BEGIN <S>\n").c_str(), 600);
  EXPECT_STREQ(text.GetUnitName(0), "<S>");
}

TEST_F(GrammarTest, TextAndBinaryFormsGiveEqualNetworksAndParses) {
  auto text = Load(kCityGrammar + std::string("%BEGIN <MORE>\n[ ha ] ng+ <*> qu-$0.5\n%END\n"));
  const vok_testing::BinaryGrammar description = vok_testing::DescribeGrammar(*text);
  CGrammar binary(WriteFile("g.bin", vok_testing::WriteBinaryGrammar(description)).c_str(), 600);
  ASSERT_TRUE(binary.ok());
  ASSERT_EQ(binary.unit_count(), text->unit_count());
  for (int u = 0; u < text->unit_count(); ++u) {
    EXPECT_EQ(Words(binary, u), Words(*text, u));
    EXPECT_EQ(binary.unit(u)->NodeCount(), text->unit(u)->NodeCount());
  }
  // Byte for byte: the grammar read back describes itself the same way.
  EXPECT_EQ(vok_testing::WriteBinaryGrammar(vok_testing::DescribeGrammar(binary)),
            vok_testing::WriteBinaryGrammar(description));
  vok::CParseToken a[CGrammar::kParseTokens];
  vok::CParseToken b[CGrammar::kParseTokens];
  EXPECT_EQ(text->Parse("qushan", a), 1);
  EXPECT_EQ(binary.Parse("qushan", b), 1);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(a[i].label, b[i].label);
    EXPECT_EQ(a[i].subtree_size, b[i].subtree_size);
  }
}

TEST_F(GrammarTest, CorruptBinaryFilesAreRefusedWhole) {
  vok_testing::BinaryGrammar description;
  description.words = {"qu", "beij"};
  description.unit_names = {"<TOP>", "<CITY>"};
  description.units = {{"<TOP>", 3, {{0, 0, 0, 2}, {static_cast<int32_t>(0x80000001), 0, 2, 1}}},
                       {"<CITY>", 2, {{1, 0, 0, 1}}}};
  vok_testing::BinaryGrammarOffsets at;
  const std::string good = vok_testing::WriteBinaryGrammar(description, &at);
  {
    CGrammar grammar(WriteFile("good.bin", good).c_str(), 600);
    ASSERT_TRUE(grammar.ok());
    EXPECT_EQ(Words(grammar, 0), (Sequences{"qu <CITY>"}));
  }
  struct Patch {
    const char* what;
    std::size_t offset;
    int32_t value;
  };
  const Patch patches[] = {
      {"word count beyond the file", at.word_count, 100000},
      {"negative word count", at.word_count, -7},
      {"unit count zero", at.unit_count, 0},
      {"unit count above the names", at.unit_count, 3},
      {"node count 1", at.node_count[0], 1},
      {"node count beyond the file", at.node_count[0], 1000000},
      {"node id out of order", at.first_node_id[0], 1},
      {"word label beyond the table", at.first_arc_label[0], 2},
      {"nonterminal beyond the units", at.first_arc_label[0], static_cast<int32_t>(0x80000002)},
      {"unknown special label", at.first_arc_label[0], 65532},
      {"target beyond the nodes", at.first_arc_target[0], 3},
      {"negative target", at.first_arc_target[0], -1},
      {"source not its node", at.first_arc_target[0] - 4, 1},
  };
  for (const Patch& patch : patches) {
    std::string bytes = good;
    vok_testing::PatchInt32(&bytes, patch.offset, patch.value);
    CGrammar grammar(WriteFile("bad.bin", bytes).c_str(), 600);
    EXPECT_FALSE(grammar.ok()) << patch.what;
    EXPECT_EQ(grammar.unit_count(), 1) << patch.what;
    EXPECT_EQ(grammar.unit(0)->TransitionCount(), 0) << patch.what;
  }
  // Every cut of the file is refused.
  for (std::size_t length = 19; length < good.size(); ++length) {
    CGrammar grammar(WriteFile("cut.bin", good.substr(0, length)).c_str(), 600);
    EXPECT_FALSE(grammar.ok()) << length;
  }
  // A unit record whose name differs from its slot's name.
  std::string renamed = good;
  renamed[at.unit_name[1] + 3] = 'X';
  CGrammar grammar(WriteFile("renamed.bin", renamed).c_str(), 600);
  EXPECT_FALSE(grammar.ok());
}

TEST_F(GrammarTest, ExpansionCopiesUnitsWithTheReferenceWeightOnStartArcs) {
  auto grammar = Load(
      "%BEGIN <TOP>\nqu <CITY>$0.5 ha\n%END\n"
      "%BEGIN <CITY>\nbeij$0.5 ng | shan\n%END\n",
      &owner_);
  EXPECT_EQ(Expanded(grammar.get()), (Sequences{"qu beij ng ha", "qu shan ha"}));
  const GrammarUnit* network = grammar->GetNetwork();
  std::map<std::string, int> weights;
  for (int i = 0; i < network->TransitionCount(); ++i) {
    const vok::UnitTransition* t = network->Transition(i);
    weights[lexicon_.GetName(t->label)] = t->weight;
  }
  EXPECT_EQ(weights["beij"], -56);  // its own -28 and the reference's -28
  EXPECT_EQ(weights["shan"], -28);
  EXPECT_EQ(weights["ng"], 0);
  EXPECT_FALSE(grammar->changed());
  EXPECT_EQ(grammar->GetNetwork(), network);  // built once per change
}

TEST_F(GrammarTest, ExpansionFailures) {
  vok::SetLogStream(std::tmpfile());
  {
    // Left recursion: expanded 254 times, reported at the 255th.
    auto grammar = Load("%BEGIN <TOP>\n<TOP> qu\n| ha\n%END\n");
    EXPECT_EQ(grammar->GetNetwork(), nullptr);
    std::FILE* log = vok::GetLogStream();
    std::rewind(log);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, log), nullptr);
    EXPECT_STREQ(line, "Found recursive nonterm <TOP>!\n");
  }
  {
    // A unit named in the file whose body was never read.
    auto grammar = Load("%BEGIN <TOP>\nqu <GONE>\n%END\nstop\n%BEGIN <GONE>\nha\n%END\n");
    EXPECT_EQ(grammar->unit_count(), 1);
    EXPECT_EQ(grammar->GetNetwork(), nullptr);
  }
  std::fclose(vok::GetLogStream());
  vok::SetLogStream(nullptr);
}

TEST_F(GrammarTest, SegmentationIntoLexiconWords) {
  auto grammar = Load("%BEGIN <TOP>\nquha$0.5 beij\n%END\n", &owner_);
  // No segmenter: a word that is no lexicon entry loses its arc.
  EXPECT_EQ(Expanded(grammar.get()), Sequences{});
  EXPECT_NE(messages_.Output().find("Unable to segment quha\n"), std::string::npos);
  grammar->AttachSegmenter(&lexicon_, 8);
  grammar->AddItem("ng", 0);
  EXPECT_EQ(Expanded(grammar.get()), (Sequences{"qu ha beij", "ng"}));
  const GrammarUnit* network = grammar->GetNetwork();
  for (int i = 0; i < network->TransitionCount(); ++i) {
    const vok::UnitTransition* t = network->Transition(i);
    const std::string word = lexicon_.GetName(t->label);
    EXPECT_EQ(t->weight, word == "ha" ? -28 : 0) << word;  // the last arc of a chain keeps the weight
  }
}

TEST_F(GrammarTest, ParseTokensOfTheCityExample) {
  auto grammar = Load(kCityGrammar);
  vok::CParseToken tokens[CGrammar::kParseTokens];
  ASSERT_EQ(grammar->Parse("qubeij", tokens), 1);
  char name[64];
  struct Expect {
    const char* name;
    int children;
    int size;
    const char* text;
  };
  const Expect expected[] = {
      {"<TOP>", 2, 4, "qubeij"}, {"qu", 0, 1, "qu"}, {"<CITY>", 1, 2, "beij"}, {"beij", 0, 1, "beij"}};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(tokens[i].GetName(name, sizeof name), 0);
    EXPECT_STREQ(name, expected[i].name);
    EXPECT_EQ(tokens[i].child_count, expected[i].children);
    EXPECT_EQ(tokens[i].subtree_size, expected[i].size);
    ASSERT_EQ(tokens[i].GetText(name, sizeof name), 0);
    EXPECT_STREQ(name, expected[i].text);
  }
  EXPECT_EQ(tokens[4].label, -1);
  vok::CParseToken child;
  int position = 0;
  ASSERT_EQ(tokens[0].GetChild(1, &child, &position), 1);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(child.GetName(name, sizeof name), 0);
  EXPECT_STREQ(name, "<CITY>");
  EXPECT_EQ(tokens[0].GetChild(2, &child, &position), 0);
  // The caller's size holds: a cut text reports -1.
  char small[4];
  EXPECT_EQ(tokens[0].GetText(small, sizeof small), -1);
  EXPECT_STREQ(small, "qub");
  // Texts the grammar does not accept.
  EXPECT_EQ(grammar->Parse("qu", tokens), 0);
  EXPECT_EQ(grammar->Parse("beijqu", tokens), 0);
  EXPECT_EQ(grammar->Parse("qubeijqu", nullptr), 0);
}

TEST_F(GrammarTest, ParseEdgeCases) {
  auto grammar = Load("%BEGIN <TOP>\n[ qu ] <TAIL>\n%END\n%BEGIN <TAIL>\n[ ha ]\n%END\n");
  vok::CParseToken tokens[CGrammar::kParseTokens];
  // The empty text is the empty sequence; a unit matched by no word stays a
  // unit token.
  ASSERT_EQ(grammar->Parse("", tokens), 1);
  char name[16];
  ASSERT_EQ(tokens[1].GetName(name, sizeof name), 0);
  EXPECT_STREQ(name, "<TAIL>");
  EXPECT_FALSE(tokens[1].IsWord());
  // An optional unit at the end of the text.
  EXPECT_EQ(grammar->Parse("qu", tokens), 1);
  EXPECT_EQ(grammar->Parse("quha", tokens), 1);
  // Over 49 characters.
  auto long_grammar = Load("%BEGIN <TOP>\nqu+\n%END\n");
  std::string text;
  for (int i = 0; i < 49; ++i) text += "qu";
  EXPECT_EQ(long_grammar->Parse(text.c_str(), nullptr), 1);
  EXPECT_EQ(long_grammar->Parse((text + "qu").c_str(), nullptr), 0);
}

TEST_F(GrammarTest, ParseFailsWhenTheTreeOutgrowsTheTokens) {
  // 49 words, each four units deep: 1 + 49 x 5 tokens.
  auto grammar = Load(
      "%BEGIN <TOP>\n<A>+\n%END\n%BEGIN <A>\n<B>\n%END\n%BEGIN <B>\n<C>\n%END\n%BEGIN <C>\n<D>\n%END\n"
      "%BEGIN <D>\nqu\n%END\n");
  vok::CParseToken tokens[CGrammar::kParseTokens];
  std::string text;
  for (int i = 0; i < 49; ++i) text += "qu";
  EXPECT_EQ(grammar->Parse(text.c_str(), tokens), 0);
  EXPECT_EQ(grammar->Parse(text.c_str(), nullptr), 1);
  EXPECT_EQ(grammar->Parse("ququ", tokens), 1);
}

TEST_F(GrammarTest, ParseMeetsCyclesAndAmbiguity) {
  // Left recursion reads as far as the text goes; filler loops never match.
  auto grammar = Load("%BEGIN <TOP>\n<TOP> qu\n| ha\n| aa*\n%END\n");
  EXPECT_EQ(grammar->Parse("haququ", nullptr), 1);
  EXPECT_EQ(grammar->Parse("aaqu", nullptr), 1);
  EXPECT_EQ(grammar->Parse("qu", nullptr), 0);
  // A cycle of empty arcs.
  vok_testing::BinaryGrammar cycle;
  cycle.words = {"qu"};
  cycle.unit_names = {"<TOP>"};
  cycle.units = {
      {"<TOP>", 3, {{vok::kLabelEmpty, 0, 0, 2}, {vok::kLabelEmpty, 0, 2, 0}, {0, 0, 2, 1}, {0, 0, 1, 0}}}};
  CGrammar looped(WriteFile("cycle.bin", vok_testing::WriteBinaryGrammar(cycle)).c_str(), 600);
  ASSERT_TRUE(looped.ok());
  EXPECT_EQ(looped.Parse("ququqU", nullptr), 0);
  EXPECT_EQ(looped.Parse("quququ", nullptr), 1);
  // Every substring a word: the fewest-word reading is tried first.
  auto ambiguous = Load("%BEGIN <TOP>\n<W>+\n%END\n%BEGIN <W>\na | aa | aaa | aaaa\n%END\n");
  std::string text(98, 'a');
  vok::CParseToken tokens[CGrammar::kParseTokens];
  ASSERT_EQ(ambiguous->Parse(text.c_str(), tokens), 1);
  EXPECT_LE(tokens[0].subtree_size, 1 + 2 * 25);
}

TEST_F(GrammarTest, ItemsAndPhrases) {
  CGrammar grammar("<TOP>", 600, &owner_);
  EXPECT_EQ(grammar.AddItem("<*>", 0), 0);
  EXPECT_EQ(Words(grammar, 0), (Sequences{"<*>"}));
  EXPECT_EQ(grammar.AddItem("qu", 0x100), 0);
  EXPECT_EQ(Words(grammar, 0), (Sequences{"<*>", "qu", ""}));
  vok::GrammarPhrase* phrase = grammar.NewPhrase();
  ASSERT_NE(phrase, nullptr);
  EXPECT_EQ(grammar.AppendToPhrase(phrase, "beij", 0), 0);
  EXPECT_EQ(grammar.AppendToPhrase(phrase, "<CITY>", 0), 0);
  EXPECT_EQ(grammar.AppendToPhrase(phrase, std::string(92, 'x').c_str(), 0), -1);
  EXPECT_EQ(phrase->count, 2);
  EXPECT_EQ(grammar.AddPhraseToUnit("<GO>", phrase), 0);
  EXPECT_EQ(grammar.unit_count(), 3);
  EXPECT_EQ(Words(grammar, 2), (Sequences{"beij <CITY>"}));
  // <CITY> was made empty by the reference; <GO> is unused by <TOP>.
  int32_t list[8];
  EXPECT_EQ(grammar.FindEmptyUnits(list, 8), 2);
  EXPECT_EQ(list[0], 2);
  EXPECT_EQ(list[1], 1);  // <CITY> itself
  EXPECT_EQ(list[2], 1);  // the reference from <GO>
  EXPECT_EQ(grammar.RemovePhraseFromUnit("<GO>", phrase), 0);
  EXPECT_EQ(grammar.unit(2)->TransitionCount(), 0);
  grammar.FreePhrase(phrase);
  // Phrases come back from the free list.
  vok::GrammarPhrase* again = grammar.NewPhrase();
  EXPECT_EQ(again, phrase);
  EXPECT_EQ(again->count, 0);
  grammar.FreePhrase(again);

  EXPECT_EQ(grammar.ClearUnit("<NOPE>"), -1);
  grammar.GetNetwork();
  EXPECT_FALSE(grammar.changed());
  EXPECT_EQ(grammar.ClearUnit("<TOP>"), 0);
  EXPECT_TRUE(grammar.changed());
  EXPECT_EQ(grammar.unit(0)->TransitionCount(), 0);
}

TEST_F(GrammarTest, RemoveItemKeepsArcsOtherItemsUse) {
  auto grammar = Load("%BEGIN <TOP>\nqu ( ha | ng )\n| beij\n%END\n");
  // "qu" alone is no item; removing it changes nothing.
  EXPECT_EQ(grammar->RemoveItem("qu"), 0);
  EXPECT_EQ(Words(*grammar, 0), (Sequences{"qu ha", "qu ng", "beij"}));
  EXPECT_EQ(grammar->RemoveItem("beij"), 0);
  EXPECT_EQ(Words(*grammar, 0), (Sequences{"qu ha", "qu ng"}));
  // An item whose arcs are all shared with others stays, with a message.
  auto shared = Load("%BEGIN <TOP>\nqu*\n%END\n");
  vok::SetLogStream(std::tmpfile());
  shared->AddItem("qu", 0);
  const Sequences before = Words(*shared, 0);
  EXPECT_EQ(shared->RemoveItem("qu"), 0);
  EXPECT_EQ(Words(*shared, 0), before);
  std::fclose(vok::GetLogStream());
  vok::SetLogStream(nullptr);
  // A phrase made item by item is removed whole.
  CGrammar built("<TOP>", 600);
  built.AddItem("qu", 0);
  built.AddItem("ha", 0);
  EXPECT_EQ(built.RemoveItem("qu"), 0);
  EXPECT_EQ(Words(built, 0), (Sequences{"ha"}));
  EXPECT_EQ(built.unit(0)->TransitionCount(), 1);
}

TEST_F(GrammarTest, MergingGrammars) {
  auto cities = Load(kCityGrammar);
  CGrammar other_city(
      WriteFile("other.txt", "%BEGIN <MAIN>\nha <CITY>\n%END\n%BEGIN <CITY>\nng\n%END\n").c_str(), 600);
  CGrammar* others[] = {cities.get(), &other_city, nullptr};
  vok::SetLogStream(std::tmpfile());
  CGrammar merged("<ALL>", 600, nullptr, others);
  std::FILE* log = vok::GetLogStream();
  std::rewind(log);
  std::string logged;
  for (int c; (c = std::fgetc(log)) != EOF;) logged.push_back(static_cast<char>(c));
  std::fclose(log);
  vok::SetLogStream(nullptr);
  EXPECT_EQ(vok_test::Occurrences(logged, "\nName space overlap!\n"), 1);
  EXPECT_EQ(Words(merged, 0), (Sequences{"<TOP>", "<MAIN>"}));
  // This grammar's <CITY> (the first merged) is kept.
  const int city = merged.unit_names().Find("<CITY>");
  EXPECT_EQ(Words(merged, city), (Sequences{"beij", "shan"}));
  vok::CParseToken tokens[CGrammar::kParseTokens];
  EXPECT_EQ(merged.Parse("qushan", tokens), 1);
  EXPECT_EQ(merged.Parse("hashan", tokens), 1);
  EXPECT_EQ(merged.Parse("hang", tokens), 0);
}

TEST_F(GrammarTest, RemoveUnusedSymbolsRelabelsTheArcs) {
  auto grammar = Load("%BEGIN <TOP>\nqu ha ng\n| beij\n%END\n");
  EXPECT_EQ(grammar->RemoveItem("beij"), 0);
  grammar->RemoveUnusedSymbols();
  EXPECT_EQ(grammar->words().GetCount(), 3);
  EXPECT_EQ(grammar->words().Find("beij"), -1);
  EXPECT_EQ(Words(*grammar, 0), (Sequences{"qu ha ng"}));
}

TEST_F(GrammarTest, DumpsNameEveryLabel) {
  auto grammar = Load(kCityGrammar);
  vok::SetLogStream(std::tmpfile());
  grammar->unit(0)->Dump(&grammar->words(), &grammar->unit_names());
  grammar->unit(0)->Dump(nullptr, nullptr);
  std::FILE* log = vok::GetLogStream();
  std::rewind(log);
  std::string logged;
  for (int c; (c = std::fgetc(log)) != EOF;) logged.push_back(static_cast<char>(c));
  std::fclose(log);
  vok::SetLogStream(nullptr);
  EXPECT_NE(logged.find("Transition: <CITY> (2 -> 1, prob = 0)\n"), std::string::npos);
  EXPECT_NE(logged.find("Transition: ?? (0 -> 2, prob = 0)\n"), std::string::npos);
}

// Lattice matching against a plain enumeration of every backward walk.
struct LatticeWord {
  int start;
  int end;
  uint16_t label;
  int16_t score;
};

void BruteWalk(const GrammarUnit& unit, const vok::NetworkNode* node, int frame, int score,
               const std::vector<LatticeWord>& words, std::map<int, int>* hits, std::map<int, int>* best,
               std::set<const vok::NetworkNode*>* closure_seen) {
  if (node == unit.start()) {
    ++(*hits)[frame];
    if (!best->count(frame) || (*best)[frame] < score) (*best)[frame] = score;
    return;
  }
  // Start reachable backwards through empty and filler arcs.
  std::set<const vok::NetworkNode*> seen{node};
  std::vector<const vok::NetworkNode*> stack{node};
  bool reaches = false;
  while (!stack.empty()) {
    const vok::NetworkNode* at = stack.back();
    stack.pop_back();
    if (at == unit.start()) reaches = true;
    for (int i = 0; i < unit.TransitionCount(); ++i) {
      const vok::UnitTransition* t = unit.Transition(i);
      if (t->target == at && (t->label == vok::kLabelEmpty || t->label == vok::kLabelFiller) &&
          seen.insert(t->source).second) {
        stack.push_back(t->source);
      }
    }
  }
  if (reaches) ++(*hits)[frame];
  for (const LatticeWord& word : words) {
    if (word.end != frame) continue;
    std::set<const vok::NetworkNode*> empty_seen{node};
    std::vector<const vok::NetworkNode*> nodes{node};
    while (!nodes.empty()) {
      const vok::NetworkNode* at = nodes.back();
      nodes.pop_back();
      for (int i = 0; i < unit.TransitionCount(); ++i) {
        const vok::UnitTransition* t = unit.Transition(i);
        if (t->target != at) continue;
        if (t->label == word.label || t->label == vok::kLabelFiller) {
          BruteWalk(unit, t->source, word.start, score + word.score, words, hits, best, closure_seen);
        } else if (t->label == vok::kLabelEmpty && empty_seen.insert(t->source).second) {
          nodes.push_back(t->source);
        }
      }
    }
  }
}

TEST_F(GrammarTest, MatchLatticeAgreesWithEveryWalk) {
  vok::SymbolTable words(16);
  vok::SymbolTable units(4);
  const char* bodies[] = {
      "%BEGIN <N>\n( aa | bb ) [ cc ] dd\n%END\n",
      "%BEGIN <N>\naa <*> bb\n| cc+\n| [ dd ]\n%END\n",
      "%BEGIN <N>\n( aa | aa bb | bb ) cc?\n%END\n",
  };
  for (const char* body : bodies) {
    auto grammar = Load(body);
    const GrammarUnit& unit = *grammar->unit(0);
    const int aa = grammar->words().Find("aa");
    const int bb = grammar->words().Find("bb");
    const int cc = grammar->words().Find("cc");
    const int dd = grammar->words().Find("dd");
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      // Words of a random lattice over frames 0 to 8.
      std::vector<LatticeWord> lattice;
      uint32_t state = seed * 2654435761u;
      auto next = [&state](int n) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<uint32_t>(n));
      };
      vok::BackTraceTable table(200, 50, 1);
      table.Reset(0);
      table.AddStart();
      table.EndFrame();
      for (int f = 1; f <= 8; ++f) {
        const int n = next(4);
        std::set<std::pair<int, int>> used;
        for (int k = 0; k < n; ++k) {
          const int labels[] = {aa, bb, cc, dd};
          const int label = labels[next(4)];
          const int start = next(f);
          if (label < 0 || !used.insert({label, start}).second) continue;
          const auto score = static_cast<int16_t>(-next(50));
          table.AddRecord(static_cast<uint16_t>(label), score, start);
          lattice.push_back({start, f, static_cast<uint16_t>(label), 0});
        }
        table.EndFrame();
        // Scores as the frame list gives them: relative to the frame's best.
        const std::vector<vok::SortedRecord> list = table.FrameList(f);
        for (LatticeWord& word : lattice) {
          if (word.end != f) continue;
          for (const vok::SortedRecord& r : list) {
            if (r.label == word.label && r.back == word.start) word.score = r.score;
          }
        }
      }
      for (int f = 0; f <= 8; ++f) {
        std::map<int, int> hits;
        std::map<int, int> best;
        std::set<const vok::NetworkNode*> seen;
        BruteWalk(unit, unit.end(), f, 0, lattice, &hits, &best, &seen);
        int expected_total = 0;
        for (const auto& [frame, count] : hits) expected_total += count;
        uint16_t frames[16] = {};
        int16_t scores[16] = {};
        EXPECT_EQ(unit.MatchLattice(f, table, frames, scores, 16), expected_total)
            << body << seed << " " << f;
        int listed = 0;
        for (const auto& [frame, count] : hits) {
          if (count == 0) continue;
          ++listed;
          ASSERT_LE(listed, frames[0]);
          EXPECT_EQ(frames[listed], frame);
          EXPECT_EQ(scores[listed], best.count(frame) ? best[frame] : vok::kEmptyScore);
        }
        EXPECT_EQ(frames[0], listed);
      }
    }
  }
}

TEST_F(GrammarTest, MatchLatticeLimits) {
  auto grammar = Load("%BEGIN <N>\naa\n%END\n");
  vok::BackTraceTable table(200, 50, 1);
  table.Reset(0);
  table.AddStart();
  table.EndFrame();
  for (int f = 1; f <= 3; ++f) {
    for (int s = 0; s < f; ++s) table.AddRecord(0, 0, s);
    table.EndFrame();
  }
  uint16_t frames[3] = {};
  int16_t scores[3] = {};
  EXPECT_EQ(grammar->unit(0)->MatchLattice(3, table, frames, scores, 3), 3);
  EXPECT_EQ(frames[0], 2);  // the list holds what fits
  EXPECT_EQ(frames[1], 0);
  EXPECT_EQ(frames[2], 1);
  EXPECT_EQ(grammar->unit(0)->MatchLattice(2000, table, frames, scores, 3), 0);
  EXPECT_EQ(grammar->unit(0)->MatchLattice(-1, table, frames, scores, 3), 0);
}

}  // namespace

namespace {

TEST_F(GrammarTest, PoolLimitsFailCleanly) {
  // One block per pool: 30 nodes and 100 transitions a unit.
  CGrammar grammar("<TOP>", 1);
  int added = 0;
  while (added < 200 && grammar.AddItem(("w" + std::to_string(added)).c_str(), 0) == 0) ++added;
  EXPECT_EQ(added, 100);
  EXPECT_EQ(grammar.unit(0)->TransitionCount(), 100);
  // Expansion that outgrows the pools gives no network.
  auto nested = std::make_unique<CGrammar>(
      WriteFile(
          "nested.txt",
          "%BEGIN <TOP>\n<A> <A> <A> <A>\n%END\n%BEGIN <A>\n<B> <B> <B>\n%END\n%BEGIN <B>\nqu ha ng\n%END\n")
          .c_str(),
      1);
  vok::SetLogStream(std::tmpfile());
  EXPECT_EQ(nested->GetNetwork(), nullptr);
  std::fclose(vok::GetLogStream());
  vok::SetLogStream(nullptr);
}

TEST_F(GrammarTest, MergeReportsNamesThatFindNoSlot) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "%BEGIN <U" + std::to_string(i) + ">\nw\n%END\n";
  auto full = Load(text);
  auto other = std::make_unique<CGrammar>(WriteFile("o.txt", "%BEGIN <NEW>\nqu\n%END\n").c_str(), 600);
  vok::SetLogStream(std::tmpfile());
  EXPECT_EQ(full->AddGrammar(*other), -1);
  std::fclose(vok::GetLogStream());
  vok::SetLogStream(nullptr);
  EXPECT_EQ(full->unit_count(), 500);
  EXPECT_EQ(full->words().Find("qu"), 1);  // words still merge
}

}  // namespace
