// Sentence scoring against a reference and greedy word segmentation
//.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vok {

class StringMap;
class SymbolTable;

class Scoring {
 public:
  // Words taken from one sentence; the rest of a longer sentence is ignored.
  static constexpr int kMaxSplitWords = 511;
  // Positions of the alignment tables: sentences hold at most 199 words, and
  // a longer one is refused ("errSentenceTooLong", nothing counted).
  static constexpr int kTablePositions = 200;
  static constexpr int kMaxAlignedWords = kTablePositions - 1;
  static constexpr int kInsertionCost = 10;
  static constexpr int kDeletionCost = 10;
  static constexpr int kSubstitutionCost = 15;

  // Steps of the alignment.
  enum Step : uint16_t { kMatch = 0, kInsertion = 1, kDeletion = 2, kSubstitution = 3 };

  Scoring() { Reset(); }
  // Everything to zero; no ignored words and no confusion map.
  void Reset();

  // Aligns the hypothesis with the reference word by word and counts the
  // errors of the sentence and of the totals. 0, or -1 with an error recorded
  // under "Scoring::CompareSentences".
  int CompareSentences(const char* reference, const char* hypothesis, bool case_sensitive);

  // percent = (insertions + deletions + substitutions) x 100 / words, or -1
  // when words is 0.
  void GetSentenceStats(int* substitutions, int* insertions, int* deletions, int* words,
                        float* percent) const;
  void GetTotalStats(int* substitutions, int* insertions, int* deletions, int* words, float* percent) const;
  // "ERRORS: ..." and "TOTALS: ..." lines through LogPrint.
  void PrintSentenceStats() const;
  void PrintTotalStats() const;

  // Words dropped from sentences (except a sentence's first word).
  void SetIgnoredWords(std::vector<std::string> words) { ignored_ = std::move(words); }
  // A map that counts (reference, hypothesis) pairs, (reference, "<DEL>") and
  // (hypothesis, "<INS>"); not owned, null for none.
  void SetConfusionMap(StringMap* map) { confusion_ = map; }

  int last_cost() const { return last_cost_; }
  int sentences() const { return sentences_; }
  int correct_sentences() const { return correct_sentences_; }

 private:
  bool SplitSentence(const char* text, bool case_sensitive, std::vector<std::string>* words) const;

  int insertions_ = 0;
  int deletions_ = 0;
  int substitutions_ = 0;
  int words_ = 0;
  int total_insertions_ = 0;
  int total_deletions_ = 0;
  int total_substitutions_ = 0;
  int total_words_ = 0;
  int correct_sentences_ = 0;
  int sentences_ = 0;
  std::vector<std::string> ignored_;
  StringMap* confusion_ = nullptr;
  int last_cost_ = 0;
};

// Greedy longest-match segmentation of a text without separators into words
// of the table (at most `max_length` bytes a word): ids[0] receives the number
// of words found and ids[1..] their ids. Texts are cut to 255 bytes. Steps
// and candidates follow the characters of a double-byte text (a byte of 0x80
// or more and the byte after it), so a candidate never starts or ends inside
// a character. At most capacity - 1 ids are stored. Returns 0.
int SegmentWords(const SymbolTable& words, int max_length, const char* text, uint16_t* ids, int capacity);

}  // namespace vok
