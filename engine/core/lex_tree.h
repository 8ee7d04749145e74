// The pronunciation dictionary: a prefix tree over syllable ids (suffix tree
// when backward) whose nodes list the entries ending there. Entry ids equal
// word ids.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/object_mem_mgr.h"
#include "engine/core/symbol_table.h"

namespace vok {

class CSyllableTable;

struct LexTreeNode {
  uint16_t label = 65535;  // syllable id
  int32_t child = -1;      // first child
  int32_t sibling = -1;    // next sibling
  int32_t parent = -1;
  int32_t links = -1;  // head of the entry-link list
  void Reset() { *this = LexTreeNode(); }
};

struct EntryLink {
  uint16_t entry = 65535;  // 65535: removed
  int32_t next = -1;
};

// Entry links, appended and never freed; grows when full.
class EntryLinkArray {
 public:
  void Init(int capacity);
  // The new link's index, or -1 when it cannot grow.
  int Append(uint16_t entry, int32_t next);
  EntryLink* Get(int index) {
    return index >= 0 && index < count() ? &links_[static_cast<std::size_t>(index)] : nullptr;
  }
  const EntryLink* Get(int index) const {
    return index >= 0 && index < count() ? &links_[static_cast<std::size_t>(index)] : nullptr;
  }
  int count() const { return static_cast<int>(links_.size()); }
  int capacity() const { return static_cast<int>(links_.capacity()); }
  void Clear() { links_.clear(); }

 private:
  std::vector<EntryLink> links_;
};

class CLexTree {
 public:
  static constexpr int kNodeBlock = 2000;
  static constexpr int kMaxNodeBlocks = 250;
  static constexpr int kMaxNodes = kNodeBlock * kMaxNodeBlocks;
  static constexpr int kNodeBytes = 20;
  static constexpr int kRootSlots = 65534;
  static constexpr int kRunTimeSyllables = 20000;
  static constexpr int kExtraEntries = 15000;
  // Entry ids 65500-65506 are pseudo-words, 65534 silence, 65535 none.
  static constexpr int kMaxEntries = 65500;
  // Syllable ids 65534 and 65535 are reserved.
  static constexpr int kMaxSyllables = 65534;
  static constexpr uint16_t kNone = 65535;
  static constexpr int kMaxSeparator = 3;
  // The shared result buffers of GetEntryPron and GetEntryProns (per thread).
  static constexpr int kPronBuffer = 4096;

  CLexTree();
  // A tree built at run time for about n entries.
  CLexTree(int n, const char* separator, bool backward);
  // A pronunciation text file over a copy of the given syllable names.
  CLexTree(const char* path, const SymbolTable& syllables, const char* separator, bool backward);
  // A pronunciation text file whose first n lines also get units, with the
  // syllable table linked (not owned).
  CLexTree(const char* path, CSyllableTable* table, const char* separator, bool backward, int n);
  // The binary form.
  CLexTree(const char* path, const char* separator);
  ~CLexTree();
  CLexTree(const CLexTree&) = delete;
  CLexTree& operator=(const CLexTree&) = delete;

  // The same pronunciations under the same entry ids in a tree of the given
  // direction, over a copy of the syllable names (their ids stay); null when
  // it cannot be made.
  std::unique_ptr<CLexTree> CopyInDirection(bool backward) const;

  // Reads the binary form; 0, or -1 (the tree is then empty).
  int Load(const char* path, const char* separator);
  // 0 when the constructor's reading (if any) succeeded.
  int status() const { return status_; }

  // Pool, links, root, leaves and root table for n entries; 0 or -1.
  int InitNodes(int n);
  // A reset node and its id, or -1 with a null node when the pool is full.
  int NewNode(LexTreeNode** node);
  // The entry id, or -1 when a syllable was unknown (the pronunciation is
  // still inserted) or nothing could be inserted (no entry is made).
  int AddPron(const char* text, bool add_unknown, bool further);
  // Pronunciations joined by "/": the number added, or -1 when any failed.
  int AddProns(const char* text, bool add_unknown);
  // As AddProns, under the given entry id instead of the next one (a word
  // added to a lexicon keeps its word id here); the first pronunciation
  // becomes the entry's leaf. -1 when the first could not be inserted.
  int AddPronsAt(int entry, const char* text, bool add_unknown);
  // The syllable's id (also added to the linked syllable table); -1 when
  // either table refuses it.
  int AddSyllable(const char* name);
  uint16_t FindSyllable(const char* name) const;
  const char* GetSyllableName(int id) const;
  // Removes every pronunciation of the entry; 0, or -1 when it has none.
  int RemoveEntry(int entry);

  const LexTreeNode* GetNode(int id) const { return pool_ ? pool_->Get(id) : nullptr; }
  int FindChild(int parent, int syllable) const;
  uint16_t GetLinkEntry(int link) const;
  // The link record (entry and next link), or null; for walks over many nodes.
  const EntryLink* GetLink(int link) const { return links_.Get(link); }
  int GetNextLink(int link) const;
  uint16_t GetNodeEntry(int node) const;
  // Labels from the node up to the root in pronunciation order, count first.
  int GetPathSyllables(int node, uint16_t* list, int capacity) const;
  // Entries listed at the node and every node below it; their number, or -1
  // when they do not fit.
  int GetEntriesBelow(int node, uint16_t* entries, int capacity) const;

  // Results in this thread's buffer, valid until its next call.
  const char* GetEntryPron(int entry) const;
  const char* GetEntryProns(int entry) const;
  int WordIDsToSyllables(const uint16_t* ids, int n, uint16_t* list, int capacity) const;
  int WordIDsToPron(const uint16_t* ids, int n, char* out, int size, const char* separator) const;

  int ReadText(const char* path);
  int ReadTextWithUnits(const char* path, int n);
  // 0, or -1 when the file cannot be written (the old file stays).
  int WriteBinary(const char* path) const;

  int64_t GetMemoryUsage() const;
  void PrintHeader() const;

  int entry_count() const { return entry_count_; }
  int node_count() const { return pool_ ? pool_->count() : 0; }
  // Changes whenever a node gains or loses a child or the nodes are made
  // anew, and is never the same for two trees: lookups of children may be
  // kept while it stays.
  uint64_t shape_revision() const { return shape_revision_; }
  // Changes whenever the entries listed at a node change or the shape does,
  // and is never the same for two trees: the word lists of nodes may be
  // kept while it stays.
  uint64_t entries_revision() const { return entries_revision_; }
  int free_node_count() const { return pool_ ? pool_->free_count() : 0; }
  int link_count() const { return links_.count(); }
  bool backward() const { return backward_ != 0; }
  const char* separator() const { return separator_; }
  const SymbolTable* syllables() const { return syllables_.get(); }
  // The node where the entry's first pronunciation ends, or -1.
  int GetLeaf(int entry) const;

 private:
  void Clear();
  void SetSeparator(const char* separator);
  // Syllable ids of a text (65535 for unknown ones); 0, or -1.
  int ParsePron(const char* text, bool add_unknown, std::vector<uint16_t>* ids);
  int Insert(const std::vector<uint16_t>& ids, int entry);
  void Prune(int node);
  void UnlinkChild(LexTreeNode* parent, int child);
  std::string PathText(int node) const;
  bool CollectPath(int node, std::vector<uint16_t>* labels) const;
  void SetLeaf(int entry, int node);
  int ReadTextFile(const char* path, int unit_lines);
  int ReadBody(std::FILE* stream);
  bool CheckStructure(const std::vector<int32_t>& leaves);

  int32_t entry_count_ = 0;
  uint16_t backward_ = 0;
  std::unique_ptr<SymbolTable> syllables_;
  CSyllableTable* syllable_table_ = nullptr;
  std::vector<int32_t> leaves_;
  char separator_[kMaxSeparator + 1] = {};
  void ChangeShape();
  void ChangeEntries();

  std::unique_ptr<ObjectMemMgr<LexTreeNode>> pool_;
  uint64_t shape_revision_ = 0;
  uint64_t entries_revision_ = 0;
  EntryLinkArray links_;
  std::vector<int32_t> root_table_;
  int status_ = 0;
};

}  // namespace vok
