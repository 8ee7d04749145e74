#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/string_map.h"

namespace {

using vok::BackTraceTable;
using vok::ConfusionLatticeEngine;
using vok::StringMap;
// (frame, start, word) -> best score
using EntryMap = std::map<std::tuple<int, int, int>, int>;

EntryMap Entries(const BackTraceTable& table) {
  EntryMap entries;
  for (int id = 0; id < table.record_count(); ++id) {
    const vok::BackTraceRecord* r = table.GetRecord(id);
    const auto key =
        std::make_tuple(static_cast<int>(r->frame), static_cast<int>(r->back), static_cast<int>(r->label));
    auto [it, inserted] = entries.emplace(key, r->score);
    if (!inserted) it->second = std::max(it->second, static_cast<int>(r->score));
  }
  return entries;
}

// The entry rules taken literally: every start position of every frame,
// every split, no pruning.
class NaiveConfusion {
 public:
  NaiveConfusion(const vok::CLexicon& lexicon, const StringMap& map) : lexicon_(lexicon), map_(map) {}

  // Only the texts made wholly of values: every split of the substring into
  // keys, each key replaced by each of its values.
  EntryMap RunValuesOnly(const std::string& text) {
    entries_.clear();
    for (int n = 2; n <= static_cast<int>(text.size()); n += 2) {
      for (int s = 0; s < n; s += 2) {
        frame_ = n;
        start_ = s;
        Compose(text.substr(s, n - s), "", 0);
      }
    }
    return entries_;
  }

  EntryMap Run(const std::string& text) {
    entries_.clear();
    for (int n = 1; n <= static_cast<int>(text.size()); ++n) {
      for (int s = 0; s < n; ++s) {
        frame_ = n;
        start_ = s;
        const std::string x = text.substr(s, n - s);
        Offer(x, 0);
        Replace(x, "", 0);
      }
    }
    return entries_;
  }

 private:
  void Offer(const std::string& text, int score) {
    const uint16_t word = lexicon_.StringToWordID(text.c_str());
    if (word == vok::CLexicon::kNoWord) return;
    auto [it, inserted] = entries_.emplace(std::make_tuple(frame_, start_, static_cast<int>(word)), score);
    if (!inserted) it->second = std::max(it->second, score);
  }
  std::vector<std::pair<std::string, int>> Values(const std::string& key) const {
    std::vector<std::pair<std::string, int>> values;
    for (auto* v = map_.Lookup(key.c_str()); v; v = v->next)
      values.emplace_back(v->record->value, v->record->count);
    return values;
  }
  void Replace(const std::string& x, const std::string& prefix, int score) {
    for (const auto& [v, sv] : Values(x)) Offer(prefix + v, score + sv);
    for (std::size_t k = 2; k < x.size(); k += 2) {
      const std::string head = x.substr(0, k), tail = x.substr(k);
      const auto head_values = Values(head), tail_values = Values(tail);
      for (const auto& [v, sv] : head_values) Offer(prefix + v + tail, score + sv);
      for (const auto& [v, sv] : tail_values) Offer(prefix + head + v, score + sv);
      if (head_values.empty() || tail_values.empty()) continue;
      for (const auto& [v, sv] : head_values) Replace(tail, prefix + v, score + sv);
    }
  }

  void Compose(const std::string& rest, const std::string& prefix, int score) {
    if (rest.empty()) {
      Offer(prefix, score);
      return;
    }
    for (std::size_t k = 2; k <= rest.size(); k += 2) {
      for (const auto& [v, sv] : Values(rest.substr(0, k))) Compose(rest.substr(k), prefix + v, score + sv);
    }
  }

  const vok::CLexicon& lexicon_;
  const StringMap& map_;
  EntryMap entries_;
  int frame_ = 0, start_ = 0;
};

// Simplified characters s0..s3 and traditional ones t0..t3, two bytes each.
const char* const kSimplified[] = {"\xB0\xA1", "\xB0\xA2", "\xB0\xA3", "\xB0\xA4"};
const char* const kTraditional[] = {"\xB1\xA1", "\xB1\xA2", "\xB1\xA3", "\xB1\xA4"};

std::string RandomText(std::mt19937* rng, int max_chars, bool traditional_too) {
  std::uniform_int_distribution<int> length(1, max_chars), pick(0, traditional_too ? 7 : 3);
  std::string text;
  for (int n = length(*rng); n > 0; --n) {
    const int c = pick(*rng);
    text += c < 4 ? kSimplified[c] : kTraditional[c - 4];
  }
  return text;
}

// Both rule sets against their literal reference: texts of Simplified
// characters, words of either kind, random confusions.
TEST(ConfusionLatticeEngineTest, EntriesMatchTheRulesOnRandomTexts) {
  struct Case {
    bool values_only;
    unsigned seed;
    int word_chars;
    int text_chars;
  };
  for (const Case& c : {Case{false, 21, 3, 5}, Case{true, 38, 4, 6}}) {
    SCOPED_TRACE(c.values_only ? "values only" : "unchanged parts too");
    std::mt19937 rng(c.seed);
    for (int round = 0; round < 12; ++round) {
      std::vector<vok_testing::FixtureWord> words;
      std::set<std::string> seen;
      for (int i = 0; i < 40; ++i) {
        const std::string w = RandomText(&rng, c.word_chars, true);
        if (seen.insert(w).second) words.push_back({w, 3, 10});
      }
      vok_test::SmallLanguage language;
      ASSERT_TRUE(language.Load(4, std::vector<uint8_t>(16, 10), vok_test::WithSentenceWords(words)));
      BackTraceTable table(2000, 10, 1);
      ConfusionLatticeEngine engine(&table, language.lexicon.get(), nullptr);
      engine.set_values_only(c.values_only);
      std::uniform_int_distribution<int> score(-20, 20);
      for (int i = 0; i < 14; ++i) {
        engine.confusion_map()->Add(RandomText(&rng, 2, false).c_str(), RandomText(&rng, 2, true).c_str(),
                                    score(rng));
      }
      NaiveConfusion naive(*language.lexicon, *engine.confusion_map());
      for (int t = 0; t < 10; ++t) {
        const std::string text = RandomText(&rng, c.text_chars, false);
        engine.ProcessText(text.c_str());
        EXPECT_EQ(Entries(table), c.values_only ? naive.RunValuesOnly(text) : naive.Run(text))
            << "round " << round << " text " << t;
      }
    }
  }
}

TEST(ConfusionLatticeEngineTest, LongTextStaysFastAndBounded) {
  vok_test::SmallLanguage language;
  std::vector<vok_testing::FixtureWord> words;
  for (const char* t : kTraditional) words.push_back({t, 3, 10});
  words.push_back({std::string(kTraditional[0]) + kTraditional[1], 3, 10});
  ASSERT_TRUE(language.Load(4, std::vector<uint8_t>(16, 10), vok_test::WithSentenceWords(words)));
  BackTraceTable table(20000, 10, 1);
  ConfusionLatticeEngine engine(&table, language.lexicon.get(), nullptr);
  for (int i = 0; i < 4; ++i) engine.confusion_map()->Add(kSimplified[i], kTraditional[i], 0);
  std::string text;
  for (int i = 0; i < 256; ++i) text += kSimplified[i % 2];
  ASSERT_EQ(engine.ProcessText(text.c_str()), 0);
  // Each character and each pair t0 t1 that starts on a character.
  EXPECT_EQ(engine.last_lattice_size(), 256 + 128);
  EXPECT_EQ(engine.ProcessText((text + "x").c_str()), -1);  // the 513th byte
}

TEST(ConfusionLatticeEngineTest, ReadsTheConfusionFileAndReportsItsMemory) {
  vok_test::SmallLanguage language;
  ASSERT_TRUE(
      language.Load(4, std::vector<uint8_t>(16, 10), vok_test::WithSentenceWords({{kTraditional[0], 3, 1}})));
  const std::string path = vok_test::LatticeTempPath("confusion.txt");
  std::ofstream(path) << kTraditional[0] << " " << kSimplified[0] << " " << kSimplified[1] << "\n";
  BackTraceTable table(100, 10, 1);
  ConfusionLatticeEngine engine(&table, language.lexicon.get(), path.c_str());
  std::remove(path.c_str());
  EXPECT_EQ(engine.confusion_map()->key_count(), 2);
  EXPECT_EQ(engine.confusion_map()->key_capacity() >= ConfusionLatticeEngine::kMapCapacity, true);
  engine.ProcessText(kSimplified[1]);
  EXPECT_EQ(Entries(table), (EntryMap{{{2, 0, language.lexicon->StringToWordID(kTraditional[0])}, 0}}));
  EXPECT_EQ(engine.GetMemoryUsage(), engine.confusion_map()->MemoryUse() + 620);
  std::FILE* header = std::tmpfile();
  engine.PrintHeaderTo(header);
  const std::string text = vok_test::CapturedLog::ReadAll(header);
  std::fclose(header);
  EXPECT_NE(text.find("Confusion memory:"), std::string::npos);
  EXPECT_NE(text.find("Total memory:                        " + std::to_string(engine.GetMemoryUsage())),
            std::string::npos);
}

}  // namespace
