#include "engine/core/lexicon.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/log_score.h"
#include "engine/core/page_lm.h"
#include "engine/core/scoring.h"
#include "engine/core/testing/lm_file_writers.h"
#include "test_support.h"

namespace {

using vok::CLexicon;
using vok::CoreLM;
using vok::PageLM;
using Bytes = std::vector<unsigned char>;

// Unique per test, so that tests may run in parallel processes.
std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "lexicon_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
         "_" + name;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put32(Bytes* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<unsigned char>(v >> s));
}

// An older-form class bigram model of `classes` classes, cell (c1, c2) = c1 x
// 10 + c2.
std::string WriteModel(int classes) {
  Bytes b;
  Put32(&b, 512);
  b.insert(b.end(), 252, 0);
  for (uint32_t v : {100u, static_cast<uint32_t>(classes), 0u, 2u, 0x3F800347u}) Put32(&b, v);
  b.insert(b.end(), 6 + 230, 0);
  for (int c1 = 0; c1 < classes; ++c1)
    for (int c2 = 0; c2 < classes; ++c2) b.push_back(static_cast<unsigned char>(c1 * 10 + c2));
  const std::string path = TempPath("model_" + std::to_string(classes) + ".bin");
  WriteBytes(path, b);
  return path;
}

constexpr const char* kText =
    "entries 6\n"
    "classes 4\n"
    "x <S> 0 50\n"
    "x </S> 1 50\n"
    "x\t<UNK>\t2\t5\n"
    "x a 3/9 30\n"
    "x b 3 10 7\n"
    "x a 2 3\n";

class LexiconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_path_ = WriteModel(4);
    text_path_ = TempPath("small.txt");
    binary_path_ = TempPath("small.bin");
    std::ofstream(text_path_) << kText;
    core_ = std::make_unique<CoreLM>(nullptr, model_path_.c_str());
    ASSERT_EQ(core_->status(), 0);
    lexicon_ = std::make_unique<CLexicon>(nullptr, text_path_.c_str(), core_.get(), nullptr);
    ASSERT_EQ(lexicon_->status(), 0);
  }
  void TearDown() override {
    for (const std::string& p : {model_path_, text_path_, binary_path_}) std::remove(p.c_str());
  }

  vok_test::CapturedMessages messages_;
  std::string model_path_, text_path_, binary_path_;
  std::unique_ptr<CoreLM> core_;
  std::unique_ptr<CLexicon> lexicon_;
};

TEST_F(LexiconTest, TextFormKeepsIdsAlignedWithLines) {
  EXPECT_EQ(lexicon_->entry_count(), 6);
  EXPECT_EQ(lexicon_->StringToWordID("<S>"), 0);
  EXPECT_EQ(lexicon_->StringToWordID("b"), 4);
  EXPECT_EQ(lexicon_->StringToWordID("a"), 5);  // the later line is found first
  EXPECT_EQ(lexicon_->StringToWordID("zzz"), 65535);
  EXPECT_STREQ(lexicon_->WordIDToString(5), "a");  // the repeat has its line's id
  EXPECT_EQ(lexicon_->WordIDToString(6), nullptr);
  EXPECT_EQ(core_->entry(3).word_class, 3);  // "3/9" reads as 3
  EXPECT_EQ(core_->entry(5).word_class, 2);
  EXPECT_EQ(core_->word_count_of(4), 10);
  EXPECT_EQ(core_->word_count_of(5), 3);
  // Bound: tokens, scores, pseudo-words, sentence-end rule.
  EXPECT_EQ(core_->token_id(CoreLM::kEnd), 1);
  EXPECT_EQ(core_->entry(65501).in_class, 240);
  EXPECT_EQ(core_->table_byte(1, 0), 255);
  EXPECT_LE(core_->entry(2).in_class, 120);  // the "<UNK>" class is capped
}

TEST_F(LexiconTest, TextFormErrors) {
  struct Case {
    const char* name;
    const char* text;
  } cases[] = {
      {"empty", ""},
      {"no count", "entries\nclasses 4\n"},
      {"count above the pseudo-words", "entries 65501\nclasses 4\n"},
      {"negative count", "entries -1\nclasses 4\n"},
      {"fewer lines than announced", "entries 3\nclasses 4\nx <S> 0 1\n"},
      {"line without a count", "entries 1\nclasses 4\nx <S> 0\n"},
      {"class that is not a number", "entries 1\nclasses 4\nx <S> c 1\n"},
  };
  for (const Case& c : cases) {
    std::ofstream(text_path_, std::ios::trunc) << c.text;
    CoreLM core(nullptr, model_path_.c_str());
    CLexicon lexicon(nullptr, text_path_.c_str(), &core, nullptr);
    EXPECT_EQ(lexicon.status(), -1) << c.name;
    EXPECT_EQ(lexicon.StringToWordID("<S>"), 65535) << c.name;
  }
  std::ofstream(text_path_, std::ios::trunc) << "entries 2\nclasses 5\nx <S> 0 1\nx </S> 1 1\n";
  CoreLM core(nullptr, model_path_.c_str());
  CLexicon lexicon(nullptr, text_path_.c_str(), &core, nullptr);
  EXPECT_EQ(lexicon.status(), 0);  // reported, reading goes on
  EXPECT_NE(messages_.Errors().find("CLexicon::ReadHeader: # classes (5 & 4) not =="), std::string::npos);
}

TEST_F(LexiconTest, BinaryLayoutAndRoundTrip) {
  ASSERT_EQ(lexicon_->WriteBinary(binary_path_.c_str(), 0, 0), 0);
  const Bytes bytes = ReadBytes(binary_path_);
  // Word table: 6 names (the repeat included) after count and buckets.
  std::size_t at = 8;
  for (const char* w : {"<S>", "</S>", "<UNK>", "a", "b", "a"}) at += 2 + std::strlen(w);
  auto get32 = [&](std::size_t p) {
    return static_cast<int32_t>(bytes[p] << 24 | bytes[p + 1] << 16 | bytes[p + 2] << 8 | bytes[p + 3]);
  };
  EXPECT_EQ(get32(at), 6);                    // N
  EXPECT_EQ(get32(at + 4), 4);                // C
  EXPECT_EQ(get32(at + 8), 0);                // P: no page model
  EXPECT_EQ(get32(at + 12), core_->total());  // total
  EXPECT_EQ(get32(at + 16), core_->in_class_bias());
  EXPECT_EQ(get32(at + 20), 2);  // in-class shift
  const std::size_t entries = at + 12 + 28 + 4 * 4;
  ASSERT_EQ(bytes.size(), entries + 6 * 11);
  // Entry 3: count 30, class 3, in-class, unigram, page part of zeros.
  const std::size_t e3 = entries + 3 * 11;
  EXPECT_EQ(get32(e3), 30);
  EXPECT_EQ(bytes[e3 + 4] << 8 | bytes[e3 + 5], 3);
  EXPECT_EQ(bytes[e3 + 6], core_->entry(3).in_class);
  EXPECT_EQ(bytes[e3 + 7], core_->entry(3).unigram);
  EXPECT_EQ(Bytes(bytes.begin() + e3 + 8, bytes.begin() + e3 + 11), (Bytes{0, 0, 0}));

  CoreLM core(nullptr, model_path_.c_str());
  CLexicon read(binary_path_.c_str(), &core, nullptr, 0);
  ASSERT_EQ(read.status(), 0);
  EXPECT_EQ(read.entry_count(), 6);
  for (int id = 0; id < 6; ++id) {
    EXPECT_STREQ(read.WordIDToString(id), lexicon_->WordIDToString(id)) << id;
    EXPECT_EQ(core.entry(id).word_class, core_->entry(id).word_class) << id;
    EXPECT_EQ(core.entry(id).in_class, core_->entry(id).in_class) << id;
    EXPECT_EQ(core.entry(id).unigram, core_->entry(id).unigram) << id;
  }
  EXPECT_EQ(core.GetBigramScore(3, 4), core_->GetBigramScore(3, 4));
  EXPECT_EQ(core.entry(65500).in_class, 240);
  const std::string again = TempPath("again.bin");
  ASSERT_EQ(read.WriteBinary(again.c_str(), 0, 0), 0);
  // The same bytes after the word table's bucket count (sized for its count).
  const Bytes rewritten = ReadBytes(again);
  ASSERT_EQ(rewritten.size(), bytes.size());
  EXPECT_EQ(Bytes(rewritten.begin() + 8, rewritten.end()), Bytes(bytes.begin() + 8, bytes.end()));
  std::remove(again.c_str());
}

// A page model of `classes` classes (older form; no blocks needed here).
std::string WritePageModel(int classes) {
  vok_testing::OlderPageModel m;
  m.classes = classes;
  m.unigrams.assign(static_cast<std::size_t>(classes), 9);
  m.backoffs.assign(static_cast<std::size_t>(classes), 0);
  const std::string path = TempPath("page_" + std::to_string(classes) + ".plm");
  vok_testing::WriteFileBytes(path, m.Write());
  return path;
}

TEST_F(LexiconTest, PageModelEntriesFromTextAndBinary) {
  const std::string page_path = WritePageModel(5);
  CoreLM core(nullptr, model_path_.c_str());
  PageLM page(page_path.c_str(), 3, 1.0f, 0);
  ASSERT_EQ(page.status(), 0);
  CLexicon lexicon(nullptr, text_path_.c_str(), &core, &page);
  ASSERT_EQ(lexicon.status(), 0);
  // The fifth field is the page class, else the core class.
  EXPECT_EQ(page.entry(4).word_class, PageLM::kNoClass);  // its page class 7 is beyond the five
  EXPECT_EQ(page.entry(3).word_class, 3);
  EXPECT_EQ(page.entry(5).word_class, 2);
  EXPECT_EQ(page.class_total(2), 5 + 3);
  EXPECT_EQ(page.in_class_shift(), core.in_class_shift());
  EXPECT_EQ(page.entry(3).in_class, vok::ScoreByte(1.0, core.in_class_shift(), core.in_class_bias()));
  EXPECT_EQ(page.entry(65502).in_class, 240);
  EXPECT_EQ(page.token_id(PageLM::kEnd), 1);

  // Binary round trip with the page section and entries.
  ASSERT_EQ(lexicon.WriteBinary(binary_path_.c_str(), 0, 0), 0);
  CoreLM core2(nullptr, model_path_.c_str());
  PageLM page2(page_path.c_str(), 3, 1.0f, 0);
  CLexicon read(binary_path_.c_str(), &core2, &page2, 0);
  ASSERT_EQ(read.status(), 0);
  for (int id = 0; id < 6; ++id) {
    EXPECT_EQ(page2.entry(id).word_class, page.entry(id).word_class) << id;
    EXPECT_EQ(page2.entry(id).in_class, page.entry(id).in_class) << id;
  }
  for (int c = 0; c < 5; ++c) EXPECT_EQ(page2.class_total(c), page.class_total(c));
  EXPECT_EQ(page2.entry(65500).in_class, 240);

  // Without a page model the page bytes are skipped by the stored count.
  CoreLM core3(nullptr, model_path_.c_str());
  CLexicon skipped(binary_path_.c_str(), &core3, nullptr, 0);
  ASSERT_EQ(skipped.status(), 0);
  EXPECT_EQ(core3.entry(4).in_class, core.entry(4).in_class);

  // A page model of another class count is refused (the rest would be misparsed).
  const std::string other_path = WritePageModel(6);
  CoreLM core4(nullptr, model_path_.c_str());
  PageLM other(other_path.c_str(), 3, 1.0f, 0);
  EXPECT_LT(CLexicon(binary_path_.c_str(), &core4, &other, 0).status(), 0);

  // Editing reaches both models; categories take the token classes.
  EXPECT_EQ(lexicon.AddWord("new", 3, 50, 4, 60), 1);
  EXPECT_EQ(page.entry(6).word_class, 4);
  EXPECT_EQ(page.entry(6).in_class, 60);
  lexicon.BoostWord(6, 10);
  EXPECT_EQ(page.entry(6).in_class, 50);
  EXPECT_EQ(lexicon.RemoveWord("new"), 6);
  EXPECT_EQ(page.entry(6).word_class, PageLM::kNoClass);
  uint16_t core_class = 0, page_class = 0;
  lexicon.CategoryClasses(0, &core_class, &page_class);
  EXPECT_EQ(core_class, core.token_class(CoreLM::kPerson));
  EXPECT_EQ(page_class, page.token_class(PageLM::kPerson));
  lexicon.CategoryClasses(7, &core_class, &page_class);
  EXPECT_EQ(core_class, core.token_class(CoreLM::kUnknown));
  EXPECT_EQ(page_class, page.token_class(PageLM::kUnknown));
  for (const std::string& p : {page_path, other_path}) std::remove(p.c_str());
}

TEST_F(LexiconTest, BinaryWithoutCoreModelSkipsItsBytes) {
  ASSERT_EQ(lexicon_->WriteBinary(binary_path_.c_str(), 0, 0), 0);
  CLexicon read(binary_path_.c_str(), nullptr, nullptr, 0);
  EXPECT_EQ(read.status(), 0);
  EXPECT_EQ(read.StringToWordID("b"), 4);
  EXPECT_EQ(read.WriteBinary(binary_path_.c_str(), 0, 0), -1);  // the writer needs the model
}

TEST_F(LexiconTest, CorruptBinariesAreRefused) {
  ASSERT_EQ(lexicon_->WriteBinary(binary_path_.c_str(), 0, 0), 0);
  const Bytes good = ReadBytes(binary_path_);
  std::size_t at = 8;
  for (const char* w : {"<S>", "</S>", "<UNK>", "a", "b", "a"}) at += 2 + std::strlen(w);
  auto with32 = [&](std::size_t p, uint32_t v) {
    Bytes b = good;
    for (int k = 0; k < 4; ++k) b.at(p + k) = static_cast<unsigned char>(v >> (24 - 8 * k));
    return b;
  };
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"cut in the table", Bytes(good.begin(), good.begin() + 12)},
      {"cut in the counts", Bytes(good.begin(), good.begin() + static_cast<long>(at) + 6)},
      {"cut in the entries", Bytes(good.begin(), good.end() - 1)},
      {"N above the pseudo-words", with32(at, 65501)},
      {"negative N", with32(at, 0xFFFFFFFF)},
      {"N beyond the file", with32(at, 7)},
      {"class count unlike the model's", with32(at + 4, 5)},
      {"negative page class count", with32(at + 8, 0x80000000)},
      {"page class count beyond the file", with32(at + 8, 1000)},
      {"in-class shift 31", with32(at + 20, 31)},
  };
  for (const Case& c : cases) {
    WriteBytes(binary_path_, c.bytes);
    CoreLM core(nullptr, model_path_.c_str());
    CLexicon read(binary_path_.c_str(), &core, nullptr, 0);
    EXPECT_NE(read.status(), 0) << c.name;
    EXPECT_EQ(read.StringToWordID("<S>"), 65535) << c.name;
  }
}

TEST_F(LexiconTest, FailedWriteKeepsTheOldFile) {
  WriteBytes(binary_path_, Bytes{1, 2, 3});
  const std::string blocked = binary_path_ + ".new";
  ASSERT_TRUE(std::filesystem::create_directories(blocked));
  EXPECT_EQ(lexicon_->WriteBinary(binary_path_.c_str(), 0, 0), -1);
  std::filesystem::remove(blocked);
  EXPECT_EQ(ReadBytes(binary_path_), (Bytes{1, 2, 3}));
}

TEST_F(LexiconTest, EditingWords) {
  const uint8_t before = core_->entry(4).in_class;
  EXPECT_EQ(lexicon_->AddWord("b", 0, 0, 0, 0), 0);  // exists: boosted by 10, class kept
  EXPECT_EQ(core_->entry(4).word_class, 3);
  EXPECT_EQ(core_->entry(4).in_class, before >= 10 ? before - 10 : 0);
  EXPECT_EQ(lexicon_->AddWord("new", 3, 50, 3, 50), 1);
  EXPECT_EQ(lexicon_->StringToWordID("new"), 6);
  EXPECT_EQ(lexicon_->entry_count(), 7);
  EXPECT_EQ(core_->entry(6).in_class, 50);

  EXPECT_EQ(lexicon_->RemoveWord("<UNK>"), 2);
  EXPECT_EQ(lexicon_->RemoveWord("<UNK>"), -1);
  EXPECT_EQ(lexicon_->StringToWordID("b"), 4);  // later ids keep theirs
  EXPECT_EQ(lexicon_->WordIDToString(2), nullptr);
  EXPECT_EQ(core_->entry(2).word_class, 65535);
  EXPECT_EQ(lexicon_->entry_count(), 7);
  // The hole survives a binary round trip.
  ASSERT_EQ(lexicon_->WriteBinary(binary_path_.c_str(), 0, 0), 0);
  CoreLM core(nullptr, model_path_.c_str());
  CLexicon read(binary_path_.c_str(), &core, nullptr, 0);
  ASSERT_EQ(read.status(), 0);
  EXPECT_EQ(read.WordIDToString(2), nullptr);
  EXPECT_EQ(read.StringToWordID("new"), 6);
}

TEST_F(LexiconTest, TextAndIds) {
  const uint16_t* ids = lexicon_->TextToWordIDs("<S> b a\n</S>");
  ASSERT_NE(ids, nullptr) << messages_.Errors();
  EXPECT_EQ(std::vector<uint16_t>(ids, ids + 6), (std::vector<uint16_t>{4, 0, 4, 5, 1, 65535}));
  EXPECT_EQ(lexicon_->TextToWordIDs("a nothing"), nullptr);
  EXPECT_NE(messages_.Errors().find("Word nothing not in lexicon"), std::string::npos);
  std::string many;
  for (int i = 0; i < 201; ++i) many += "a ";
  EXPECT_EQ(lexicon_->TextToWordIDs(many.c_str()), nullptr);
  many.resize(many.size() - 2);
  EXPECT_NE(lexicon_->TextToWordIDs(many.c_str()), nullptr);  // 200 fit

  std::string text;
  const uint16_t list[] = {3, 3, 4, 1};
  EXPECT_EQ(lexicon_->WordIDsToText(list, &text, " "), 0);
  EXPECT_EQ(text, "a b </S>");
  EXPECT_EQ(lexicon_->WordIDsToText(list, &text, "|"), 0);
  EXPECT_EQ(text, "a|b|</S>|");
  const uint16_t bad[] = {2, 3, 9};
  EXPECT_EQ(lexicon_->WordIDsToText(bad, &text, " "), -1);
}

TEST(LexiconHelpersTest, CharactersAndCodes) {
  std::string out;
  vok::SplitIntoCharacters("\xb0\xa1 \xb0\xa2\xb0", &out, "-");
  EXPECT_EQ(out, "\xb0\xa1-\xb0\xa2-\xb0-");
  vok::WordToCodePron("\xb0\xa1\xb0\xa2", &out);
  EXPECT_EQ(out, "b0a1-b0a2");
  EXPECT_EQ(out.size(), 9u);
  vok::WordToCodePron(
      "\xb0\xa1"
      "A",
      &out);
  EXPECT_EQ(out, "b0a1-4100");
}

}  // namespace

namespace {

TEST_F(LexiconTest, CodeTreeHoldsEveryWordUnderItsId) {
  ASSERT_EQ(lexicon_->AddWord("\xb0\xa1\xb0\xa2", 3, 10, 3, 10), 1);  // id 6
  lexicon_->RemoveWord("b");                                          // id 4 has no string
  const std::unique_ptr<vok::CLexTree> tree = lexicon_->BuildCodeTree("-", true);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->entry_count(), 7);
  EXPECT_STREQ(tree->GetEntryPron(6), "b0a1-b0a2");
  EXPECT_STREQ(tree->GetEntryPron(3), "6100");  // "a": an odd last byte pairs with 0
  // Tokens and the removed word share one leaf labelled 65535 under the root.
  std::vector<uint16_t> entries(16);
  const int leaf = tree->GetLeaf(0);
  ASSERT_GT(leaf, 0);
  EXPECT_EQ(tree->GetNode(leaf)->label, 65535);
  EXPECT_EQ(tree->GetNode(leaf)->parent, 0);
  for (int id : {1, 2, 4}) EXPECT_EQ(tree->GetLeaf(id), leaf) << id;

  // StringToPron goes through the lexicon's tree.
  std::string pron;
  EXPECT_EQ(lexicon_->StringToPron("a", &pron), -1);  // no tree yet
  lexicon_->set_tree(tree.get());
  EXPECT_EQ(lexicon_->StringToPron("\xb0\xa1\xb0\xa2", &pron), -1);  // its characters are not words
  lexicon_->AddWord("\xb0\xa1", 3, 10, 3, 10);
  lexicon_->AddWord("\xb0\xa2", 3, 10, 3, 10);
  const std::unique_ptr<vok::CLexTree> grown = lexicon_->BuildCodeTree("-", false);
  lexicon_->set_tree(grown.get());
  EXPECT_EQ(lexicon_->StringToPron("\xb0\xa1\xb0\xa2", &pron), 0);
  EXPECT_EQ(pron, "b0a1-b0a2");
}

TEST_F(LexiconTest, NBestListing) {
  core_->AddWord(3, 3, 0);
  vok::NBestList list(10);
  const uint16_t first[] = {3, 4};
  const uint16_t second[] = {4, 3, 3};
  list.Append(-5, first, 2);
  list.Append(-9, second, 3);
  list.set_best_score(100);
  vok_test::CapturedLogStream log;
  EXPECT_EQ(lexicon_->PrintNBest(nullptr, 7, &list, nullptr, 5, 1), 2);
  const std::string text = log.Text();
  char line[128];
  std::snprintf(line, sizeof line, "  1:      95 (%5d): a b \n", core_->GetSentenceScore(first, 2, nullptr));
  EXPECT_NE(text.find(line), std::string::npos) << text;
  std::snprintf(line, sizeof line, "  2:      91 (%5d): b a a \n",
                core_->GetSentenceScore(second, 3, nullptr));
  EXPECT_NE(text.find(line), std::string::npos) << text;

  // With a reference: its line, its rank in the statistics, the scoring lines.
  const uint16_t reference[] = {3, 4, 3, 3};
  vok::Scoring scoring;
  EXPECT_EQ(lexicon_->PrintNBest(reference, 7, &list, &scoring, 5, 1), 0);
  EXPECT_NE(log.Text().find("  0:       7 ("), std::string::npos);
  EXPECT_EQ(list.rank_count(1), 1);
  EXPECT_EQ(scoring.sentences(), 1);
  EXPECT_NE(log.Text().find("TOTALS"), std::string::npos);
}

}  // namespace

namespace {

// The semi-class bigram looks words up by string through the lexicon's word
// list: a failed reload frees that list, and the model lets go of it.
TEST_F(LexiconTest, ModelsLetGoOfAFreedWordList) {
  vok_testing::SemiClassBigramModel model;
  model.classes = 4;
  for (const char* text : {"a", "b"}) {
    vok_testing::SemiClassBigramModel::Word w;
    w.text = text;
    w.scores = {{3, 5}};
    model.words.push_back(w);
  }
  model.masses.assign(4, 2.0f);
  const std::string path = TempPath("semi.bin");
  ASSERT_TRUE(vok_testing::WriteFileBytes(path, model.Write()));
  CoreLM core(nullptr, path.c_str());
  ASSERT_EQ(core.status(), 0);
  {
    CLexicon lexicon(nullptr, text_path_.c_str(), &core, nullptr);
    ASSERT_EQ(lexicon.status(), 0);
    EXPECT_EQ(core.GetBigramScore(3, 4), -5);  // "a" (class 3) then "b"
    EXPECT_LT(lexicon.Load((path + ".missing").c_str(), &core, nullptr, 0), 0);
    EXPECT_EQ(core.GetBigramScore(3, 4), -255);  // no word strings: unlisted
  }
  EXPECT_EQ(core.GetBigramScore(3, 4), -255);
  std::remove(path.c_str());
}

}  // namespace
