#include "engine/core/user_lexicon.h"

#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using vok::CUserLexicon;
using Bytes = std::vector<unsigned char>;

class UserLexiconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "user_lexicon_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }

  Bytes ReadBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void WriteBytes(const Bytes& bytes) const {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // Two added words, one deleted word, capacity 4 (16 buckets).
  static void Fill(CUserLexicon* lexicon) {
    ASSERT_EQ(lexicon->AddWord("ab", "a-b", 1000, 20, 3000, 30), 0);
    ASSERT_EQ(lexicon->AddWord("cd", "c", 7, 1, 8, 2), 1);
    ASSERT_EQ(lexicon->DeleteWord("xy"), 0);
  }
  static Bytes Golden() {
    return {2,    0,    0,  0,  1,    0,    0,  0,                                     // A, D little-endian
            0,    0,    0,  2,  0,    0,    0,  16, 0, 2, 'a', 'b', 0,   2, 'c', 'd',  // added words
            0,    0,    0,  1,  0,    0,    0,  16, 0, 2, 'x', 'y',                    // deleted words
            0x03, 0xE8, 20, 20, 0x0B, 0xB8, 30, 30, 0, 3, 'a', '-', 'b', 0, 7,   1,
            1,    0,    8,  2,  2,    0,    1,  'c'};
  }

  std::string path_;
};

TEST_F(UserLexiconTest, WritesGoldenBytesAndReadsThemBack) {
  CUserLexicon lexicon(4);
  Fill(&lexicon);
  ASSERT_EQ(lexicon.Write(path_.c_str(), 0, 0), 0);
  EXPECT_EQ(ReadBytes(), Golden());

  CUserLexicon read(4);
  ASSERT_EQ(read.Read(path_.c_str(), 0), 0);
  ASSERT_EQ(read.added_count(), 2);
  ASSERT_EQ(read.deleted_count(), 1);
  EXPECT_STREQ(read.added_word(1), "cd");
  EXPECT_STREQ(read.deleted_word(0), "xy");
  EXPECT_EQ(read.core_entry(0).word_class, 1000);
  EXPECT_EQ(read.core_entry(0).in_class, 20);
  EXPECT_EQ(read.page_entry(0).word_class, 3000);
  EXPECT_EQ(read.page_entry(0).unigram, 30);
  EXPECT_STREQ(read.pron(0), "a-b");
  EXPECT_STREQ(read.pron(1), "c");
  EXPECT_EQ(read.HasWord("ab"), 1);
  EXPECT_EQ(read.IsDeleted("xy"), 1);
}

TEST_F(UserLexiconTest, KeyedTablesRoundTrip) {
  CUserLexicon lexicon(4);
  Fill(&lexicon);
  ASSERT_EQ(lexicon.Write(path_.c_str(), 0x1234, 9), 0);
  CUserLexicon read(4);
  ASSERT_EQ(read.Read(path_.c_str(), 0x1234), 0);
  EXPECT_STREQ(read.added_word(0), "ab");
  EXPECT_STREQ(read.deleted_word(0), "xy");
  CUserLexicon wrong_tag(4);
  EXPECT_LT(wrong_tag.Read(path_.c_str(), 0x4321), 0);
}

TEST_F(UserLexiconTest, EmptyListIsEightBytes) {
  CUserLexicon lexicon(4);
  ASSERT_EQ(lexicon.Write(path_.c_str(), 0, 0), 0);
  EXPECT_EQ(ReadBytes(), (Bytes{0, 0, 0, 0, 0, 0, 0, 0}));
  CUserLexicon read(4);
  EXPECT_EQ(read.Read(path_.c_str(), 0), 0);
  EXPECT_EQ(read.added_count(), 0);
}

TEST_F(UserLexiconTest, CorruptFilesAreRefusedAndKeepWhatWasHeld) {
  const Bytes golden = Golden();
  auto with = [&](std::size_t at, unsigned char value) {
    Bytes b = golden;
    b.at(at) = value;
    return b;
  };
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"half the counts", Bytes(golden.begin(), golden.begin() + 6)},
      {"negative added count", with(3, 0x80)},
      {"added count above capacity", with(0, 5)},
      {"deleted count above capacity", with(4, 5)},
      {"added count unlike its table", with(0, 1)},
      {"deleted count unlike its table", with(4, 2)},
      {"truncated in the records", Bytes(golden.begin(), golden.end() - 3)},
      {"truncated in the tables", Bytes(golden.begin(), golden.begin() + 30)},
      {"pronunciation longer than its field", with(golden.size() - 2, 9)},
  };
  Bytes long_pron(golden.begin(), golden.end() - 3);
  long_pron.insert(long_pron.end(), {0, 50});
  long_pron.insert(long_pron.end(), 50, 'p');

  CUserLexicon lexicon(4);
  ASSERT_EQ(lexicon.AddWord("kept", "k", 1, 2, 3, 4), 0);
  for (const Case& c : cases) {
    WriteBytes(c.bytes);
    EXPECT_LT(lexicon.Read(path_.c_str(), 0), 0) << c.name;
    ASSERT_EQ(lexicon.added_count(), 1) << c.name;
    EXPECT_STREQ(lexicon.added_word(0), "kept") << c.name;
    EXPECT_EQ(lexicon.deleted_count(), 0) << c.name;
  }
  WriteBytes(long_pron);
  EXPECT_LT(lexicon.Read(path_.c_str(), 0), 0) << "pronunciation of 50 bytes";
  EXPECT_EQ(lexicon.Read((path_ + ".missing").c_str(), 0), -1);
  EXPECT_STREQ(lexicon.pron(0), "k");
}

TEST_F(UserLexiconTest, FailedWriteKeepsTheOldFile) {
  CUserLexicon lexicon(4);
  Fill(&lexicon);
  ASSERT_EQ(lexicon.Write(path_.c_str(), 0, 0), 0);
  // The new file cannot be made where a directory stands in its way.
  const std::string blocked = path_ + ".new";
  ASSERT_TRUE(std::filesystem::create_directories(blocked));
  CUserLexicon other(4);
  EXPECT_EQ(other.Write(path_.c_str(), 0, 0), -1);
  std::filesystem::remove(blocked);
  EXPECT_EQ(ReadBytes(), Golden());
}

TEST_F(UserLexiconTest, AddWordLimits) {
  CUserLexicon lexicon(2);
  EXPECT_EQ(lexicon.AddWord("a", std::string(49, 'p').c_str(), 1, 1, 1, 1), 0);
  EXPECT_EQ(lexicon.AddWord("b", std::string(50, 'p').c_str(), 1, 1, 1, 1), -1);  // does not fit its slot
  EXPECT_EQ(lexicon.HasWord("b"), 0);
  EXPECT_EQ(lexicon.AddWord("a", "q", 2, 5, 2, 5), 0);  // found: entries replaced
  EXPECT_EQ(lexicon.core_entry(0).word_class, 2);
  EXPECT_STREQ(lexicon.pron(0), "q");
  EXPECT_EQ(lexicon.AddWord("b", "b", 1, 1, 1, 1), 1);
  EXPECT_EQ(lexicon.AddWord("c", "c", 1, 1, 1, 1), -1);  // full
  EXPECT_EQ(lexicon.AddWord("a", "z", 9, 9, 9, 9), -1);  // full, even for a word already present
  EXPECT_STREQ(lexicon.pron(0), "q");
}

TEST_F(UserLexiconTest, DeleteWordRenumbersLaterWords) {
  CUserLexicon lexicon(4);
  lexicon.AddWord("w0", "p0", 10, 0, 20, 0);
  lexicon.AddWord("w1", "p1", 11, 1, 21, 1);
  lexicon.AddWord("w2", "p2", 12, 2, 22, 2);
  ASSERT_EQ(lexicon.DeleteWord("w1"), 0);
  ASSERT_EQ(lexicon.added_count(), 2);
  EXPECT_STREQ(lexicon.added_word(1), "w2");
  EXPECT_EQ(lexicon.core_entry(1).word_class, 12);
  EXPECT_EQ(lexicon.page_entry(1).word_class, 22);
  EXPECT_STREQ(lexicon.pron(1), "p2");
  EXPECT_EQ(lexicon.core_entry(2).word_class, 65535);  // cleared
  EXPECT_STREQ(lexicon.pron(2), "");
  EXPECT_EQ(lexicon.IsDeleted("w1"), 1);
  EXPECT_EQ(lexicon.HasWord("w1"), 0);
  // A word added again stays deleted as well.
  EXPECT_EQ(lexicon.AddWord("w1", "p1", 11, 1, 21, 1), 2);
  EXPECT_EQ(lexicon.IsDeleted("w1"), 1);
}

TEST_F(UserLexiconTest, DeleteWordReportsAFullDeletedTable) {
  CUserLexicon lexicon(2);
  lexicon.AddWord("keep", "k", 1, 1, 1, 1);
  EXPECT_EQ(lexicon.DeleteWord("d1"), 0);
  EXPECT_EQ(lexicon.DeleteWord("d2"), 0);
  EXPECT_EQ(lexicon.DeleteWord("d1"), 0);  // already there
  EXPECT_EQ(lexicon.DeleteWord("keep"), -1);
  EXPECT_EQ(lexicon.HasWord("keep"), 1);  // nothing changed
  EXPECT_EQ(lexicon.IsDeleted("keep"), 0);
}

}  // namespace

namespace {

// A lexicon "<S>" 0, "</S>" 1, "<UNK>" 2, "ka" 3, "kb" 4, "kc" 5 over an
// empty-table core model, with its tree (entry ids = word ids).
class ApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "apply_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string text = dir_ + ".txt";
    std::ofstream(text) << "n 6\nc 0\nx <S> 0 1\nx </S> 0 1\nx <UNK> 0 1\nx ka 0 1\nx kb 0 1\nx kc 0 1\n";
    lexicon_ = std::make_unique<vok::CLexicon>(nullptr, text.c_str(), nullptr, nullptr);
    ASSERT_EQ(lexicon_->status(), 0);
    std::remove(text.c_str());
    for (const char* pron : {"s", "e", "u", "k-a", "k-b", "k-c"}) ASSERT_GE(tree_.AddProns(pron, true), 1);
    for (const char* syllable : {"n", "w", "x"}) ASSERT_GE(tree_.AddSyllable(syllable), 0);
  }
  // The word ids whose entries lie under the pronunciation's node.
  std::vector<int> EntriesOf(const char* pron) {
    int node = 0;
    std::string rest = pron;
    for (std::size_t at = 0; at <= rest.size();) {
      const std::size_t end = std::min(rest.find('-', at), rest.size());
      node = tree_.FindChild(node, tree_.FindSyllable(rest.substr(at, end - at).c_str()));
      if (node < 0) return {};
      at = end + 1;
    }
    std::vector<int> ids;
    for (int link = tree_.GetNode(node)->links; link != -1; link = tree_.GetNextLink(link))
      if (tree_.GetLinkEntry(link) != 65535) ids.push_back(tree_.GetLinkEntry(link));
    return ids;
  }

  std::string dir_;
  std::unique_ptr<vok::CLexicon> lexicon_;
  vok::CLexTree tree_{20, "-", false};
};

TEST_F(ApplyTest, DeletionsAndAdditionsKeepTreeIdsEqualToWordIds) {
  CUserLexicon user(8);
  user.DeleteWord("kb");
  user.DeleteWord("never");  // not in the lexicon: forgotten
  ASSERT_EQ(user.AddWord("new", "n-w/n-x", 1, 20, 2, 30), 0);
  ASSERT_EQ(user.AddWord("ka", "k-a", 1, 20, 2, 30), 1);  // already a word: boosted only
  // The tree's next entry (8) is not the lexicon's next id (6): the new
  // word's pronunciation must still go under its word id.
  ASSERT_EQ(tree_.AddProns("z", true), 1);
  ASSERT_EQ(tree_.AddProns("z", true), 1);
  EXPECT_EQ(user.ApplyTo(lexicon_.get(), &tree_), 0);
  EXPECT_EQ(lexicon_->StringToWordID("kb"), 65535);
  EXPECT_EQ(EntriesOf("k-b"), std::vector<int>{});
  EXPECT_EQ(user.deleted_count(), 1);
  EXPECT_STREQ(user.deleted_word(0), "kb");
  const int id = lexicon_->StringToWordID("new");
  EXPECT_EQ(id, 6);
  EXPECT_EQ(EntriesOf("n-w"), std::vector<int>{6});
  EXPECT_EQ(EntriesOf("n-x"), std::vector<int>{6});
  EXPECT_EQ(EntriesOf("k-a"), std::vector<int>{3});  // not added twice
  EXPECT_EQ(EntriesOf("k-c"), std::vector<int>{5});
  // Applying again changes nothing in the tree.
  EXPECT_EQ(user.ApplyDeletions(lexicon_.get(), &tree_), 0);
}

}  // namespace
