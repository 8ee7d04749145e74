#include "engine/api/grammar_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temporary_directory.h"

namespace vok::api {
namespace {

// GB2312 characters.
const std::string kJia = "\xBC\xD7", kYi = "\xD2\xD2", kBing = "\xB1\xFB", kDing = "\xB6\xA1";

TEST(ItemExpression, ReadsTokensAlternativesAndGroups) {
  std::vector<ExpressionUnit> units;
  ASSERT_EQ(ReadItemExpression("<T>", "[ aa | bb ] cc", true, &units), kVokOk);
  ASSERT_EQ(units.size(), 2u);
  const std::string group = units[1].name;
  EXPECT_EQ(group.rfind("<_TMP_", 0), 0u);
  ASSERT_EQ(units[0].items.size(), 1u);
  EXPECT_EQ(units[0].items[0], (ExpressionItem{{group, kElementOptional}, {"cc", 0}}));
  EXPECT_EQ(units[1].items, (std::vector<ExpressionItem>{{{"aa", 0}}, {{"bb", 0}}}));

  ASSERT_EQ(ReadItemExpression("<T>", "aa* bb+ cc? dd- e-f g-*|<U>\t(h)+", true, &units), kVokOk);
  ASSERT_EQ(units[0].items.size(), 2u);
  EXPECT_EQ(units[0].items[0], (ExpressionItem{{"aa", kElementRepeat},
                                               {"bb", kElementOneOrMore},
                                               {"cc", kElementOptionalOne},
                                               {"dd", kElementOptional},
                                               {"e-f", 0},
                                               {"g", kElementOptional | kElementRepeat}}));
  EXPECT_EQ(units[0].items[1], (ExpressionItem{{"<U>", 0}, {units[1].name, kElementOneOrMore}}));

  // Groups take the next temporary names, one by one.
  ASSERT_EQ(ReadItemExpression("<T>", "(a (b) [c])", true, &units), kVokOk);
  ASSERT_EQ(units.size(), 4u);
  const auto number = [](const std::string& name) { return std::stoi(name.substr(6, 5)); };
  EXPECT_EQ(number(units[2].name), number(units[1].name) + 1);
  EXPECT_EQ(number(units[3].name), number(units[1].name) + 2);
  EXPECT_EQ(units[1].items[0],
            (ExpressionItem{{"a", 0}, {units[2].name, 0}, {units[3].name, kElementOptional}}));

  // 16 bytes of double-byte characters at most; letters end them too.
  const std::string nine = kJia + kYi + kBing + kDing + kJia + kYi + kBing + kDing + kJia;
  ASSERT_EQ(ReadItemExpression("<T>", (nine + "ab").c_str(), true, &units), kVokOk);
  EXPECT_EQ(units[0].items[0], (ExpressionItem{{nine.substr(0, 16), 0}, {kJia, 0}, {"ab", 0}}));
}

TEST(ItemExpression, RefusesWhatDoesNotRead) {
  const char* refused[] = {"+aa", "*aa",  "?aa", "-aa",   "aa |", "| aa", "aa || bb", "(aa",
                           "aa)", "(aa]", "()",  "<unit", "a$b",  "aa +", "",         "\xBC"};
  for (const char* expression : refused) {
    std::vector<ExpressionUnit> units;
    EXPECT_EQ(ReadItemExpression("<T>", expression, true, &units), kVokBadGrammarId) << expression;
    EXPECT_TRUE(units.empty()) << expression;
  }
  std::vector<ExpressionUnit> units;
  EXPECT_EQ(ReadItemExpression("<T>", "(a)", false, &units), kVokBadGrammarId);
  EXPECT_EQ(ReadItemExpression("<T>", "a | b", false, &units), kVokOk);
  EXPECT_EQ(units[0].items.size(), 2u);
}

TEST(ItemExpression, ThirtyOneNestedGroupsAndNoMore) {
  for (int depth : {31, 32}) {
    const std::string expression = std::string(depth, '(') + "a" + std::string(depth, ')');
    std::vector<ExpressionUnit> units;
    EXPECT_EQ(ReadItemExpression("<T>", expression.c_str(), true, &units),
              depth == 31 ? kVokOk : kVokBadGrammarId)
        << depth;
  }
}

class GrammarManagerTest : public ::testing::Test {
 protected:
  std::int32_t New(const char* name = "<TOP>", CGrammarManager::Kind kind = CGrammarManager::kPlain) {
    std::int32_t id = -5;
    EXPECT_EQ(manager.NewGrammar(name, false, 7, kind, &id), kVokOk);
    return id;
  }
  bool Parses(std::int32_t id, const std::string& text) {
    std::int32_t handle = -1;
    return manager.CreateParseResult(id, text.c_str(), &handle) == kVokOk;
  }
  CGrammarManager manager;
};

TEST_F(GrammarManagerTest, SlotsAndIds) {
  for (std::int32_t i = 0; i < 100; ++i) EXPECT_EQ(New(), i);
  std::int32_t id = -5;
  EXPECT_EQ(manager.NewGrammar("x", false, 0, CGrammarManager::kPlain, &id), kVokGrammarNotCreated);
  EXPECT_EQ(manager.Delete(42), kVokOk);
  EXPECT_EQ(New(), 42);
  EXPECT_EQ(manager.kind(42), CGrammarManager::kPlain);
  EXPECT_EQ(manager.options(42), 7u);
  manager.Delete(42);
  char buffer[16];
  std::int32_t handle = 0, index = 0;
  std::uint32_t command = 0, count = 0;
  for (std::int32_t bad : {-1, 42, 100, 150, 0x7FFFFFFF}) {
    EXPECT_FALSE(manager.IsValid(bad)) << bad;
    EXPECT_EQ(manager.AddItem(bad, nullptr, "aa"), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.AddItemExpression(bad, "<TOP>", "aa"), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.ClearUnit(bad, "<TOP>"), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.FindEmptyUnits(bad, buffer, sizeof buffer), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.AddGrammar(bad, 0), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.AddGrammar(0, bad), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.CreateParseResult(bad, kJia.c_str(), &handle), kVokBadGrammarId) << bad;
    EXPECT_EQ(manager.GetCommandContext(bad, kJia.c_str(), &command, &count, buffer), kVokBadGrammarId)
        << bad;
    EXPECT_EQ(manager.DeleteParseResult(bad), kVokUnknownParseResult) << bad;
    EXPECT_EQ(manager.GetParseResultChildToken(bad, 0, 0, buffer, &index), kVokUnknownParseResult) << bad;
    EXPECT_EQ(manager.Delete(bad), kVokBadGrammarId) << bad;
  }
}

TEST_F(GrammarManagerTest, NamedGrammarNeverReadsAFileOfThatName) {
  testing_support::TemporaryDirectory folder;
  folder.Write("g.txt", "%BEGIN <TOP>\n" + kJia + "\n%END\n");
  const std::string path = folder.File("g.txt");
  std::int32_t named = -1, read = -1;
  ASSERT_EQ(manager.NewGrammar(path.c_str(), false, 0, CGrammarManager::kPlain, &named), kVokOk);
  ASSERT_EQ(manager.NewGrammar(path.c_str(), true, 0, CGrammarManager::kPlain, &read), kVokOk);
  EXPECT_FALSE(Parses(named, kJia));
  EXPECT_TRUE(Parses(read, kJia));
  std::int32_t id = -1;
  EXPECT_EQ(manager.NewGrammar(folder.File("none.txt").c_str(), true, 0, CGrammarManager::kPlain, &id),
            kVokGrammarFileUnreadable);
  EXPECT_EQ(manager.NewGrammar(nullptr, false, 0, CGrammarManager::kPlain, &id), kVokOk);
}

TEST_F(GrammarManagerTest, ExpressionEditsTheGrammarOnlyWhenItReadsWhole) {
  const std::int32_t id = New();
  // A good alternative before a bad group: nothing is added.
  EXPECT_EQ(manager.AddItemExpression(id, "<TOP>", (kDing + " | (" + kJia).c_str()), kVokBadGrammarId);
  EXPECT_FALSE(Parses(id, kDing));
  ASSERT_EQ(manager.AddItemExpression(id, "<TOP>", ("[ " + kJia + " | " + kYi + " ] " + kBing).c_str()),
            kVokOk);
  EXPECT_TRUE(Parses(id, kJia + kBing));
  EXPECT_TRUE(Parses(id, kYi + kBing));
  EXPECT_TRUE(Parses(id, kBing));
  EXPECT_FALSE(Parses(id, kJia));
  ASSERT_EQ(manager.AddItemExpression(id, "<TOP>", kDing.c_str()), kVokOk);
  EXPECT_TRUE(Parses(id, kDing));
  EXPECT_EQ(manager.RemoveItemExpression(id, "<TOP>", ("(" + kDing + ")").c_str()), kVokBadGrammarId);
  EXPECT_TRUE(Parses(id, kDing));
  ASSERT_EQ(manager.RemoveItemExpression(id, "<TOP>", kDing.c_str()), kVokOk);
  EXPECT_FALSE(Parses(id, kDing));
}

TEST_F(GrammarManagerTest, ParseResultTokens) {
  const std::int32_t id = New("<CMD_1A>");
  ASSERT_EQ(manager.AddItemExpression(id, "<CMD_1A>", ("<NUM> " + kBing).c_str()), kVokOk);
  ASSERT_EQ(manager.AddItemExpression(id, "<NUM>", (kJia + " | " + kYi).c_str()), kVokOk);
  std::int32_t handle = -1;
  EXPECT_EQ(manager.CreateParseResult(id, kDing.c_str(), &handle), kVokInternalFailure);
  ASSERT_EQ(manager.CreateParseResult(id, (kYi + kBing).c_str(), &handle), kVokOk);
  EXPECT_EQ(handle, id);

  char name[CGrammarManager::kTokenNameBytes];
  ASSERT_EQ(manager.GetToken(handle, 0, sizeof name, name), kVokOk);
  EXPECT_EQ(std::string(name), "<CMD_1A>");
  ASSERT_EQ(manager.GetToken(handle, 0, 4, name), kVokOk);
  EXPECT_EQ(std::string(name), "<CM");
  for (std::int32_t bad : {-1, 200, 1000}) EXPECT_EQ(manager.GetToken(handle, bad, 8, name), kVokBadArgument);
  EXPECT_EQ(manager.GetToken(handle, 0, 0, name), kVokBadArgument);
  EXPECT_EQ(manager.GetToken(handle, 0, 8, nullptr), kVokBadArgument);

  char text[CGrammarManager::kTokenTextBytes];
  std::int32_t index = -9, child = -9;
  ASSERT_EQ(manager.RetrieveParseResult(handle, "<NUM>", text, 0, 200, &index, &child), kVokOk);
  EXPECT_EQ(std::string(text), kYi);
  EXPECT_GT(index, 0);
  EXPECT_EQ(child, index + 1);
  EXPECT_EQ(manager.RetrieveParseResult(handle, "<NUM>", text, index + 1, 200, &index, &child),
            kVokBadArgument);
  EXPECT_EQ(index, -1);

  std::int32_t at = -9;
  ASSERT_EQ(manager.GetParseResultChildToken(handle, 0, 1, name, &at), kVokOk);
  EXPECT_EQ(std::string(name), kBing);
  ASSERT_EQ(manager.GetParseResultChildToken(handle, 0, 5, name, &at), kVokOk);
  EXPECT_EQ(std::string(name), "");
  EXPECT_EQ(at, -1);
  EXPECT_EQ(manager.GetParseResultChildToken(handle, 300, 0, name, &at), kVokBadArgument);

  std::uint32_t command = 0, count = 0;
  char context[CGrammarManager::kCommandContextBytes];
  ASSERT_EQ(manager.GetCommandContext(id, (kJia + kBing).c_str(), &command, &count, context), kVokOk);
  EXPECT_EQ(command, 0x1Au);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(std::string(context), kJia);
  // The context's parse result is gone afterwards.
  EXPECT_EQ(manager.GetToken(handle, 0, 8, name), kVokUnknownParseResult);
  EXPECT_EQ(manager.DeleteParseResult(handle), kVokUnknownParseResult);
}

TEST_F(GrammarManagerTest, EmptyUnitsAndMerging) {
  const std::int32_t id = New();
  ASSERT_EQ(manager.AddItemExpression(id, "<TOP>", ("<EMPTY> " + kJia).c_str()), kVokOk);
  char names[32];
  ASSERT_EQ(manager.FindEmptyUnits(id, names, sizeof names), kVokOk);
  EXPECT_EQ(std::string(names, 9), std::string("<EMPTY>\0\0", 9));
  EXPECT_EQ(manager.FindEmptyUnits(id, names, 1), kVokOutOfMemory);
  EXPECT_EQ(manager.FindEmptyUnits(id, names, 8), kVokOutOfMemory);
  ASSERT_EQ(manager.ClearUnit(id, "<TOP>"), kVokOk);
  EXPECT_EQ(manager.ClearUnit(id, "<NONE>"), kVokGrammarItemRefused);

  // Units of the same name are not merged: the other top unit has its own.
  const std::int32_t other = New("<OTHER>");
  ASSERT_EQ(manager.AddItem(other, nullptr, kYi.c_str()), kVokOk);
  EXPECT_EQ(manager.AddGrammar(id, id), kVokGrammarItemRefused);
  ASSERT_EQ(manager.AddGrammar(id, other), kVokOk);
  EXPECT_TRUE(Parses(id, kYi));
}

}  // namespace
}  // namespace vok::api
