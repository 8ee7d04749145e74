// ngram_word_table: prints "id<TAB>word" (UTF-8) for every word id of the
// n-gram statistics' word table, so the language-model stage can map the
// statistics' ids onto words. Ids without a word are left out.
#include <sunpinyin.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ngram_word_table pydict_sc.bin\n");
    return 2;
  }
  CPinyinTrie trie;
  if (!trie.load(argv[1])) {
    std::fprintf(stderr, "ngram_word_table: cannot read %s\n", argv[1]);
    return 1;
  }
  for (unsigned id = 0; id < trie.getWordCount(); ++id) {
    const TWCHAR* word = trie[id];
    if (!word || !*word) continue;
    std::string utf8;
    for (; *word; ++word) {
      const unsigned c = *word;
      if (c < 0x80) {
        utf8 += static_cast<char>(c);
      } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    std::printf("%u\t%s\n", id, utf8.c_str());
  }
  return 0;
}
