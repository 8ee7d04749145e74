#include "engine/core/lex_tree.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"
#include "engine/core/messages.h"
#include "engine/core/replacing_file.h"
#include "engine/core/revision.h"
#include "engine/core/syllable_table.h"
#include "engine/core/text.h"
#include "engine/core/token_scan.h"

namespace vok {

namespace {

constexpr int kNodeRecordBytes = 18;
constexpr int kLinkRecordBytes = 6;

std::vector<std::string> SplitAt(const std::string& text, char cut) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(cut, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// Pieces cut at any character of `cuts`, empty ones skipped.
std::vector<std::string> PiecesOf(const std::string& text, const std::string& cuts) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find_first_of(cuts, start);
    const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!piece.empty()) pieces.push_back(piece);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return pieces;
}

// Big-endian fields of the rest of a stream through a small buffer; the
// caller checks its counts against left() before it reads them.
class BigEndianReader {
 public:
  explicit BigEndianReader(std::FILE* stream) : stream_(stream), left_(FileRemainingBytes(stream)) {}
  long long left() const { return left_; }
  bool failed() const { return failed_; }
  int32_t Int32() {
    unsigned char b[4];
    Take(b, 4);
    return static_cast<int32_t>(LoadBigEndian32(b));
  }
  uint16_t UInt16() {
    unsigned char b[2];
    Take(b, 2);
    return LoadBigEndian16(b);
  }

 private:
  void Take(unsigned char* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (position_ == filled_) {
        filled_ = std::fread(buffer_, 1, sizeof buffer_, stream_);
        position_ = 0;
        if (filled_ == 0) {
          failed_ = true;
          out[i] = 0;
          continue;
        }
      }
      out[i] = buffer_[position_++];
    }
    left_ -= static_cast<long long>(n);
  }

  std::FILE* stream_;
  long long left_;
  bool failed_ = false;
  unsigned char buffer_[65536];
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
};

void PutInt32(std::vector<unsigned char>* out, int32_t value) {
  unsigned char b[4];
  StoreBigEndian32(b, static_cast<uint32_t>(value));
  out->insert(out->end(), b, b + 4);
}

void PutUInt16(std::vector<unsigned char>* out, uint16_t value) {
  unsigned char b[2];
  StoreBigEndian16(b, value);
  out->insert(out->end(), b, b + 2);
}

// Copies a result into this thread's buffer; null when it does not fit.
const char* ThreadResult(char* buffer, const std::string& text) {
  if (text.size() + 1 > static_cast<std::size_t>(CLexTree::kPronBuffer)) return nullptr;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return buffer;
}

}  // namespace

void EntryLinkArray::Init(int capacity) {
  links_.clear();
  links_.reserve(static_cast<std::size_t>(std::max(capacity, 16)));
}

int EntryLinkArray::Append(uint16_t entry, int32_t next) {
  if (links_.size() >= static_cast<std::size_t>(INT32_MAX - 1)) return -1;
  links_.push_back(EntryLink{entry, next});
  return static_cast<int>(links_.size() - 1);
}

CLexTree::CLexTree() = default;

CLexTree::CLexTree(int n, const char* separator, bool backward) : backward_(backward ? 1 : 0) {
  SetSeparator(separator);
  syllables_ = std::make_unique<SymbolTable>(kRunTimeSyllables);
  status_ = InitNodes(n);
}

std::unique_ptr<CLexTree> CLexTree::CopyInDirection(bool backward) const {
  if (!pool_ || !syllables_) return nullptr;
  auto copy = std::make_unique<CLexTree>();
  copy->backward_ = backward ? 1 : 0;
  std::memcpy(copy->separator_, separator_, sizeof separator_);
  copy->syllables_ = syllables_->Copy(syllables_->GetCount() + kRunTimeSyllables);
  if (!copy->syllables_ || copy->InitNodes(entry_count_) != 0) return nullptr;
  // Each entry's pronunciations, its leaf's first as in this tree.
  std::vector<std::vector<std::string>> prons(leaves_.size());
  for (int id = 1; id < node_count(); ++id) {
    for (int link = GetNode(id)->links; link != -1; link = GetNextLink(link)) {
      const uint16_t entry = GetLinkEntry(link);
      if (entry >= prons.size()) continue;
      auto& list = prons[entry];
      list.insert(id == GetLeaf(entry) ? list.begin() : list.end(), PathText(id));
    }
  }
  for (std::size_t entry = 0; entry < prons.size(); ++entry) {
    std::string joined;
    for (const std::string& pron : prons[entry]) joined += (joined.empty() ? "" : "/") + pron;
    if (!joined.empty()) copy->AddPronsAt(static_cast<int>(entry), joined.c_str(), false);
  }
  copy->entry_count_ = entry_count_;
  return copy;
}

CLexTree::CLexTree(const char* path, const SymbolTable& syllables, const char* separator, bool backward)
    : backward_(backward ? 1 : 0) {
  SetSeparator(separator);
  syllables_ = syllables.Copy(syllables.GetCount() + kRunTimeSyllables);
  status_ = syllables_ ? ReadText(path) : -1;
}

CLexTree::CLexTree(const char* path, CSyllableTable* table, const char* separator, bool backward, int n)
    : backward_(backward ? 1 : 0), syllable_table_(table) {
  SetSeparator(separator);
  if (table && table->syllables()) syllables_ = table->syllables()->Copy(table->capacity());
  status_ = syllables_ ? ReadTextWithUnits(path, n) : -1;
}

CLexTree::CLexTree(const char* path, const char* separator) { status_ = Load(path, separator); }

CLexTree::~CLexTree() = default;

void CLexTree::ChangeShape() {
  shape_revision_ = NewRevision();
  entries_revision_ = shape_revision_;
}

void CLexTree::ChangeEntries() { entries_revision_ = NewRevision(); }

void CLexTree::Clear() {
  ChangeShape();
  entry_count_ = 0;
  leaves_.clear();
  pool_.reset();
  links_.Clear();
  root_table_.clear();
}

void CLexTree::SetSeparator(const char* separator) {
  std::memset(separator_, 0, sizeof separator_);
  if (separator) std::strncpy(separator_, separator, kMaxSeparator);
}

int CLexTree::InitNodes(int n) {
  Clear();
  n = std::clamp(n, 0, kMaxEntries);
  pool_ = std::make_unique<ObjectMemMgr<LexTreeNode>>(kNodeBlock, kNodeBytes, true, kMaxNodeBlocks);
  if (!pool_->ok()) {
    pool_.reset();
    return ErrorSet("ObjectMemMgr()", -1, "errCannotAllocateMemory");
  }
  links_.Init(2 * n);
  LexTreeNode* root = nullptr;
  NewNode(&root);
  leaves_.assign(static_cast<std::size_t>(std::min(n + kExtraEntries, kMaxEntries)), -1);
  root_table_.assign(kRootSlots, -1);
  return 0;
}

int CLexTree::NewNode(LexTreeNode** node) {
  *node = nullptr;
  const int id = pool_ ? pool_->New(node) : -1;
  if (id < 0) {
    *node = nullptr;
    ErrorMessage("CLexTree::NewNode .. nodeID reached maximum (%d)", kMaxNodes);
    return -1;
  }
  (*node)->Reset();
  return id;
}

int CLexTree::AddSyllable(const char* name) {
  if (!syllables_ || !name) return -1;
  const int known = syllables_->Find(name);
  if (known >= 0) return known;
  if (syllables_->GetCount() >= kMaxSyllables) return -1;
  if (syllable_table_ && syllable_table_->AddSyllable(name) == -1) return -1;
  return syllables_->Add(name);
}

uint16_t CLexTree::FindSyllable(const char* name) const {
  const int id = syllables_ && name ? syllables_->Find(name) : -1;
  return id < 0 || id >= kMaxSyllables ? kNone : static_cast<uint16_t>(id);
}

const char* CLexTree::GetSyllableName(int id) const {
  const char* name = (syllables_ && id != kNone) ? syllables_->GetName(id) : nullptr;
  return name ? name : "??";
}

int CLexTree::ParsePron(const char* text, bool add_unknown, std::vector<uint16_t>* ids) {
  ids->clear();
  if (!text) return -1;
  auto lookup = [&](const char* name) -> uint16_t {
    uint16_t id = FindSyllable(name);
    if (id == kNone && add_unknown) {
      const int added = AddSyllable(name);
      if (added >= 0 && added < kMaxSyllables) id = static_cast<uint16_t>(added);
    }
    return id;
  };
  if (separator_[0] == '\0') {
    for (const char* p = text; *p; ++p) {
      const char name[2] = {*p, '\0'};
      const uint16_t id = lookup(name);
      if (id == kNone) return -1;
      ids->push_back(id);
    }
    return 0;
  }
  int result = 0;
  std::string copy = text;
  for (char* name = TokenScanFirst(copy.data(), separator_); name; name = TokenScanNext(separator_)) {
    const uint16_t id = lookup(name);
    if (id == kNone) result = -1;
    ids->push_back(id);
  }
  return result;
}

int CLexTree::FindChild(int parent, int syllable) const {
  if (parent == 0 && syllable >= 0 && syllable < kRootSlots && !root_table_.empty()) {
    return root_table_[static_cast<std::size_t>(syllable)];
  }
  const LexTreeNode* node = GetNode(parent);
  for (int child = node ? node->child : -1; child != -1;) {
    const LexTreeNode* c = GetNode(child);
    if (!c) return -1;
    if (c->label == syllable) return child;
    child = c->sibling;
  }
  return -1;
}

void CLexTree::UnlinkChild(LexTreeNode* parent, int child) {
  ChangeShape();
  int32_t* link = &parent->child;
  while (*link != -1) {
    LexTreeNode* node = pool_->Get(*link);
    if (!node) return;
    if (*link == child) {
      *link = node->sibling;
      return;
    }
    link = &node->sibling;
  }
}

void CLexTree::Prune(int id) {
  while (id > 0) {
    LexTreeNode* node = pool_->Get(id);
    if (!node || node->links != -1 || node->child != -1) return;
    const int parent = node->parent;
    LexTreeNode* up = pool_->Get(parent);
    if (up) UnlinkChild(up, id);
    if (parent == 0 && node->label < kRootSlots && root_table_[node->label] == id)
      root_table_[node->label] = -1;
    node->Reset();
    pool_->Delete(id);
    id = parent;
  }
}

int CLexTree::Insert(const std::vector<uint16_t>& ids, int entry) {
  int node = 0;
  int created = -1;
  for (const uint16_t s : ids) {
    int child = FindChild(node, s);
    if (child < 0) {
      LexTreeNode* fresh = nullptr;
      child = NewNode(&fresh);
      if (child < 0) {
        if (created >= 0) Prune(node);
        return -1;
      }
      LexTreeNode* parent = pool_->Get(node);
      ChangeShape();
      fresh->label = s;
      fresh->sibling = parent->child;
      fresh->parent = node;
      parent->child = child;
      if (node == 0 && s < kRootSlots) root_table_[s] = child;
      if (created < 0) created = child;
    }
    node = child;
  }
  LexTreeNode* last = pool_->Get(node);
  const int link = links_.Append(static_cast<uint16_t>(entry), last->links);
  if (link < 0) {
    Prune(node);
    return -1;
  }
  last->links = link;
  ChangeEntries();
  entry_count_ = std::max(entry_count_, entry + 1);
  return node;
}

void CLexTree::SetLeaf(int entry, int node) {
  if (static_cast<std::size_t>(entry) >= leaves_.size())
    leaves_.resize(static_cast<std::size_t>(entry) + 1, -1);
  leaves_[static_cast<std::size_t>(entry)] = node;
}

int CLexTree::GetLeaf(int entry) const {
  return entry >= 0 && static_cast<std::size_t>(entry) < leaves_.size()
             ? leaves_[static_cast<std::size_t>(entry)]
             : -1;
}

int CLexTree::AddPron(const char* text, bool add_unknown, bool further) {
  if (!pool_) return -1;
  const int entry = further ? entry_count_ - 1 : entry_count_;
  if (entry < 0 || entry >= kMaxEntries) return -1;
  std::vector<uint16_t> ids;
  const int parsed = ParsePron(text, add_unknown, &ids);
  if (ids.empty()) return -1;
  if (backward_) std::reverse(ids.begin(), ids.end());
  const int node = Insert(ids, entry);
  if (node < 0) return -1;
  if (!further) SetLeaf(entry, node);
  return parsed < 0 ? -1 : entry;
}

int CLexTree::AddProns(const char* text, bool add_unknown) {
  if (!text) return -1;
  int added = 0;
  bool failed = false;
  const std::vector<std::string> prons = SplitAt(text, '/');
  for (std::size_t i = 0; i < prons.size(); ++i) {
    const int before = entry_count_;
    const int result = AddPron(prons[i].c_str(), add_unknown, i > 0);
    // Without the first pronunciation the others would join another entry.
    if (i == 0 && entry_count_ == before) return -1;
    if (result < 0) {
      failed = true;
    } else {
      ++added;
    }
  }
  return failed ? -1 : added;
}

int CLexTree::AddPronsAt(int entry, const char* text, bool add_unknown) {
  if (!pool_ || !text || entry < 0 || entry >= kMaxEntries) return -1;
  int added = 0;
  bool failed = false;
  const std::vector<std::string> prons = SplitAt(text, '/');
  for (std::size_t i = 0; i < prons.size(); ++i) {
    std::vector<uint16_t> ids;
    const int parsed = ParsePron(prons[i].c_str(), add_unknown, &ids);
    if (backward_) std::reverse(ids.begin(), ids.end());
    const int node = ids.empty() ? -1 : Insert(ids, entry);
    if (node < 0) {
      if (i == 0) return -1;
      failed = true;
      continue;
    }
    if (i == 0) SetLeaf(entry, node);
    if (parsed < 0)
      failed = true;
    else
      ++added;
  }
  return failed ? -1 : added;
}

int CLexTree::RemoveEntry(int entry) {
  if (GetLeaf(entry) < 0) return -1;
  leaves_[static_cast<std::size_t>(entry)] = -1;
  bool found = false;
  for (int id = 1; id < node_count(); ++id) {
    LexTreeNode* node = pool_->Get(id);
    if (node->links == -1) continue;
    bool holds = false;
    int others = 0;
    for (int link = node->links; link != -1;) {
      EntryLink* l = links_.Get(link);
      if (!l) break;
      if (l->entry == entry) {
        l->entry = kNone;
        holds = true;
      } else {
        ++others;
      }
      link = l->next;
    }
    if (!holds) continue;
    ChangeEntries();
    found = true;
    if (others == 0) {
      node->links = -1;
      Prune(id);
    }
  }
  return found ? 0 : -1;
}

uint16_t CLexTree::GetLinkEntry(int link) const {
  const EntryLink* l = links_.Get(link);
  return l ? l->entry : kNone;
}

int CLexTree::GetNextLink(int link) const {
  const EntryLink* l = links_.Get(link);
  return l ? l->next : -1;
}

uint16_t CLexTree::GetNodeEntry(int node) const {
  const LexTreeNode* n = GetNode(node);
  return n ? GetLinkEntry(n->links) : kNone;
}

bool CLexTree::CollectPath(int node, std::vector<uint16_t>* labels) const {
  labels->clear();
  const int limit = node_count();
  for (int id = node; id > 0;) {
    const LexTreeNode* n = GetNode(id);
    if (!n || static_cast<int>(labels->size()) >= limit) return false;
    labels->push_back(n->label);
    id = n->parent;
  }
  if (!backward_) std::reverse(labels->begin(), labels->end());
  return true;
}

int CLexTree::GetPathSyllables(int node, uint16_t* list, int capacity) const {
  std::vector<uint16_t> labels;
  if (!list || !CollectPath(node, &labels) || static_cast<int>(labels.size()) + 1 > capacity) return -1;
  list[0] = static_cast<uint16_t>(labels.size());
  std::copy(labels.begin(), labels.end(), list + 1);
  return 0;
}

int CLexTree::GetEntriesBelow(int node, uint16_t* entries, int capacity) const {
  if (!GetNode(node)) return -1;
  int n = 0;
  std::vector<int> stack = {node};
  while (!stack.empty()) {
    const LexTreeNode* current = GetNode(stack.back());
    stack.pop_back();
    for (int link = current->links; link != -1; link = GetNextLink(link)) {
      const uint16_t entry = GetLinkEntry(link);
      if (entry == kNone) continue;
      if (n >= capacity) return -1;
      entries[n++] = entry;
    }
    for (int child = current->child; child != -1; child = GetNode(child)->sibling) stack.push_back(child);
  }
  return n;
}

std::string CLexTree::PathText(int node) const {
  std::vector<uint16_t> labels;
  std::string text;
  if (!CollectPath(node, &labels)) return text;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (i > 0) text += separator_;
    text += GetSyllableName(labels[i]);
  }
  return text;
}

const char* CLexTree::GetEntryPron(int entry) const {
  thread_local char buffer[kPronBuffer];
  const int leaf = GetLeaf(entry);
  if (leaf < 0) return nullptr;
  return ThreadResult(buffer, PathText(leaf));
}

const char* CLexTree::GetEntryProns(int entry) const {
  thread_local char buffer[kPronBuffer];
  if (entry < 0 || entry >= kNone) return nullptr;
  std::string text;
  bool any = false;
  for (int id = 1; id < node_count(); ++id) {
    const LexTreeNode* node = GetNode(id);
    for (int link = node->links; link != -1; link = GetNextLink(link)) {
      if (GetLinkEntry(link) != entry) continue;
      const std::string pron = PathText(id);
      // Cut at a whole pronunciation.
      if (text.size() + pron.size() + 1 >= static_cast<std::size_t>(kPronBuffer))
        return any ? ThreadResult(buffer, text) : nullptr;
      if (any) text += ' ';
      text += pron;
      any = true;
    }
  }
  return any ? ThreadResult(buffer, text) : nullptr;
}

int CLexTree::WordIDsToSyllables(const uint16_t* ids, int n, uint16_t* list, int capacity) const {
  if (!ids || !list || capacity < 1) return -1;
  int count = 0;
  std::vector<uint16_t> labels;
  for (int i = 0; i < n; ++i) {
    const int leaf = GetLeaf(ids[i]);
    if (leaf < 0 || !CollectPath(leaf, &labels)) return -1;
    if (count + 1 + static_cast<int>(labels.size()) > capacity) return -1;
    std::copy(labels.begin(), labels.end(), list + 1 + count);
    count += static_cast<int>(labels.size());
  }
  list[0] = static_cast<uint16_t>(count);
  return 0;
}

int CLexTree::WordIDsToPron(const uint16_t* ids, int n, char* out, int size, const char* separator) const {
  if (!out || size < 1) return -1;
  out[0] = '\0';
  std::vector<uint16_t> list(static_cast<std::size_t>(kPronBuffer));
  if (WordIDsToSyllables(ids, n, list.data(), static_cast<int>(list.size())) != 0) return -1;
  const std::string cut = separator ? separator : "";
  std::string text;
  for (int i = 1; i <= list[0]; ++i) {
    for (const std::string& piece : PiecesOf(GetSyllableName(list[static_cast<std::size_t>(i)]), " -")) {
      text += piece;
      text += cut;
    }
  }
  if (!text.empty()) text.resize(text.size() - cut.size());
  if (text.size() + 1 > static_cast<std::size_t>(size)) return -1;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return 0;
}

int CLexTree::ReadText(const char* path) { return ReadTextFile(path, 0); }

int CLexTree::ReadTextWithUnits(const char* path, int n) { return ReadTextFile(path, n); }

int CLexTree::ReadTextFile(const char* path, int unit_lines) {
  std::FILE* stream = path ? std::fopen(path, "r") : nullptr;
  if (!stream) {
    ErrorMessage("Problem with reading [%s]\n", path ? path : "");
    return -1;
  }
  std::string line;
  const bool has_header = FileReadLine(stream, &line) >= 0;
  const std::vector<std::string> header = SplitTokens(line);
  const int entries = header.size() >= 2 ? ParseLeadingInt(header[1].c_str()) : -1;
  if (!has_header || entries < 0 || entries > kMaxEntries || FileReadLine(stream, &line) < 0 ||
      InitNodes(entries) != 0) {
    std::fclose(stream);
    ErrorMessage("Problem with reading [%s]\n", path);
    return -1;
  }
  const std::string pron_cuts = std::string("/-") + separator_;
  std::vector<std::string> unknown;
  std::vector<uint16_t> ids;
  for (int i = 0; i < entries && FileReadLine(stream, &line) >= 0; ++i) {
    const std::string field = line.substr(0, line.find_first_of(" \t\r\n"));
    bool failed = false;
    if (i < unit_lines) {
      const std::vector<std::string> prons = SplitAt(field, '/');
      for (std::size_t j = 0; j < prons.size(); ++j) {
        const int before = entry_count_;
        if (AddPron(prons[j].c_str(), false, j > 0) < 0) failed = true;
        if (j == 0 && entry_count_ == before) break;
        if (ParsePron(prons[j].c_str(), false, &ids) < 0 || ids.size() < 2) continue;
        const int unit = AddSyllable(prons[j].c_str());
        if (unit >= 0 && unit < kMaxSyllables) Insert({static_cast<uint16_t>(unit)}, entry_count_ - 1);
      }
    } else {
      failed = AddProns(field.c_str(), false) < 0;
    }
    if (!failed) continue;
    for (const std::string& piece : PiecesOf(field, pron_cuts)) {
      if (FindSyllable(piece.c_str()) == kNone &&
          std::find(unknown.begin(), unknown.end(), piece) == unknown.end()) {
        unknown.push_back(piece);
      }
    }
  }
  std::fclose(stream);
  if (!unknown.empty()) {
    LogPrintEcho("\n");
    for (const std::string& piece : unknown) LogPrintEcho("Unknown pron: %s\n", piece.c_str());
  }
  return 0;
}

int CLexTree::WriteBinary(const char* path) const {
  if (!pool_ || !syllables_) return -1;
  ReplacingFile file(path);
  if (!file.stream() || syllables_->Write(file.stream(), 0, 0) != 0) return -1;
  const int nodes = node_count();
  std::vector<unsigned char> out;
  out.reserve(static_cast<std::size_t>(nodes) * kNodeRecordBytes + 4u * kRootSlots +
              4u * static_cast<std::size_t>(entry_count_) +
              static_cast<std::size_t>(link_count()) * kLinkRecordBytes + 16);
  PutInt32(&out, entry_count_);
  PutUInt16(&out, backward_);
  PutInt32(&out, nodes);
  PutInt32(&out, link_count());
  for (int id = 0; id < nodes; ++id) {
    const LexTreeNode* node = GetNode(id);
    PutUInt16(&out, node->label);
    PutInt32(&out, node->child);
    PutInt32(&out, node->sibling);
    PutInt32(&out, node->parent);
    PutInt32(&out, node->links);
  }
  for (const int32_t slot : root_table_) PutInt32(&out, slot);
  for (int entry = 0; entry < entry_count_; ++entry) PutInt32(&out, GetLeaf(entry));
  for (int link = 0; link < link_count(); ++link) {
    PutUInt16(&out, links_.Get(link)->entry);
    PutInt32(&out, links_.Get(link)->next);
  }
  if (std::fwrite(out.data(), 1, out.size(), file.stream()) != out.size()) return -1;
  return file.Commit();
}

int CLexTree::Load(const char* path, const char* separator) {
  Clear();
  SetSeparator(separator);
  syllable_table_ = nullptr;
  std::FILE* stream = path ? std::fopen(path, "rb") : nullptr;
  if (!stream) {
    ErrorMessage("Problem with reading [%s]\n", path ? path : "");
    return -1;
  }
  syllables_ = std::make_unique<SymbolTable>();
  int result = syllables_->Read(stream, 0);
  if (result == 0) {
    result = ReadBody(stream);
  }
  std::fclose(stream);
  if (result != 0) {
    Clear();
    syllables_.reset();
    ErrorMessage("Problem with reading [%s]\n", path);
  }
  return result;
}

int CLexTree::ReadBody(std::FILE* stream) {
  ChangeShape();
  auto reader = std::make_unique<BigEndianReader>(stream);
  BigEndianReader& in = *reader;
  if (in.left() < 14) return -1;
  const int32_t entries = in.Int32();
  const uint16_t backward = in.UInt16();
  const int32_t nodes = in.Int32();
  const int32_t links = in.Int32();
  if (entries < 0 || entries > kMaxEntries || nodes < 1 || nodes > kMaxNodes || links < 0) return -1;
  const long long fixed = static_cast<long long>(nodes) * kNodeRecordBytes + 4LL * kRootSlots + 4LL * entries;
  if (in.left() < fixed || (in.left() - fixed) / kLinkRecordBytes < links) return -1;
  if (InitNodes(entries) != 0) return -1;
  backward_ = backward ? 1 : 0;
  const int syllable_count = syllables_->GetCount();
  for (int32_t id = 0; id < nodes; ++id) {
    LexTreeNode* node = nullptr;
    if (id == 0) {
      node = pool_->Get(0);
    } else if (NewNode(&node) != id) {
      return -1;
    }
    node->label = in.UInt16();
    node->child = in.Int32();
    node->sibling = in.Int32();
    node->parent = in.Int32();
    node->links = in.Int32();
    const auto node_id = [&](int32_t v) { return v >= -1 && v < nodes; };
    if ((node->label != kNone && node->label >= syllable_count) || !node_id(node->child) ||
        !node_id(node->sibling) || !node_id(node->parent) || node->links < -1 || node->links >= links) {
      return -1;
    }
  }
  for (int32_t& slot : root_table_) {
    slot = in.Int32();
    if (slot < -1 || slot == 0 || slot >= nodes) return -1;
  }
  std::vector<int32_t> leaves(static_cast<std::size_t>(entries));
  for (int32_t& leaf : leaves) {
    leaf = in.Int32();
    if (leaf < 0 || leaf >= nodes) leaf = -1;
  }
  links_.Init(links);
  for (int32_t i = 0; i < links; ++i) {
    const uint16_t entry = in.UInt16();
    const int32_t next = in.Int32();
    if ((entry != kNone && entry >= entries) || next < -1 || next >= links) return -1;
    links_.Append(entry, next);
  }
  if (in.failed()) return -1;
  entry_count_ = entries;
  if (!CheckStructure(leaves)) return -1;
  for (int32_t entry = 0; entry < entries; ++entry) SetLeaf(entry, leaves[static_cast<std::size_t>(entry)]);
  return 0;
}

bool CLexTree::CheckStructure(const std::vector<int32_t>& leaves) {
  const int nodes = node_count();
  std::vector<char> reached(static_cast<std::size_t>(nodes), 0);
  if (GetNode(0)->parent != -1) return false;
  reached[0] = 1;
  std::vector<int> stack = {0};
  while (!stack.empty()) {
    const int id = stack.back();
    stack.pop_back();
    for (int child = GetNode(id)->child; child != -1;) {
      if (reached[static_cast<std::size_t>(child)]) return false;
      reached[static_cast<std::size_t>(child)] = 1;
      const LexTreeNode* node = GetNode(child);
      if (node->parent != id) return false;
      if (id == 0 && node->label < kRootSlots && root_table_[node->label] != child) return false;
      stack.push_back(child);
      child = node->sibling;
    }
  }
  for (int s = 0; s < kRootSlots; ++s) {
    const int id = root_table_[static_cast<std::size_t>(s)];
    if (id != -1 &&
        (!reached[static_cast<std::size_t>(id)] || GetNode(id)->parent != 0 || GetNode(id)->label != s)) {
      return false;
    }
  }
  std::vector<char> linked(static_cast<std::size_t>(link_count()), 0);
  for (int id = 0; id < nodes; ++id) {
    const LexTreeNode* node = GetNode(id);
    if (!reached[static_cast<std::size_t>(id)]) {
      // Freed nodes are stored reset.
      if (node->label != kNone || node->child != -1 || node->sibling != -1 || node->parent != -1 ||
          node->links != -1) {
        return false;
      }
      continue;
    }
    for (int link = node->links; link != -1; link = links_.Get(link)->next) {
      if (linked[static_cast<std::size_t>(link)]) return false;
      linked[static_cast<std::size_t>(link)] = 1;
    }
  }
  for (const int32_t leaf : leaves) {
    if (leaf >= 0 && !reached[static_cast<std::size_t>(leaf)]) return false;
  }
  return true;
}

int64_t CLexTree::GetMemoryUsage() const {
  const int syllables = syllables_ ? syllables_->GetCount() : 0;
  return (syllables_ ? syllables_->MemoryUse() : 0) + 4 + (pool_ ? pool_->PoolMemoryUse() : 0) +
         4 * static_cast<int64_t>(leaves_.size()) + 4 * int64_t{syllables};
}

void CLexTree::PrintHeader() const {
  const std::string rule(40, '-');
  LogPrint("\nLexical Tree Header\n");
  LogPrint("%s\n", rule.c_str());
  LogPrint("%-25s    %d\n", "# Syllables:", syllables_ ? syllables_->GetCount() : 0);
  LogPrint("%-25s    %d\n", "# Entries:", entry_count_);
  LogPrint("%-25s    %d\n", "# Nodes:", node_count());
  LogPrint("%-25s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("%s\n", rule.c_str());
}

}  // namespace vok
