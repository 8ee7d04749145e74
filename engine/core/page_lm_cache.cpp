#include "engine/core/page_lm_cache.h"

#include <algorithm>

namespace vok {

PageLMCache::PageLMCache(int n)
    : size_(std::max(n, 1)), table_(2 * size_, &PageLMCache::KeyOf), pool_(size_, kEntryBytes) {}

bool PageLMCache::Find(uint16_t a, uint16_t b, uint16_t c, uint16_t* score) {
  const uint16_t key[3] = {a, b, c};
  const Entry* entry = table_.Find(key, 6);
  if (!entry) return false;
  *score = entry->score;
  return true;
}

int PageLMCache::Insert(uint16_t a, uint16_t b, uint16_t c, uint16_t score) {
  const uint16_t key[3] = {a, b, c};
  if (Entry* found = table_.Find(key, 6)) {
    found->score = score;
    return 0;
  }
  if (table_.count() > table_.capacity() / 2) Clear();
  Entry* entry = nullptr;
  if (pool_.New(&entry) < 0 || !entry) {
    // The pool's blocks are all handed out: start again from empty.
    Clear();
    if (pool_.New(&entry) < 0 || !entry) return -1;
  }
  entry->score = score;
  entry->key[0] = a;
  entry->key[1] = b;
  entry->key[2] = c;
  return table_.Insert(entry);
}

void PageLMCache::Clear() {
  table_.Clear();
  pool_.Clear();
}

}  // namespace vok
