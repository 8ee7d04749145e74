#include <cstring>
#include <string>

#include "engine/core/label_tree.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

constexpr uint16_t kWordValue = 1;

bool IsWordNode(const LabelNode* node) { return node->value == kWordValue && !node->child; }

void CollectWords(const LabelNode* node, const SymbolTable& words, std::string* text, bool* missing) {
  if (IsWordNode(node)) {
    const char* word = words.GetName(node->label);
    if (word) {
      text->append(word);
    } else {
      *missing = true;
    }
    return;
  }
  for (const LabelNode* c = node->child; c; c = c->sibling) CollectWords(c, words, text, missing);
}

// The text into the buffer, cut before a byte that would not fit and never
// inside a double-byte character; -1 when it had to be cut.
int CopyOut(const std::string& text, char* buffer, int size) {
  if (!buffer || size < 1) return -1;
  std::size_t kept = 0;
  while (kept < text.size()) {
    const std::size_t step = static_cast<unsigned char>(text[kept]) >= 0x80 && kept + 1 < text.size() ? 2 : 1;
    if (kept + step + 1 > static_cast<std::size_t>(size)) break;
    kept += step;
  }
  std::memcpy(buffer, text.data(), kept);
  buffer[kept] = '\0';
  return kept == text.size() ? 0 : -1;
}

}  // namespace

bool CParseToken::IsWord() const { return node ? IsWordNode(node) : child_count == 0; }

int CParseToken::GetName(char* buffer, int size) const {
  if (buffer && size > 0) buffer[0] = '\0';
  const SymbolTable* table = IsWord() ? words : units;
  if (!table || label < 0) return -1;
  const char* name = table->GetName(label);
  if (!name) return -1;
  return CopyOut(name, buffer, size);
}

int CParseToken::GetText(char* buffer, int size) const {
  if (buffer && size > 0) buffer[0] = '\0';
  if (!words || !units || !node) return -1;
  std::string text;
  bool missing = false;
  CollectWords(node, *words, &text, &missing);
  if (missing) return -1;
  return CopyOut(text, buffer, size);
}

int CParseToken::GetChild(int n, CParseToken* child, int* position) const {
  if (!node || !child || n < 0) return 0;
  int at = 1;
  const LabelNode* c = node->child;
  for (int i = 0; c && i < n; ++i, c = c->sibling) at += ParseNodePool::SubtreeSize(c);
  if (!c) return 0;
  child->label = c->label;
  const int children = c->ChildCount();
  child->child_count = static_cast<int16_t>(children > 32767 ? 32767 : children);
  child->subtree_size = ParseNodePool::SubtreeSize(c);
  child->node = static_cast<const ParseNode*>(c);
  child->words = words;
  child->units = units;
  if (position) *position = at;
  return 1;
}

}  // namespace vok
