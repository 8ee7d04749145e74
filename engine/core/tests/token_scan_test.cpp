#include "engine/core/token_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Scan(const std::string& text, const char* cuts) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  std::vector<std::string> pieces;
  for (char* piece = vok::TokenScanFirst(copy.data(), cuts); piece; piece = vok::TokenScanNext(cuts)) {
    pieces.emplace_back(piece);
  }
  return pieces;
}

struct ScanCase {
  const char* text;
  const char* cuts;
  std::vector<std::string> pieces;
};

TEST(TokenScan, CutsInTheSetsOrder) {
  const ScanCase cases[] = {
      {"a-b-c", "-", {"a", "b", "c"}},
      {"-a", "-", {"", "a"}},
      {"a--b", "-", {"a", "", "b"}},
      {"a-", "-", {"a"}},
      {"a", "-", {"a"}},
      {"", "-", {""}},
      // The first cut character found anywhere in the rest wins.
      {"a\tb c", " \n\t", {"a\tb", "c"}},
      {"x y-z", "-", {"x y", "z"}},
      {"l(c,r)", " _()", {"l", "c,r"}},
  };
  for (const ScanCase& c : cases) EXPECT_EQ(Scan(c.text, c.cuts), c.pieces) << c.text;
}

TEST(TokenScan, KeepsItsOwnStateBesideStrtok) {
  char outer[] = "a b";
  char inner[] = "x-y";
  std::vector<std::string> seen;
  for (char* word = std::strtok(outer, " "); word; word = std::strtok(nullptr, " ")) {
    seen.emplace_back(word);
    if (seen.size() == 1) {
      for (char* p = vok::TokenScanFirst(inner, "-"); p; p = vok::TokenScanNext("-")) seen.emplace_back(p);
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "x", "y", "b"}));
  EXPECT_EQ(vok::TokenScanFirst(nullptr, "-"), nullptr);
  EXPECT_EQ(vok::TokenScanNext("-"), nullptr);
}

}  // namespace
