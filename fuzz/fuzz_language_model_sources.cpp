// The text sources of the language-model stage from the input: an n-gram
// listing and its word table (the input split at its first NUL byte), the
// input as a conversion table converting itself, and the input as held-out
// text cut into lexicon words.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/script_conversion.h"
#include "tools/build_language_data/word_cutter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace bld = build_language_data;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = text.find('\0');
  bld::NgramStatistics statistics;
  bld::ReadNgramStatistics(text.substr(0, cut), cut == std::string::npos ? "" : text.substr(cut + 1),
                           &statistics);
  bld::ScriptConversion conversion;
  conversion.AddTable(text);
  conversion.Convert(text);
  static const bld::CodePageText gb2312("GB2312");
  bld::WordCutter cutter({"\xd6\xd0", "\xd6\xd0\xb9\xfa", "\xb9\xfa"}, 3, gb2312);
  std::vector<std::vector<int>> sentences;
  cutter.AddSentences(text, &sentences);
  cutter.Words(text);
  return 0;
}
