#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "engine/core/grammar_unit.h"
#include "engine/core/symbol_table.h"
#include "engine/core/unit_body_reader.h"

namespace {

using Sequences = std::set<std::string>;

// Every label sequence of up to five labels that leads from the start node to
// the end node, labels joined by blanks; empty arcs consume nothing.
Sequences Accepted(const vok::GrammarUnit& unit, const vok::SymbolTable& words,
                   const vok::SymbolTable& units) {
  Sequences accepted;
  std::set<std::pair<const vok::NetworkNode*, std::string>> seen;
  std::vector<std::pair<const vok::NetworkNode*, std::pair<std::string, int>>> stack;
  stack.push_back({unit.start(), {"", 0}});
  while (!stack.empty()) {
    auto [node, state] = stack.back();
    stack.pop_back();
    if (!seen.insert({node, state.first}).second) continue;
    if (node == unit.end()) accepted.insert(state.first);
    for (const vok::NetworkTransition* t = node->first_out; t; t = t->next_out) {
      if (t->label == vok::kLabelEmpty) {
        stack.push_back({t->target, state});
        continue;
      }
      if (state.second == 5) continue;
      const std::string name = vok::GrammarLabelName(t->label, &words, &units);
      stack.push_back({t->target, {state.first.empty() ? name : state.first + " " + name, state.second + 1}});
    }
  }
  return accepted;
}

class UnitBodyTest : public ::testing::Test {
 protected:
  UnitBodyTest() : words_(64), units_(16) {
    units_.Add("<TOP>");
    units_.Add("<CITY>");
  }

  // Reads the text as consecutive bodies into fresh units (body `bad_body`
  // must end at a bad reference), returns the sequences of the last one.
  Sequences Read(const std::string& text, int bodies = 1, int bad_body = -1) {
    std::FILE* stream = std::tmpfile();
    std::fputs(text.c_str(), stream);
    std::rewind(stream);
    Sequences result;
    for (int i = 0; i < bodies; ++i) {
      vok::GrammarUnit unit(nullptr);
      EXPECT_EQ(vok::ReadUnitBody(stream, &unit, &words_, units_), i != bad_body) << text;
      result = Accepted(unit, words_, units_);
      last_nodes_ = unit.NodeCount();
    }
    std::fclose(stream);
    return result;
  }

  vok::SymbolTable words_;
  vok::SymbolTable units_;
  int last_nodes_ = 0;
};

TEST_F(UnitBodyTest, EdgeCasesAcceptTheReferenceSequences) {
  struct Case {
    const char* body;
    Sequences accepted;
  };
  const Case cases[] = {
      {"a ( b | c ) d\n%END\n", {"a b d", "a c d"}},
      {"a [ b ] c\n", {"a c", "a b c"}},
      {"a+\n", {"a", "a a", "a a a", "a a a a", "a a a a a"}},
      {"a- b\n", {"b", "a b"}},
      {"a? b\n", {"a b", "<*> b"}},
      {"a\nb\n", {"a b"}},
      {"a\n| b\n", {"a", "b"}},
      {"# a comment\nx$0.5 y\n", {"x y"}},
      {"( a | )\n", {"", "a"}},
      {"( | a ) b\n", {"b", "a b"}},
      {"a [ ] b\n", {"a b"}},
      {"( a )\n", {"a"}},
      {"a ( b | c\n%END\n", {"a b", "a c"}},
      {"a [ b\n", {"a", "a b"}},
      {"go <CITY> <*>\n", {"go <CITY> <*>"}},
      {"( a | b ) ( c | d )\n", {"a c", "a d", "b c", "b d"}},
      {"[ a ] [ b ]\n", {"", "a", "b", "a b"}},
      {"a | b | c\n", {"a", "b", "c"}},
      {"\n\n%END\nnot read\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.body), c.accepted) << c.body;
}

TEST_F(UnitBodyTest, FillerAroundAWord) {
  Sequences expected;
  for (int before = 0; before <= 4; ++before) {
    for (int after = 0; before + after <= 4; ++after) {
      std::string s;
      for (int i = 0; i < before; ++i) s += "<*> ";
      s += "a";
      for (int i = 0; i < after; ++i) s += " <*>";
      expected.insert(s);
    }
  }
  EXPECT_EQ(Read("a*\n"), expected);
}

TEST_F(UnitBodyTest, GroupsDoNotLeakIntoTheNextBody) {
  EXPECT_EQ(Read("( a | b\n%END\nc | d\n%END\n", 2), (Sequences{"c", "d"}));
  EXPECT_EQ(Read("[ a\n%END\nb ]\n%END\n", 2), (Sequences{"b"}));
}

TEST_F(UnitBodyTest, UnknownReferenceEndsTheBodyAndKeepsWhatWasRead) {
  EXPECT_EQ(Read("a <NOWHERE> b\nc\n%END\nd\n%END\n", 1, 0), (Sequences{"a"}));
  // The rest of the bad body is skipped; the next body reads normally.
  EXPECT_EQ(Read("a <NOWHERE> b\nc\n%END\nd\n%END\n", 2, 0), (Sequences{"d"}));
}

TEST_F(UnitBodyTest, WeightsAndNodesOfTheReadUnit) {
  std::FILE* stream = std::tmpfile();
  std::fputs("a$0.5 b$1\n", stream);
  std::rewind(stream);
  vok::GrammarUnit unit(nullptr);
  ASSERT_TRUE(vok::ReadUnitBody(stream, &unit, &words_, units_));
  std::fclose(stream);
  ASSERT_EQ(unit.TransitionCount(), 2);
  EXPECT_EQ(unit.TransitionAt(0)->weight, -28);
  EXPECT_EQ(unit.TransitionAt(1)->weight, 0);
  EXPECT_EQ(unit.NodeCount(), 3);  // start, end and the node between a and b
  EXPECT_EQ(unit.TransitionAt(1)->target, unit.end());
}

TEST_F(UnitBodyTest, SharedNodeAfterAGroup) {
  Read("a ( b | c ) d\n");
  EXPECT_EQ(last_nodes_, 4);  // start, end, after a, after the group
}

}  // namespace

namespace {

// Random bodies of top-level alternatives, each a run of words, alternative
// groups and optional groups (groups do not nest), against the language
// written out directly from the same description.
struct RandomBody {
  std::string text;
  Sequences language;
};

Sequences Concatenate(const Sequences& left, const Sequences& right) {
  Sequences joined;
  for (const std::string& a : left) {
    for (const std::string& b : right) {
      const std::string s = a.empty() ? b : (b.empty() ? a : a + " " + b);
      if (std::count(s.begin(), s.end(), ' ') < 5) joined.insert(s);
    }
  }
  return joined;
}

RandomBody MakeRandomBody(uint32_t seed) {
  uint32_t state = seed;
  auto next = [&state](int n) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<uint32_t>(n));
  };
  const char* words[] = {"a", "b", "c"};
  auto run = [&](std::string* text, int max_words) {
    Sequences language{""};
    const int n = next(max_words + 1);
    for (int i = 0; i < n; ++i) {
      const std::string w = words[next(3)];
      *text += " " + w;
      language = Concatenate(language, {w});
    }
    return language;
  };
  RandomBody body;
  const int alternatives = 1 + next(3);
  for (int a = 0; a < alternatives; ++a) {
    if (a) body.text += next(2) ? "\n|" : " |";
    Sequences language{""};
    const int elements = 1 + next(3);
    bool has_word = false;
    for (int e = 0; e < elements; ++e) {
      const int kind = next(3);
      if (kind == 0 || (e == elements - 1 && !has_word)) {
        const std::string w = words[next(3)];
        body.text += " " + w;
        language = Concatenate(language, {w});
        has_word = true;
      } else if (kind == 1) {
        body.text += " (";
        Sequences group;
        const int branches = 1 + next(3);
        for (int b = 0; b < branches; ++b) {
          if (b) body.text += " |";
          const Sequences branch = run(&body.text, 2);
          group.insert(branch.begin(), branch.end());
        }
        body.text += " )";
        language = Concatenate(language, group);
      } else {
        body.text += " [";
        Sequences optional = run(&body.text, 2);
        optional.insert("");
        body.text += " ]";
        language = Concatenate(language, optional);
      }
    }
    body.language.insert(language.begin(), language.end());
  }
  body.text += "\n%END\n";
  return body;
}

TEST_F(UnitBodyTest, RandomBodiesAcceptTheirLanguage) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    const RandomBody body = MakeRandomBody(seed);
    EXPECT_EQ(Read(body.text), body.language) << body.text;
  }
}

}  // namespace
