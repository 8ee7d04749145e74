#include "engine/core/lex_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/core/syllable_table.h"
#include "engine/core/tests/test_support.h"

namespace {

using Ids = std::vector<uint16_t>;

std::string TempPath(const std::string& name) { return testing::TempDir() + "lex_tree_" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The node reached from the root along the syllable names, or -1.
int Walk(const vok::CLexTree& tree, const std::vector<std::string>& names) {
  int node = 0;
  for (const std::string& name : names) {
    node = tree.FindChild(node, tree.FindSyllable(name.c_str()));
    if (node < 0) return -1;
  }
  return node;
}

Ids Entries(const vok::CLexTree& tree, int node) {
  Ids entries;
  for (int link = tree.GetNode(node)->links; link != -1; link = tree.GetNextLink(link)) {
    entries.push_back(tree.GetLinkEntry(link));
  }
  return entries;
}

TEST(CLexTree, ForwardTreeSharesPrefixes) {
  vok::CLexTree tree(10, "-", false);
  EXPECT_EQ(tree.AddProns("a-b/a-c", true), 2);
  EXPECT_EQ(tree.entry_count(), 1);
  EXPECT_EQ(tree.node_count(), 4);  // root, a, b, c
  const int a = Walk(tree, {"a"});
  const int b = Walk(tree, {"a", "b"});
  const int c = Walk(tree, {"a", "c"});
  EXPECT_EQ(tree.GetNode(b)->parent, a);
  EXPECT_EQ(tree.GetNode(c)->parent, a);
  EXPECT_EQ(Entries(tree, b), Ids{0});
  EXPECT_EQ(Entries(tree, c), Ids{0});
  EXPECT_EQ(tree.GetLeaf(0), b);
  EXPECT_STREQ(tree.GetEntryPron(0), "a-b");
  EXPECT_STREQ(tree.GetEntryProns(0), "a-b a-c");
  uint16_t list[8];
  ASSERT_EQ(tree.GetPathSyllables(c, list, 8), 0);
  EXPECT_EQ(Ids(list, list + 3), (Ids{2, 0, 2}));
  EXPECT_EQ(tree.GetPathSyllables(c, list, 2), -1);
  EXPECT_EQ(tree.GetNodeEntry(b), 0);
  EXPECT_EQ(tree.GetLinkEntry(99), 65535);
  EXPECT_EQ(tree.GetNextLink(99), -1);
  EXPECT_EQ(tree.GetEntryPron(1), nullptr);
  EXPECT_EQ(tree.GetEntryProns(1), nullptr);
  uint16_t below[4];
  EXPECT_EQ(tree.GetEntriesBelow(a, below, 4), 2);
  EXPECT_EQ(tree.GetEntriesBelow(a, below, 1), -1);
}

TEST(CLexTree, BackwardTreeSharesSuffixes) {
  vok::CLexTree tree(10, "-", true);
  EXPECT_EQ(tree.AddProns("a-b/a-c", true), 2);
  EXPECT_EQ(tree.node_count(), 5);  // root, b, a, c, a
  const int ba = Walk(tree, {"b", "a"});
  const int ca = Walk(tree, {"c", "a"});
  ASSERT_GE(ba, 0);
  ASSERT_GE(ca, 0);
  EXPECT_NE(ba, ca);
  // Texts come in pronunciation order.
  EXPECT_STREQ(tree.GetEntryProns(0), "a-b a-c");
  uint16_t list[8];
  ASSERT_EQ(tree.GetPathSyllables(ba, list, 8), 0);
  EXPECT_EQ(list[1], tree.FindSyllable("a"));
}

TEST(CLexTree, CopyInTheOtherDirectionKeepsEntriesAndSyllables) {
  vok::CLexTree forward(10, "-", false);
  forward.AddProns("a-b/c-b", true);
  forward.AddProns("d", true);
  forward.AddProns("a-c", true);
  ASSERT_EQ(forward.RemoveEntry(1), 0);
  const auto backward = forward.CopyInDirection(true);
  ASSERT_NE(backward, nullptr);
  EXPECT_TRUE(backward->backward());
  EXPECT_EQ(backward->entry_count(), 3);
  for (const char* name : {"a", "b", "c", "d"})
    EXPECT_EQ(backward->FindSyllable(name), forward.FindSyllable(name)) << name;
  // The two pronunciations ending in b share their last syllable's node.
  EXPECT_EQ(backward->FindChild(0, backward->FindSyllable("b")), Walk(*backward, {"b"}));
  EXPECT_GE(Walk(*backward, {"b", "a"}), 0);
  EXPECT_GE(Walk(*backward, {"b", "c"}), 0);
  EXPECT_STREQ(backward->GetEntryPron(0), "a-b");  // the first one stays the leaf
  EXPECT_STREQ(backward->GetEntryProns(0), "a-b c-b");
  EXPECT_EQ(backward->GetEntryProns(1), nullptr);  // removed before the copy
  EXPECT_STREQ(backward->GetEntryProns(2), "a-c");
  EXPECT_EQ(vok::CLexTree().CopyInDirection(true), nullptr);
}

// A second reading at a node changes the entries and not the shape; a
// removal that leaves the node its other word changes the entries only too.
TEST(CLexTree, EntriesRevisionFollowsEveryChangeOfANodesEntries) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("x-y", true);
  const uint64_t shape = tree.shape_revision();
  const uint64_t first = tree.entries_revision();
  tree.AddProns("x-y", true);
  EXPECT_EQ(tree.shape_revision(), shape);
  const uint64_t added = tree.entries_revision();
  EXPECT_NE(added, first);
  ASSERT_EQ(tree.RemoveEntry(0), 0);
  EXPECT_EQ(tree.shape_revision(), shape);
  EXPECT_NE(tree.entries_revision(), added);
  const uint64_t removed = tree.entries_revision();
  EXPECT_EQ(tree.RemoveEntry(0), -1);
  EXPECT_EQ(tree.entries_revision(), removed);
  tree.AddProns("z", true);
  EXPECT_NE(tree.shape_revision(), shape);
  EXPECT_NE(tree.entries_revision(), removed);
  vok::CLexTree other(10, "-", false);
  other.AddProns("x-y", true);
  EXPECT_NE(other.entries_revision(), tree.entries_revision());
}

TEST(CLexTree, RemovingPrunesAndReusesNodes) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("x-y-z", true);
  tree.AddProns("p-q", true);
  const int x = Walk(tree, {"x"});
  const int z = Walk(tree, {"x", "y", "z"});
  EXPECT_EQ(tree.RemoveEntry(0), 0);
  EXPECT_EQ(Walk(tree, {"x"}), -1);
  EXPECT_EQ(tree.FindChild(0, tree.FindSyllable("x")), -1);
  EXPECT_EQ(tree.free_node_count(), 3);
  EXPECT_EQ(tree.RemoveEntry(0), -1);
  EXPECT_EQ(tree.GetNode(z)->label, 65535);
  // A fresh first-level node, on the id freed last (x).
  EXPECT_EQ(tree.AddProns("x", false), 1);
  EXPECT_EQ(Walk(tree, {"x"}), x);
  EXPECT_STREQ(tree.GetEntryProns(1), "p-q");
  EXPECT_STREQ(tree.GetEntryProns(2), "x");
}

TEST(CLexTree, SharedLeavesKeepTheirBranch) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("a-b", true);
  tree.AddProns("a-b", true);
  const int b = Walk(tree, {"a", "b"});
  EXPECT_EQ(tree.RemoveEntry(0), 0);
  EXPECT_EQ(Walk(tree, {"a", "b"}), b);
  EXPECT_EQ(tree.RemoveEntry(1), 0);
  EXPECT_EQ(Walk(tree, {"a", "b"}), b);
  EXPECT_EQ(tree.GetEntryProns(1), nullptr);
}

TEST(CLexTree, RemoveEntryRemovesEveryPronunciation) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("a-b/c-d", true);
  tree.AddProns("a-e", true);
  EXPECT_EQ(tree.RemoveEntry(0), 0);
  EXPECT_EQ(tree.GetEntryProns(0), nullptr);
  EXPECT_EQ(Walk(tree, {"c"}), -1);
  EXPECT_EQ(Walk(tree, {"a", "b"}), -1);
  EXPECT_STREQ(tree.GetEntryProns(1), "a-e");
}

TEST(CLexTree, UnknownSyllablesAndReservedIds) {
  vok::CLexTree tree(10, "-", false);
  EXPECT_STREQ(tree.GetSyllableName(65535), "??");
  tree.AddSyllable("a");
  // Unknown: inserted with label 65535, under the root's child list.
  EXPECT_EQ(tree.AddPron("XX", false, false), -1);
  EXPECT_EQ(tree.entry_count(), 1);
  const int unknown = tree.FindChild(0, 65535);
  ASSERT_GT(unknown, 0);
  EXPECT_EQ(tree.GetNode(unknown)->label, 65535);
  EXPECT_STREQ(tree.GetEntryPron(0), "??");
  EXPECT_EQ(tree.AddProns("a/zz", false), -1);
  EXPECT_EQ(tree.entry_count(), 2);
  // Further pronunciations need an entry; entry ids stop below the
  // pseudo-words.
  vok::CLexTree empty(10, "-", false);
  EXPECT_EQ(empty.AddPron("a", true, true), -1);
  vok::CLexTree full(10, "-", false);
  for (int i = 0; i < vok::CLexTree::kMaxEntries; ++i) ASSERT_EQ(full.AddPron("a", true, false), i);
  EXPECT_EQ(full.AddPron("a", true, false), -1);
  EXPECT_EQ(full.entry_count(), vok::CLexTree::kMaxEntries);
  EXPECT_GE(full.link_count(), vok::CLexTree::kMaxEntries);
}

TEST(CLexTree, EmptySeparatorMakesEveryByteASyllable) {
  vok::CLexTree keys(10, "", false);
  EXPECT_EQ(keys.AddPron("ZHONG", true, false), 0);
  EXPECT_EQ(keys.syllables()->GetCount(), 5);
  EXPECT_STREQ(keys.GetEntryPron(0), "ZHONG");
  vok::CLexTree fixed(10, "", false);
  fixed.AddSyllable("A");
  EXPECT_EQ(fixed.AddPron("AB", false, false), -1);
  uint16_t ids[2] = {0, 0};
  EXPECT_EQ(keys.WordIDsToSyllables(ids, 2, nullptr, 0), -1);
  uint16_t list[16];
  ASSERT_EQ(keys.WordIDsToSyllables(ids, 2, list, 16), 0);
  EXPECT_EQ(list[0], 10);
}

TEST(CLexTree, WordIdsToPronunciations) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("ZHONG1-GUO2", true);
  tree.AddProns("REN2", true);
  const uint16_t ids[] = {0, 1};
  char text[64];
  ASSERT_EQ(tree.WordIDsToPron(ids, 2, text, sizeof text, " "), 0);
  EXPECT_STREQ(text, "ZHONG1 GUO2 REN2");
  EXPECT_EQ(tree.WordIDsToPron(ids, 2, text, 8, " "), -1);
  const uint16_t missing[] = {5};
  EXPECT_EQ(tree.WordIDsToPron(missing, 1, text, sizeof text, " "), -1);
}

constexpr const char* kPronText =
    "pron 4\n"
    "skipped line\n"
    "ZHONG1-GUO2/ZHONG4-GUO2 first\n"
    "REN2\n"
    "XX-REN2\n"
    "GUO2 last\n";

TEST(CLexTree, ReadsTheTextFileAndReportsUnknownSyllables) {
  const std::string path = TempPath("prons.txt");
  WriteFile(path, kPronText);
  vok::SymbolTable syllables(16);
  for (const char* name : {"ZHONG1", "ZHONG4", "GUO2", "REN2"}) syllables.Add(name);
  testing::internal::CaptureStdout();
  vok::CLexTree tree(path.c_str(), syllables, "-", false);
  const std::string output = testing::internal::GetCapturedStdout();
  ASSERT_EQ(tree.status(), 0);
  EXPECT_EQ(tree.entry_count(), 4);
  EXPECT_STREQ(tree.GetEntryProns(0), "ZHONG1-GUO2 ZHONG4-GUO2");
  EXPECT_STREQ(tree.GetEntryProns(3), "GUO2");
  EXPECT_NE(output.find("Unknown pron: XX\n"), std::string::npos);
  EXPECT_EQ(output.find("Unknown pron: REN2"), std::string::npos);

  WriteFile(path, "pron -3\n\n");
  EXPECT_NE(vok::CLexTree(path.c_str(), syllables, "-", false).status(), 0);
  std::remove(path.c_str());
}

TEST(CLexTree, UnitsJoinTheSyllableTable) {
  const std::string table_path = TempPath("units.syl");
  WriteFile(table_path, "%BEGIN <SYLLABLE>\nZHONG1 a1\nZHONG4 a1\nGUO2 SIL\nREN2 a1\n%END\n");
  vok::SymbolTable models(8);
  models.Add("SIL");
  models.Add("a1");
  vok::CSyllableTable table(table_path.c_str(), &models);
  ASSERT_EQ(table.status(), 0);
  const std::string path = TempPath("units.txt");
  WriteFile(path, kPronText);
  testing::internal::CaptureStdout();
  vok::CLexTree tree(path.c_str(), &table, "-", false, 2);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(tree.status(), 0);
  const uint16_t unit = tree.FindSyllable("ZHONG1-GUO2");
  ASSERT_NE(unit, 65535);
  EXPECT_EQ(table.syllables()->Find("ZHONG1-GUO2"), unit);
  EXPECT_EQ(tree.FindChild(0, unit) >= 0, true);
  EXPECT_NE(tree.FindSyllable("ZHONG4-GUO2"), 65535);
  // Beyond the first n lines no units.
  EXPECT_EQ(tree.FindSyllable("XX-REN2"), 65535);
  uint16_t list[8];
  ASSERT_EQ(table.GetSyllableModels(unit, list, 8), 3);
  EXPECT_EQ(list[1], 1);
  EXPECT_EQ(list[2], 0);
  EXPECT_STREQ(tree.GetEntryProns(0), "ZHONG1-GUO2 ZHONG1-GUO2 ZHONG4-GUO2 ZHONG4-GUO2");
  std::remove(path.c_str());
  std::remove(table_path.c_str());
  std::remove((table_path + "_Binary").c_str());
}

// The binary form of the tree holding "a-b" as entry 0, assembled by hand:
// the syllable table (count, buckets, int16-length names), then the body,
// every integer big-endian.
std::string GoldenTree(std::vector<std::size_t>* fields = nullptr) {
  std::string bytes;
  const auto int32 = [&](uint32_t v) {
    if (fields) fields->push_back(bytes.size());
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>((v >> shift) & 0xFF));
  };
  const auto uint16 = [&](uint16_t v) {
    bytes.push_back(static_cast<char>(v >> 8));
    bytes.push_back(static_cast<char>(v & 0xFF));
  };
  int32(2);
  int32(65536);
  uint16(1);
  bytes += "a";
  uint16(1);
  bytes += "b";
  int32(1);  // entries
  uint16(0);
  int32(3);  // nodes
  int32(1);  // links
  const auto node = [&](uint16_t label, int32_t child, int32_t sibling, int32_t parent, int32_t links) {
    uint16(label);
    int32(static_cast<uint32_t>(child));
    int32(static_cast<uint32_t>(sibling));
    int32(static_cast<uint32_t>(parent));
    int32(static_cast<uint32_t>(links));
  };
  node(65535, 1, -1, -1, -1);
  node(0, 2, -1, 0, -1);
  node(1, -1, -1, 1, 0);
  std::vector<std::size_t>* kept = fields;
  fields = nullptr;
  int32(1);
  for (int i = 1; i < 65534; ++i) int32(0xFFFFFFFFu);
  fields = kept;
  int32(2);  // leaf of entry 0
  uint16(0);
  int32(0xFFFFFFFFu);
  return bytes;
}

TEST(CLexTree, BinaryFormMatchesGoldenBytesAndRoundTrips) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("a-b", true);
  const std::string path = TempPath("golden.bin");
  ASSERT_EQ(tree.WriteBinary(path.c_str()), 0);
  const std::string golden = GoldenTree();
  EXPECT_TRUE(ReadFile(path) == golden);
  vok::CLexTree loaded(path.c_str(), "-");
  ASSERT_EQ(loaded.status(), 0);
  EXPECT_STREQ(loaded.GetEntryPron(0), "a-b");
  // Written again: the same, except the bucket count of the syllable table,
  // which a read table sizes for its own names.
  EXPECT_EQ(loaded.WriteBinary(path.c_str()), 0);
  const std::string again = ReadFile(path);
  ASSERT_EQ(again.size(), golden.size());
  EXPECT_TRUE(again.compare(8, std::string::npos, golden, 8, std::string::npos) == 0);
  EXPECT_EQ(tree.WriteBinary("no/such/dir/tree.bin"), -1);
  std::remove(path.c_str());
}

TEST(CLexTree, TextToBinaryRoundTripGivesTheSameTree) {
  const std::string text = TempPath("round.txt");
  WriteFile(text, kPronText);
  vok::SymbolTable syllables(16);
  for (const char* name : {"ZHONG1", "ZHONG4", "GUO2", "REN2"}) syllables.Add(name);
  testing::internal::CaptureStdout();
  vok::CLexTree tree(text.c_str(), syllables, "-", true);
  testing::internal::GetCapturedStdout();
  tree.RemoveEntry(1);
  const std::string binary = TempPath("round.bin");
  ASSERT_EQ(tree.WriteBinary(binary.c_str()), 0);
  vok::CLexTree loaded(binary.c_str(), "-");
  ASSERT_EQ(loaded.status(), 0);
  EXPECT_TRUE(loaded.backward());
  ASSERT_EQ(loaded.node_count(), tree.node_count());
  ASSERT_EQ(loaded.entry_count(), tree.entry_count());
  for (int id = 0; id < tree.node_count(); ++id) {
    const vok::LexTreeNode* a = tree.GetNode(id);
    const vok::LexTreeNode* b = loaded.GetNode(id);
    EXPECT_EQ(a->label, b->label);
    EXPECT_EQ(a->child, b->child);
    EXPECT_EQ(a->sibling, b->sibling);
    EXPECT_EQ(a->parent, b->parent);
    EXPECT_EQ(a->links, b->links);
  }
  for (int entry = 0; entry < tree.entry_count(); ++entry) {
    EXPECT_EQ(loaded.GetLeaf(entry), tree.GetLeaf(entry));
    const char* a = tree.GetEntryProns(entry);
    const std::string expected = a ? a : "";
    const char* b = loaded.GetEntryProns(entry);
    EXPECT_EQ(b ? std::string(b) : std::string(), expected);
  }
  std::remove(text.c_str());
  std::remove(binary.c_str());
}

TEST(CLexTree, CorruptBinaryFilesAreRefused) {
  std::vector<std::size_t> fields;
  const std::string golden = GoldenTree(&fields);
  const std::string path = TempPath("corrupt.bin");
  vok_test::CapturedMessages messages;
  // Cut short anywhere: refused.
  for (std::size_t length : {0, 5, 9, 12, 14, 20, 26, 30, 40, 70, 83, 1000, 262000}) {
    WriteFile(path, golden.substr(0, length));
    EXPECT_NE(vok::CLexTree(path.c_str(), "-").status(), 0) << length;
  }
  WriteFile(path, golden.substr(0, golden.size() - 1));
  EXPECT_NE(vok::CLexTree(path.c_str(), "-").status(), 0);
  // Every field of the body patched: no crash; the values that break the
  // structure are refused.
  for (const std::size_t at : fields) {
    for (uint32_t value : {0xFFFFFFFFu, 0x7FFFFFFFu, 0u, 1u, 2u, 3u, 65501u, 0x80000000u}) {
      std::string bytes = golden;
      for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
      WriteFile(path, bytes);
      vok::CLexTree tree(path.c_str(), "-");
      if (tree.status() == 0) {
        // Whatever loaded walks without looping.
        tree.GetEntryProns(0);
        uint16_t list[64];
        for (int id = 0; id < tree.node_count(); ++id) tree.GetPathSyllables(id, list, 64);
      }
    }
  }
  struct Patch {
    std::size_t at;
    uint32_t value;
  };
  const std::size_t body = 14;
  const std::size_t nodes = body + 14;
  const Patch refused[] = {
      {body, 65501},         // entries above the limit
      {body + 6, 500001},    // nodes above the pool
      {body + 10, 1000},     // links beyond the file
      {nodes + 2, 0},        // root's first child is the root: a cycle
      {nodes + 18 + 2, 1},   // a's child is a: a cycle
      {nodes + 36 + 6, 2},   // b is its own sibling
      {nodes + 36 + 10, 2},  // b's parent is b
      {nodes + 36 + 14, 7},  // link index out of range
      {nodes + 54, 2},       // root slot of a points at b
  };
  for (const Patch& p : refused) {
    std::string bytes = golden;
    for (int i = 0; i < 4; ++i)
      bytes[p.at + static_cast<std::size_t>(i)] = static_cast<char>(p.value >> (24 - 8 * i));
    WriteFile(path, bytes);
    EXPECT_NE(vok::CLexTree(path.c_str(), "-").status(), 0) << p.at;
  }
  std::string label = golden;
  label[nodes + 18] = 0x00;
  label[nodes + 18 + 1] = 0x05;  // label of a: no syllable 5
  WriteFile(path, label);
  EXPECT_NE(vok::CLexTree(path.c_str(), "-").status(), 0);
  std::remove(path.c_str());
}

// Random adds and removes against a plain map from pronunciation to the
// entries that hold it.
void Differential(bool backward, uint32_t seed) {
  std::mt19937 random(seed);
  vok::CLexTree tree(100, "-", backward);
  std::map<std::string, std::multiset<int>> holders;
  std::map<int, std::vector<std::string>> prons;
  const char* names[] = {"A", "B", "C", "D"};
  auto random_pron = [&] {
    std::string pron;
    const int n = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < n; ++i) pron += std::string(i ? "-" : "") + names[random() % 4];
    return pron;
  };
  auto path_of = [&](const std::string& pron) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = pron.find('-', start)) != std::string::npos; start = end + 1) {
      parts.push_back(pron.substr(start, end - start));
    }
    parts.push_back(pron.substr(start));
    if (backward) std::reverse(parts.begin(), parts.end());
    return parts;
  };
  for (int step = 0; step < 300; ++step) {
    if (random() % 3 != 0 || prons.empty()) {
      const std::string pron = random_pron();
      // Nodes the insertion needs, and the free ids it must use first.
      const std::vector<std::string> path = path_of(pron);
      int needed = 0, node = 0;
      for (const std::string& name : path) {
        const uint16_t s = tree.FindSyllable(name.c_str());
        node = node < 0 || s == 65535 ? -1 : tree.FindChild(node, s);
        if (node < 0) ++needed;
      }
      const int before = tree.node_count();
      const int free_before = tree.free_node_count();
      const int entry = tree.AddProns(pron.c_str(), true) == 1 ? tree.entry_count() - 1 : -1;
      ASSERT_GE(entry, 0);
      EXPECT_EQ(tree.node_count() - before, std::max(0, needed - free_before)) << seed;
      holders[pron].insert(entry);
      prons[entry].push_back(pron);
    } else {
      auto it = prons.begin();
      std::advance(it, random() % prons.size());
      ASSERT_EQ(tree.RemoveEntry(it->first), 0);
      for (const std::string& pron : it->second) holders[pron].erase(it->first);
      prons.erase(it);
    }
  }
  for (const auto& [entry, list] : prons) {
    const char* text = tree.GetEntryProns(entry);
    ASSERT_NE(text, nullptr);
    std::multiset<std::string> got, expected;
    std::vector<int> ends;
    std::string all = text;
    std::size_t start = 0;
    for (std::size_t end;; start = end + 1) {
      end = all.find(' ', start);
      const std::string pron = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
      // Written in pronunciation order, found along the stored order.
      std::vector<std::string> stored = path_of(pron);
      if (backward) std::reverse(stored.begin(), stored.end());
      std::string stored_text;
      for (const std::string& s : stored) stored_text += (stored_text.empty() ? "" : "-") + s;
      got.insert(stored_text);
      ends.push_back(Walk(tree, path_of(stored_text)));
      if (end == std::string::npos) break;
    }
    expected.insert(list.begin(), list.end());
    EXPECT_EQ(got, expected) << seed << " entry " << entry;
    EXPECT_TRUE(std::is_sorted(ends.begin(), ends.end())) << seed;
  }
  // Every pronunciation still held is reachable; every removed-only one that
  // no live entry holds and that is not a prefix of one is gone.
  for (const auto& [pron, entries] : holders) {
    const int node = Walk(tree, path_of(pron));
    if (!entries.empty()) {
      ASSERT_GE(node, 0) << pron;
      const Ids listed = Entries(tree, node);
      for (int entry : entries) EXPECT_NE(std::find(listed.begin(), listed.end(), entry), listed.end());
    }
  }
}

TEST(CLexTree, RandomEditsMatchAPlainMap) {
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    Differential(false, seed);
    Differential(true, seed);
  }
}

TEST(CLexTree, MemoryUsageAndHeader) {
  vok::CLexTree tree(10, "-", false);
  tree.AddProns("a-b", true);
  // Syllable table + 4 + pool (36 + 8 x 250 + one block of 2000 x 20 + free
  // list) + 4 per leaf slot + 4 per syllable.
  const int64_t expected = tree.syllables()->MemoryUse() + 4 + 36 + 2000 + 40000 + 20 + 4 * (10 + 15000) + 8;
  EXPECT_EQ(tree.GetMemoryUsage(), expected);
}

}  // namespace
