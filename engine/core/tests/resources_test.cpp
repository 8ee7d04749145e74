#include "engine/core/resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/tests/test_support.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing_support::TemporaryDirectory;
using vok::Resources;

// Write opens its file for text writing: CRLF lines on Windows.
std::string WithoutCarriageReturns(const std::string& text) {
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  return lf;
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { vok::ErrorClear(); }
  void TearDown() override { vok::ErrorClear(); }

  std::string Value(const char* section, const char* key) const {
    const char* v = store_.GetValue(section, key);
    return v ? std::string(v) : std::string("<absent>");
  }
  int MergeText(const std::string& text) {
    dir_.Write("Resources", text);
    return store_.Merge(dir_.File("Resources").c_str());
  }

  TemporaryDirectory dir_;
  Resources store_;
};

TEST_F(ResourcesTest, SixtyFourthSectionIsRefused) {
  for (int i = 0; i < 63; ++i) {
    ASSERT_EQ(store_.Put(("S" + std::to_string(i)).c_str(), "k", "v"), 0) << i;
  }
  EXPECT_EQ(store_.Put("S63", "k", "v"), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errOutOfTypes"));
  EXPECT_TRUE(vok::ErrorRecorded("errOutOfEntries"));  // Put's own report
  EXPECT_EQ(store_.SectionCount(), 63);
  EXPECT_EQ(Value("S63", "k"), "<absent>");
}

TEST_F(ResourcesTest, SixtyFifthEntryIsRefused) {
  for (int i = 0; i < 64; ++i) ASSERT_EQ(store_.Put("S", ("k" + std::to_string(i)).c_str(), "v"), 0);
  EXPECT_EQ(store_.AddEntry("S", "k64"), nullptr);
  vok::ErrorRecord record;
  ASSERT_TRUE(vok::ErrorAt(0, &record));
  EXPECT_EQ(record.place, "Resources::AddEntry");
  EXPECT_EQ(record.code, -1);
  EXPECT_EQ(record.message, "errOutOfEntries");
  EXPECT_EQ(store_.Put("S", "k0", "again"), 0);  // existing entries still change
}

TEST_F(ResourcesTest, AddEntryOfALiveEntryIsRefused) {
  ASSERT_NE(store_.AddEntry("S", "k"), nullptr);
  EXPECT_EQ(store_.AddEntry("S", "k"), nullptr);
  EXPECT_TRUE(vok::ErrorRecorded("errEntryAlreadyExists"));
}

TEST_F(ResourcesTest, MergeSectionsAndKeys) {
  ASSERT_EQ(MergeText("Resource Foo\nBar 3\nBaz.Qux 4\nQuux 5\n"), 0);
  EXPECT_EQ(Value("Foo", "Bar"), "3");
  EXPECT_EQ(Value("Baz", "Qux"), "4");
  EXPECT_EQ(Value("Foo", "Quux"), "5");  // the current section is still Foo
}

TEST_F(ResourcesTest, MergeLineRules) {
  ASSERT_EQ(MergeText("A.B 1 2\nA.C 7 # comment\n; whole line\nA.D\tx;y\n   \n"), 0);
  EXPECT_EQ(Value("A", "B"), "1");
  EXPECT_EQ(Value("A", "C"), "7");
  EXPECT_EQ(Value("A", "D"), "x");
}

TEST_F(ResourcesTest, NameWithoutValueStopsTheMergeKeepingEarlierValues) {
  EXPECT_EQ(MergeText("A.X 1\nA.B\nA.Y 2\n"), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errNoValueForKeyword"));
  EXPECT_EQ(Value("A", "X"), "1");
  EXPECT_EQ(Value("A", "Y"), "<absent>");
}

TEST_F(ResourcesTest, BareKeyBeforeAnySectionStops) {
  EXPECT_EQ(MergeText("Bar 3\n"), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errTypeNotYetSet"));
}

TEST_F(ResourcesTest, CrLfFileLeavesNoCarriageReturn) {
  ASSERT_EQ(MergeText("Resource Win\r\nKey value\r\nA.B 12\r\n"), 0);
  EXPECT_EQ(Value("Win", "Key"), "value");
  int n = 0;
  ASSERT_EQ(store_.GetInt("A", "B", &n), 0);
  EXPECT_EQ(n, 12);
}

TEST_F(ResourcesTest, LongLineIsOneLine) {
  const std::string long_value(3000, 'v');
  ASSERT_EQ(MergeText("A.B " + long_value + " tail\nA.C 1\n"), 0);
  EXPECT_EQ(Value("A", "B"), std::string(1023, 'v'));  // cut by the 1024-byte value buffer
  EXPECT_EQ(Value("A", "C"), "1");
  EXPECT_EQ(store_.SectionAt(0)->count, 2);  // no spurious entry from the rest of the line
}

TEST_F(ResourcesTest, TooLongSectionNameIsRefused) {
  EXPECT_EQ(MergeText("Resource " + std::string(256, 's') + "\nK 1\n"), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errSectionNameTooLong"));
  EXPECT_EQ(MergeText("Resource " + std::string(255, 's') + "\nK 1\n"), 0);
  EXPECT_EQ(Value(std::string(255, 's').c_str(), "K"), "1");
}

TEST_F(ResourcesTest, MissingFile) {
  const std::string path = dir_.File("none");
  EXPECT_EQ(store_.Merge(path.c_str()), -1);
  vok::ErrorRecord record;
  ASSERT_TRUE(vok::ErrorAt(0, &record));
  EXPECT_EQ(record.place, "Resources::Merge");
  EXPECT_EQ(record.message, "Cannot open \"" + path + "\"");
}

class EnvironmentGuard {
 public:
  EnvironmentGuard(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (old) old_ = old;
    vok_test::SetEnvironment(name, value);
  }
  ~EnvironmentGuard() { vok_test::SetEnvironment(name_.c_str(), had_ ? old_.c_str() : nullptr); }

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

TEST_F(ResourcesTest, VariablesResolve) {
  EnvironmentGuard home("HOME", "/u");
  EnvironmentGuard unset("VOK_TEST_UNSET_VARIABLE", nullptr);
  ASSERT_EQ(store_.Put("A", "a", "$HOME/data"), 0);
  ASSERT_EQ(store_.Put("A", "b", "${HOME}x"), 0);
  ASSERT_EQ(store_.Put("A", "c", "$(HOME}.y"), 0);
  ASSERT_EQ(store_.Put("A", "d", "$HOME.$HOME"), 0);
  EXPECT_EQ(vok::ErrorCount(), 0);
  ASSERT_EQ(store_.Put("A", "e", "p/$(VOK_TEST_UNSET_VARIABLE)/q"), 0);  // never fails the put
  EXPECT_EQ(Value("A", "a"), "/u/data");
  EXPECT_EQ(Value("A", "b"), "/ux");
  EXPECT_EQ(Value("A", "c"), "/u.y");
  EXPECT_EQ(Value("A", "d"), "/u./u");
  EXPECT_EQ(Value("A", "e"), "p/$(VOK_TEST_UNSET_VARIABLE)/q");
  vok::ErrorRecord record;
  ASSERT_TRUE(vok::ErrorAt(0, &record));
  EXPECT_EQ(record.place, "Resources::ResolveVariables");
  EXPECT_EQ(record.message, "Environment variable \"VOK_TEST_UNSET_VARIABLE\" not found.");
}

#if !defined(_WIN32)  // the Windows runtime cannot hold a variable with an empty value
TEST_F(ResourcesTest, EmptyVariableRemovesTheReference) {
  EnvironmentGuard empty("VOK_TEST_EMPTY", "");
  char out[32];
  EXPECT_EQ(Resources::ResolveVariables("a$VOK_TEST_EMPTY/b", out, 32), 0);
  EXPECT_STREQ(out, "a/b");
}
#endif

TEST_F(ResourcesTest, ResolveVariablesBounds) {
  EnvironmentGuard home("VOK_TEST_LONG", "0123456789");
  char out[8];
  EXPECT_EQ(Resources::ResolveVariables("$VOK_TEST_LONG", out, 8), 0);
  EXPECT_STREQ(out, "0123456");
  EXPECT_EQ(Resources::ResolveVariables("", out, 8), 0);
  EXPECT_STREQ(out, "");
  char one[1] = {'x'};
  EXPECT_EQ(Resources::ResolveVariables("abc", one, 1), 0);
  EXPECT_EQ(one[0], '\0');

  const std::string long_name = "$" + std::string(64, 'N');
  char big[128];
  EXPECT_EQ(Resources::ResolveVariables(long_name.c_str(), big, 128), -1);
  EXPECT_EQ(std::string(big), long_name);
}

TEST_F(ResourcesTest, OverlappingBuffersAreRefused) {
  char buffer[64] = "abc$X";
  char before[64];
  std::memcpy(before, buffer, sizeof buffer);
  EXPECT_EQ(Resources::ResolveVariables(buffer, buffer + 2, 16), -1);
  EXPECT_EQ(std::memcmp(before, buffer, sizeof buffer), 0);
  EXPECT_TRUE(vok::ErrorRecorded("errStringsOverlap"));
}

TEST_F(ResourcesTest, TypedGetters) {
  store_.Put("N", "t", "TRUE");
  store_.Put("N", "f", "FALSE");
  store_.Put("N", "lower", "true");
  store_.Put("N", "mixed", "12abc");
  store_.PutInt("N", "i", -42);
  store_.PutFloat("N", "x", 1.5f);
  struct Case {
    const char* key;
    int value;
  };
  for (const Case& c : {Case{"t", 1}, Case{"f", 0}, Case{"lower", 0}, Case{"mixed", 12}, Case{"i", -42}}) {
    int out = 99;
    ASSERT_EQ(store_.GetInt("N", c.key, &out), 0) << c.key;
    EXPECT_EQ(out, c.value) << c.key;
  }
  EXPECT_EQ(Value("N", "x"), "1.500000");
  float x = 0;
  ASSERT_EQ(store_.GetFloat("N", "x", &x), 0);
  EXPECT_FLOAT_EQ(x, 1.5f);
  int untouched = 77;
  EXPECT_EQ(store_.GetInt("N", "absent", &untouched), -1);
  EXPECT_EQ(untouched, 77);
  float f = 3;
  EXPECT_EQ(store_.GetFloat("M", "x", &f), -1);
  EXPECT_EQ(f, 3);
}

TEST_F(ResourcesTest, GetRequiredFloatReportsAbsence) {
  vok_test::CapturedMessages messages;
  float f = 2;
  EXPECT_EQ(store_.GetRequiredFloat("Sec", "Key", &f), -1);
  EXPECT_EQ(messages.Output(), "Error: Sec.Key not given!\n");
}

TEST_F(ResourcesTest, GetAlwaysTerminates) {
  store_.Put("S", "k", "abcdef");
  char buffer[4] = {'x', 'x', 'x', 'x'};
  ASSERT_EQ(store_.Get("S", "k", buffer, 4), 0);
  EXPECT_STREQ(buffer, "abc");
  char exact[7];
  ASSERT_EQ(store_.Get("S", "k", exact, 7), 0);
  EXPECT_STREQ(exact, "abcdef");
  char keep[4] = "zz";
  EXPECT_EQ(store_.Get("S", "absent", keep, 4), -1);
  EXPECT_STREQ(keep, "zz");
  EXPECT_EQ(store_.Get("S", "k", keep, 0), -1);
}

TEST_F(ResourcesTest, EmptyKeyAndValue) {
  ASSERT_EQ(store_.Put("S", "", ""), 0);
  ASSERT_EQ(store_.Put("S", "k", nullptr), 0);
  EXPECT_EQ(Value("S", ""), "");
  EXPECT_EQ(Value("S", "k"), "");
  EXPECT_EQ(Value("S", "other"), "<absent>");
  char buffer[4] = "zz";
  ASSERT_EQ(store_.Get("S", "k", buffer, 4), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(ResourcesTest, DeleteKeepsTheSlot) {
  store_.Put("S", "k", "1");
  EXPECT_EQ(store_.Delete("S", "absent"), 0);
  EXPECT_EQ(store_.Delete("S", "k"), 0);
  char buffer[8];
  EXPECT_EQ(store_.Get("S", "k", buffer, 8), -1);
  ASSERT_EQ(store_.Write(dir_.File("out").c_str()), 0);
  EXPECT_EQ(WithoutCarriageReturns(dir_.Read("out")), "S.k\t*DELETED*\n");
  store_.Put("S", "k", "2");
  EXPECT_EQ(store_.SectionAt(0)->count, 2);
  EXPECT_EQ(Value("S", "k"), "2");
}

TEST_F(ResourcesTest, WriteOfEmptyStoreIsEmptyFile) {
  ASSERT_EQ(store_.Write(dir_.File("empty").c_str()), 0);
  EXPECT_EQ(dir_.Read("empty"), "");
  EXPECT_EQ(store_.Write(dir_.File("no/such/dir").c_str()), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errCannotOpenFile"));
}

TEST_F(ResourcesTest, TextRoundTrip) {
  ASSERT_EQ(MergeText("Resource Vastel\nHMMResource a/b.hmm\nBeam 1.25\nSystem.Verbosity 1\n"), 0);
  ASSERT_EQ(store_.Write(dir_.File("written").c_str()), 0);
  Resources again;
  ASSERT_EQ(again.Merge(dir_.File("written").c_str()), 0);
  ASSERT_EQ(again.SectionCount(), store_.SectionCount());
  for (int i = 0; i < store_.SectionCount(); ++i) {
    const Resources::Section* a = store_.SectionAt(i);
    const Resources::Section* b = again.SectionAt(i);
    ASSERT_EQ(a->name, b->name);
    ASSERT_EQ(a->count, b->count);
    for (int j = 0; j < a->count; ++j) {
      EXPECT_EQ(a->entries[static_cast<std::size_t>(j)].key, b->entries[static_cast<std::size_t>(j)].key);
      EXPECT_EQ(a->entries[static_cast<std::size_t>(j)].value, b->entries[static_cast<std::size_t>(j)].value);
    }
  }
}

TEST_F(ResourcesTest, WrittenBytesMatchFixture) {
  store_.Put("A", "b", "1");
  store_.Put("C", "d", "x y");
  ASSERT_EQ(store_.Write(dir_.File("w").c_str()), 0);
  EXPECT_EQ(WithoutCarriageReturns(dir_.Read("w")), "A.b\t1\nC.d\tx y\n");
}

TEST_F(ResourcesTest, MergeArguments) {
  const char* args[] = {"prog", "-A.b", "1", "plain", "-C.", "-D.e", "-2.5", "-noperiod", "x", "-F.g"};
  ASSERT_EQ(store_.Merge(10, args), 0);
  EXPECT_EQ(Value("A", "b"), "1");
  EXPECT_EQ(Value("D", "e"), "-2.5");
  EXPECT_EQ(Value("F", "g"), "<absent>");
  EXPECT_EQ(store_.SectionCount(), 2);
}

TEST_F(ResourcesTest, SettingWithNothingAfterThePeriodIsSkippedAlone) {
  const char* args[] = {"-C.", "-A.b", "v"};
  ASSERT_EQ(store_.Merge(3, args), 0);
  EXPECT_EQ(Value("A", "b"), "v");
}

TEST_F(ResourcesTest, LaterFileWins) {
  ASSERT_EQ(MergeText("A.b 1\n"), 0);
  ASSERT_EQ(MergeText("A.b 2\n"), 0);
  EXPECT_EQ(Value("A", "b"), "2");
  store_.Clear();
  EXPECT_EQ(store_.SectionCount(), 0);
}

}  // namespace
